/* Shows a 24-bit BMP 1:1 in a borderless topmost window over the whole
 * primary screen, as a screenshot-like scene for the capture benchmark.
 * Usage: show_image.exe <picture.bmp>. Sets the event "BenchScreenShown"
 * once the picture has been painted, and runs until it is closed. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static BITMAPINFOHEADER* gHeader;
static const void* gPixels;
static HANDLE gShown;

static LRESULT CALLBACK ScreenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SetDIBitsToDevice(dc, 0, 0, (DWORD)gHeader->biWidth, (DWORD)abs(gHeader->biHeight), 0, 0, 0,
                      (UINT)abs(gHeader->biHeight), gPixels, (BITMAPINFO*)gHeader,
                      DIB_RGB_COLORS);
    EndPaint(window, &ps);
    GdiFlush();
    SetEvent(gShown);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILE* f = fopen(argv[1], "rb");
  if (!f) return 3;
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  unsigned char* file = malloc((size_t)size);
  if (!file || fread(file, 1, (size_t)size, f) != (size_t)size) return 3;
  fclose(f);
  const BITMAPFILEHEADER* fileHeader = (const BITMAPFILEHEADER*)file;
  gHeader = (BITMAPINFOHEADER*)(file + sizeof(BITMAPFILEHEADER));
  gPixels = file + fileHeader->bfOffBits;
  gShown = CreateEventA(NULL, TRUE, FALSE, "BenchScreenShown");

  WNDCLASSA c = {0};
  c.lpfnWndProc = ScreenProc;
  c.hInstance = GetModuleHandleA(NULL);
  c.hCursor = LoadCursorA(NULL, IDC_ARROW);
  c.lpszClassName = "BenchScreen";
  RegisterClassA(&c);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "BenchScreen", "Bench screen", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                NULL, NULL, c.hInstance, NULL);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG m;
  while (GetMessageA(&m, NULL, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
