// Reading and writing single pixels, and filling rectangles.
#include <cstdlib>
#include <cstring>

#include "imagelib/raster.h"

BYTE CRaster::GetPixelIndexUnchecked(int32_t x, int32_t y) const {
  const BYTE* row = info.pixels + size_t(y) * size_t(info.rowBytes);
  switch (header.biBitCount) {
    case 8: return row[x];
    case 4: return BYTE((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    case 1: return BYTE((row[x >> 3] >> (7 - (x & 7))) & 0x01);
    default: return 0;
  }
}

void CRaster::SetPixelIndexUnchecked(int32_t x, int32_t y, BYTE index) {
  BYTE* row = info.pixels + size_t(y) * size_t(info.rowBytes);
  switch (header.biBitCount) {
    case 8:
      row[x] = index;
      break;
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      BYTE& cell = row[x >> 1];
      cell = BYTE((cell & ~(0x0F << shift)) | ((index & 0x0F) << shift));
      break;
    }
    case 1: {
      const BYTE mask = BYTE(0x80 >> (x & 7));
      BYTE& cell = row[x >> 3];
      cell = (index & 1) ? BYTE(cell | mask) : BYTE(cell & ~mask);
      break;
    }
    default:
      break;
  }
}

BYTE CRaster::GetPixelIndex(int32_t x, int32_t y) const {
  if (!dib || !IsIndexed()) return 0;
  if (!IsInside(x, y)) {
    return info.bkgndIndex >= 0 ? BYTE(info.bkgndIndex) : info.pixels[0];
  }
  return GetPixelIndexUnchecked(x, y);
}

void CRaster::SetPixelIndex(int32_t x, int32_t y, BYTE index) {
  if (dib && IsIndexed() && IsInside(x, y)) SetPixelIndexUnchecked(x, y, index);
}

RGBQUAD CRaster::GetPixelColorUnchecked(int32_t x, int32_t y, bool withAlpha) const {
  (void)withAlpha;
  RGBQUAD color;
  if (IsIndexed()) {
    color = GetPaletteColor(GetPixelIndexUnchecked(x, y));
  } else {
    const BYTE* pixel = info.pixels + size_t(y) * size_t(info.rowBytes) + size_t(x) * 3;
    color.rgbBlue = pixel[0];
    color.rgbGreen = pixel[1];
    color.rgbRed = pixel[2];
  }
  color.rgbReserved = 0;
  return color;
}

void CRaster::SetPixelColorUnchecked(int32_t x, int32_t y, RGBQUAD color, bool withAlpha) {
  (void)withAlpha;
  if (IsIndexed()) {
    SetPixelIndexUnchecked(x, y, GetNearestIndex(color));
    return;
  }
  BYTE* pixel = info.pixels + size_t(y) * size_t(info.rowBytes) + size_t(x) * 3;
  pixel[0] = color.rgbBlue;
  pixel[1] = color.rgbGreen;
  pixel[2] = color.rgbRed;
}

RGBQUAD CRaster::GetPixelColor(int32_t x, int32_t y, bool withAlpha) const {
  if (dib && IsInside(x, y)) return GetPixelColorUnchecked(x, y, withAlpha);
  if (info.bkgndIndex < 0) {
    if (!dib) return RgbQuadFromValue(info.bkgndColor);
    return GetPixelColorUnchecked(0, 0, withAlpha);
  }
  if (dib && IsIndexed()) return GetPaletteColor(BYTE(info.bkgndIndex));
  return RgbQuadFromValue(info.bkgndColor);
}

void CRaster::SetPixelColor(int32_t x, int32_t y, RGBQUAD color, bool withAlpha) {
  if (dib && IsInside(x, y)) SetPixelColorUnchecked(x, y, color, withAlpha);
}

void CRaster::SetPixelColor(int32_t x, int32_t y, CColorRef color) {
  SetPixelColor(x, y, RgbToRgbQuad(color.colorref), false);
}

BYTE* CRaster::GetPixelAddress(int32_t x, int32_t y) const {
  if (!dib || header.biBitCount != 24) return nullptr;
  return info.pixels + size_t(y) * size_t(info.rowBytes) + size_t(x) * 3;
}

namespace {

int32_t Limit(int32_t value, int32_t high) {
  if (value < 0) return 0;
  return value > high ? high : value;
}

}  // namespace

bool CRaster::FillRectColor(int32_t left, int32_t top, int32_t right, int32_t bottom,
                            RGBQUAD color, bool withAlpha) {
  (void)withAlpha;
  if (!dib) return false;
  const int32_t width = GetWidth();
  const int32_t height = GetHeight();
  left = Limit(left, width);
  right = Limit(right, width);
  top = Limit(top, height);
  bottom = Limit(bottom, height);
  if (left == right || top == bottom) return true;
  const int32_t x0 = left < right ? left : right;
  const int32_t x1 = left < right ? right : left;  // exclusive
  // y counts from the top here; stored rows count from the bottom.
  const int32_t firstRow = height - (top > bottom ? top : bottom);
  const int32_t rows = (top > bottom ? top - bottom : bottom - top);
  const int32_t bpp = GetBpp();

  BYTE index = 0;
  BYTE* pattern = nullptr;
  if (bpp < 24) {
    index = GetNearestIndex(color);
  } else {
    pattern = static_cast<BYTE*>(malloc(size_t(x1 - x0) * 3));
    if (!pattern) return false;
    for (int32_t x = 0; x < x1 - x0; ++x) {
      pattern[3 * x] = color.rgbBlue;
      pattern[3 * x + 1] = color.rgbGreen;
      pattern[3 * x + 2] = color.rgbRed;
    }
  }
  for (int32_t k = 0; k < rows; ++k) {
    info.progress = int32_t(int64_t(100) * k / rows);
    const int32_t y = firstRow + k;
    BYTE* row = GetBits(y);
    if (bpp == 24) {
      memcpy(row + size_t(x0) * 3, pattern, size_t(x1 - x0) * 3);
    } else if (bpp == 8) {
      memset(row + x0, index, size_t(x1 - x0));
    } else {
      for (int32_t x = x0; x < x1; ++x) SetPixelIndexUnchecked(x, y, index);
    }
  }
  free(pattern);
  return true;
}
