#include "framework/draw/icon_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

IconGroupEntry Entry(int width, int bits, uint16_t id) {
  IconGroupEntry entry = {};
  entry.bWidth = uint8_t(width);
  entry.bHeight = uint8_t(width);
  entry.wBitCount = uint16_t(bits);
  entry.nId = id;
  return entry;
}

TEST(IconGroupPick, DepthFallsDownwardsAndSizeIsExactOrNearest) {
  const IconGroupEntry entries[] = {Entry(16, 4, 1), Entry(32, 4, 2), Entry(48, 4, 3),
                                    Entry(16, 8, 4), Entry(32, 8, 5), Entry(48, 8, 6)};
  // No 32-bit images: index 3 falls back to 8 bits.
  EXPECT_EQ(3, PickIconGroupEntry(entries, 6, 3, 16));
  EXPECT_EQ(4, PickIconGroupEntry(entries, 6, 3, 32));
  EXPECT_EQ(1, PickIconGroupEntry(entries, 6, 1, 32));
  EXPECT_EQ(3, PickIconGroupEntry(entries, 6, 2, 0));    // size 0: the first of the depth
  EXPECT_EQ(4, PickIconGroupEntry(entries, 6, 2, 36));   // nearest
  EXPECT_EQ(3, PickIconGroupEntry(entries, 6, 2, 24));   // equal distance: the first
  EXPECT_EQ(5, PickIconGroupEntry(entries, 6, 2, 256));
  EXPECT_EQ(-1, PickIconGroupEntry(entries, 6, 0, 32));  // no 1-bit images
  EXPECT_EQ(-1, PickIconGroupEntry(entries, 6, -1, 32));
}

TEST(IconGroupPick, WidthZeroMeansTwoHundredFiftySix) {
  const IconGroupEntry entries[] = {Entry(48, 32, 1), Entry(0, 32, 2)};
  EXPECT_EQ(1, PickIconGroupEntry(entries, 2, 3, 256));
  EXPECT_EQ(1, PickIconGroupEntry(entries, 2, 3, 200));
  IconGroupEntry byColors = Entry(16, 0, 3);
  byColors.bColorCount = 16;
  EXPECT_EQ(4, IconEntryDepth(byColors));
}

// The blend recomputed independently, channel by channel.
uint32_t Expected(uint32_t pixel, double offset, uint32_t light, uint32_t shadow) {
  double sum = double(pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF) + offset;
  double x = sum / 765.0;
  x = x < 0 ? 0 : x > 1 ? 1 : x;
  auto channel = [&](int colorRefShift) {
    return uint32_t(((light >> colorRefShift) & 0xFF) * x +
                    ((shadow >> colorRefShift) & 0xFF) * (1 - x));
  };
  return (pixel & 0xFF000000u) | channel(0) << 16 | channel(8) << 8 | channel(16);
}

TEST(GrayBlend, ClampsAndLeavesHiddenPixels) {
  const uint32_t light = 0x00E0F0FF;   // COLORREF: red FF, green F0, blue E0
  const uint32_t shadow = 0x00102030;
  // Saturated white and black with a very dark mean: unclamped x would leave [0, 1].
  std::vector<uint32_t> colors = {0x80FFFFFF, 0xFF000000, 0x12345678, 0xFF0000FF, 0x00ABCDEF};
  std::vector<uint32_t> mask = {0, 0, 0, 0, 0xFFFFFFFF};
  double mean = (0xFF + 0x00 + 0x78 + 0xFF) / 4.0;
  std::vector<uint32_t> expected;
  for (size_t i = 0; i < 4; ++i) expected.push_back(Expected(colors[i], 128 - mean, light, shadow));
  GrayBlendPixels(colors.data(), mask.data(), colors.size(), light, shadow);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(expected[i], colors[i]) << i;
  EXPECT_EQ(0x00ABCDEFu, colors[4]);
  EXPECT_EQ(0x80u, colors[0] >> 24);
}

TEST(GrayBlend, FullyTransparentIconChangesNothing) {
  std::vector<uint32_t> colors = {1, 2, 3};
  std::vector<uint32_t> mask = {0xFF, 0xFF, 0xFF};
  GrayBlendPixels(colors.data(), mask.data(), colors.size(), 0xFFFFFF, 0);
  EXPECT_EQ((std::vector<uint32_t>{1, 2, 3}), colors);
}

TEST(GrayBlend, ExtremesReachTheEndsOfTheBlend) {
  // One white and one black pixel: mean blue 127.5, offset 0.5.
  std::vector<uint32_t> colors = {0x00FFFFFF, 0x00000000};
  std::vector<uint32_t> mask = {0, 0};
  GrayBlendPixels(colors.data(), mask.data(), 2, 0x00FFFFFF, 0x00000000);
  EXPECT_EQ(0x00FFFFFFu, colors[0]);
  EXPECT_EQ(0x00000000u, colors[1]);
}

}  // namespace

namespace {

// In an icon with an alpha channel, a pixel of alpha 0 is hidden even where
// the mask shows it: it neither changes nor counts for the mean.
TEST(GrayBlend, AlphaZeroHidesPixelsOfIconsWithAlpha) {
  std::vector<uint32_t> colors = {0xFF404040, 0x00FFFFFF, 0xFFC0C0C0};
  std::vector<uint32_t> mask = {0, 0, 0};
  double mean = (0x40 + 0xC0) / 2.0;
  uint32_t first = Expected(colors[0], 128 - mean, 0x00FFFFFF, 0);
  GrayBlendPixels(colors.data(), mask.data(), colors.size(), 0x00FFFFFF, 0);
  EXPECT_EQ(first, colors[0]);
  EXPECT_EQ(0x00FFFFFFu, colors[1]);
  // Without any alpha, alpha 0 is no hint: every unmasked pixel shows.
  std::vector<uint32_t> plain = {0x00404040, 0x00C0C0C0};
  std::vector<uint32_t> none = {0, 0};
  uint32_t expected = Expected(plain[0], 0, 0x0000FF00, 0);
  GrayBlendPixels(plain.data(), none.data(), plain.size(), 0x0000FF00, 0);
  EXPECT_EQ(expected, plain[0]);
  EXPECT_NE(0x00404040u, plain[0]);
}

}  // namespace
