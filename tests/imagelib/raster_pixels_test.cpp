// Pixel and palette access: index and colour reads and writes at every depth,
// the out-of-image rules, palette writers and the nearest-colour cache.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "imagelib/raster.h"

namespace {

RGBQUAD Rgb(uint32_t rgb) { return RgbQuadFromValue(rgb & 0xFFFFFF); }
uint32_t Value(RGBQUAD c) { return RgbQuadToValue(c); }

// The 256-colour system palette as published, red-green-blue, eight a line.
const char* const kSystemPalette[32] = {
    "000000 800000 008000 808000 000080 800080 008080 C0C0C0",
    "C0DCC0 A6CAF0 FFF0D4 FFE2B1 FFD48E FFC66B FFB848 FFAA25",
    "FFAA00 DC9200 B97A00 966200 734A00 503200 FFE3D4 FFC7B1",
    "FFAB8E FF8F6B FF7348 FF5725 FF5500 DC4900 B93D00 963100",
    "732500 501900 FFD4D4 FFB1B1 FF8E8E FF6B6B FF4848 FF2525",
    "FE0000 DC0000 B90000 960000 730000 500000 FFD4E3 FFB1C7",
    "FF8EAB FF6B8F FF4873 FF2557 FF0055 DC0049 B9003D 960031",
    "730025 500019 FFD4F0 FFB1E2 FF8ED4 FF6BC6 FF48B8 FF25AA",
    "FF00AA DC0092 B9007A 960062 73004A 500032 FFD4FF FFB1FF",
    "FF8EFF FF6BFF FF48FF FF25FF FE00FE DC00DC B900B9 960096",
    "730073 500050 F0D4FF E2B1FF D48EFF C66BFF B848FF AA25FF",
    "AA00FF 9200DC 7A00B9 620096 4A0073 320050 E3D4FF C7B1FF",
    "AB8EFF 8F6BFF 7348FF 5725FF 5500FF 4900DC 3D00B9 310096",
    "250073 190050 D4D4FF B1B1FF 8E8EFF 6B6BFF 4848FF 2525FF",
    "0000FE 0000DC 0000B9 000096 000073 000050 D4E3FF B1C7FF",
    "8EABFF 6B8FFF 4873FF 2557FF 0055FF 0049DC 003DB9 003196",
    "002573 001950 D4F0FF B1E2FF 8ED4FF 6BC6FF 48B8FF 25AAFF",
    "00AAFF 0092DC 007AB9 006296 004A73 003250 D4FFFF B1FFFF",
    "8EFFFF 6BFFFF 48FFFF 25FFFF 00FEFE 00DCDC 00B9B9 009696",
    "007373 005050 D4FFF0 B1FFE2 8EFFD4 6BFFC6 48FFB8 25FFAA",
    "00FFAA 00DC92 00B97A 009662 00734A 005032 D4FFE3 B1FFC7",
    "8EFFAB 6BFF8F 48FF73 25FF57 00FF55 00DC49 00B93D 009631",
    "007325 005019 D4FFD4 B1FFB1 8EFF8E 6BFF6B 48FF48 25FF25",
    "00FE00 00DC00 00B900 009600 007300 005000 E3FFD4 C7FFB1",
    "ABFF8E 8FFF6B 73FF48 57FF25 55FF00 49DC00 3DB900 319600",
    "257300 195000 F0FFD4 E2FFB1 D4FF8E C6FF6B B8FF48 AAFF25",
    "AAFF00 92DC00 7AB900 629600 4A7300 325000 FFFFD4 FFFFB1",
    "FFFF8E FFFF6B FFFF48 FFFF25 FEFE00 DCDC00 B9B900 969600",
    "737300 505000 F2F2F2 E6E6E6 DADADA CECECE C2C2C2 B6B6B6",
    "AAAAAA 9E9E9E 929292 868686 7A7A7A 6E6E6E 626262 565656",
    "4A4A4A 3E3E3E 323232 262626 1A1A1A 0E0E0E FFFBF0 A0A0A4",
    "808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF",
};

TEST(PaletteTables, StandardPalettesByDepth) {
  CRaster eight(1, 1, 8);
  eight.SetStandardPalette();
  std::string all;
  for (const char* line : kSystemPalette) all += std::string(line) + " ";
  std::istringstream words(all);
  for (int i = 0; i < 256; ++i) {
    std::string hex;
    words >> hex;
    const uint32_t rgb = uint32_t(strtoul(hex.c_str(), nullptr, 16));
    const RGBQUAD entry = eight.GetPaletteColor(BYTE(i));
    EXPECT_EQ(Value(entry), rgb) << "entry " << i;  // reserved byte 0
  }
  for (int i = 226; i <= 245; ++i) {
    EXPECT_EQ(eight.GetPaletteColor(BYTE(i)).rgbRed, 0xF2 - 0x0C * (i - 226)) << i;
  }

  const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                            0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                            0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  CRaster four(1, 1, 4);
  four.SetStandardPalette();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(Value(four.GetPaletteColor(BYTE(i))), vga[i]) << i;
  CRaster one(1, 1, 1);
  one.SetStandardPalette();
  EXPECT_EQ(Value(one.GetPaletteColor(0)), 0u);
  EXPECT_EQ(Value(one.GetPaletteColor(1)), 0xFFFFFFu);
}

TEST(PaletteTables, GreyRamps) {
  CRaster eight(1, 1, 8), four(1, 1, 4), one(1, 1, 1), colour(1, 1, 24);
  eight.SetGrayPalette();
  four.SetGrayPalette();
  one.SetGrayPalette();
  colour.SetGrayPalette();
  EXPECT_TRUE(eight.IsGrayScale());
  EXPECT_FALSE(four.IsGrayScale());  // entry 1 is 17
  EXPECT_EQ(four.GetPaletteColor(15).rgbGreen, 255);
  EXPECT_EQ(four.GetPaletteColor(1).rgbBlue, 17);
  EXPECT_FALSE(one.IsGrayScale());
  EXPECT_EQ(Value(one.GetPaletteColor(1)), 0xFFFFFFu);
  EXPECT_FALSE(colour.IsGrayScale());
  eight.SetPaletteColor(200, 200, 200, 201);
  EXPECT_FALSE(eight.IsGrayScale());
}

TEST(PixelIndex, PackedDepthsTouchOnlyTheirBits) {
  CRaster four(5, 2, 4);
  four.GetBits(0)[0] = 0xA5;
  four.SetPixelIndexUnchecked(1, 0, 0xF);
  EXPECT_EQ(four.GetBits(0)[0], 0xAF);
  four.SetPixelIndexUnchecked(0, 0, 0x13);  // only the low nibble counts
  EXPECT_EQ(four.GetBits(0)[0], 0x3F);
  EXPECT_EQ(four.GetPixelIndex(0, 0), 3);
  EXPECT_EQ(four.GetPixelIndex(1, 0), 15);

  CRaster one(10, 1, 1);
  one.SetPixelIndex(0, 0, 1);
  one.SetPixelIndex(9, 0, 3);  // low bit only
  EXPECT_EQ(one.GetBits(0)[0], 0x80);
  EXPECT_EQ(one.GetBits(0)[1], 0x40);
  one.SetPixelIndex(0, 0, 0);
  EXPECT_EQ(one.GetBits(0)[0], 0x00);

  CRaster colour(2, 2, 24);
  colour.SetPixelIndex(0, 0, 5);
  EXPECT_EQ(colour.GetPixelIndex(0, 0), 0);
  EXPECT_EQ(colour.GetBits(0)[0], 0);
}

TEST(PixelIndex, OutsideTheImage) {
  CRaster eight(4, 4, 8);
  eight.SetPixelIndex(0, 0, 42);
  eight.SetPixelIndex(4, 0, 9);  // outside: ignored
  EXPECT_EQ(eight.GetPixelIndex(-1, 0), 42);  // first pixel byte
  eight.SetBkgndIndex(5);
  EXPECT_EQ(eight.GetPixelIndex(-1, 0), 5);
  EXPECT_EQ(eight.GetPixelIndex(0, 4), 5);

  CRaster one(4, 1, 1);
  one.SetPixelIndex(0, 0, 1);
  EXPECT_EQ(one.GetPixelIndex(9, 0), 0x80);  // the first byte as it is
  CRaster empty;
  EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);
}

TEST(PixelColour, ReadsAndWritesByDepth) {
  CRaster colour(3, 2, 24);
  colour.SetPixelColor(2, 1, Rgb(0x123456));
  EXPECT_EQ(Value(colour.GetPixelColor(2, 1)), 0x123456u);
  BYTE* address = colour.GetPixelAddress(2, 1);
  ASSERT_NE(address, nullptr);
  EXPECT_EQ(address[0], 0x56);
  EXPECT_EQ(address[2], 0x12);
  colour.SetPixelColor(0, 0, CColorRef(RGB(0x11, 0x22, 0x33)));
  EXPECT_EQ(Value(colour.GetPixelColor(0, 0)), 0x112233u);
  EXPECT_EQ(Value(RgbToRgbQuad(RGB(1, 2, 3))), 0x010203u);

  CRaster palette(3, 2, 4);
  palette.SetStandardPalette();
  EXPECT_EQ(palette.GetPixelAddress(0, 0), nullptr);
  palette.SetPixelColor(1, 1, Rgb(0xF0F010));  // nearest is yellow, entry 11
  EXPECT_EQ(palette.GetPixelIndex(1, 1), 11);
  EXPECT_EQ(Value(palette.GetPixelColor(1, 1)), 0xFFFF00u);
  palette.SetPaletteColor(11, RgbQuadFromValue(0x80FFFF00));
  EXPECT_EQ(Value(palette.GetPixelColor(1, 1)), 0xFFFF00u);  // reserved byte cleared
}

TEST(PixelColour, OutsideTheImage) {
  CRaster colour(2, 2, 24);
  colour.SetPixelColor(0, 0, Rgb(0xABCDEF));
  colour.SetBkgndColor(Rgb(0x010101));
  EXPECT_EQ(Value(colour.GetPixelColor(5, 5)), 0xABCDEFu);  // pixel (0, 0)
  colour.SetBkgndIndex(0);
  EXPECT_EQ(Value(colour.GetPixelColor(5, 5)), 0x010101u);

  CRaster palette(2, 2, 8);
  palette.SetStandardPalette();
  palette.SetBkgndIndex(9);
  EXPECT_EQ(Value(palette.GetPixelColor(-1, 0)), 0xA6CAF0u);

  CRaster empty;
  empty.SetBkgndColor(Rgb(0x777777));
  EXPECT_EQ(Value(empty.GetPixelColor(0, 0)), 0x777777u);
}

TEST(PaletteAccess, EntriesAndBounds) {
  CRaster four(1, 1, 4);
  four.SetPaletteColor(15, RgbQuadFromValue(0xFF102030));
  EXPECT_EQ(Value(four.GetPaletteColor(15)), 0xFF102030u);  // all four bytes
  four.SetPaletteColor(16, RgbQuadFromValue(0x112233));
  EXPECT_EQ(Value(four.GetPaletteColor(16)), 0u);
  BYTE r = 0, g = 0, b = 0;
  EXPECT_TRUE(four.GetPaletteRgb(15, &r, &g, &b));
  EXPECT_EQ(r, 0x10);
  EXPECT_EQ(b, 0x30);
  EXPECT_FALSE(four.GetPaletteRgb(16, &r, &g, &b));

  const BYTE reds[3] = {1, 2, 3}, greens[3] = {4, 5, 6};
  four.SetPalette(3, reds, greens);  // blue takes the green array
  EXPECT_EQ(Value(four.GetPaletteColor(2)), 0x030606u);
  four.SetPalette(3, reds);
  EXPECT_EQ(Value(four.GetPaletteColor(1)), 0x020202u);
  const BYTE triples[6] = {9, 8, 7, 6, 5, 4};
  four.SetPalette(triples, 2);
  EXPECT_EQ(Value(four.GetPaletteColor(1)), 0x060504u);
  RGBQUAD quads[20];
  for (int i = 0; i < 20; ++i) quads[i] = RgbQuadFromValue(0x01000000u * i + i);
  four.SetPalette(quads, 20);  // only 16 entries are there
  EXPECT_EQ(Value(four.GetPaletteColor(15)), 0x0F00000Fu);

  CRaster colour(1, 1, 24);
  EXPECT_EQ(colour.GetPalette(), nullptr);
  colour.SetPalette(quads, 20);
  EXPECT_FALSE(colour.SwapIndex(0, 1));
}

TEST(PaletteAccess, SwapIndexRemapsPixels) {
  CRaster one(11, 3, 1);
  one.SetStandardPalette();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 11; ++x) one.SetPixelIndex(x, y, BYTE((x + y) & 1));
  ASSERT_TRUE(one.SwapIndex(0, 1));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 11; ++x) {
      EXPECT_EQ(one.GetPixelIndex(x, y), 1 - ((x + y) & 1));
      // Same picture: the colours moved with the indices.
      EXPECT_EQ(Value(one.GetPixelColor(x, y)), ((x + y) & 1) ? 0xFFFFFFu : 0u);
    }
  }
  CRaster four(3, 1, 4);
  four.SetPixelIndex(0, 0, 2);
  four.SetPixelIndex(1, 0, 7);
  four.SetPixelIndex(2, 0, 3);
  ASSERT_TRUE(four.SwapIndex(2, 7));
  EXPECT_EQ(four.GetPixelIndex(0, 0), 7);
  EXPECT_EQ(four.GetPixelIndex(1, 0), 2);
  EXPECT_EQ(four.GetPixelIndex(2, 0), 3);
  EXPECT_FALSE(four.SwapIndex(2, 16));
  EXPECT_EQ(four.GetPixelIndex(0, 0), 7);
}

TEST(NearestIndex, FirstOfEqualEntriesAndImportantCount) {
  CRaster eight(1, 1, 8);
  eight.SetStandardPalette();
  EXPECT_EQ(eight.GetNearestIndex(Rgb(0xFFFFFF)), 255);
  EXPECT_EQ(eight.GetNearestIndex(Rgb(0x000000)), 0);
  CRaster two(1, 1, 1);
  two.SetPaletteColor(0, Rgb(0x808080));
  two.SetPaletteColor(1, Rgb(0x808080));
  EXPECT_EQ(two.GetNearestIndex(Rgb(0x102030)), 0);

  // Only the important entries are searched; a count above the palette is
  // clamped to it.
  eight.SetClrImportant(8);
  EXPECT_EQ(eight.GetNearestIndex(Rgb(0xFFFFFF)), 7);  // C0C0C0
  CRaster four(1, 1, 4);
  four.SetStandardPalette();
  four.SetClrImportant(16);
  EXPECT_EQ(four.GetNearestIndex(Rgb(0xFEFEFE)), 15);
  CRaster colour(1, 1, 24);
  EXPECT_EQ(colour.GetNearestIndex(Rgb(0xFFFFFF)), 0);
}

// After every palette writer the next search must see the new palette.
TEST(NearestIndex, CacheForgottenByEveryPaletteWriter) {
  const RGBQUAD probe = Rgb(0x00FF00);
  struct Writer {
    const char* name;
    void (*write)(CRaster&);
  };
  const Writer writers[] = {
      {"SetPaletteColor", [](CRaster& r) { r.SetPaletteColor(3, Rgb(0x00FF00)); }},
      {"SetPaletteColor rgb", [](CRaster& r) { r.SetPaletteColor(3, 0, 255, 0); }},
      {"SetPalette quads",
       [](CRaster& r) {
         RGBQUAD q[4] = {Rgb(1), Rgb(2), Rgb(3), Rgb(0x00FF00)};
         r.SetPalette(q, 4);
       }},
      {"SetPalette arrays",
       [](CRaster& r) {
         const BYTE red[4] = {9, 9, 9, 0}, green[4] = {9, 9, 9, 255}, blue[4] = {9, 9, 9, 0};
         r.SetPalette(4, red, green, blue);
       }},
      {"SetPalette triples",
       [](CRaster& r) {
         const BYTE t[12] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 0, 255, 0};
         r.SetPalette(t, 4);
       }},
      {"GetPalette", [](CRaster& r) { r.GetPalette()[3] = Rgb(0x00FF00); }},
      {"SwapIndex", [](CRaster& r) { r.SwapIndex(5, 3); }},
      {"SetClrImportant", [](CRaster& r) { r.SetClrImportant(3); }},
      {"SetStandardPalette", [](CRaster& r) { r.SetStandardPalette(); }},
      {"SetGrayPalette", [](CRaster& r) { r.SetGrayPalette(); }},
  };
  for (const Writer& writer : writers) {
    CRaster image(1, 1, 8);
    image.SetPaletteColor(1, Rgb(0x00F000));
    image.SetPaletteColor(5, Rgb(0x00FF00));
    ASSERT_EQ(image.GetNearestIndex(probe), 5);
    writer.write(image);
    CRaster fresh(1, 1, 8);  // the same palette, never searched
    fresh.SetPalette(image.GetPalette(), 256);
    fresh.SetClrImportant(image.GetClrImportant());
    const BYTE expected = fresh.GetNearestIndex(probe);
    EXPECT_NE(expected, 5) << writer.name << " leaves the answer unchanged";
    EXPECT_EQ(image.GetNearestIndex(probe), expected) << writer.name;
  }
}

TEST(NearestIndex, WritesThroughGhostReachTheSource) {
  CRaster source(1, 1, 8);
  source.SetPaletteColor(1, Rgb(0x00FF00));
  EXPECT_EQ(source.GetNearestIndex(Rgb(0x00FF00)), 1);
  CRaster ghost;
  ghost.Ghost(&source);
  ghost.SetPaletteColor(1, Rgb(0x000000));
  ghost.SetPaletteColor(7, Rgb(0x00FF00));
  EXPECT_EQ(source.GetNearestIndex(Rgb(0x00FF00)), 7);
}

// A copy, or a new image in the same object, must not answer from the
// nearest-colour cache of the palette before. The palettes change through the
// DIB block, which no cache hears of: only the reset in Copy and Create keeps
// the answer right.
TEST(NearestIndex, CopyAndCreateStartWithoutCache) {
  const RGBQUAD green = Rgb(0x00FF00);
  auto putEntry = [](CRaster& image, int index, RGBQUAD colour) {
    memcpy(image.GetDib() + 40 + 4 * index, &colour, 4);
  };
  CRaster source(1, 1, 8);
  source.SetPaletteColor(1, green);
  ASSERT_EQ(source.GetNearestIndex(green), 1);
  CRaster copy(source);
  putEntry(copy, 1, Rgb(0));
  putEntry(copy, 2, green);
  EXPECT_EQ(copy.GetNearestIndex(green), 2);
  EXPECT_EQ(source.GetNearestIndex(green), 1);

  ASSERT_TRUE(source.Create(1, 1, 8, 0));
  putEntry(source, 3, green);
  EXPECT_EQ(source.GetNearestIndex(green), 3);
}

TEST(ColourHelpers, RgbToBgrAndLuminanceOrder) {
  CRaster colour(2, 1, 24);
  BYTE row[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  colour.RgbToBgr(row, 9);  // limited to width x 3 = 6 bytes
  const BYTE expected[9] = {3, 2, 1, 6, 5, 4, 7, 8, 9};
  EXPECT_EQ(0, memcmp(row, expected, 9));
  BYTE partial[5] = {1, 2, 3, 4, 5};
  colour.RgbToBgr(partial, 5);  // one whole group only
  const BYTE expectedPartial[5] = {3, 2, 1, 4, 5};
  EXPECT_EQ(0, memcmp(partial, expectedPartial, 5));
  CRaster palette(2, 1, 8);
  palette.RgbToBgr(row, 9);
  EXPECT_EQ(row[0], 3);

  const RGBQUAD green = Rgb(0x00FF00), red = Rgb(0xFF0000), blue = Rgb(0x0000FF);
  EXPECT_GT(CRaster::CompareColors(&green, &red), 0);
  EXPECT_GT(CRaster::CompareColors(&red, &blue), 0);
  EXPECT_EQ(CRaster::CompareColors(&red, &red), 0);
}

TEST(FillRect, ClampsOrdersAndCountsFromTheTop) {
  CRaster colour(20, 20, 24);
  EXPECT_TRUE(colour.FillRectColor(10, 10, 0, 0, Rgb(0x102030)));
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x < 10 && y >= 10;  // top ten rows are stored 10..19
      EXPECT_EQ(Value(colour.GetPixelColor(x, y)), inside ? 0x102030u : 0u) << x << "," << y;
    }
  }
  EXPECT_EQ(colour.GetProgress(), 90);
  EXPECT_TRUE(colour.FillRectColor(-5, 3, 5, 3, Rgb(0xFFFFFF)));  // empty
  EXPECT_TRUE(colour.FillRectColor(15, -100, 100, 100, Rgb(0xFFFFFF)));
  EXPECT_EQ(Value(colour.GetPixelColor(19, 0)), 0xFFFFFFu);
  EXPECT_EQ(Value(colour.GetPixelColor(14, 0)), 0u);
  CRaster empty;
  EXPECT_FALSE(empty.FillRectColor(0, 0, 1, 1, Rgb(0)));

  CRaster four(7, 3, 4);
  four.SetStandardPalette();
  four.Clear(9);
  EXPECT_TRUE(four.FillRectColor(1, 0, 4, 1, Rgb(0x0000FF)));
  EXPECT_EQ(four.GetBits(2)[0], 0x9C);
  EXPECT_EQ(four.GetBits(2)[1], 0xCC);
  EXPECT_EQ(four.GetBits(2)[2], 0x99);
  EXPECT_EQ(four.GetBits(1)[0], 0x99);
}

}  // namespace
