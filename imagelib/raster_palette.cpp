// The palette, the nearest-colour search and colour helpers.
#include <cstring>

#include "imagelib/raster.h"

namespace {

RGBQUAD* Entries(BYTE* dib, const BITMAPINFOHEADER& header) {
  return reinterpret_cast<RGBQUAD*>(dib + header.biSize);
}

int32_t Square(int32_t v) { return v * v; }

}  // namespace

RGBQUAD* CRaster::GetPalette() {
  if (!dib || header.biClrUsed == 0) return nullptr;
  InvalidateNearestCache();  // the caller may write through it
  return Entries(dib, header);
}

const RGBQUAD* CRaster::GetPalette() const {
  if (!dib || header.biClrUsed == 0) return nullptr;
  return Entries(dib, header);
}

RGBQUAD CRaster::GetPaletteColor(BYTE index) const {
  if (!dib || index >= header.biClrUsed) return RGBQUAD{};
  return Entries(dib, header)[index];
}

bool CRaster::GetPaletteRgb(BYTE index, BYTE* red, BYTE* green, BYTE* blue) const {
  if (!dib || index >= header.biClrUsed) return false;
  const RGBQUAD entry = Entries(dib, header)[index];
  if (red) *red = entry.rgbRed;
  if (green) *green = entry.rgbGreen;
  if (blue) *blue = entry.rgbBlue;
  return true;
}

void CRaster::SetPaletteColor(BYTE index, RGBQUAD color) {
  if (!dib || index >= header.biClrUsed) return;
  Entries(dib, header)[index] = color;
  InvalidateNearestCache();
}

void CRaster::SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alphaByte) {
  RGBQUAD color;
  color.rgbRed = red;
  color.rgbGreen = green;
  color.rgbBlue = blue;
  color.rgbReserved = alphaByte;
  SetPaletteColor(index, color);
}

void CRaster::SetPalette(const RGBQUAD* entries, DWORD count) {
  if (!dib || header.biClrUsed == 0 || !entries) return;
  const DWORD n = count < header.biClrUsed ? count : header.biClrUsed;
  memcpy(Entries(dib, header), entries, n * sizeof(RGBQUAD));
  InvalidateNearestCache();
}

void CRaster::SetPalette(DWORD count, const BYTE* red, const BYTE* green, const BYTE* blue) {
  if (!dib || header.biClrUsed == 0 || !red) return;
  if (!green) green = red;
  if (!blue) blue = green;
  const DWORD n = count < header.biClrUsed ? count : header.biClrUsed;
  RGBQUAD* palette = Entries(dib, header);
  for (DWORD i = 0; i < n; ++i) {
    palette[i].rgbRed = red[i];
    palette[i].rgbGreen = green[i];
    palette[i].rgbBlue = blue[i];
  }
  InvalidateNearestCache();
}

void CRaster::SetPalette(const BYTE* rgbTriples, DWORD count) {
  if (!dib || header.biClrUsed == 0 || !rgbTriples) return;
  const DWORD n = count < header.biClrUsed ? count : header.biClrUsed;
  RGBQUAD* palette = Entries(dib, header);
  for (DWORD i = 0; i < n; ++i) {
    palette[i].rgbRed = rgbTriples[3 * i];
    palette[i].rgbGreen = rgbTriples[3 * i + 1];
    palette[i].rgbBlue = rgbTriples[3 * i + 2];
  }
  InvalidateNearestCache();
}

void CRaster::SetGrayPalette() {
  if (!dib || header.biClrUsed == 0) return;
  const DWORD entries = header.biClrUsed;
  const DWORD step = entries > 1 ? 255 / (entries - 1) : 0;
  RGBQUAD* palette = Entries(dib, header);
  for (DWORD i = 0; i < entries; ++i) {
    const BYTE level = BYTE(i * step);
    palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = level;
  }
  InvalidateNearestCache();
}

bool CRaster::IsGrayScale() const {
  const RGBQUAD* palette = GetPalette();
  if (!palette) return false;
  for (DWORD i = 0; i < header.biClrUsed; ++i) {
    if (palette[i].rgbBlue != i || palette[i].rgbGreen != i || palette[i].rgbRed != i) {
      return false;
    }
  }
  return true;
}

bool CRaster::SwapIndex(BYTE a, BYTE b) {
  if (!dib || header.biClrUsed == 0) return false;
  if (a >= header.biClrUsed || b >= header.biClrUsed) return false;
  if (a == b) return true;
  RGBQUAD* palette = Entries(dib, header);
  const RGBQUAD kept = palette[a];
  palette[a] = palette[b];
  palette[b] = kept;
  InvalidateNearestCache();
  const int32_t width = GetWidth();
  for (int32_t y = 0; y < GetHeight(); ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const BYTE index = GetPixelIndexUnchecked(x, y);
      if (index == a) SetPixelIndexUnchecked(x, y, b);
      if (index == b) SetPixelIndexUnchecked(x, y, a);
    }
  }
  return true;
}

BYTE CRaster::GetNearestIndex(RGBQUAD color) {
  if (!dib || header.biClrUsed == 0) return 0;
  const uint32_t value = RgbQuadToValue(color);
  if (info.lastValid && info.lastColor == value) return info.lastIndex;
  DWORD n = header.biClrImportant;
  if (n == 0 || n > header.biClrUsed) n = header.biClrUsed;
  const RGBQUAD* palette = Entries(dib, header);
  int32_t best = 200000;  // above the largest possible distance, 3 x 255^2
  BYTE found = 0;
  for (DWORD i = 0; i < n; ++i) {
    const int32_t distance = Square(int32_t(palette[i].rgbBlue) - color.rgbBlue) +
                             Square(int32_t(palette[i].rgbGreen) - color.rgbGreen) +
                             Square(int32_t(palette[i].rgbRed) - color.rgbRed);
    if (distance < best) {
      best = distance;
      found = BYTE(i);
      if (distance == 0) break;
    }
  }
  info.lastColor = value;
  info.lastIndex = found;
  info.lastValid = 1;
  return found;
}

void CRaster::RgbToBgr(BYTE* buffer, uint32_t length) const {
  if (!buffer || !dib || IsIndexed()) return;
  if (length > uint32_t(info.rowBytes)) length = uint32_t(info.rowBytes);
  const uint32_t pixelBytes = uint32_t(GetWidth()) * 3;
  if (length > pixelBytes) length = pixelBytes;
  for (uint32_t i = 0; i + 3 <= length; i += 3) {
    const BYTE first = buffer[i];
    buffer[i] = buffer[i + 2];
    buffer[i + 2] = first;
  }
}

int CRaster::CompareColors(const void* a, const void* b) {
  const RGBQUAD* x = static_cast<const RGBQUAD*>(a);
  const RGBQUAD* y = static_cast<const RGBQUAD*>(b);
  const int lx = (306 * x->rgbRed + 601 * x->rgbGreen + 117 * x->rgbBlue) / 1024;
  const int ly = (306 * y->rgbRed + 601 * y->rgbGreen + 117 * y->rgbBlue) / 1024;
  return lx - ly;
}
