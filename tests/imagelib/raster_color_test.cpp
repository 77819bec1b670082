// Colour operations and filters. The pictures and results go to
// color_oracle.py (ImageMagick and numpy models); what needs no oracle is
// checked here: flat images under filters, the palette, grey and selection
// paths, refusals and the HSL conversions' fixed points.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imagelib/raster.h"
#include "tests/imagelib/operation_test_util.h"

namespace {

const int32_t kSharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
const int32_t kSoften[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};

CRaster Picture(int32_t w, int32_t h, bool photo, uint32_t seed) {
  CRaster image(w, h, 24);
  (photo ? FillPhoto : FillScreenshot)(&image, seed);
  return image;
}

CRaster GrayPicture(int32_t w, int32_t h, uint32_t seed) {
  CRaster image = Picture(w, h, true, seed);
  image.GrayScale();
  return image;
}

TEST(ColorOperations, ResultsForTheOracle) {
  COraclePairs pairs("color");
  ASSERT_TRUE(pairs.IsOpen());
  const CRaster screen = Picture(97, 61, false, 1), photo = Picture(83, 47, true, 2);
  const CRaster gray = GrayPicture(61, 33, 3);

  for (const CRaster* in : {&screen, &gray}) {
    CRaster out(*in);
    ASSERT_TRUE(out.Negative());
    pairs.Add(*in, out, "negate");
  }
  for (float g : {2.2f, 0.5f, 1.0f}) {
    CRaster out(photo);
    ASSERT_TRUE(out.Gamma(g));
    pairs.Add(photo, out, "gamma " + std::to_string(g));
  }
  const int32_t bc[][2] = {{0, 0}, {40, 0}, {-70, 35}, {12, -60}, {255, 0}, {-300, 500}};
  for (const auto& p : bc) {
    CRaster out(photo);
    ASSERT_TRUE(out.BrightnessContrast(p[0], p[1]));
    pairs.Add(photo, out, "bc " + std::to_string(p[0]) + " " + std::to_string(p[1]));
  }
  // A table of its own, on true colour, a grey and a coloured palette image.
  BYTE table[256];
  CTestRandom random(9);
  for (int i = 0; i < 256; ++i) table[i] = BYTE(random.Next());
  DumpValues(std::vector<BYTE>(table, table + 256), "color_lut.bin");
  CRaster coloured(photo);
  ASSERT_TRUE(coloured.DecreaseBpp(8, false));
  const CRaster* lutInputs[] = {&photo, &gray, &coloured};
  for (const CRaster* in : lutInputs) {
    CRaster out(*in);
    ASSERT_TRUE(out.ApplyLut(table));
    pairs.Add(*in, out, "lut");
  }
  // The application's sharpen and soften, and a 5 x 5 kernel with an offset.
  const int32_t wide[25] = {1, 2, 0, -1, 3, 0, 4, 1, 2, 0, -2, 1, 9, 1, -2,
                            0, 2, 1, 4, 0, 3, -1, 0, 2, 1};
  struct FilterCase {
    const int32_t* kernel;
    int32_t size, divisor, offset;
  } filters[] = {{kSharpen, 3, 7, 0}, {kSoften, 3, 16, 0}, {wide, 5, 23, 9}, {kSharpen, 3, 0, 40}};
  for (const FilterCase& f : filters) {
    for (const CRaster* in : {&screen, &gray}) {
      CRaster out(*in);
      ASSERT_TRUE(out.Filter(f.kernel, f.size, f.divisor, f.offset));
      std::string what = "filter " + std::to_string(f.size) + " " + std::to_string(f.divisor) +
                         " " + std::to_string(f.offset);
      for (int32_t k = 0; k < f.size * f.size; ++k) what += " " + std::to_string(f.kernel[k]);
      pairs.Add(*in, out, what);
    }
  }
  // Selection boxes (stored rows): only the box changes, and the mean is the box's.
  CMaskedRaster boxed(photo);
  boxed.Select(5, 7, 40, 30);
  CRaster boxedIn(boxed);
  ASSERT_TRUE(boxed.Negative());
  pairs.Add(boxedIn, boxed, "negate_box 5 7 40 30");
  CMaskedRaster filtered(screen);
  filtered.Select(-20, 50, 30, 200);  // clamped to the image
  ASSERT_TRUE(filtered.Filter(kSharpen, 3, 7, 0));
  pairs.Add(screen, filtered, "filter_box 0 50 30 61 3 7 0 -1 -1 -1 -1 15 -1 -1 -1 -1");
  CMaskedRaster lut(photo);
  lut.Select(10, 0, 11, 47);
  ASSERT_TRUE(lut.ApplyLut(table));
  pairs.Add(photo, lut, "lut_box 10 0 11 47");
  CMaskedRaster mean(photo);
  mean.Select(3, 4, 50, 40);
  pairs.Add(photo, photo, "mean 3 4 50 40 " + std::to_string(mean.MeanGray()));
  pairs.Add(photo, photo, "mean 0 0 83 47 " + std::to_string(CRaster(photo).MeanGray()));
  EXPECT_FALSE(pairs.Failed());
}

TEST(ColorOperations, FlatImagesStayFlatUnderNormalisedKernels) {
  const int32_t box5[25] = {1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 1, 2, 4, 2, 1,
                            1, 2, 2, 2, 1, 1, 1, 1, 1, 1};
  const int32_t box3[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  struct Case {
    const int32_t* kernel;
    int32_t size, divisor;
  } cases[] = {{box3, 3, 9}, {kSoften, 3, 16}, {kSharpen, 3, 7}, {box5, 5, 36}};
  for (const Case& c : cases) {
    for (int32_t bpp : {24, 8}) {
      CRaster image(9, 6, bpp);
      if (bpp == 8) {
        image.SetGrayPalette();
        image.Clear(173);
      } else {
        image.FillRectColor(0, 0, 9, 6, RgbQuadFromValue(0x3C81C8));
      }
      CRaster before(image);
      ASSERT_TRUE(image.Filter(c.kernel, c.size, c.divisor, 0));
      for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 9; ++x)
          ASSERT_EQ(RgbQuadToValue(image.GetPixelColor(x, y)),
                    RgbQuadToValue(before.GetPixelColor(x, y)))
              << "size " << c.size << ", " << bpp << " bpp at " << x << "," << y;
    }
  }
}

TEST(ColorOperations, PalettePathsAndGreyRamps) {
  // A 4-bit grey ramp 0..15 counts as grey, but its pixels are nibbles: the
  // filter must go through colours, so a flat image stays flat.
  CRaster ramp(6, 4, 4);
  for (int i = 0; i < 16; ++i) ramp.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i));
  ASSERT_TRUE(ramp.IsGrayScale());
  ramp.Clear(9);
  const int32_t soften[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};
  ASSERT_TRUE(ramp.Filter(soften, 3, 16, 0));
  for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(ramp.GetPixelIndex(x, 2), 9) << x;
  // Inverting a grey ramp inverts indices within the pixel's bits; a
  // selection box limits it.
  CMaskedRaster boxed(ramp);
  boxed.Select(1, 0, 3, 2);
  ASSERT_TRUE(boxed.Negative());
  EXPECT_EQ(boxed.GetPixelIndex(1, 0), 6);
  EXPECT_EQ(boxed.GetPixelIndex(3, 0), 9);
  EXPECT_EQ(boxed.GetPixelIndex(1, 2), 9);
  // A lookup table on a grey ramp leaves an 8-bit grey image.
  BYTE doubled[256];
  for (int i = 0; i < 256; ++i) doubled[i] = BYTE(i < 128 ? 2 * i : 255);
  CRaster fromRamp(ramp);
  ASSERT_TRUE(fromRamp.ApplyLut(doubled));
  EXPECT_EQ(fromRamp.GetBpp(), 8);
  EXPECT_TRUE(fromRamp.IsGrayScale());
  EXPECT_EQ(fromRamp.GetPixelIndex(0, 0), 18);
  // Black and white is no identity ramp: inverting swaps the entries.
  CRaster bw(9, 2, 1);
  bw.SetStandardPalette();
  bw.SetPixelIndex(3, 1, 1);
  ASSERT_TRUE(bw.Negative());
  EXPECT_EQ(RgbQuadToValue(bw.GetPaletteColor(0)), 0xFFFFFFu);
  EXPECT_EQ(RgbQuadToValue(bw.GetPaletteColor(1)), 0u);
  EXPECT_EQ(bw.GetPixelIndex(3, 1), 1);
  // True colour: the background colour is inverted with the pixels.
  CRaster rgb(2, 2, 24);
  rgb.SetBkgndColor(RgbQuadFromValue(0x102030));
  ASSERT_TRUE(rgb.Negative());
  EXPECT_EQ(RgbQuadToValue(rgb.GetBkgndColor()), 0xEFDFCFu);
  // An empty box makes the table fail; Gamma and BrightnessContrast identities.
  CMaskedRaster empty(rgb);
  empty.Select(1, 0, 1, 2);
  EXPECT_FALSE(empty.ApplyLut(doubled));
  EXPECT_EQ(empty.MeanGray(), 0.0f);
  CRaster photo = Picture(40, 30, true, 4), same(photo), also(photo);
  ASSERT_TRUE(same.Gamma(1.0f));
  ASSERT_TRUE(also.BrightnessContrast(0, 0));
  EXPECT_EQ(memcmp(same.GetBits(0), photo.GetBits(0), photo.GetRowBytes() * 30), 0);
  EXPECT_EQ(memcmp(also.GetBits(0), photo.GetBits(0), photo.GetRowBytes() * 30), 0);
  // A tiny gamma keeps white white; a huge one lifts everything but black.
  CRaster tiny(photo), huge(photo);
  ASSERT_TRUE(tiny.Gamma(1e-30f));
  ASSERT_TRUE(huge.Gamma(1e30f));
  CRaster white(1, 1, 24), black(1, 1, 24);
  white.FillRectColor(0, 0, 1, 1, RgbQuadFromValue(0xFFFFFF));
  ASSERT_TRUE(white.Gamma(1e-30f) && black.Gamma(1e30f));
  EXPECT_EQ(RgbQuadToValue(white.GetPixelColor(0, 0)), 0xFFFFFFu);
  EXPECT_EQ(RgbQuadToValue(black.GetPixelColor(0, 0)), 0u);
}

TEST(ColorOperations, RefusalsLeaveNoText) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float g : {0.0f, -1.0f, nan, inf, -inf}) {
    CRaster image(3, 3, 24);
    EXPECT_FALSE(image.Gamma(g)) << g;
    EXPECT_STREQ(image.GetLastError(), "") << g;
  }
  const int32_t one[1] = {1};
  for (int32_t size : {0, -1, std::numeric_limits<int32_t>::min()}) {
    CRaster image(3, 3, 24);
    EXPECT_FALSE(image.Filter(one, size, 1, 0)) << size;
    EXPECT_STREQ(image.GetLastError(), "");
  }
  CRaster image(3, 3, 24), empty;
  EXPECT_FALSE(image.Filter(nullptr, 3, 1, 0));
  EXPECT_FALSE(image.ApplyLut(nullptr));
  EXPECT_FALSE(empty.Filter(one, 1, 1, 0));
  EXPECT_FALSE(empty.Negative());
  EXPECT_FALSE(empty.BrightnessContrast(0, 0));
  EXPECT_EQ(empty.MeanGray(), 0.0f);
  // Extreme parameters are limited, not overflowed.
  const int32_t big[9] = {INT32_MAX, INT32_MIN, INT32_MAX, 7, INT32_MAX, -3, 1, 1, INT32_MIN};
  CRaster photo = Picture(11, 7, true, 6);
  EXPECT_TRUE(photo.Filter(big, 3, 1, INT32_MAX));
  EXPECT_TRUE(photo.Filter(big, 3, INT32_MIN, INT32_MIN));
  EXPECT_TRUE(photo.BrightnessContrast(INT32_MAX, INT32_MIN));
}

TEST(Hsl, FixedPointsAndColoursForTheOracle) {
  auto hsl = [](uint32_t rgb) { return RgbQuadToValue(CRaster::RgbToHsl(RgbQuadFromValue(rgb))); };
  auto rgb = [](uint32_t packed) { return RgbQuadToValue(CRaster::HslToRgb(RgbQuadFromValue(packed))); };
  // Hue in red, saturation in green, lightness in blue.
  EXPECT_EQ(hsl(0xFF0000), 0x00FF80u);
  EXPECT_EQ(hsl(0x808080), 0xAA0080u);
  EXPECT_EQ(hsl(0x000000), 0xAA0000u);
  EXPECT_EQ(hsl(0x00FF00), 0x55FF80u);
  EXPECT_EQ(rgb(0x0000FF), 0xFFFFFFu);
  EXPECT_EQ(rgb(0x550000), 0x000000u);
  EXPECT_FLOAT_EQ(HueToRgb(0.2f, 0.8f, 390.0f), 0.5f);
  EXPECT_FLOAT_EQ(HueToRgb(0.2f, 0.8f, -90.0f), 0.2f);

  CTestRandom random(12);
  std::vector<uint32_t> colours(200000), toHsl(colours.size()), packed(colours.size()),
      toRgb(colours.size());
  for (size_t i = 0; i < colours.size(); ++i) {
    colours[i] = random.Next() & 0xFFFFFF;
    toHsl[i] = hsl(colours[i]);
    packed[i] = random.Next() & 0xFFFFFF;
    toRgb[i] = rgb(packed[i]);
  }
  ASSERT_TRUE(DumpValues(colours, "hsl_colours.bin") && DumpValues(toHsl, "hsl_of_colours.bin") &&
              DumpValues(packed, "hsl_packed.bin") && DumpValues(toRgb, "rgb_of_packed.bin"));
}

}  // namespace
