#pragma once
// The pattern the profile tests capture: every 2 x 2 block one colour, a
// function of the block's position (profile_execution_oracle.py computes the
// same), so that a halved capture has one colour per pixel.
#include <windows.h>

#include <cstdint>
#include <vector>

inline uint32_t BlockColor(int bx, int by) {
  const uint32_t r = (bx * 37 + 11) & 255, g = (by * 59 + 3) & 255, b = (bx * by * 13 + 91) & 255;
  return (r << 16) | (g << 8) | b;
}

// Paints width x height pixels of the pattern at the DC's origin.
inline void PaintBlockPattern(HDC dc, int width, int height) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = BlockColor(x / 2, y / 2);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info,
                    DIB_RGB_COLORS);
}
