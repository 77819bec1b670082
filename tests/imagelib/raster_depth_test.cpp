// Depth conversion and dithering. Results go to depth_oracle.py (numpy and
// PIL); here: the depth rules, refusals and what becomes of the background.
#include <gtest/gtest.h>

#include "imagelib/raster.h"
#include "tests/imagelib/operation_test_util.h"

namespace {

CRaster Photo(int32_t w, int32_t h, uint32_t seed) {
  CRaster image(w, h, 24);
  FillPhoto(&image, seed);
  return image;
}

TEST(Depth, ResultsForTheOracle) {
  COraclePairs pairs("depth");
  ASSERT_TRUE(pairs.IsOpen());
  const CRaster photo = Photo(131, 67, 1);
  {
    CRaster gray(photo);
    ASSERT_TRUE(gray.GrayScale());
    pairs.Add(photo, gray, "gray");
  }
  for (int32_t bpp : {1, 4, 8}) {
    const CRaster indexed = RandomImage(37, 11, bpp, uint32_t(bpp));
    CRaster gray(indexed);
    ASSERT_TRUE(gray.GrayScale());
    pairs.Add(indexed, gray, "gray");
  }
  // Nearest colours: the standard palette, and a random one of which only
  // the first 9 entries count.
  {
    CRaster standard(photo);
    ASSERT_TRUE(standard.DecreaseBpp(8, false));
    pairs.Add(photo, standard, "nearest 0");
    CRaster palette = RandomImage(1, 1, 4, 3);
    CRaster sixteen(photo);
    ASSERT_TRUE(sixteen.DecreaseBpp(4, false, palette.GetPalette(), 9));
    EXPECT_EQ(sixteen.GetClrImportant(), 9u);
    pairs.Add(photo, sixteen, "nearest 9");
    // The same depth re-mapped to another palette.
    CRaster again(sixteen);
    CRaster other = RandomImage(1, 1, 4, 4);
    ASSERT_TRUE(again.DecreaseBpp(4, false, other.GetPalette(), 16));
    pairs.Add(sixteen, again, "nearest 16");
    // Floyd-Steinberg with this library's weights, exactly, from true colour
    // and from a palette image (whose diffused colours snap to its palette).
    CRaster small = Photo(45, 29, 8);
    CRaster diffused(small);
    ASSERT_TRUE(diffused.DecreaseBpp(4, true));
    pairs.Add(small, diffused, "diffuse");
    CRaster fromPalette(small);
    ASSERT_TRUE(fromPalette.DecreaseBpp(8, false));
    CRaster diffusedAgain(fromPalette);
    ASSERT_TRUE(diffusedAgain.DecreaseBpp(4, true));
    pairs.Add(fromPalette, diffusedAgain, "diffuse");
  }
  // Every dithering method on a photo, a ramp and uniform greys.
  CRaster ramp(256, 24, 8);
  ramp.SetGrayPalette();
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 256; ++x) ramp.SetPixelIndex(x, y, BYTE(x));
  const CRaster small = Photo(61, 43, 9);
  for (int32_t method : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) {
    const CRaster* inputs[] = {&photo, &ramp, &small};
    for (const CRaster* in : inputs) {
      CRaster out(*in);
      ASSERT_TRUE(out.Dither(method)) << method;
      pairs.Add(*in, out, "dither " + std::to_string(method));
    }
    for (int32_t level : {0, 128, 255}) {
      CRaster flat(33, 35, 8);
      flat.SetGrayPalette();
      flat.Clear(BYTE(level));
      CRaster out(flat);
      ASSERT_TRUE(out.Dither(method));
      pairs.Add(flat, out, "dither " + std::to_string(method));
    }
  }
  EXPECT_FALSE(pairs.Failed());
}

TEST(Depth, IncreaseAndDecreaseRules) {
  struct Case {
    int32_t from, to;
    bool increase, ok;
    int32_t bpp;  // afterwards
  } cases[] = {{8, 8, true, true, 8},   {24, 8, true, false, 24}, {8, 16, true, false, 8},
               {1, 4, true, true, 4},   {4, 4, true, true, 4},    {8, 4, true, false, 8},
               {1, 8, true, true, 8},   {4, 24, true, true, 24},  {24, 24, true, true, 24},
               {8, 24, false, false, 8}, {8, 8, false, true, 8},  {24, 4, false, true, 4},
               {8, 1, false, true, 1},  {24, 16, false, true, 24}, {4, 0, false, true, 1}};
  for (const Case& c : cases) {
    CRaster image = RandomImage(7, 3, c.from, 5);
    const CRaster before(image);
    const bool ok = c.increase ? image.IncreaseBpp(c.to) : image.DecreaseBpp(c.to, false);
    EXPECT_EQ(ok, c.ok) << c.from << " -> " << c.to;
    EXPECT_EQ(image.GetBpp(), c.bpp) << c.from << " -> " << c.to;
    if (!c.increase && c.to > c.from) {
      EXPECT_STREQ(image.GetLastError(), "DecreaseBpp: target BPP greater than source BPP");
    }
    // Raising the depth keeps every colour.
    if (c.increase && ok) {
      for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 7; ++x)
          ASSERT_EQ(RgbQuadToValue(image.GetPixelColor(x, y)), RgbQuadToValue(before.GetPixelColor(x, y)));
    }
  }
  // The same depth runs again only for fewer important colours than now.
  CRaster standard = RandomImage(5, 5, 8, 3);
  standard.SetStandardPalette();
  standard.SetClrImportant(100);
  CRaster kept(standard);
  ASSERT_TRUE(kept.DecreaseBpp(8, false, nullptr, 200));
  EXPECT_EQ(kept.GetClrImportant(), 100u);
  ASSERT_TRUE(kept.DecreaseBpp(8, false, nullptr, 20));
  EXPECT_EQ(kept.GetClrImportant(), 20u);
  for (int32_t x = 0; x < 5; ++x) EXPECT_LT(kept.GetPixelIndex(x, 2), 20);
  CRaster empty;
  EXPECT_FALSE(empty.GrayScale());
  EXPECT_FALSE(empty.IncreaseBpp(24));
  EXPECT_FALSE(empty.DecreaseBpp(1, false));
  EXPECT_FALSE(empty.Dither(1));
  CRaster bw = RandomImage(9, 4, 1, 2);
  const CRaster bwBefore(bw);
  EXPECT_TRUE(bw.Dither(3));
  EXPECT_EQ(memcmp(bw.GetDib(), bwBefore.GetDib(), bw.GetSize()), 0);
}

TEST(Depth, BackgroundKeepsItsColour) {
  // A palette image whose background entry 2 is a pure blue.
  CRaster image = RandomImage(6, 4, 4, 11);
  image.SetPaletteColor(2, 0, 0, 255);
  image.SetBkgndIndex(2);

  CRaster rgb(image);
  ASSERT_TRUE(rgb.IncreaseBpp(24));
  EXPECT_EQ(RgbQuadToValue(rgb.GetBkgndColor()), 0x0000FFu);

  CRaster gray(image);
  ASSERT_TRUE(gray.GrayScale());
  EXPECT_EQ(gray.GetBkgndIndex(), (117 * 255) >> 10);

  CRaster fromRgb(rgb);
  ASSERT_TRUE(fromRgb.GrayScale());
  EXPECT_EQ(fromRgb.GetBkgndIndex(), (117 * 255) >> 10);

  // Down to the standard palette: the entry that is now nearest the old blue.
  CRaster standard(image);
  ASSERT_TRUE(standard.IncreaseBpp(8));
  ASSERT_TRUE(standard.DecreaseBpp(8, true, nullptr, 256));
  EXPECT_EQ(RgbQuadToValue(standard.GetPaletteColor(BYTE(standard.GetBkgndIndex()))), 0x0000FFu);
  CRaster four(rgb);
  ASSERT_TRUE(four.DecreaseBpp(1, false));
  EXPECT_EQ(four.GetBkgndIndex(), 0);  // blue is nearer black than white

  // Dithering: black or white by the threshold of the background's grey.
  CRaster white(image);
  white.SetPaletteColor(2, 255, 255, 250);
  CRaster dark(image);
  ASSERT_TRUE(white.Dither(0) && dark.Dither(1));
  EXPECT_EQ(white.GetBkgndIndex(), 1);
  EXPECT_EQ(dark.GetBkgndIndex(), 0);
}

}  // namespace
