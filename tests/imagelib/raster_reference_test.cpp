// Nearest-colour search and rectangle fills against numpy and PIL results
// made by imagelib_fixtures.py.
#include <gtest/gtest.h>

#include <cstring>

#include "imagelib/raster.h"
#include "tests/imagelib/fixture_reader.h"

namespace {

TEST(Reference, NearestIndexEqualsFirstArgmin) {
  CFixtureReader in("nearest.bin");
  ASSERT_TRUE(in.Loaded()) << "nearest.bin " BW_FIXTURE_HINT;
  const int32_t cases = in.Int();
  int64_t checked = 0;
  for (int32_t c = 0; c < cases; ++c) {
    const int32_t bpp = in.Int(), entries = in.Int(), important = in.Int();
    CRaster image(1, 1, bpp);
    ASSERT_EQ(int32_t(image.GetNumColors()), entries);
    image.SetPalette(reinterpret_cast<const RGBQUAD*>(in.Take(size_t(entries) * 4)), entries);
    image.SetClrImportant(DWORD(important));
    const int32_t count = in.Int();
    const uint8_t* colours = in.Take(size_t(count) * 4);
    const uint8_t* expected = in.Take(size_t(count));
    ASSERT_FALSE(in.Failed());
    for (int32_t i = 0; i < count; ++i) {
      RGBQUAD colour;
      memcpy(&colour, colours + 4 * i, 4);
      ASSERT_EQ(image.GetNearestIndex(colour), expected[i])
          << "case " << c << " colour " << i << " (" << bpp << " bpp, important " << important
          << ")";
    }
    checked += count;
  }
  EXPECT_GE(checked, 100000);
}

void ExpectPicture(const CRaster& image, const uint8_t* topDown, int rect) {
  const int32_t w = image.GetWidth(), h = image.GetHeight();
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const int32_t stored = h - 1 - y;
      if (image.GetBpp() == 24) {
        const RGBQUAD c = image.GetPixelColor(x, stored);
        const uint8_t* e = topDown + 3 * (size_t(y) * w + x);
        ASSERT_TRUE(c.rgbRed == e[0] && c.rgbGreen == e[1] && c.rgbBlue == e[2])
            << "rect " << rect << " at " << x << "," << y;
      } else {
        ASSERT_EQ(image.GetPixelIndex(x, stored), topDown[size_t(y) * w + x])
            << image.GetBpp() << " bpp, rect " << rect << " at " << x << "," << y;
      }
    }
  }
}

TEST(Reference, FillRectEqualsImageDrawRectangle) {
  CFixtureReader in("fill.bin");
  ASSERT_TRUE(in.Loaded()) << "fill.bin " BW_FIXTURE_HINT;
  const int32_t cases = in.Int();
  for (int32_t c = 0; c < cases; ++c) {
    const int32_t bpp = in.Int(), w = in.Int(), h = in.Int(), entries = in.Int();
    CRaster image(w, h, bpp);
    image.SetPalette(reinterpret_cast<const RGBQUAD*>(in.Take(size_t(entries) * 4)), entries);
    const int32_t rects = in.Int();
    const size_t pictureBytes = size_t(w) * h * (bpp == 24 ? 3 : 1);
    for (int32_t r = 0; r < rects; ++r) {
      const int32_t left = in.Int(), top = in.Int(), right = in.Int(), bottom = in.Int();
      RGBQUAD colour;
      memcpy(&colour, in.Take(4), 4);
      const uint8_t* expected = in.Take(pictureBytes);
      ASSERT_FALSE(in.Failed());
      ASSERT_TRUE(image.FillRectColor(left, top, right, bottom, colour));
      ExpectPicture(image, expected, r);
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
