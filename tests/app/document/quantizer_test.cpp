// The octree quantizer: exact colours while they fit, the merge below 16
// colours, reading every depth and row padding, 64-bit sums, refusals; and
// the palettes it builds for test pictures, which quantizer_oracle.py weighs
// against ImageMagick and PIL.
#include "app/document/quantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imagelib/raster.h"
#include "tests/imagelib/operation_test_util.h"

namespace {

std::vector<RGBQUAD> Quantize(const void* dib, int32_t colors, int32_t bits, bool* ok = nullptr) {
  CQuantizer quantizer(colors, bits);
  const bool processed = quantizer.ProcessImage(dib);
  if (ok) *ok = processed;
  std::vector<RGBQUAD> table(256, RGBQUAD{});
  quantizer.SetColorTable(table.data());
  return table;
}

uint32_t Rgb(const RGBQUAD& c) { return RgbQuadToValue(c) & 0xFFFFFF; }

// Octree order: the bits of red, green and blue interleaved from the top.
uint64_t TreeOrder(uint32_t rgb) {
  uint64_t key = 0;
  for (int bit = 7; bit >= 0; --bit) {
    key = key << 3 | ((rgb >> (16 + bit)) & 1) << 2 | ((rgb >> (8 + bit)) & 1) << 1 |
          ((rgb >> bit) & 1);
  }
  return key;
}

TEST(Quantizer, ColoursThatFitComeBackExactlyInTreeOrder) {
  struct Case {
    int32_t colors, bits, distinct;
  } cases[] = {{256, 7, 256}, {256, 7, 100}, {16, 8, 16}, {16, 8, 5}, {2, 8, 2}, {1000, 8, 256}};
  for (const Case& c : cases) {
    CTestRandom random(uint32_t(c.distinct * 31 + c.bits));
    // Distinct within the tree's bits: the low (8 - bits) bits stay zero.
    const uint32_t keep = (0xFFu << (8 - c.bits)) & 0xFF;
    std::vector<uint32_t> colours;
    while (int32_t(colours.size()) < c.distinct) {
      const uint32_t v = random.Next() & (keep | keep << 8 | keep << 16);
      if (std::find(colours.begin(), colours.end(), v) == colours.end()) colours.push_back(v);
    }
    CRaster image(37, 23, 24);
    for (int32_t y = 0; y < 23; ++y)
      for (int32_t x = 0; x < 37; ++x)
        image.SetPixelColor(x, y, RgbQuadFromValue(colours[size_t(random.Below(c.distinct))]));
    // Every colour at least once.
    for (int32_t i = 0; i < c.distinct; ++i)
      image.SetPixelColor(i % 37, i / 37, RgbQuadFromValue(colours[size_t(i)]));
    const std::vector<RGBQUAD> table = Quantize(image.GetDib(), c.colors, c.bits);
    std::vector<uint32_t> expected = colours;
    std::sort(expected.begin(), expected.end(),
              [](uint32_t a, uint32_t b) { return TreeOrder(a) < TreeOrder(b); });
    for (int32_t i = 0; i < 256; ++i) {
      const uint32_t want = i < c.distinct ? expected[size_t(i)] : 0;
      ASSERT_EQ(RgbQuadToValue(table[size_t(i)]), want)
          << "entry " << i << " of " << c.colors << " colours, " << c.distinct << " distinct";
    }
  }
}

TEST(Quantizer, FewColoursMergeLeavesByPixelCount) {
  // Four colours, 16 leaves at most: the two halves of the leaf order merge.
  // Tree order: 000000 (3 px), 0000FF (1 px), FF0000 (2 px), FFFFFF (6 px).
  CRaster image(4, 3, 24);
  const uint32_t rows[3][4] = {{0x000000, 0x000000, 0x000000, 0x0000FF},
                               {0xFF0000, 0xFF0000, 0xFFFFFF, 0xFFFFFF},
                               {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}};
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) image.SetPixelColor(x, y, RgbQuadFromValue(rows[y][x]));
  const std::vector<RGBQUAD> two = Quantize(image.GetDib(), 2, 8);
  // First: (3 x 0 + 1 x 255) / 4 + 0.5 = 64.25 -> blue 64. Second: red 255,
  // green and blue (6 x 255) / 8 + 0.5 = 191.75 -> 191.
  EXPECT_EQ(Rgb(two[0]), 0x000040u);
  EXPECT_EQ(Rgb(two[1]), 0xFFBFBFu);
  EXPECT_EQ(Rgb(two[2]), 0u);
  // Colours are limited to at least 1: everything merges into one mean.
  // Red 8 x 255 / 12 + 0.5 = 170.5, green 6 x 255 / 12 + 0.5 = 128, blue
  // 7 x 255 / 12 + 0.5 = 149.25.
  const std::vector<RGBQUAD> one = Quantize(image.GetDib(), 0, 8);
  EXPECT_EQ(Rgb(one[0]), 0xAA8095u);
  EXPECT_EQ(Rgb(one[1]), 0u);
}

TEST(Quantizer, ReadsEveryDepthPaddingAndPaletteAlpha) {
  // Width 5 leaves padding at every depth; the padding is filled with a
  // colour of its own, which must never show up.
  for (int32_t bpp : {1, 4, 8, 24}) {
    CRaster image(5, 4, bpp);
    if (bpp < 24) {
      for (int32_t i = 0; i < int32_t(image.GetNumColors()); ++i)
        image.SetPaletteColor(BYTE(i), BYTE(10 * i + 1), BYTE(3 * i), BYTE(200 - i / 2),
                              BYTE(i + 7));
    }
    for (int32_t y = 0; y < 4; ++y) {
      memset(image.GetBits(y), 0xEE, size_t(image.GetRowBytes()));
      for (int32_t x = 0; x < 5; ++x) {
        if (bpp < 24) {
          image.SetPixelIndex(x, y, BYTE((x + y) % 2));
        } else {
          image.SetPixelColor(x, y, RgbQuadFromValue((x + y) % 2 ? 0x102030 : 0x405060));
        }
      }
    }
    bool ok = false;
    const std::vector<RGBQUAD> table = Quantize(image.GetDib(), 256, 8, &ok);
    ASSERT_TRUE(ok) << bpp;
    // Index 0 and 1 with their reserved bytes as alpha (7 and 8).
    const uint32_t first = bpp < 24 ? 0x070100C8u : 0x405060u;
    const uint32_t second = bpp < 24 ? 0x080B03C8u : 0x102030u;
    std::vector<uint32_t> got = {RgbQuadToValue(table[0]), RgbQuadToValue(table[1])};
    std::sort(got.begin(), got.end());
    std::vector<uint32_t> want = {first, second};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << bpp << " bpp";
    EXPECT_EQ(RgbQuadToValue(table[2]), 0u) << bpp << " bpp: padding was read";
  }
}

TEST(Quantizer, IndicesPastThePaletteReadAsBlack) {
  CRaster image(3, 1, 8);
  image.SetPaletteColor(0, 0xFF, 0xFF, 0xFF);
  image.SetPixelIndex(0, 0, 0);
  image.SetPixelIndex(1, 0, 200);
  image.SetPixelIndex(2, 0, 255);
  // Pretend the block holds only 4 entries: the rows move up accordingly.
  std::vector<BYTE> dib(40 + 16 + 4);
  BITMAPINFOHEADER header;
  memcpy(&header, image.GetDib(), 40);
  header.biClrUsed = 4;
  memcpy(dib.data(), &header, 40);
  memcpy(dib.data() + 40, image.GetPalette(), 16);
  memcpy(dib.data() + 56, image.GetBits(0), 4);
  const std::vector<RGBQUAD> table = Quantize(dib.data(), 256, 8);
  EXPECT_EQ(Rgb(table[0]), 0x000000u);
  EXPECT_EQ(Rgb(table[1]), 0xFFFFFFu);
  EXPECT_EQ(Rgb(table[2]), 0u);
}

TEST(Quantizer, RefusesOtherDepthsAndLeavesTheTableEmpty) {
  for (WORD bpp : {WORD(0), WORD(2), WORD(16), WORD(32)}) {
    std::vector<BYTE> dib(40 + 64, 0x5A);
    BITMAPINFOHEADER header = {};
    header.biSize = 40;
    header.biWidth = 4;
    header.biHeight = 4;
    header.biPlanes = 1;
    header.biBitCount = bpp;
    memcpy(dib.data(), &header, 40);
    bool ok = true;
    const std::vector<RGBQUAD> table = Quantize(dib.data(), 256, 7, &ok);
    EXPECT_FALSE(ok) << bpp;
    for (const RGBQUAD& entry : table) ASSERT_EQ(RgbQuadToValue(entry), 0u) << bpp;
  }
  bool ok = true;
  Quantize(nullptr, 16, 8, &ok);
  EXPECT_FALSE(ok);
}

TEST(Quantizer, HugeWhitePageStaysWhite) {
  // 20 million pixels in one leaf: 32-bit sums would wrap.
  CRaster page(5000, 4000, 24);
  ASSERT_TRUE(page.IsValid()) << page.GetLastError();
  memset(page.GetBits(0), 0xFF, size_t(page.GetRowBytes()) * 4000);
  const std::vector<RGBQUAD> table = Quantize(page.GetDib(), 256, 7);
  EXPECT_EQ(Rgb(table[0]), 0xFFFFFFu);
  EXPECT_EQ(Rgb(table[1]), 0u);
}

// Palettes for quantizer_oracle.py: the picture, then the quantizer's palette
// applied by nearest colour.
TEST(Quantizer, PalettesForTheOracle) {
  struct Picture {
    const char* name;
    void (*fill)(CRaster*, uint32_t);
  } pictures[] = {{"photo", FillPhoto}, {"screen", FillScreenshot}};
  for (const Picture& p : pictures) {
    CRaster source(320, 200, 24);
    p.fill(&source, 5);
    ASSERT_TRUE(DumpRaster(source, std::string("quant_") + p.name + ".ras"));
    for (int32_t colors : {16, 256}) {
      const std::vector<RGBQUAD> table = Quantize(source.GetDib(), colors, colors <= 16 ? 8 : 7);
      for (bool diffused : {false, true}) {
        CRaster mapped(source);
        ASSERT_TRUE(mapped.DecreaseBpp(colors <= 16 ? 4 : 8, diffused, table.data(), 0))
            << mapped.GetLastError();
        ASSERT_TRUE(DumpRaster(mapped, "quant_" + std::string(p.name) + "_" +
                                           std::to_string(colors) + (diffused ? "_fs" : "") +
                                           ".ras"));
      }
    }
  }
}

}  // namespace
