#include "imagelib/codecs/tif/tiff_samples.h"

#include <cmath>
#include <cstring>

#include "imagelib/raster_numeric.h"

uint32_t TiffSample(const uint8_t* row, size_t index, int bits) {
  switch (bits) {
    case 8: return row[index];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * index, 2);
      return v;
    }
    case 24: {
      const uint8_t* p = row + 3 * index;
      return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + 4 * index, 4);
      return v;
    }
    default: break;
  }
  uint64_t bit = uint64_t(index) * unsigned(bits);
  uint32_t value = 0;
  for (int i = 0; i < bits; ++i, ++bit)
    value = value << 1 | ((row[bit >> 3] >> (7 - (bit & 7))) & 1u);
  return value;
}

int TiffRowShift(uint8_t largestHighByte) {
  int shift = 0;
  for (unsigned mask = 0x80; mask && !(largestHighByte & mask); mask >>= 1) ++shift;
  return shift;
}

namespace {

double Cube(double v) { return v * v * v; }

// Linear light to the sRGB curve, 0..255 truncated.
uint8_t Companded(double c) {
  const double v = c > 0.00304 ? 1.055 * std::pow(c, 0.41667) - 0.055 : 12.92 * c;
  return ChannelFromDouble(v * 255.0);
}

}  // namespace

void TiffLabToBgr(uint8_t lightness, int8_t a, int8_t b, uint8_t bgr[3]) {
  const double fy = (lightness / 2.55 + 16.0) / 116.0;
  const double y = Cube(fy);
  const double x = Cube(a * 0.002 + fy) * 0.95047;
  const double z = Cube(fy - b * 0.005) * 1.0883;
  bgr[2] = Companded(3.240479 * x - 1.53715 * y - 0.498535 * z);
  bgr[1] = Companded(-0.969256 * x + 1.875992 * y + 0.041556 * z);
  bgr[0] = Companded(0.055648 * x - 0.204043 * y + 1.057311 * z);
}
