// The portable packed-DIB import: header forms, bit fields, palettes,
// run-length pixels, top-down rows, and DIBs that must be refused.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "imagelib/raster.h"
#include "imagelib/raster_dib.h"
#include "tests/imagelib/codecs/codec_test_util.h"
#include "tests/imagelib/codecs/dib_builder.h"

namespace {

uint32_t Rgb(const CRaster& image, int32_t x, int32_t yFromTop) {
  uint8_t c[3];
  PixelRgb(image, x, yFromTop, c);
  return uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2];
}

bool Import(CRaster& image, const CDibBuilder& dib) {
  return image.CreateFromPackedDib(dib.Get().data(), dib.Size());
}

// One 16-bit pixel in a 1x1 DIB (row padded to 4 bytes).
uint32_t Decode16(uint16_t pixel, uint32_t compression, const std::vector<uint32_t>& masks,
                  uint32_t headerSize = 40) {
  CDibBuilder dib;
  dib.Info(1, 1, 16, compression, 0, headerSize);
  for (size_t i = 0; i < masks.size(); ++i) {
    if (headerSize >= 52)
      dib.Patch32(40 + 4 * i, masks[i]);
    else
      dib.U32(masks[i]);
  }
  dib.U16(pixel).U16(0);
  CRaster image;
  EXPECT_TRUE(Import(image, dib));
  EXPECT_EQ(image.GetBpp(), 24);
  return Rgb(image, 0, 0);
}

TEST(PackedDibBitFields, ScaleEachFieldByShifting) {
  EXPECT_EQ(Decode16(0x7FFF, BI_RGB, {}), 0xF8F8F8u);
  EXPECT_EQ(Decode16(0x001F, BI_RGB, {}), 0x0000F8u);
  EXPECT_EQ(Decode16(0x7C00, BI_RGB, {}), 0xF80000u);
  EXPECT_EQ(Decode16(0xFFFF, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}), 0xF8FCF8u);
  EXPECT_EQ(Decode16(0x07E0, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}), 0x00FC00u);
  // An empty mask gives 0; a 4-bit field widens to its top bits.
  EXPECT_EQ(Decode16(0xFFFF, BI_BITFIELDS, {0, 0x00F0, 0x000F}), 0x00F0F0u);
}

TEST(PackedDibBitFields, MasksInsideLongHeadersAreHeaderBytes40To51) {
  for (uint32_t size : {52u, 56u, 108u, 124u})
    EXPECT_EQ(Decode16(0xF800, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, size), 0xF80000u) << size;
}

TEST(PackedDibBitFields, ThirtyTwoBitPixelsDropTheFourthByte) {
  CDibBuilder plain;
  plain.Info(3, 1, 32).Bytes({0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x01, 1, 2, 3, 4});
  CRaster image;
  ASSERT_TRUE(Import(image, plain));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(Rgb(image, 0, 0), 0x302010u);
  EXPECT_EQ(Rgb(image, 1, 0), 0x605040u);
  EXPECT_EQ(Rgb(image, 2, 0), 0x030201u);

  // Masks in another order, and a 10-bit field that keeps its top 8 bits.
  CDibBuilder fields;
  fields.Info(2, 1, 32, BI_BITFIELDS).U32(0x000000FF).U32(0x0000FF00).U32(0x3FF00000);
  fields.U32(0x000000AA | 0x0000BB00 | (0x3FCu << 20)).U32(0x12345678 & 0xFFFF);
  ASSERT_TRUE(Import(image, fields));
  EXPECT_EQ(Rgb(image, 0, 0), 0xAABBFFu);
  EXPECT_EQ(Rgb(image, 1, 0), 0x785600u);
}

TEST(PackedDibLayout, TopDownRowsGiveTheSamePicture) {
  for (uint16_t bpp : {uint16_t(8), uint16_t(24)}) {
    const int32_t width = 5, height = 3;
    const uint32_t rowBytes = (width * bpp + 31) / 32 * 4;
    std::vector<uint8_t> rows(rowBytes * height);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i * 7 + 1);
    CDibBuilder up, down;
    up.Info(width, height, bpp, 0, bpp == 8 ? 256 : 0).Palette(bpp == 8 ? 256 : 0);
    down.Info(width, -height, bpp, 0, bpp == 8 ? 256 : 0).Palette(bpp == 8 ? 256 : 0);
    for (int32_t r = 0; r < height; ++r)
      for (uint32_t i = 0; i < rowBytes; ++i) {
        up.U8(rows[r * rowBytes + i]);
        down.U8(rows[(height - 1 - r) * rowBytes + i]);
      }
    CRaster a, b;
    ASSERT_TRUE(Import(a, up));
    ASSERT_TRUE(Import(b, down));
    EXPECT_EQ(b.GetHeight(), height);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) EXPECT_EQ(Rgb(a, x, y), Rgb(b, x, y)) << bpp;
  }
}

TEST(PackedDibLayout, PaletteCountsAndResolution) {
  // biClrUsed 0 at 8 bits: all 256 entries come from the source.
  CDibBuilder full;
  full.Info(1, 1, 8, 0, 0, 40, 11811).Palette(256).Bytes({255, 0, 0, 0});
  CRaster image;
  ASSERT_TRUE(Import(image, full));
  EXPECT_EQ(image.GetNumColors(), 256u);
  EXPECT_EQ(image.GetPaletteColor(255).rgbRed, uint8_t(3 * 255));
  EXPECT_EQ(image.GetXDpi(), 300);

  // More entries than the image holds: 256 are kept, the pixels follow all 300.
  CDibBuilder extra;
  extra.Info(1, 1, 8, 0, 300).Palette(300).Bytes({7, 0, 0, 0});
  ASSERT_TRUE(Import(image, extra));
  EXPECT_EQ(image.GetPixelIndexUnchecked(0, 0), 7);
  EXPECT_EQ(image.GetPaletteColor(200).rgbGreen, uint8_t(400));

  // Fewer entries than the depth allows: the rest stay black.
  CDibBuilder few;
  few.Info(2, 1, 4, 0, 2).Palette(2).Bytes({0x10, 0, 0, 0});
  ASSERT_TRUE(Import(image, few));
  EXPECT_EQ(Rgb(image, 0, 0), 0x030201u);
  EXPECT_EQ(image.GetPaletteColor(5).rgbRed, 0);
}

TEST(PackedDibLayout, CoreHeaderHasThreeBytePaletteEntries) {
  CDibBuilder core;
  core.U32(12).U16(3).U16(2).U16(1).U16(1);
  core.Bytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66});  // blue, green, red x 2
  core.Bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0});         // bottom row 101, top row 010
  CRaster image;
  ASSERT_TRUE(Import(image, core));
  EXPECT_EQ(image.GetBpp(), 1);
  EXPECT_EQ(image.GetPaletteColor(1).rgbReserved, 0);
  EXPECT_EQ(Rgb(image, 0, 1), 0x665544u);
  EXPECT_EQ(Rgb(image, 1, 1), 0x332211u);
  EXPECT_EQ(Rgb(image, 1, 0), 0x665544u);
}

TEST(PackedDibRunLength, EightBitRunsDeltasAndPaddedLiterals) {
  CDibBuilder dib;
  dib.Info(6, 3, 8, BI_RLE8, 256).Palette(256);
  dib.Bytes({3, 9, 0, 3, 1, 2, 3, 0,  // row 0: 9 9 9 1 2 3 (pad after the odd literal)
             0, 2, 2, 1,              // delta from x 6 to x 8, outside the row
             0, 1});
  CRaster image;
  EXPECT_FALSE(Import(image, dib)) << "a delta past the right edge leaves the image";

  CDibBuilder ok;
  ok.Info(6, 3, 8, BI_RLE8, 256).Palette(256);
  ok.Bytes({3, 9, 0, 3, 1, 2, 3, 0,  // row 0: 9 9 9 1 2 3
            0, 0,                     // row 1
            0, 2, 4, 1,               // delta to x 4, row 2
            9, 5,                     // 5 5, the rest of the run lies past the row end
            0, 1});
  ASSERT_TRUE(Import(image, ok));
  const BYTE* row0 = image.GetBits(0);
  EXPECT_EQ(std::vector<uint8_t>(row0, row0 + 6), (std::vector<uint8_t>{9, 9, 9, 1, 2, 3}));
  const BYTE* row1 = image.GetBits(1);
  EXPECT_EQ(std::vector<uint8_t>(row1, row1 + 8), std::vector<uint8_t>(8, 0))
      << "a clipped run does not wrap into the next row";
  const BYTE* row2 = image.GetBits(2);
  EXPECT_EQ(std::vector<uint8_t>(row2, row2 + 6), (std::vector<uint8_t>{0, 0, 0, 0, 5, 5}));
}

TEST(PackedDibRunLength, FourBitDeltasMoveWholePixels) {
  CDibBuilder dib;
  dib.Info(8, 2, 4, BI_RLE4, 16).Palette(16);
  dib.Bytes({0, 2, 3, 0,            // delta: x 0 -> 3
             3, 0xAB,               // A B A at x 3..5
             0, 0,
             0, 5, 0x12, 0x34, 0x50, 0,  // literal 1 2 3 4 5 (three bytes, pad)
             2, 0xCD,               // C D at x 5..6
             0, 1});
  CRaster image;
  ASSERT_TRUE(Import(image, dib));
  std::vector<int> row0, row1;
  for (int32_t x = 0; x < 8; ++x) {
    row0.push_back(image.GetPixelIndexUnchecked(x, 0));
    row1.push_back(image.GetPixelIndexUnchecked(x, 1));
  }
  EXPECT_EQ(row0, (std::vector<int>{0, 0, 0, 10, 11, 10, 0, 0}));
  EXPECT_EQ(row1, (std::vector<int>{1, 2, 3, 4, 5, 12, 13, 0}));
}

TEST(PackedDibRunLength, PixelsPastTheTopRowAreDropped) {
  CDibBuilder dib;
  dib.Info(2, 2, 8, BI_RLE8, 256).Palette(256);
  dib.Bytes({2, 7, 0, 0, 200, 8, 0, 0, 255, 9, 0, 0, 0, 3, 1, 2, 3, 0});
  CRaster image;
  EXPECT_FALSE(Import(image, dib)) << "every row written, but no end code";
  dib.Bytes({0, 1});
  ASSERT_TRUE(Import(image, dib));
  EXPECT_EQ(image.GetPixelIndexUnchecked(1, 1), 8);
  EXPECT_EQ(image.GetPixelIndexUnchecked(0, 0), 7);
}

// Every prefix of a valid DIB is refused and leaves the image empty.
void ExpectEveryTruncationRefused(const CDibBuilder& dib) {
  CRaster image;
  ASSERT_TRUE(Import(image, dib));
  for (size_t n = 0; n < dib.Size(); ++n) {
    EXPECT_FALSE(image.CreateFromPackedDib(dib.Get().data(), n)) << "length " << n;
    EXPECT_FALSE(image.IsValid());
  }
}

TEST(PackedDibHostile, EveryTruncationIsRefused) {
  CDibBuilder rgb1, pal8, fields16, rgb32, rle8, rle4, core;
  rgb1.Info(9, 2, 1, 0, 2).Palette(2).Zeros(8);
  pal8.Info(3, 2, 8).Palette(256).Zeros(8);
  fields16.Info(3, 2, 16, BI_BITFIELDS).U32(0xF800).U32(0x7E0).U32(0x1F).Zeros(16);
  rgb32.Info(2, 2, 32).Zeros(16);
  rle8.Info(4, 3, 8, BI_RLE8, 4).Palette(4).Bytes({4, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1});
  rle4.Info(4, 3, 4, BI_RLE4, 4).Palette(4).Bytes({4, 0x12, 0, 0, 0, 2, 1, 1, 0, 1});
  core.U32(12).U16(2).U16(2).U16(1).U16(4).Zeros(48).Zeros(8);
  for (const CDibBuilder* dib : {&rgb1, &pal8, &fields16, &rgb32, &rle8, &rle4, &core})
    ExpectEveryTruncationRefused(*dib);
}

TEST(PackedDibHostile, ImpossibleHeadersAreRefused) {
  struct Case {
    const char* what;
    int32_t width, height;
    uint16_t bpp;
    uint32_t compression, clrUsed, size;
  };
  const Case cases[] = {
      {"biClrUsed 0x7FFFFFFF", 4, 4, 8, 0, 0x7FFFFFFF, 40},
      {"biClrUsed 0xFFFFFFFF", 4, 4, 24, 0, 0xFFFFFFFF, 40},
      {"biSize 0", 4, 4, 8, 0, 0, 0},
      {"biSize 4", 4, 4, 8, 0, 0, 4},
      {"biSize 44", 4, 4, 8, 0, 0, 44},
      {"height INT32_MIN", 4, INT_MIN, 24, 0, 0, 40},
      {"height 0", 4, 0, 24, 0, 0, 40},
      {"width 0", 0, 4, 24, 0, 0, 40},
      {"negative width", -4, 4, 24, 0, 0, 40},
      {"0 bits", 4, 4, 0, 0, 0, 40},
      {"2 bits", 4, 4, 2, 0, 0, 40},
      {"48 bits", 4, 4, 48, 0, 0, 40},
      {"64 bits", 4, 4, 64, 0, 0, 40},
      {"BI_JPEG", 4, 4, 0, 4, 0, 40},
      {"BI_PNG", 4, 4, 24, 5, 0, 40},
      {"RLE8 at 4 bits", 4, 4, 4, BI_RLE8, 0, 40},
      {"RLE4 at 8 bits", 4, 4, 8, BI_RLE4, 0, 40},
      {"RLE8 top-down", 4, -4, 8, BI_RLE8, 0, 40},
      {"bit fields at 8 bits", 4, 4, 8, BI_BITFIELDS, 0, 40},
      {"bit fields at 24 bits", 4, 4, 24, BI_BITFIELDS, 0, 40},
      {"unknown compression", 4, 4, 16, 9, 0, 40},
  };
  for (const Case& c : cases) {
    CDibBuilder dib;
    dib.U32(c.size).U32(uint32_t(c.width)).U32(uint32_t(c.height)).U16(1).U16(c.bpp);
    dib.U32(c.compression).U32(0).U32(0).U32(0).U32(c.clrUsed).U32(0).Zeros(4000);
    CRaster image;
    EXPECT_FALSE(Import(image, dib)) << c.what;
    EXPECT_FALSE(image.IsValid()) << c.what;
  }
  // A header that claims more bytes than the block has.
  CDibBuilder big;
  big.Info(1, 1, 24).Zeros(4);
  big.Patch32(0, 4000);
  CRaster image;
  EXPECT_FALSE(Import(image, big));
  EXPECT_FALSE(image.CreateFromPackedDib(nullptr, 100));
}

TEST(PackedDibHostile, RunLengthStreamsThatEndEarlyOrLeaveTheImage) {
  const std::vector<std::vector<uint8_t>> streams = {
      {4, 1, 0, 0},                   // no end code, rows 1 and 2 never written
      {0, 2, 0, 3, 0, 1},             // delta above the top row
      {0, 2, 5, 0, 0, 1},             // delta past the right edge
      {0, 2, 255, 255, 0, 1},         // far delta
      {0, 5, 1, 2, 3},                // literal cut short
      {0, 3, 1, 2, 3},                // pad byte missing, then nothing
  };
  for (const auto& s : streams) {
    CDibBuilder dib;
    dib.Info(4, 3, 8, BI_RLE8, 256).Palette(256);
    for (uint8_t b : s) dib.U8(b);
    CRaster image;
    EXPECT_FALSE(Import(image, dib)) << "stream starting " << int(s[0]) << "," << int(s[1]);
  }
}

TEST(PackedDibHostile, GhostRefusesImport) {
  CRaster source(4, 4, 24);
  CRaster ghost;
  ghost.Ghost(&source);
  CDibBuilder dib;
  dib.Info(1, 1, 24).Zeros(4);
  EXPECT_FALSE(Import(ghost, dib));
  EXPECT_TRUE(source.IsValid());
}

}  // namespace
