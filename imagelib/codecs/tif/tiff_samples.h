#pragma once
// Sample access and conversions of the TIFF decoder's own path. libtiff
// hands over 16, 24 and 32-bit samples in the machine's byte order (little
// endian on every target of this program) and every other width as a bit
// stream, most significant bit first.
#include <cstddef>
#include <cstdint>

// Sample number index of a row of bits-wide samples (1 to 32).
uint32_t TiffSample(const uint8_t* row, size_t index, int bits);

// One byte of a sample: narrower samples are their own value, wider ones
// keep their top 8 bits.
inline uint8_t ReduceTiffSample(uint32_t value, int bits) {
  return uint8_t(bits <= 8 ? value : value >> (bits - 8));
}

// Leading zero bits of a byte, 8 for 0: how far a 16-bit row whose largest
// high byte is this may be stretched.
int TiffRowShift(uint8_t largestHighByte);

// A CIE L*a*b* pixel (L 0..255 for 0..100, a and b signed) under D65 as
// blue, green, red bytes.
void TiffLabToBgr(uint8_t lightness, int8_t a, int8_t b, uint8_t bgr[3]);
