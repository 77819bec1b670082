#include "framework/app/icon_by_size_win.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/draw/icon_pixels.h"

HICON LoadIconBySize(HINSTANCE module, int groupResourceId, int depthIndex, int size) {
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(groupResourceId), RT_GROUP_ICON);
  if (!group) return nullptr;
  HGLOBAL loaded = LoadResource(module, group);
  const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  DWORD groupSize = SizeofResource(module, group);
  if (!bytes || groupSize < sizeof(IconGroupHeader)) return nullptr;
  IconGroupHeader header;
  memcpy(&header, bytes, sizeof(header));
  int count = header.idCount;
  if (sizeof(header) + size_t(count) * sizeof(IconGroupEntry) > groupSize) return nullptr;
  const IconGroupEntry* entries = reinterpret_cast<const IconGroupEntry*>(bytes + sizeof(header));
  int pick = PickIconGroupEntry(entries, count, depthIndex, size);
  if (pick < 0) {
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(groupResourceId), IMAGE_ICON,
                                         size, size, 0));
  }
  HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entries[pick].nId), RT_ICON);
  HGLOBAL imageData = image ? LoadResource(module, image) : nullptr;
  BYTE* imageBytes = imageData ? static_cast<BYTE*>(LockResource(imageData)) : nullptr;
  if (!imageBytes) return nullptr;
  int width = entries[pick].bWidth ? entries[pick].bWidth : 256;
  int height = entries[pick].bHeight ? entries[pick].bHeight : 256;
  return CreateIconFromResourceEx(imageBytes, SizeofResource(module, image), TRUE, 0x00030000,
                                  width, height, 0);
}

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

// Reads a bitmap as 32-bit top-down pixels; null on failure.
uint32_t* ReadBits32(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = TopDown32Info(width, height);
  uint32_t* bits = static_cast<uint32_t*>(calloc(size_t(width) * height, 4));
  if (bits && GetDIBits(dc, bitmap, 0, UINT(height), bits, &info, DIB_RGB_COLORS) != height) {
    free(bits);
    bits = nullptr;
  }
  return bits;
}

HBITMAP MakeBitmap32(HDC dc, const uint32_t* bits, int width, int height) {
  BITMAPINFO info = TopDown32Info(width, height);
  void* target = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &target, nullptr, 0);
  if (bitmap && target) memcpy(target, bits, size_t(width) * height * 4);
  return bitmap;
}

}  // namespace

int MakeGrayIcon(HINSTANCE module, int iconResourceId, HICON icons[2]) {
  icons[0] = icons[1] = nullptr;
  HICON icon = static_cast<HICON>(
      LoadImageA(module, MAKEINTRESOURCEA(iconResourceId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) return 1;
  icons[0] = icon;
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info) || !info.hbmColor) {
    if (info.hbmMask) DeleteObject(info.hbmMask);
    icons[1] = CopyIcon(icon);
    return 0;
  }
  BITMAP color = {};
  GetObjectA(info.hbmColor, sizeof(color), &color);
  HDC dc = GetDC(nullptr);
  uint32_t* colors = ReadBits32(dc, info.hbmColor, color.bmWidth, color.bmHeight);
  uint32_t* mask = ReadBits32(dc, info.hbmMask, color.bmWidth, color.bmHeight);
  if (colors && mask) {
    GrayBlendPixels(colors, mask, size_t(color.bmWidth) * color.bmHeight, GetSysColor(COLOR_3DLIGHT),
                    GetSysColor(COLOR_BTNSHADOW));
    HBITMAP grey = MakeBitmap32(dc, colors, color.bmWidth, color.bmHeight);
    ICONINFO greyInfo = {TRUE, 0, 0, info.hbmMask, grey};
    if (grey) icons[1] = CreateIconIndirect(&greyInfo);
    if (grey) DeleteObject(grey);
  }
  free(colors);
  free(mask);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  if (!icons[1]) icons[1] = CopyIcon(icon);
  return 0;
}
