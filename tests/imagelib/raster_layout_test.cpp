// Writes each depth and a set of awkward widths as a BMP file made of a
// 14-byte file header and the image's own DIB block, unchanged. The oracle
// step (imagelib_oracle.py) reads them with PIL and ImageMagick and checks
// size, palette, every pixel and 96 DPI against the same pattern.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/raster.h"
#include "tests/imagelib/fixture_reader.h"

namespace {

const int kDepths[] = {1, 4, 8, 24};
const int kWidths[] = {1, 3, 7, 31, 33, 65};
const int kHeight = 5;

// The pattern, with y counted from the top of the picture; the oracle
// computes the same values.
RGBQUAD PaletteEntry(int i) {
  RGBQUAD c;
  c.rgbRed = BYTE(i * 37 + 11);
  c.rgbGreen = BYTE(i * 91 + 7);
  c.rgbBlue = BYTE(i * 53 + 3);
  c.rgbReserved = 0;
  return c;
}
BYTE PatternIndex(int x, int yTop, int entries) { return BYTE((x * 7 + yTop * 3 + 1) % entries); }
RGBQUAD PatternColour(int x, int yTop) {
  RGBQUAD c;
  c.rgbRed = BYTE(x * 13 + yTop * 7);
  c.rgbGreen = BYTE(x * 5 + 40);
  c.rgbBlue = BYTE(yTop * 11 + x);
  c.rgbReserved = 0;
  return c;
}

void PutLe(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

TEST(Layout, DibBlockIsABitmapFileBody) {
  for (int bpp : kDepths) {
    for (int width : kWidths) {
      CRaster image(width, kHeight, bpp);
      ASSERT_TRUE(image.IsValid());
      const int entries = int(image.GetNumColors());
      for (int i = 0; i < entries; ++i) image.SetPaletteColor(BYTE(i), PaletteEntry(i));
      for (int yTop = 0; yTop < kHeight; ++yTop) {
        for (int x = 0; x < width; ++x) {
          const int stored = kHeight - 1 - yTop;
          if (bpp == 24) {
            image.SetPixelColor(x, stored, PatternColour(x, yTop));
          } else {
            image.SetPixelIndex(x, stored, PatternIndex(x, yTop, entries));
          }
        }
      }
      std::vector<uint8_t> file;
      PutLe(&file, 0x4D42, 2);
      PutLe(&file, 14 + image.GetSize(), 4);
      PutLe(&file, 0, 4);
      PutLe(&file, 14 + 40 + image.GetPaletteSize(), 4);
      file.insert(file.end(), image.GetDib(), image.GetDib() + image.GetSize());
      const std::string name =
          "layout_" + std::to_string(bpp) + "_" + std::to_string(width) + ".bmp";
      ASSERT_TRUE(WriteWholeFile(TestOutputPath(name), file.data(), file.size())) << name;
    }
  }
}

}  // namespace
