#include "imagelib/codecs/pcx/pcx_pixels.h"

#include <cstring>

bool PCX_UnpackPixels(uint8_t* output, const uint8_t* packed, int32_t bytesPerLine, int32_t planes,
                      int32_t bitsPerPixel) {
  if (planes != 1) return false;
  if (bitsPerPixel != 1 && bitsPerPixel != 2 && bitsPerPixel != 4 && bitsPerPixel != 8) return false;
  if (bitsPerPixel == 8) {
    std::memcpy(output, packed, size_t(bytesPerLine));
    return true;
  }
  const int perByte = 8 / bitsPerPixel;
  const unsigned mask = (1u << bitsPerPixel) - 1;
  for (int32_t i = 0; i < bytesPerLine; ++i) {
    const unsigned byte = packed[i];
    for (int k = 0; k < perByte; ++k)
      *output++ = uint8_t((byte >> (8 - bitsPerPixel * (k + 1))) & mask);
  }
  return true;
}

bool PCX_PlanesToPixels(uint8_t* output, const uint8_t* planeLines, int32_t bytesPerLine,
                        int32_t planes, int32_t bitsPerPixel) {
  if (planes > 4 || bitsPerPixel != 1) return false;
  std::memset(output, 0, size_t(bytesPerLine) * 8);
  for (int32_t p = 0; p < planes; ++p) {
    const uint8_t* line = planeLines + size_t(p) * size_t(bytesPerLine);
    for (int32_t i = 0; i < bytesPerLine; ++i) {
      const unsigned byte = line[i];
      for (int k = 0; k < 8; ++k) output[i * 8 + k] |= uint8_t(((byte >> (7 - k)) & 1) << p);
    }
  }
  return true;
}
