#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/app/icon_by_size_win.h"

namespace {

struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> color;
  std::vector<uint32_t> mask;
};

std::vector<uint32_t> Bits(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> bits(size_t(width) * height);
  HDC dc = GetDC(nullptr);
  int rows = GetDIBits(dc, bitmap, 0, UINT(height), bits.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(height, rows);
  return bits;
}

IconPixels Read(HICON icon) {
  IconPixels pixels;
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return pixels;
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
  pixels.width = bitmap.bmWidth;
  pixels.height = bitmap.bmHeight;
  pixels.color = Bits(info.hbmColor, bitmap.bmWidth, bitmap.bmHeight);
  pixels.mask = Bits(info.hbmMask, bitmap.bmWidth, bitmap.bmHeight);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return pixels;
}

// Size and centre colour (0xRRGGBB) of the image LoadIconBySize chose.
std::pair<int, uint32_t> Pick(int depthIndex, int size) {
  HICON icon = LoadIconBySize(GetModuleHandleA(nullptr), 100, depthIndex, size);
  if (!icon) return {-1, 0};
  IconPixels pixels = Read(icon);
  DestroyIcon(icon);
  uint32_t centre = pixels.color[size_t(pixels.height / 2) * pixels.width + pixels.width / 2];
  return {pixels.width, centre & 0xFFFFFF};
}

TEST(LoadIconBySize, DepthFallbackExactNearestAndSystemChoice) {
  EXPECT_EQ(std::make_pair(32, 0x28323Cu), Pick(3, 32));   // 32-bit, exact
  EXPECT_EQ(std::make_pair(16, 0x0A141Eu), Pick(3, 0));    // size 0: the first 32-bit image
  EXPECT_EQ(std::make_pair(48, 0x46505Au), Pick(3, 44));   // nearest
  EXPECT_EQ(std::make_pair(16, 0xFFFFFFu), Pick(2, 16));   // 8-bit
  EXPECT_EQ(std::make_pair(32, 0x00FF00u), Pick(1, 32));   // 4-bit
  EXPECT_EQ(std::make_pair(48, 0x0000FFu), Pick(1, 60));
  // No 1-bit images and a negative index: the system picks at the wanted size.
  EXPECT_EQ(48, Pick(0, 48).first);
  EXPECT_EQ(16, Pick(-1, 16).first);
  EXPECT_EQ(nullptr, LoadIconBySize(GetModuleHandleA(nullptr), 999, 3, 32));
}

uint32_t Channel(COLORREF color, int shift) { return (color >> shift) & 0xFF; }

TEST(MakeGrayIcon, EqualsTheClampedBlendAndKeepsTheMask) {
  HICON icons[2] = {};
  ASSERT_EQ(0, MakeGrayIcon(GetModuleHandleA(nullptr), 101, icons));
  IconPixels original = Read(icons[0]);
  IconPixels grey = Read(icons[1]);
  ASSERT_EQ(32, original.width);
  ASSERT_EQ(original.width, grey.width);
  EXPECT_EQ(original.mask, grey.mask);
  double sum = 0;
  int visible = 0;
  for (size_t i = 0; i < original.color.size(); ++i) {
    if ((original.mask[i] & 0xFF) == 0xFF) continue;
    sum += original.color[i] & 0xFF;
    ++visible;
  }
  ASSERT_GT(visible, 0);
  double offset = 128 - sum / visible;
  COLORREF light = GetSysColor(COLOR_3DLIGHT);
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  int checked = 0;
  for (size_t i = 0; i < original.color.size(); ++i) {
    uint32_t pixel = original.color[i];
    if ((original.mask[i] & 0xFF) == 0xFF) {
      EXPECT_EQ(pixel, grey.color[i]) << i;
      continue;
    }
    double x = ((pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF) + offset) / 765;
    x = x < 0 ? 0 : x > 1 ? 1 : x;
    uint32_t red = uint32_t(Channel(light, 0) * x + Channel(shadow, 0) * (1 - x));
    uint32_t green = uint32_t(Channel(light, 8) * x + Channel(shadow, 8) * (1 - x));
    uint32_t blue = uint32_t(Channel(light, 16) * x + Channel(shadow, 16) * (1 - x));
    uint32_t expected = (pixel & 0xFF000000u) | red << 16 | green << 8 | blue;
    EXPECT_EQ(expected, grey.color[i]) << "pixel " << i;
    ++checked;
  }
  EXPECT_EQ(24 * 24, checked);
  DestroyIcon(icons[0]);
  DestroyIcon(icons[1]);
}

TEST(MakeGrayIcon, TransparentIconAndMissingResource) {
  HICON icons[2] = {};
  ASSERT_EQ(0, MakeGrayIcon(GetModuleHandleA(nullptr), 102, icons));
  ASSERT_NE(nullptr, icons[1]);
  IconPixels original = Read(icons[0]);
  IconPixels grey = Read(icons[1]);
  EXPECT_EQ(original.color, grey.color);
  DestroyIcon(icons[0]);
  DestroyIcon(icons[1]);
  EXPECT_EQ(1, MakeGrayIcon(GetModuleHandleA(nullptr), 998, icons));
  EXPECT_EQ(nullptr, icons[0]);
}

}  // namespace
