#include "imagelib/raster_dib.h"

#include <cmath>
#include <cstring>

#include "imagelib/raster.h"
#include "imagelib/raster_rle.h"

bool IsKnownDibHeaderSize(uint32_t size) {
  switch (size) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124:
      return true;
    default:
      return false;
  }
}

bool ParseDibHeader(const uint8_t* b, size_t size, DibHeader* h) {
  if (!b || size < 4) return false;
  std::memset(h, 0, sizeof(*h));
  h->dwHeaderSize = ReadLe32(b);
  if (!IsKnownDibHeaderSize(h->dwHeaderSize) || h->dwHeaderSize > size) return false;
  if (h->dwHeaderSize == DIB_CORE_HEADER_SIZE) {
    // The core header's sizes are unsigned 16-bit; there is nothing after the bit count.
    h->iWidth = ReadLe16(b + 4);
    h->iHeight = ReadLe16(b + 6);
    h->wPlanes = ReadLe16(b + 8);
    h->wBitCount = ReadLe16(b + 10);
    return true;
  }
  h->iWidth = int32_t(ReadLe32(b + 4));
  h->iHeight = int32_t(ReadLe32(b + 8));
  h->wPlanes = ReadLe16(b + 12);
  h->wBitCount = ReadLe16(b + 14);
  h->dwCompression = ReadLe32(b + 16);
  h->dwSizeImage = ReadLe32(b + 20);
  h->iXPelsPerMeter = int32_t(ReadLe32(b + 24));
  h->iYPelsPerMeter = int32_t(ReadLe32(b + 28));
  h->dwClrUsed = ReadLe32(b + 32);
  h->dwClrImportant = ReadLe32(b + 36);
  if (h->dwHeaderSize >= 52) {
    h->dwRedMask = ReadLe32(b + 40);
    h->dwGreenMask = ReadLe32(b + 44);
    h->dwBlueMask = ReadLe32(b + 48);
  }
  return true;
}

DibCheck CheckDibHeader(const DibHeader& h) {
  if (h.iWidth <= 0 || h.iHeight == 0 || h.iHeight == INT32_MIN || h.wPlanes != 1)
    return DIB_BAD_HEADER;
  const uint32_t c = h.dwCompression;
  switch (h.wBitCount) {
    case 0:  // only for pixels that are a JPEG or PNG stream
      return c == BI_JPEG || c == BI_PNG ? DIB_BAD_COMPRESSION : DIB_BAD_HEADER;
    case 1:
    case 24:
      return c == BI_RGB ? DIB_VALID : DIB_BAD_COMPRESSION;
    case 4:
    case 8: {
      const uint32_t rle = h.wBitCount == 4 ? BI_RLE4 : BI_RLE8;
      if (c == BI_RGB) return DIB_VALID;
      // Run-length rows always run from the bottom up.
      if (c == rle) return IsTopDownDib(h) ? DIB_BAD_HEADER : DIB_VALID;
      return DIB_BAD_COMPRESSION;
    }
    case 16:
    case 32:
      return c == BI_RGB || c == BI_BITFIELDS ? DIB_VALID : DIB_BAD_COMPRESSION;
    default:
      return DIB_BAD_HEADER;
  }
}

bool DibMasksFollowHeader(const DibHeader& h) {
  return h.dwCompression == BI_BITFIELDS && h.dwHeaderSize < 52;
}

void GetDibMasks(const DibHeader& h, const uint8_t* following, uint32_t masks[3]) {
  if (h.dwCompression == BI_BITFIELDS) {
    if (following) {
      for (int i = 0; i < 3; ++i) masks[i] = ReadLe32(following + 4 * i);
    } else {
      masks[0] = h.dwRedMask;
      masks[1] = h.dwGreenMask;
      masks[2] = h.dwBlueMask;
    }
  } else if (h.wBitCount == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
}

uint64_t DibPaletteEntries(const DibHeader& h) {
  if (h.dwClrUsed != 0) return h.dwClrUsed;
  return h.wBitCount <= 8 ? uint64_t(1) << h.wBitCount : 0;
}

int32_t DpiFromPelsPerMeter(int32_t pelsPerMeter) {
  double dpi = std::floor(double(pelsPerMeter) * 254.0 / 10000.0 + 0.5);
  return int32_t(dpi);  // |ppm| < 2^31, so the result is far inside int32
}

namespace {

// One colour channel of a bit-field pixel: the mask, its lowest set bit and
// the number of set bits. The value is scaled to 8 bits by shifting, so a
// 5-bit 31 gives 0xF8, as Windows shows it.
struct CMaskChannel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit CMaskChannel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (!((m >> shift) & 1)) ++shift;
    for (uint32_t v = m; v; v &= v - 1) ++bits;
  }
  uint8_t Scale(uint32_t pixel) const {
    uint32_t v = (pixel & mask) >> shift;
    return bits >= 8 ? uint8_t(v >> (bits - 8)) : uint8_t(v << (8 - bits));
  }
};

void CopyDibPalette(CRaster& image, const uint8_t* src, uint64_t entries, uint32_t entrySize) {
  RGBQUAD* pal = image.GetPalette();
  if (!pal) return;
  const uint64_t n = entries < image.GetNumColors() ? entries : image.GetNumColors();
  for (uint64_t i = 0; i < n; ++i, src += entrySize) {
    pal[i].rgbBlue = src[0];
    pal[i].rgbGreen = src[1];
    pal[i].rgbRed = src[2];
    pal[i].rgbReserved = 0;
  }
}

// Pixel rows of a DIB from the bytes that follow its colour table.
bool ReadDibPixels(CRaster& image, const DibHeader& h, const uint32_t masks[3],
                   const uint8_t* src, size_t size) {
  BYTE* pixels = image.GetBits(0);
  const int32_t width = image.GetWidth(), height = image.GetHeight();
  if (h.dwCompression == BI_RLE8 || h.dwCompression == BI_RLE4) {
    RleTarget target = {pixels, width, height, size_t(image.GetRowBytes()), h.wBitCount};
    return DecodeRle(src, size, target);
  }
  // The caller made sure that the block holds every row.
  if (h.wBitCount == 32) {
    image.BitfieldDibToRgb(src, masks[0], masks[1], masks[2], 32);
    return true;
  }
  std::memcpy(pixels, src, size_t(DibPixelBytes(h)));
  // 16-bit rows are shorter than the 24-bit ones and widen in place.
  if (h.wBitCount == 16) image.BitfieldDibToRgb(pixels, masks[0], masks[1], masks[2], 16);
  return true;
}

}  // namespace

bool CRaster::CreateFromPackedDib(const void* packedDib, size_t size) {
  if (!Destroy()) return false;
  ResetForImport();
  const uint8_t* p = static_cast<const uint8_t*>(packedDib);
  DibHeader h;
  if (!ParseDibHeader(p, size, &h) || CheckDibHeader(h) != DIB_VALID) return false;
  uint64_t pos = h.dwHeaderSize;
  const uint8_t* followingMasks = nullptr;
  if (DibMasksFollowHeader(h)) {
    if (size - pos < 12) return false;
    followingMasks = p + pos;
    pos += 12;
  }
  uint32_t masks[3];
  GetDibMasks(h, followingMasks, masks);
  const uint64_t entries = DibPaletteEntries(h);
  const uint64_t paletteBytes = entries * DibPaletteEntrySize(h);  // < 2^35, no overflow
  if (paletteBytes > size - pos) return false;
  // Rows the block cannot hold are refused before the image is allocated.
  if (DibPixelBytes(h) > size - pos - paletteBytes) return false;
  if (!Create(h.iWidth, DibAbsHeight(h), h.wBitCount, RASTER_FORMAT_UNKNOWN)) return false;
  SetXDpi(DpiFromPelsPerMeter(h.iXPelsPerMeter));
  SetYDpi(DpiFromPelsPerMeter(h.iYPelsPerMeter));
  SetClrImportant(h.dwClrImportant);
  CopyDibPalette(*this, p + pos, entries, DibPaletteEntrySize(h));
  pos += paletteBytes;
  if (!ReadDibPixels(*this, h, masks, p + pos, size_t(size - pos))) {
    Destroy();
    return false;
  }
  if (IsTopDownDib(h)) Flip();
  return true;
}

void BitfieldRowToRgb(const uint8_t* source, uint8_t* target, size_t width,
                      const uint32_t masks[3], int bpp) {
  const uint32_t keep = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  const CMaskChannel red(masks[0] & keep), green(masks[1] & keep), blue(masks[2] & keep);
  for (size_t x = width; x-- > 0;) {
    const uint32_t p = bpp == 16 ? ReadLe16(source + 2 * x) : ReadLe32(source + 4 * x);
    target[3 * x] = blue.Scale(p);
    target[3 * x + 1] = green.Scale(p);
    target[3 * x + 2] = red.Scale(p);
  }
}

void CRaster::BitfieldDibToRgb(const BYTE* source, DWORD redMask, DWORD greenMask,
                               DWORD blueMask, int32_t bpp) {
  if (!source || !IsValid() || GetBpp() != 24 || (bpp != 16 && bpp != 32)) return;
  const uint32_t masks[3] = {redMask, greenMask, blueMask};
  const size_t width = size_t(GetWidth());
  const size_t sourceRow = bpp == 16 ? (width + 1) / 2 * 4 : width * 4;
  const size_t targetRow = size_t(GetRowBytes());
  BYTE* pixels = GetBits(0);
  // Backwards, so that 16-bit rows lying at the start of the pixel area are
  // widened in place: every write lands at or behind the pixel being read.
  for (int32_t y = GetHeight() - 1; y >= 0; --y) {
    BYTE* d = pixels + size_t(y) * targetRow;
    std::memset(d + 3 * width, 0, targetRow - 3 * width);
    BitfieldRowToRgb(source + size_t(y) * sourceRow, d, width, masks, bpp);
  }
}
