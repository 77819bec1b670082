/* The floor of the capture benchmark: the least a program can do for a
 * Print Screen press. On the hotkey it copies the screen (BitBlt), reads the
 * pixels (GetDIBits), encodes them with libpng at zlib's default level and
 * libpng's default filters into a temporary file beside the target, and
 * moves that over the target. Usage: capture_floor.exe <target.png>.
 * Sets the event "BenchFloorReady" once the hotkey is registered. */
#include <windows.h>
#include <png.h>
#include <zlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Save(const char* path, const unsigned char* rows, int width, int height, int stride) {
  FILE* f = fopen(path, "wb");
  if (!f) return 0;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
  png_infop info = png ? png_create_info_struct(png) : NULL;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return 0;
  }
  png_init_io(png, f);
  png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
  png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < height; ++y) png_write_row(png, (png_const_bytep)(rows + (size_t)y * stride));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return fclose(f) == 0;
}

static int Capture(const char* target) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
  SelectObject(dc, old);
  int stride = (width * 3 + 3) & ~3;
  unsigned char* rows = malloc((size_t)stride * height);
  BITMAPINFO info = {0};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  /* top-down, as PNG rows go */
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  int ok = rows && GetDIBits(dc, bitmap, 0, (UINT)height, rows, &info, DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(NULL, screen);
  char temporary[MAX_PATH];
  snprintf(temporary, sizeof(temporary), "%s.tmp", target);
  ok = ok && Save(temporary, rows, width, height, stride) &&
       MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING);
  free(rows);
  return ok;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (!RegisterHotKey(NULL, 0, 0, VK_SNAPSHOT)) return 4;
  HANDLE ready = CreateEventA(NULL, TRUE, FALSE, "BenchFloorReady");
  SetEvent(ready);
  MSG m;
  while (GetMessageA(&m, NULL, 0, 0) > 0)
    if (m.message == WM_HOTKEY && !Capture(argv[1])) fprintf(stderr, "capture failed\n");
  return 0;
}
