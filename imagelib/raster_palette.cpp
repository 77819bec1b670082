// The palette, the nearest-colour search and colour helpers.
#include <cstring>
#include <new>

#include "imagelib/raster.h"
#include "imagelib/raster_nearest_map.h"

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

namespace {

// Below this many entries a plain search is as quick as the map.
constexpr DWORD kMapMinEntries = 9;

int32_t Distance(const RGBQUAD& a, const RGBQUAD& b) {
  return Square(int32_t(a.rgbBlue) - b.rgbBlue) + Square(int32_t(a.rgbGreen) - b.rgbGreen) +
         Square(int32_t(a.rgbRed) - b.rgbRed);
}

// Squared distance from v to the nearest and farthest values of [low, high].
int32_t NearSquare(int32_t v, int32_t low, int32_t high) {
  return v < low ? Square(low - v) : v > high ? Square(v - high) : 0;
}
int32_t FarSquare(int32_t v, int32_t low, int32_t high) {
  const int32_t a = Square(v - low), b = Square(v - high);
  return a > b ? a : b;
}

}  // namespace

bool CNearestIndexMap::Matches(const BYTE* dib, const RGBQUAD* palette, DWORD count,
                               bool checkEntries) const {
  if (dib != mDib || count != mCount) return false;
  return !checkEntries || memcmp(palette, mPalette, count * sizeof(RGBQUAD)) == 0;
}

void CNearestIndexMap::Reset(const BYTE* dib, const RGBQUAD* palette, DWORD count) {
  mDib = dib;
  mCount = count;
  memcpy(mPalette, palette, count * sizeof(RGBQUAD));
  memset(mCellStart, 0xFF, sizeof(mCellStart));
  mCandidates.clear();
}

void CNearestIndexMap::BuildCell(int32_t cell) {
  const int32_t red = (cell >> 8) * 16, green = ((cell >> 4) & 15) * 16, blue = (cell & 15) * 16;
  int32_t nearest[256];
  int32_t bound = 1 << 30;
  for (DWORD i = 0; i < mCount; ++i) {
    const RGBQUAD& e = mPalette[i];
    nearest[i] = NearSquare(e.rgbRed, red, red + 15) + NearSquare(e.rgbGreen, green, green + 15) +
                 NearSquare(e.rgbBlue, blue, blue + 15);
    const int32_t farthest = FarSquare(e.rgbRed, red, red + 15) +
                             FarSquare(e.rgbGreen, green, green + 15) +
                             FarSquare(e.rgbBlue, blue, blue + 15);
    if (farthest < bound) bound = farthest;
  }
  mCellStart[cell] = int32_t(mCandidates.size());
  for (DWORD i = 0; i < mCount; ++i) {
    if (nearest[i] <= bound) mCandidates.push_back(BYTE(i));
  }
  mCellCount[cell] = uint16_t(mCandidates.size() - size_t(mCellStart[cell]));
}

BYTE CNearestIndexMap::Find(const RGBQUAD& color) {
  const int32_t cell = (color.rgbRed >> 4) << 8 | (color.rgbGreen >> 4) << 4 | color.rgbBlue >> 4;
  if (mCellStart[cell] < 0) BuildCell(cell);
  const BYTE* candidate = mCandidates.data() + mCellStart[cell];
  int32_t best = 200000;  // above the largest possible distance, 3 x 255^2
  BYTE found = 0;
  for (uint16_t k = 0; k < mCellCount[cell]; ++k) {
    const int32_t distance = Distance(mPalette[candidate[k]], color);
    if (distance < best) {
      best = distance;
      found = candidate[k];
      if (distance == 0) break;
    }
  }
  return found;
}

BYTE CRaster::GetNearestIndex(RGBQUAD color) {
  if (!dib || header.biClrUsed == 0) return 0;
  const uint32_t value = RgbQuadToValue(color);
  if (info.lastValid && info.lastColor == value) return info.lastIndex;
  DWORD n = header.biClrImportant;
  if (n == 0 || n > header.biClrUsed) n = header.biClrUsed;
  const RGBQUAD* palette = Entries(dib, header);
  BYTE found = 0;
  if (n >= kMapMinEntries) {
    if (!nearestMap) nearestMap = new (std::nothrow) CNearestIndexMap;
    if (nearestMap && !nearestMap->Matches(dib, palette, n, !info.lastValid)) {
      nearestMap->Reset(dib, palette, n);
    }
  }
  if (n >= kMapMinEntries && nearestMap) {
    found = nearestMap->Find(color);
  } else {
    int32_t best = 200000;  // above the largest possible distance, 3 x 255^2
    for (DWORD i = 0; i < n; ++i) {
      const int32_t distance = Distance(palette[i], color);
      if (distance < best) {
        best = distance;
        found = BYTE(i);
        if (distance == 0) break;
      }
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
