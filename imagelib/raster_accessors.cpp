// Header values, options and byte-order helpers of CRaster.
#include <climits>
#include <cmath>

#include "imagelib/raster.h"

RGBQUAD RgbToRgbQuad(COLORREF color) {
  RGBQUAD quad;
  quad.rgbBlue = GetBValue(color);
  quad.rgbGreen = GetGValue(color);
  quad.rgbRed = GetRValue(color);
  quad.rgbReserved = 0;
  return quad;
}

BYTE* CRaster::GetBits(int32_t row) const {
  if (!dib || row < 0 || row >= header.biHeight) return nullptr;
  return dib + header.biSize + GetPaletteSize() + size_t(row) * size_t(info.rowBytes);
}

DWORD CRaster::GetSize() const { return header.biSize + GetPaletteSize() + header.biSizeImage; }

bool CRaster::SetType(int32_t type) {
  const bool known = IsKnownImageType(type);
  info.type = known ? type : RASTER_FORMAT_UNKNOWN;
  return known;
}

void CRaster::SetDpiField(int32_t dpi, int32_t* field, LONG BITMAPINFOHEADER::*pelsPerMeter) {
  if (dpi < 1) dpi = 96;
  *field = dpi;
  double pels = std::floor(double(dpi) * 10000.0 / 254.0 + 0.5);
  if (pels > double(INT32_MAX)) pels = double(INT32_MAX);
  header.*pelsPerMeter = LONG(pels);
  if (dib) reinterpret_cast<BITMAPINFOHEADER*>(dib)->*pelsPerMeter = LONG(pels);
}

void CRaster::SetXDpi(int32_t dpi) {
  SetDpiField(dpi, &info.xDpi, &BITMAPINFOHEADER::biXPelsPerMeter);
}

void CRaster::SetYDpi(int32_t dpi) {
  SetDpiField(dpi, &info.yDpi, &BITMAPINFOHEADER::biYPelsPerMeter);
}

uint32_t CRaster::GetCodecOption(int32_t type) const {
  int32_t slot = GetImageTypeIndex(type);
  if (slot == 0) slot = GetImageTypeIndex(info.type);
  return info.codecOptions[slot];
}

bool CRaster::SetCodecOption(uint32_t option, int32_t type) {
  int32_t slot = GetImageTypeIndex(type);
  if (slot == 0) slot = GetImageTypeIndex(info.type);
  info.codecOptions[slot] = option;
  return true;
}

void CRaster::SetBkgndIndex(int32_t index) {
  const int64_t entries = header.biClrUsed;
  if (index < 0) {
    info.bkgndIndex = -1;
  } else if (entries == 0) {
    info.bkgndIndex = 0;  // true colour: the PNG codec keys its transparent colour on 0
  } else {
    info.bkgndIndex = index < entries ? index : -1;
  }
}

RGBQUAD CRaster::GetBkgndColor() const {
  if (header.biBitCount < 24 && info.bkgndIndex >= 0 && dib &&
      DWORD(info.bkgndIndex) < header.biClrUsed) {
    return GetPaletteColor(BYTE(info.bkgndIndex));
  }
  return RgbQuadFromValue(info.bkgndColor);
}

void CRaster::SetClrImportant(DWORD count) {
  DWORD value = 0;
  if (count >= 1 && count <= 256) {
    switch (header.biBitCount) {
      case 1: value = count < 2 ? count : 2; break;
      case 4: value = count < 16 ? count : 16; break;
      case 8: value = count; break;
      default: return;
    }
  }
  header.biClrImportant = value;
  if (dib) reinterpret_cast<BITMAPINFOHEADER*>(dib)->biClrImportant = value;
  InvalidateNearestCache();
}

void CRaster::InvalidateNearestCache() {
  info.lastValid = 0;
  if (info.ghostOf) info.ghostOf->info.lastValid = 0;
}

DWORD CRaster::SwapLong(DWORD value) const {
  if (info.littleEndianHost) return value;
  return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

WORD CRaster::SwapShort(WORD value) const {
  if (info.littleEndianHost) return value;
  return WORD((value >> 8) | (value << 8));
}

void CRaster::SwapBitmapInfoHeader(BITMAPINFOHEADER* bih) const {
  if (!bih) return;
  bih->biSize = SwapLong(bih->biSize);
  bih->biWidth = LONG(SwapLong(DWORD(bih->biWidth)));
  bih->biHeight = LONG(SwapLong(DWORD(bih->biHeight)));
  bih->biPlanes = SwapShort(bih->biPlanes);
  bih->biBitCount = SwapShort(bih->biBitCount);
  bih->biCompression = SwapLong(bih->biCompression);
  bih->biSizeImage = SwapLong(bih->biSizeImage);
  bih->biXPelsPerMeter = LONG(SwapLong(DWORD(bih->biXPelsPerMeter)));
  bih->biYPelsPerMeter = LONG(SwapLong(DWORD(bih->biYPelsPerMeter)));
  bih->biClrUsed = SwapLong(bih->biClrUsed);
  bih->biClrImportant = SwapLong(bih->biClrImportant);
}
