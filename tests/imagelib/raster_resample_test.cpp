// Resampling and interpolation. Results go to resample_oracle.py
// (ImageMagick, PIL and numpy); here: the two-pass resampler against the
// single-sample functions it stands for, the overflow rules, fixed points of
// the kernels, flat fields and refusals.
#include <gtest/gtest.h>

#include <climits>
#include <algorithm>
#include <cmath>
#include <limits>

#include "imagelib/raster.h"
#include "imagelib/raster_kernels.h"
#include "tests/imagelib/operation_test_util.h"

namespace {

double Distance(const RGBQUAD& a, const RGBQUAD& b) {
  const double r = a.rgbRed - b.rgbRed, g = a.rgbGreen - b.rgbGreen, bl = a.rgbBlue - b.rgbBlue;
  return std::sqrt(r * r + g * g + bl * bl);
}

CRaster Picture(int32_t w, int32_t h, bool photo, uint32_t seed) {
  CRaster image(w, h, 24);
  (photo ? FillPhoto : FillScreenshot)(&image, seed);
  return image;
}

TEST(Resample, ResultsForTheOracle) {
  COracleManifest cases("resample_cases.txt");
  ASSERT_TRUE(cases.IsOpen());
  const CRaster screen = Picture(96, 66, false, 21), photo = Picture(90, 60, true, 22);
  ASSERT_TRUE(DumpRaster(screen, "resample_screen.ras") && DumpRaster(photo, "resample_photo.ras"));
  int n = 0;
  auto put = [&](const CRaster& out, const char* source, const std::string& what) {
    const std::string file = "resample_" + std::to_string(n++) + ".ras";
    EXPECT_TRUE(DumpRaster(out, file));
    cases.Line("%s %s %s", what.c_str(), source, file.c_str());
  };
  for (int32_t method = 1; method <= 18; ++method) {
    for (const auto& input : {std::make_pair(&screen, "resample_screen.ras"),
                              std::make_pair(&photo, "resample_photo.ras")}) {
      const CRaster& in = *input.first;
      for (double scale : {2.0, 1.7}) {
        CRaster out(in);
        const int32_t w = int32_t(in.GetWidth() * scale), h = int32_t(in.GetHeight() * scale);
        ASSERT_TRUE(out.Resample(w, h, method, OverflowRepeat)) << method;
        put(out, input.second, "enlarge " + std::to_string(method));
      }
      // Shrinking 2:1 and 3:2 averages the covered area, whatever the method.
      for (int32_t divisor : {2, 3}) {
        CRaster out(in);
        const int32_t numerator = divisor == 2 ? 1 : 2;
        const int32_t w = in.GetWidth() * numerator / divisor, h = in.GetHeight() * numerator / divisor;
        ASSERT_TRUE(out.Resample(w, h, method, OverflowRepeat)) << method;
        put(out, input.second, "shrink " + std::to_string(method) + " " + std::to_string(divisor));
      }
    }
  }
  CRaster nearest(screen);
  ASSERT_TRUE(nearest.Resample(48, 33, InterpNearest, OverflowRepeat, nullptr, true));
  put(nearest, "resample_screen.ras", "nearest_half 1");

  // J1 for the Bessel kernel.
  std::vector<double> bessel;
  for (int i = -200; i <= 1000; ++i) {
    bessel.push_back(i * 0.025);
    bessel.push_back(BesselJ1(i * 0.025));
  }
  ASSERT_TRUE(DumpValues(bessel, "bessel_j1.bin"));
}

// The resampler sums its weights in two passes; it must stay within one step
// of sampling each destination pixel on its own, as the single-sample
// functions define it.
TEST(Resample, TwoPassesMatchSingleSamples) {
  const CRaster photo = Picture(23, 17, true, 8);
  const CRaster indexed = [] {
    CRaster image = Picture(23, 17, true, 9);
    image.DecreaseBpp(8, false);
    return image;
  }();
  struct Size {
    int32_t w, h;
    bool noAveraging;
  } sizes[] = {{51, 40, false}, {9, 7, false}, {40, 6, false}, {11, 40, true}, {23, 5, false}};
  for (int32_t method = 0; method <= 18; ++method) {
    for (const CRaster* source : {&photo, &indexed}) {
      for (const Size& size : sizes) {
        for (int32_t overflow : {OverflowColor, OverflowMirror}) {
          CRaster out(*source);
          ASSERT_TRUE(out.Resample(size.w, size.h, method, overflow, nullptr, size.noAveraging));
          const double xScale = double(source->GetWidth()) / size.w;
          const double yScale = double(source->GetHeight()) / size.h;
          const bool point = (xScale <= 1 && yScale <= 1) || size.noAveraging;
          double worst = 0;
          for (int32_t y = 0; y < size.h; ++y) {
            for (int32_t x = 0; x < size.w; ++x) {
              const float cx = float((x + 0.5) * xScale - 0.5), cy = float((y + 0.5) * yScale - 0.5);
              const RGBQUAD want = point
                  ? source->GetPixelColorInterpolated(cx, cy, method, overflow, nullptr)
                  : source->GetAreaColorInterpolated(cx, cy, float(xScale), float(yScale), method,
                                                     overflow, nullptr);
              const RGBQUAD got = out.GetPixelColor(x, y);
              if (!source->IsIndexed()) {
                for (int k = 0; k < 3; ++k)
                  worst = std::max(worst, std::fabs(double((&got.rgbBlue)[k]) - (&want.rgbBlue)[k]));
                continue;
              }
              // A palette image stores the nearest entry: of a colour at most
              // one step from want in each channel, it lies at most 2 x sqrt(3)
              // farther from want than want's own nearest entry.
              const RGBQUAD best = out.GetPaletteColor(out.GetNearestIndex(want));
              worst = std::max(worst, Distance(got, want) - Distance(best, want) - 2 * std::sqrt(3.0) + 1);
            }
          }
          EXPECT_LE(worst, 1.0) << "method " << method << ", " << size.w << "x" << size.h
                                << (source->IsIndexed() ? " palette" : "") << ", overflow "
                                << overflow;
        }
      }
    }
  }
}

TEST(Resample, FlatFieldsStayFlat) {
  for (int32_t method = 1; method <= 18; ++method) {
    for (double scale : {0.37, 0.5, 1.7, 3.0}) {
      CRaster flat(31, 22, 24);
      flat.FillRectColor(0, 0, 31, 22, RgbQuadFromValue(0x7F3AC4));
      const int32_t w = int32_t(31 * scale + 0.5), h = int32_t(22 * scale + 0.5);
      ASSERT_TRUE(flat.Resample(w, h, method, OverflowRepeat));
      for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
          const RGBQUAD c = flat.GetPixelColor(x, y);
          ASSERT_TRUE(std::abs(c.rgbRed - 0x7F) <= 1 && std::abs(c.rgbGreen - 0x3A) <= 1 &&
                      std::abs(c.rgbBlue - 0xC4) <= 1)
              << "method " << method << " scale " << scale << " at " << x << "," << y << ": "
              << std::hex << RgbQuadToValue(c);
        }
      }
    }
  }
}

TEST(Interpolation, FixedPointsOfTheSamplers) {
  CRaster image = RandomImage(5, 4, 24, 13);
  const RGBQUAD red = RgbQuadFromValue(0xFF0000);
  auto value = [](const RGBQUAD& c) { return RgbQuadToValue(c) & 0xFFFFFF; };
  // Pixel centres give the pixel for every kernel that is 1 at 0 and 0 at
  // the other whole numbers: bilinear (8.8 fixed point) and nearest too.
  for (int32_t method : {0, 1, 2, 4, 5, 6, 7, 8, 10, 11, 16, 17, 18, 19, -4}) {
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 5; ++x)
        ASSERT_EQ(value(image.GetPixelColorInterpolated(float(x), float(y), method, OverflowRepeat,
                                                        nullptr)),
                  value(image.GetPixelColor(x, y)))
            << "method " << method << " at " << x << "," << y;
  }
  // Methods outside 1..18 are bilinear.
  for (int32_t method : {0, 19, -1, 1000})
    EXPECT_EQ(value(image.GetPixelColorInterpolated(1.3f, 2.6f, method, 5, nullptr)),
              value(image.GetPixelColorInterpolated(1.3f, 2.6f, InterpBilinear, 5, nullptr)));
  EXPECT_EQ(value(image.GetPixelColorInterpolated(-0.5f, -0.5f, InterpBilinear, OverflowRepeat, nullptr)),
            value(image.GetPixelColor(0, 0)));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int32_t method : {1, 2, 6, 12}) {
    EXPECT_EQ(value(image.GetPixelColorInterpolated(-10, -10, method, OverflowColor, &red)), 0xFF0000u);
    EXPECT_EQ(value(image.GetPixelColorInterpolated(nan, 1, method, OverflowRepeat, &red)), 0xFF0000u);
    EXPECT_EQ(value(image.GetPixelColorInterpolated(1, 3e9f, method, OverflowColor, nullptr)), 0xFFFFFFu);
    // Far away but finite: wrapping still finds a pixel of the image.
    const RGBQUAD wrapped = image.GetPixelColorInterpolated(5e9f, 2, method, OverflowWrap, nullptr);
    bool found = false;
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 5; ++x) found = found || value(image.GetPixelColor(x, y)) == value(wrapped);
    EXPECT_TRUE(found || method == InterpBessel) << method;
  }
  // The area mean of whole pixels; a fractional area weighs the pixels it covers.
  CRaster quad(4, 4, 24);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) PutRgb(&quad, x, y, 16 * (4 * y + x), 0, 0);
  EXPECT_EQ(quad.GetAreaColorInterpolated(0.5f, 0.5f, 2, 2, 2, 5, nullptr).rgbRed, (0 + 16 + 64 + 80) / 4);
  EXPECT_EQ(quad.GetAreaColorInterpolated(1.0f, 1.0f, 2, 2, 2, 5, nullptr).rgbRed,
            (0 * 1 + 16 * 2 + 32 * 1 + 64 * 2 + 80 * 4 + 96 * 2 + 128 + 144 * 2 + 160) / 16);
}

TEST(Interpolation, OverflowMovesPositionsInside) {
  CRaster image = RandomImage(5, 3, 8, 14);
  image.SetPaletteColor(3, 1, 2, 3);
  const RGBQUAD green = RgbQuadFromValue(0x00FF00);
  auto at = [&](int32_t x, int32_t y) { return RgbQuadToValue(image.GetPixelColor(x, y)); };
  struct Case {
    int32_t x, y, overflow, sourceX, sourceY;  // -1: the replacement colour
  } cases[] = {
      {-1, 0, OverflowWrap, 4, 0},         {5, 1, OverflowWrap, 0, 1},
      {-7, -4, OverflowWrap, 3, 2},        {INT_MIN, 0, OverflowWrap, 2, 0},
      {-3, 7, OverflowRepeat, 0, 2},       {INT_MAX, INT_MIN, OverflowRepeat, 4, 0},
      {-1, 0, OverflowMirror, 1, 0},       {5, 1, OverflowMirror, 4, 1},
      {7, -2, OverflowMirror, 2, 2},       {INT_MIN, 1, OverflowMirror, 3, 1},
      {INT_MAX, 3, OverflowMirror, 2, 2},  {-1, 0, OverflowColor, -1, 0},
      {2, 9, 0, -1, 0},                    {2, 9, 77, -1, 0},
  };
  for (const Case& c : cases) {
    const uint32_t want = c.sourceX < 0 ? 0x00FF00u : at(c.sourceX, c.sourceY);
    EXPECT_EQ(RgbQuadToValue(image.GetPixelColorWithOverflow(c.x, c.y, c.overflow, &green)), want)
        << c.x << "," << c.y << " overflow " << c.overflow;
  }
  // The background: its entry for 2 and 3; without one the replacement.
  EXPECT_EQ(RgbQuadToValue(image.GetPixelColorWithOverflow(9, 9, OverflowBackground, &green)), 0x00FF00u);
  image.SetBkgndIndex(3);
  EXPECT_EQ(RgbQuadToValue(image.GetPixelColorWithOverflow(9, 9, OverflowBackground, &green)), 0x010203u);
  EXPECT_EQ(RgbQuadToValue(image.GetPixelColorWithOverflow(9, 9, OverflowTransparent, nullptr)), 0x010203u);
  int32_t x = -6, y = 1;
  image.OverflowCoordinates(x, y, OverflowWrap);
  EXPECT_EQ(x, 4);
  float fx = -6.5f, fy = 7.25f;
  image.OverflowCoordinates(fx, fy, OverflowMirror);
  EXPECT_FLOAT_EQ(fx, 1.5f);
  EXPECT_FLOAT_EQ(fy, 3 - (1.25f + 1));
}

TEST(Resample, SizesAndRefusals) {
  CRaster two(2, 2, 24);
  PutRgb(&two, 0, 0, 10, 20, 30);
  PutRgb(&two, 1, 0, 40, 50, 60);
  PutRgb(&two, 0, 1, 70, 80, 90);
  PutRgb(&two, 1, 1, 100, 110, 120);
  CRaster four(two);
  ASSERT_TRUE(four.Resample(4, 4, InterpNearest, OverflowRepeat));
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(RgbQuadToValue(four.GetPixelColor(x, y)), RgbQuadToValue(two.GetPixelColor(x / 2, y / 2)));
  CRaster back(four), copy;
  ASSERT_TRUE(back.Resample(2, 2, InterpCubicSharp, OverflowRepeat));
  EXPECT_EQ(memcmp(back.GetBits(0), two.GetBits(0), 16), 0);
  ASSERT_TRUE(two.Resample(2, 2, InterpBilinear, OverflowRepeat, &copy));
  EXPECT_EQ(memcmp(copy.GetDib(), two.GetDib(), two.GetSize()), 0);

  const int32_t sizes[][2] = {{0, 5}, {-1, 5}, {5, 0}, {INT_MIN, 1}};
  for (const auto& size : sizes) {
    CRaster image(3, 3, 24);
    EXPECT_FALSE(image.Resample(size[0], size[1])) << size[0] << "x" << size[1];
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_EQ(image.GetWidth(), 3);
  }
  CRaster image(3, 3, 24);
  EXPECT_FALSE(image.Resample(1, INT_MAX));
  EXPECT_STREQ(image.GetLastError(), "RASTER_MAX_MEMORY exceeded");
  EXPECT_FALSE(image.Resample(INT_MAX, INT_MAX, InterpLanczos));
  EXPECT_STREQ(image.GetLastError(), "RASTER_MAX_MEMORY exceeded");
  EXPECT_EQ(image.GetWidth(), 3);
  CRaster empty;
  EXPECT_FALSE(empty.Resample(2, 2));
}

}  // namespace
