#include "framework/draw/grey_icon_win.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/draw/icon_pixels.h"

namespace {

// The header of 32-bit top-down pixels without a colour table.
BITMAPINFO TopDown32Info(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

bool ReadBits32(HDC dc, HBITMAP bitmap, int width, int height, uint32_t* out) {
  BITMAPINFO info = TopDown32Info(width, height);
  return GetDIBits(dc, bitmap, 0, UINT(height), out, &info, DIB_RGB_COLORS) == height;
}

}  // namespace

HICON MakeGreyIcon(HICON icon, COLORREF light, COLORREF shadow) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return nullptr;
  HICON result = nullptr;
  BITMAP bitmap = {};
  if (info.hbmColor && GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap)) {
    int width = bitmap.bmWidth;
    int height = bitmap.bmHeight;
    size_t count = size_t(width) * size_t(height);
    uint32_t* colors = static_cast<uint32_t*>(calloc(count, 4));
    uint32_t* mask = static_cast<uint32_t*>(calloc(count, 4));
    HDC dc = GetDC(nullptr);
    if (colors && mask && ReadBits32(dc, info.hbmColor, width, height, colors) &&
        ReadBits32(dc, info.hbmMask, width, height, mask)) {
      GrayBlendPixels(colors, mask, count, light, shadow);
      BITMAPINFO header = TopDown32Info(width, height);
      void* target = nullptr;
      HBITMAP grey = CreateDIBSection(dc, &header, DIB_RGB_COLORS, &target, nullptr, 0);
      if (grey && target) {
        memcpy(target, colors, count * 4);
        ICONINFO greyInfo = {TRUE, 0, 0, info.hbmMask, grey};
        result = CreateIconIndirect(&greyInfo);
      }
      if (grey) DeleteObject(grey);
    }
    ReleaseDC(nullptr, dc);
    free(colors);
    free(mask);
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return result;
}
