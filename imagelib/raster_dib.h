#pragma once
// Reading Windows DIB headers from bytes, shared by the packed-DIB import
// (CRaster::CreateFromPackedDib) and the BMP codec. Headers are parsed from
// byte arrays in little-endian order, so both builds read them alike.
#include <cstddef>
#include <cstdint>

inline uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void WriteLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

constexpr uint32_t DIB_CORE_HEADER_SIZE = 12;
constexpr uint32_t DIB_MAX_HEADER_SIZE = 124;  // BITMAPV5HEADER

// A DIB header in its 40-byte form, whatever form it was stored in.
struct DibHeader {
  uint32_t dwHeaderSize;   // as stored: 12, 40, 52, 56, 64, 108 or 124
  int32_t iWidth;
  int32_t iHeight;         // as stored; negative for top-down rows
  uint16_t wPlanes;
  uint16_t wBitCount;
  uint32_t dwCompression;
  uint32_t dwSizeImage;
  int32_t iXPelsPerMeter;
  int32_t iYPelsPerMeter;
  uint32_t dwClrUsed;
  uint32_t dwClrImportant;
  uint32_t dwRedMask;      // BI_BITFIELDS masks when stored in the header
  uint32_t dwGreenMask;
  uint32_t dwBlueMask;
};

// True for the header sizes this library reads.
bool IsKnownDibHeaderSize(uint32_t size);

// Parses the header at the start of bytes. False when fewer bytes are given
// than the header's own size field asks or that size is not a known one.
bool ParseDibHeader(const uint8_t* bytes, size_t size, DibHeader* header);

enum DibCheck {
  DIB_VALID,
  DIB_BAD_HEADER,       // size, planes or bit count impossible
  DIB_BAD_COMPRESSION,  // bit count and compression do not go together
};
// Width above 0, height neither 0 nor INT32_MIN, one plane, and one of the
// pairs: 1/RGB, 4/RGB or RLE4, 8/RGB or RLE8, 16/RGB or BITFIELDS, 24/RGB,
// 32/RGB or BITFIELDS. Run-length bitmaps must be bottom-up.
DibCheck CheckDibHeader(const DibHeader& header);

inline bool IsTopDownDib(const DibHeader& h) { return h.iHeight < 0; }
// The height in rows; 0 for INT32_MIN, which has no positive counterpart.
inline int32_t DibAbsHeight(const DibHeader& h) {
  if (h.iHeight == INT32_MIN) return 0;
  return h.iHeight < 0 ? -h.iHeight : h.iHeight;
}

// True when the three BI_BITFIELDS masks follow the header instead of being
// part of it (a 40-byte header).
bool DibMasksFollowHeader(const DibHeader& header);

// The red, green and blue masks that apply to a 16 or 32-bit DIB; masks
// following the header are passed in (null when none were read).
void GetDibMasks(const DibHeader& header, const uint8_t* followingMasks, uint32_t masks[3]);

// Colour-table entries stored in the DIB: biClrUsed, or 2^bits when that is
// 0 and bits <= 8.
uint64_t DibPaletteEntries(const DibHeader& header);
inline uint32_t DibPaletteEntrySize(const DibHeader& h) {
  return h.dwHeaderSize == DIB_CORE_HEADER_SIZE ? 3 : 4;
}

// Bytes of one stored row of uncompressed pixels.
inline uint64_t DibRowBytes(int32_t width, uint32_t bitCount) {
  return (uint64_t(uint32_t(width)) * bitCount + 31) / 32 * 4;
}
// Bytes of all uncompressed rows; 0 for run-length pixels, whose size the
// header does not tell.
inline uint64_t DibPixelBytes(const DibHeader& h) {
  if (h.dwCompression == 1 || h.dwCompression == 2) return 0;  // BI_RLE8, BI_RLE4
  return DibRowBytes(h.iWidth, h.wBitCount) * uint64_t(DibAbsHeight(h));
}

// One row of 16 or 32-bit bit-field pixels to blue, green, red bytes,
// worked from the last pixel back, so a 16-bit row may be widened in place.
void BitfieldRowToRgb(const uint8_t* source, uint8_t* target, size_t width,
                      const uint32_t masks[3], int bpp);

// Dots per inch for pixels per metre: floor(ppm x 254 / 10000 + 0.5).
int32_t DpiFromPelsPerMeter(int32_t pelsPerMeter);
