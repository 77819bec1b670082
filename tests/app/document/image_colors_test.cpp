// Hue and saturation inside the library's selection box and under its
// escape flag; the optimal palette's tree depth by colour count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "app/document/image.h"

namespace {

// A state with a library selection mask over box (rows from the bottom).
struct CMaskedImage : CImage {
  void SetMask(RECT box) {
    selection = static_cast<BYTE*>(calloc(size_t(GetWidth()) * GetHeight(), 1));
    info.selectionBox = box;
  }
};

void FillStripes(CRaster* image) {
  for (int32_t y = 0; y < image->GetHeight(); ++y)
    for (int32_t x = 0; x < image->GetWidth(); ++x)
      image->SetPixelColor(x, y, RgbQuadFromValue(0xC02010u + uint32_t(x * 9) + (uint32_t(y) << 11)));
}

TEST(ImageColors, SaturationOnlyInsideTheSelectionBoxAndNotAfterEscape) {
  CMaskedImage image;
  ASSERT_TRUE(image.Create(20, 10, 24, 0));
  FillStripes(&image);
  CImage before;
  ASSERT_TRUE(before.Copy(image));
  // Columns 3..7 and stored rows 2..5; the right and top edges lie outside,
  // and a box beyond the image is cut to it.
  for (RECT box : {RECT{3, 6, 8, 2}, RECT{15, 40, 60, 8}}) {
    image.SetMask(box);
    ASSERT_TRUE(AdjustHueSaturation(30, &image, 0.0f));
    for (int32_t y = 0; y < 10; ++y) {
      for (int32_t x = 0; x < 20; ++x) {
        const RGBQUAD c = image.GetPixelColor(x, y);
        const bool inside = x >= box.left && x < std::min<LONG>(box.right, 20) &&
                            y >= box.bottom && y < std::min<LONG>(box.top, 10);
        if (inside) {
          EXPECT_TRUE(c.rgbRed == c.rgbGreen && c.rgbGreen == c.rgbBlue) << x << "," << y;
        } else if (box.left == 3) {
          EXPECT_EQ(RgbQuadToValue(c), RgbQuadToValue(before.GetPixelColor(x, y))) << x << "," << y;
        }
      }
    }
    image.Destroy();
    ASSERT_TRUE(image.Copy(before));
  }
  image.SetEscape(1);
  EXPECT_TRUE(AdjustHueSaturation(30, &image, 0.0f)) << "a stopped change still succeeds";
  EXPECT_EQ(memcmp(image.GetBits(0), before.GetBits(0), size_t(image.GetRowBytes()) * 10), 0);
}

TEST(ImageColors, OptimalPaletteTellsNearColoursApartOnlyForFewColours) {
  CImage image;
  EXPECT_EQ(image.CreateOptimalPalette(16), nullptr) << "no pixels";
  ASSERT_TRUE(image.Create(8, 8, 24, 0));
  const uint32_t colours[] = {0x0A0A0A, 0x0B0B0B, 0xFF0000, 0x00FF00, 0x0000FF};
  for (int32_t i = 0; i < 64; ++i) image.SetPixelColor(i % 8, i / 8, RgbQuadFromValue(colours[i % 5]));
  // Up to 16 colours the tree is 8 levels deep and keeps 0A0A0A and 0B0B0B
  // apart; beyond, 7 levels merge them.
  for (int32_t requested : {16, 256}) {
    RGBQUAD* table = image.CreateOptimalPalette(requested);
    ASSERT_NE(table, nullptr);
    std::set<uint32_t> got;
    int used = 0;
    for (int i = 0; i < 256; ++i) {
      const uint32_t c = RgbQuadToValue(table[i]) & 0xFFFFFF;
      if (c) got.insert(c);
      used += c != 0;
    }
    free(table);
    const std::set<uint32_t> want = requested == 16
        ? std::set<uint32_t>(std::begin(colours), std::end(colours))
        : std::set<uint32_t>{0x0B0B0B, 0xFF0000, 0x00FF00, 0x0000FF};
    EXPECT_EQ(got, want) << requested;
    EXPECT_EQ(size_t(used), want.size()) << "the rest of the table stays zero";
  }
}

}  // namespace
