// Cropping, mirroring and turning. Results go to geometry_oracle.py
// (ImageMagick and PIL); here: the optimised right angles, sizes, corners,
// keep-size and refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imagelib/raster.h"
#include "tests/imagelib/operation_test_util.h"

namespace {

bool SameImage(const CRaster& a, const CRaster& b) {
  return a.GetSize() == b.GetSize() && memcmp(a.GetDib(), b.GetDib(), a.GetSize()) == 0;
}

TEST(Geometry, ExactMovesForTheOracle) {
  COracleManifest cases("geometry_cases.txt");
  ASSERT_TRUE(cases.IsOpen());
  const int32_t sizes[][2] = {{1, 1}, {7, 3}, {65, 130}, {129, 67}, {1000, 1}};
  int n = 0;
  for (int32_t bpp : {1, 4, 8, 24}) {
    for (const auto& size : sizes) {
      const int32_t w = size[0], h = size[1];
      const CRaster image = RandomImage(w, h, bpp, uint32_t(n + 1));
      const std::string stem = "geometry_" + std::to_string(n++);
      ASSERT_TRUE(DumpRaster(image, stem + "_in.ras"));
      int k = 0;
      auto put = [&](const CRaster& out, const std::string& what) {
        const std::string file = stem + "_" + std::to_string(k++) + ".ras";
        EXPECT_TRUE(DumpRaster(out, file));
        cases.Line("%s %s %s", what.c_str(), stem.c_str(), file.c_str());
      };
      // A rectangle inside, given corner by corner and the other way round.
      const int32_t left = w / 4, top = h / 5, right = w - w / 3, bottom = h - h / 7;
      for (bool swapped : {false, true}) {
        CRaster cropped(image);
        ASSERT_TRUE(swapped ? cropped.Crop(right, bottom, left, top) : cropped.Crop(left, top, right, bottom))
            << w << "x" << h;
        put(cropped, "crop " + std::to_string(right - left) + " " + std::to_string(bottom - top) +
                         " " + std::to_string(left) + " " + std::to_string(top));
      }
      CRaster mirrored(image), half(image), leftTurn(image), rightTurn(image);
      ASSERT_TRUE(mirrored.Mirror() && half.Rotate180() && leftTurn.RotateLeft() &&
                  rightTurn.RotateRight());
      put(mirrored, "flop");
      put(half, "rotate 180");
      put(leftTurn, "rotate -90");
      put(rightTurn, "rotate 90");
      // The optimised angles move the same pixels, and no turn changes nothing.
      const std::pair<float, const CRaster*> turns[] = {
          {90.0f, &rightTurn}, {-90.0f, &leftTurn}, {180.0f, &half}, {540.0f, &half},
          {-270.0f, &rightTurn}, {450.0f, &rightTurn}};
      for (const auto& turn : turns) {
        CRaster turned(image);
        ASSERT_TRUE(turned.Rotate(turn.first, nullptr, InterpBilinear, OverflowColor, nullptr, true));
        EXPECT_TRUE(SameImage(turned, *turn.second)) << turn.first << " on " << w << "x" << h;
      }
      CRaster unturned(image), copy;
      ASSERT_TRUE(unturned.Rotate(0.0f, &copy));
      EXPECT_TRUE(SameImage(unturned, image));
      EXPECT_TRUE(SameImage(copy, image));
      // A quarter turn there and back restores the picture.
      CRaster back(leftTurn);
      ASSERT_TRUE(back.RotateRight());
      EXPECT_TRUE(SameImage(back, image)) << bpp << " bpp " << w << "x" << h;
    }
  }
}

TEST(Geometry, TurnsAtAnyAngleForTheOracle) {
  COracleManifest cases("rotation_cases.txt");
  CRaster photo(120, 90, 24);
  FillPhoto(&photo, 4);
  ASSERT_TRUE(DumpRaster(photo, "rotation_in.ras"));
  for (float angle : {17.0f, 33.0f, 45.0f, -61.0f}) {
    CRaster turned(photo);
    ASSERT_TRUE(turned.Rotate(angle, nullptr, InterpBilinear, OverflowColor, nullptr));
    const std::string file = "rotation_" + std::to_string(int(angle)) + ".ras";
    ASSERT_TRUE(DumpRaster(turned, file));
    cases.Line("%g %s", angle, file.c_str());
  }
  // 45 degrees of a square: sqrt(2) as wide, the corners in the replacement
  // colour (white when none), the centre still the picture's.
  CRaster square(100, 100, 24);
  square.FillRectColor(0, 0, 100, 100, RgbQuadFromValue(0x336699));
  const RGBQUAD red = RgbQuadFromValue(0xFF0000);
  struct Case {
    const RGBQUAD* replacement;
    uint32_t corner;
  } cases45[] = {{&red, 0xFF0000}, {nullptr, 0xFFFFFF}};
  for (const Case& c : cases45) {
    CRaster turned(square);
    ASSERT_TRUE(turned.Rotate(45, nullptr, InterpBilinear, OverflowColor, c.replacement));
    ASSERT_EQ(turned.GetWidth(), 141);
    ASSERT_EQ(turned.GetHeight(), 141);
    for (const auto& p : {std::pair<int, int>{0, 0}, {140, 0}, {0, 140}, {140, 140}})
      EXPECT_EQ(RgbQuadToValue(turned.GetPixelColor(p.first, p.second)), c.corner);
    EXPECT_EQ(RgbQuadToValue(turned.GetPixelColor(70, 70)), 0x336699u);
  }
  // Keep size: the same size, the centre kept, the corners filled; no turn
  // (without the optimisation) samples every pixel at its own centre.
  CRaster kept(photo);
  ASSERT_TRUE(kept.Rotate(30, nullptr, InterpBilinear, OverflowColor, &red, true, true));
  EXPECT_EQ(kept.GetWidth(), 120);
  EXPECT_EQ(kept.GetHeight(), 90);
  EXPECT_EQ(RgbQuadToValue(kept.GetPixelColor(0, 0)), 0xFF0000u);
  CRaster still(photo);
  ASSERT_TRUE(still.Rotate(0, nullptr, InterpBilinear, OverflowColor, &red, false, true));
  EXPECT_TRUE(SameImage(still, photo));
  // A palette image takes the nearest entries.
  CRaster indexed = RandomImage(30, 20, 8, 3);
  ASSERT_TRUE(indexed.Rotate(10, nullptr, InterpNearest, OverflowColor, nullptr));
  EXPECT_EQ(indexed.GetBpp(), 8);
}

TEST(Geometry, RefusalsAndWhatStaysUntouched) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  CRaster image = RandomImage(9, 6, 8, 5);
  const CRaster before(image);
  for (float angle : {nan, inf, -inf}) {
    EXPECT_FALSE(image.Rotate(angle)) << angle;
    EXPECT_STREQ(image.GetLastError(), "");
  }
  EXPECT_FALSE(image.Crop(3, 0, 3, 6));
  EXPECT_FALSE(image.Crop(0, 2, 9, 2));
  EXPECT_FALSE(image.Crop(20, 0, 30, 6));  // limited to the right edge: empty
  EXPECT_STREQ(image.GetLastError(), "");
  EXPECT_TRUE(SameImage(image, before));
  // A ghost destination refuses the result; the image stays.
  CRaster ghost;
  ghost.Ghost(&before);
  EXPECT_FALSE(image.Crop(0, 0, 4, 4, &ghost));
  EXPECT_FALSE(image.RotateLeft(&ghost));
  EXPECT_FALSE(image.Rotate(33, &ghost));
  EXPECT_FALSE(image.Resample(3, 3, InterpBilinear, OverflowRepeat, &ghost));
  EXPECT_TRUE(SameImage(image, before));
  CRaster empty;
  EXPECT_FALSE(empty.Crop(0, 0, 1, 1));
  EXPECT_FALSE(empty.Mirror());
  EXPECT_FALSE(empty.Rotate180());
  EXPECT_FALSE(empty.RotateLeft());
  EXPECT_FALSE(empty.Rotate(10));
  // Mirror leaves the selection mask as it was.
  CMaskedRaster masked(image);
  masked.Select(0, 0, 9, 6);
  masked.Selection()[0] = 1;
  ASSERT_TRUE(masked.Mirror());
  EXPECT_EQ(masked.Selection()[0], 1);
  EXPECT_EQ(masked.Selection()[8], 0);
  // Crop into a destination leaves the source alone and takes its palette.
  CRaster part;
  ASSERT_TRUE(image.Crop(2, 1, 5, 4, &part));
  EXPECT_TRUE(SameImage(image, before));
  EXPECT_EQ(memcmp(part.GetPalette(), image.GetPalette(), 1024), 0);
  EXPECT_EQ(part.GetPixelIndex(0, 0), image.GetPixelIndex(2, 2));
}

}  // namespace
