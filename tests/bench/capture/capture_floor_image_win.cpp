// The floor of the profile benchmark: the least a program can do for a
// Print Screen press with the image library Brightwarden uses. On the
// hotkey it copies the screen into a bitmap (BitBlt), makes an image of it
// (CreateFromBitmap), with "processed" turns it grey and halves it with
// nearest neighbours, and saves it as PNG at the program's default level
// (the library writes a temporary file beside the target and replaces).
// Usage: bench_capture_floor_image.exe <target.png> [processed]
// Sets the event "BenchFloorReady" once the hotkey is registered.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "imagelib/raster.h"
#include "imagelib/raster_format.h"

namespace {

// zlib level 8, no interlacing: what a new profile's PNG options give.
constexpr uint32_t kPngDefaultOption = 8;

bool Capture(const char* target, bool processed) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  CRaster image;
  bool ok = image.CreateFromBitmap(bitmap);
  DeleteObject(bitmap);
  if (ok && processed)
    ok = image.GrayScale() &&
         image.Resample(width / 2, height / 2, InterpNearest, OverflowRepeat, nullptr, true);
  return ok && image.SetCodecOption(kPngDefaultOption, RASTER_FORMAT_PNG) &&
         image.Save(target, RASTER_FORMAT_PNG);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const bool processed = argc > 2 && strcmp(argv[2], "processed") == 0;
  if (!RegisterHotKey(nullptr, 0, 0, VK_SNAPSHOT)) return 4;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "BenchFloorReady");
  SetEvent(ready);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0)
    if (m.message == WM_HOTKEY && !Capture(argv[1], processed)) fprintf(stderr, "capture failed\n");
  return 0;
}
