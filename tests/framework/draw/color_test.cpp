#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "framework/draw/color.h"

namespace {

struct Hls {
  int hue, light, sat;
};
Hls Unpack(uint32_t hls) { return {int(hls & 0xFF), int((hls >> 8) & 0xFF), int(hls >> 16)}; }

COLORREF FromHls(uint32_t hls) {
  Hls h = Unpack(hls);
  double r, g, b;
  HlsToRgb(h.hue * 360.0 / 255.0, h.light / 255.0, h.sat / 255.0, &r, &g, &b);
  return RGB(BYTE(r * 255), BYTE(g * 255), BYTE(b * 255));
}

int ChannelDistance(COLORREF a, COLORREF b) {
  return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}

}  // namespace

TEST(Color, HlsRoundTripStaysWithinOneGridStep) {
  const int kStep = 255 / 31;  // a 32 x 32 x 32 grid over 0..255
  int worst = 0;
  for (int r = 0; r < 32; ++r)
    for (int g = 0; g < 32; ++g)
      for (int b = 0; b < 32; ++b) {
        COLORREF c = RGB(r * 255 / 31, g * 255 / 31, b * 255 / 31);
        int d = ChannelDistance(c, FromHls(RgbToHls(c)));
        ASSERT_LE(d, kStep) << std::hex << c;
        worst = std::max(worst, d);
      }
  RecordProperty("worst", worst);
}

TEST(Color, KnownHlsValues) {
  // Hue bytes: green 120 degrees, blue 240, red 360 (not reduced: only above).
  EXPECT_EQ(0xFF7F55u, RgbToHls(RGB(0, 255, 0)));
  EXPECT_EQ(0xFF7FAAu, RgbToHls(RGB(0, 0, 255)));
  EXPECT_EQ(0xFF7FFFu, RgbToHls(RGB(255, 0, 0)));
  // Orange: 30 degrees, full saturation above half lightness.
  EXPECT_EQ(0xFF7F15u, RgbToHls(RGB(255, 128, 0)));
  // Greys have no hue and no saturation.
  for (int v : {0, 1, 77, 128, 254, 255}) {
    Hls h = Unpack(RgbToHls(RGB(v, v, v)));
    EXPECT_EQ(0, h.hue);
    EXPECT_EQ(0, h.sat);
    EXPECT_NEAR(v, h.light, 1);
  }
}

TEST(Color, HlsToRgbClampsItsInputs) {
  double r, g, b;
  HlsToRgb(-30, 2.0, -1, &r, &g, &b);
  EXPECT_EQ(1.0, r);
  EXPECT_EQ(1.0, g);
  EXPECT_EQ(1.0, b);
  HlsToRgb(400, 0.5, 5, &r, &g, &b);  // hue 360 is red
  EXPECT_DOUBLE_EQ(1.0, r);
  EXPECT_DOUBLE_EQ(0.0, g);
  EXPECT_DOUBLE_EQ(0.0, b);
}

TEST(Color, ByteOrderConversions) {
  EXPECT_EQ(0x80FF0000u, ColorToArgb(0x0000FF, 128));
  EXPECT_EQ(0x00123456u, ColorToArgb(0xAA563412, 0));
  EXPECT_EQ(0xAA123456u, ColorToBgr(0xAA563412));
  EXPECT_TRUE(SameRgb(0xFF102030, 0x00102030));
  EXPECT_FALSE(SameRgb(0x00102030, 0x00102031));
}

TEST(Color, BlendThemeColor) {
  COLORREF steel = RGB(70, 130, 180);
  EXPECT_LE(ChannelDistance(steel, BlendThemeColor(steel, 0, 0, 0)), 3);
  EXPECT_EQ(RGB(0, 0, 0), BlendThemeColor(steel, 0, -1, 0));
  EXPECT_EQ(RGB(255, 255, 255), BlendThemeColor(steel, 0, 5, 0));
  COLORREF grey = BlendThemeColor(steel, 0, 0, -1);
  EXPECT_TRUE(GetRValue(grey) == GetGValue(grey) && GetGValue(grey) == GetBValue(grey));
  // A third of the circle turns blue into red; a whole turn wraps to nearly
  // the same hue.
  COLORREF turned = BlendThemeColor(RGB(0, 0, 255), 1.0 / 3, 0, 0);
  EXPECT_GT(GetRValue(turned), 240);
  EXPECT_LT(GetBValue(turned), 16);
  EXPECT_LE(ChannelDistance(steel, BlendThemeColor(steel, 1.0, 0, 0)), 8);
  // Lightness and saturation scale up and stop at the top.
  uint32_t lighter = RgbToHls(BlendThemeColor(steel, 0, 0.2, 0));
  EXPECT_GT(Unpack(lighter).light, Unpack(RgbToHls(steel)).light);
}
