// Repainting the image view against a bare StretchDIBits of the same
// rectangles: a window of the same size at the same place whose paint is
// that one call, repainted the same way. An 8000 x 6000 24-bit image at 1 %,
// 100 % and 3200 %, and 3200 % of an 800 x 600 one (the cost must not grow
// with the image). Medians of rounds, in milliseconds, and their ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/document/history.h"
#include "app/view/image_view_record_win.h"
#include "app/view/image_view_win.h"

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && GetImageViewWindow()) {
    RECT client;
    GetClientRect(window, &client);
    LayoutImageView(client);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Waits for the display to finish what was drawn, so both sides pay it.
void Finish(HWND window) {
  HDC dc = GetDC(window);
  GetPixel(dc, 0, 0);
  ReleaseDC(window, dc);
}

double TimeView(HWND view, int rounds) {
  std::vector<double> t;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Finish(view);
    t.push_back(Now() - start);
  }
  return Median(t);
}

const CImage* gFloorImage = nullptr;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const RECT d = gImageView.frame.rcDest, s = gImageView.frame.rcSource;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, s.left, s.top, s.right - s.left,
                s.bottom - s.top, gFloorImage->GetBits(),
                reinterpret_cast<const BITMAPINFO*>(gFloorImage->GetDib()), DIB_RGB_COLORS, SRCCOPY);
  EndPaint(window, &ps);
  return 0;
}

// The floor window over the view, the view's client size.
HWND MakeFloor(HWND view) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "BenchViewFloor";
  RegisterClassA(&wc);
  RECT client;
  GetClientRect(view, &client);
  POINT at{0, 0};
  ClientToScreen(view, &at);
  return CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, at.x, at.y,
                         client.right, client.bottom, nullptr, nullptr, wc.hInstance, nullptr);
}

CImage* Noise(int w, int h) {
  CImage* image = new CImage;
  image->Create(w, h, 24, 0);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    BYTE* row = image->GetBits(y);
    for (int x = 0; x < w * 3; ++x) {
      seed = seed * 1664525u + 1013904223u;
      row[x] = BYTE(seed >> 24);
    }
  }
  image->SelectAll();
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "BenchViewMain";
  RegisterClassA(&wc);
  // A 1280 x 1024 client once both scroll bars show.
  HWND main = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                              1280 + GetSystemMetrics(SM_CXVSCROLL), 1024 + GetSystemMetrics(SM_CYHSCROLL),
                              nullptr, nullptr, wc.hInstance, nullptr);
  if (!main || !CreateImageViewWindows(main)) return 1;
  ShowWindow(main, SW_SHOW);
  RECT client;
  GetClientRect(main, &client);
  LayoutImageView(client);
  printf("%-22s %10s %10s %7s\n", "case", "view ms", "bare ms", "ratio");
  struct Case { int w, h, zoom; };
  for (const Case c : {Case{8000, 6000, 0}, Case{8000, 6000, 6}, Case{8000, 6000, 11}, Case{800, 600, 11}}) {
    ClearHistory();
    CImage* image = Noise(c.w, c.h);
    if (AddToHistory(image, "bench", 0) != 0) return 1;
    giZoomIndex = c.zoom;
    UpdateImageView(1);
    gFloorImage = image;
    // Each side measured while it is on top, both warmed first.
    TimeView(GetImageViewWindow(), 2);
    const double view = TimeView(GetImageViewWindow(), rounds);
    HWND floor = MakeFloor(GetImageViewWindow());
    TimeView(floor, 2);
    const double bare = TimeView(floor, rounds);
    DestroyWindow(floor);
    printf("%5dx%-5d at %5d %% %10.3f %10.3f %7.2f\n", c.w, c.h, kZoomPercent[c.zoom], view, bare,
           bare > 0 ? view / bare : 0.0);
  }
  DestroyImageViewWindows();
  DestroyWindow(main);
  ClearHistory();
  return 0;
}
