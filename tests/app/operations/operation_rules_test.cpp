// The pure rules: codec by extension, destination paths at the length limit,
// the "Optimized" choice, resize sizes against an independent computation,
// colour-adjustment numbers and the replacement pairs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "app/operations/operation_rules.h"
#include "imagelib/raster_format.h"

namespace {

TEST(OperationRules, CodecComesFromTheTextAfterTheLastDot) {
  struct Case {
    const char* path;
    int32_t expected;
  } cases[] = {
      {"C:\\a\\photo.jpeg", RASTER_FORMAT_JPG}, {"photo.JPG", RASTER_FORMAT_JPG},
      {"x.png", RASTER_FORMAT_PNG},             {"x.tiff", RASTER_FORMAT_TIF},
      {"x.pngs", RASTER_FORMAT_UNKNOWN},        {"x.old.bmp", RASTER_FORMAT_BMP},
      {"C:\\dir.png\\name", -1},                {"name", -1},
      {"x.", RASTER_FORMAT_UNKNOWN},            {"x.gif", RASTER_FORMAT_GIF},
  };
  for (const Case& c : cases) EXPECT_EQ(ImageTypeOfPath(c.path, -1), c.expected) << c.path;
  EXPECT_EQ(GetExtensionIndex("a\\b.Opt"), 5);
  EXPECT_EQ(GetExtensionIndex("b.jpeg"), -1);
  EXPECT_EQ(GetExtensionIndex("opt"), -1);
  const std::pair<const char*, int> filters[] = {
      {"bmp", 1}, {"GIF", 2}, {"jpeg", 3}, {"png", 4}, {"tiff", 5}, {"opt", 0}, {"", 0}, {nullptr, 0}};
  for (const auto& f : filters) EXPECT_EQ(SaveAsFilterOfExtension(f.first), f.second) << f.first;
}

TEST(OperationRules, DestinationPathsAreJoinedFinishedOrRefusedNeverCut) {
  char out[260];
  ASSERT_TRUE(JoinDestinationPath("C:\\shots", "cap", out, sizeof(out)));
  EXPECT_STREQ(out, "C:\\shots\\cap");
  ASSERT_TRUE(JoinDestinationPath("C:\\shots\\", "", out, sizeof(out)));
  EXPECT_STREQ(out, "C:\\shots\\");
  // 259 characters fit, 260 do not.
  const std::string folder(250, 'f');
  EXPECT_TRUE(JoinDestinationPath(folder.c_str(), std::string(8, 'n').c_str(), out, sizeof(out)));
  EXPECT_EQ(strlen(out), 259u);
  EXPECT_FALSE(JoinDestinationPath(folder.c_str(), std::string(9, 'n').c_str(), out, sizeof(out)));

  struct Case {
    const char* path;
    int32_t type;
    const char* expected;
  } cases[] = {
      {"C:\\s\\cap", 3, "C:\\s\\cap.png"},     {"C:\\s\\cap.PNG", 0, "C:\\s\\cap.png"},
      {"C:\\s\\cap.Jpeg", 0, "C:\\s\\cap.jpeg"}, {"C:\\s\\cap.OPT", 0, "C:\\s\\cap.opt"},
      {"C:\\s\\v1.2", 5, "C:\\s\\v1.2.opt"},   {"C:\\s\\x", 77, "C:\\s\\x.bmp"},
  };
  for (const Case& c : cases) {
    snprintf(out, sizeof(out), "%s", c.path);
    ASSERT_TRUE(FinishDestinationPath(out, sizeof(out), c.type)) << c.path;
    EXPECT_STREQ(out, c.expected);
  }
  std::string full(256, 'p');
  snprintf(out, sizeof(out), "%s", full.c_str());
  EXPECT_FALSE(FinishDestinationPath(out, sizeof(out), 3));  // 256 + ".png" would pass 259
  EXPECT_EQ(std::string(out), full) << "a refused path is left alone";

  ASSERT_TRUE(ReplacePathExtension("C:\\a.b\\x.opt", "jpg", out, sizeof(out)));
  EXPECT_STREQ(out, "C:\\a.b\\x.jpg");
  EXPECT_FALSE(ReplacePathExtension((std::string(256, 'q') + ".opt").c_str(), "jpeg", out,
                                    sizeof(out)));
}

TEST(OperationRules, OptimizedKeepsThePngUpToOneAndAHalfTimesTheJpeg) {
  for (uint64_t jpg : {1u, 2u, 3u, 1000u, 1001u}) {
    for (uint64_t png = 0; png <= jpg * 2 + 2; ++png) {
      // Independent oracle: the exact rational comparison png / jpg <= 3 / 2.
      const bool oracle = png * 2 <= jpg * 3;
      EXPECT_EQ(KeepPngCandidate(png, jpg), oracle) << png << " " << jpg;
    }
  }
  EXPECT_TRUE(KeepPngCandidate(1500, 1000));
  EXPECT_FALSE(KeepPngCandidate(1501, 1000));
  EXPECT_TRUE(KeepPngCandidate(uint64_t(3) << 40, uint64_t(2) << 40));
}

TEST(OperationRules, ResizeSizes) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    ResizeInput in;
    bool ok;
    int32_t w, h, dpi;
  } cases[] = {
      // pixels, aspect derived from the image for a missing side
      {{400, 200, 96, 96, 100, 0, 0, 0, 1, false}, true, 100, 50, 96},
      {{400, 200, 96, 96, 0, 100, 0, 0, 1, false}, true, 200, 100, 96},
      {{400, 200, 96, 96, 100, 0, 0, 0, 0, false}, true, 100, 200, 96},
      // centimetres and inches at 100 dpi: 2.54 cm = 1 inch = 100 pixels
      {{400, 200, 72, 72, 3, 6, 1, 100, 0, false}, true, 118, 236, 100},
      {{400, 200, 72, 72, 1, 2, 1, 100, 0, true}, true, 100, 200, 100},
      // percent, rescaled from the image's resolution to r; a resolution of 0 is taken as r
      {{400, 200, 100, 50, 50, 50, 2, 200, 0, false}, true, 400, 400, 200},
      {{400, 200, 0, 0, 50, 50, 2, 120, 0, false}, true, 200, 100, 120},
      {{400, 200, 96, 48, 100, 100, 2, 0, 0, false}, true, 300, 300, 72},
      // any other unit keeps the size
      {{400, 200, 96, 96, 7, 7, 9, 0, 0, false}, true, 400, 200, 96},
      // refused: empty, not finite, negative, beyond 2^30
      {{400, 200, 96, 96, 0, 0, 0, 0, 0, false}, false, 0, 0, 96},
      {{400, 200, 96, 96, nan, 10, 0, 0, 0, false}, false, 0, 0, 96},
      {{400, 200, 96, 96, inf, 10, 0, 0, 0, false}, false, 0, 0, 96},
      {{400, 200, 96, 96, -5, 10, 0, 0, 0, false}, false, 0, 0, 96},
      {{400, 200, 96, 96, 2e9f, 10, 0, 0, 0, false}, false, 0, 0, 96},
      {{400, 200, 96, 96, 1e30f, 1e30f, 2, 0, 0, false}, false, 0, 0, 96},
      {{400, 1, 96, 96, 0, 1e9f, 0, 0, 1, false}, false, 0, 0, 96},
  };
  for (const Case& c : cases) {
    ResizeResult r = {};
    const bool ok = ComputeResizeSize(c.in, &r);
    EXPECT_EQ(ok, c.ok) << c.in.newWidth << "x" << c.in.newHeight << " unit " << c.in.unit;
    EXPECT_EQ(r.dpi, c.dpi);
    if (!ok || !c.ok) continue;
    EXPECT_EQ(r.width, c.w) << c.in.newWidth << " unit " << c.in.unit;
    EXPECT_EQ(r.height, c.h) << c.in.newHeight << " unit " << c.in.unit;
    EXPECT_FLOAT_EQ(r.aspect, c.in.aspect != 0 ? float(c.in.width) / c.in.height : 0.0f);
  }
}

TEST(OperationRules, ColorAdjustmentNumbersAreHeldToTheirRange) {
  const ColorAdjustment none = ComputeColorAdjustment(0, 0, 0, 0, 0);
  EXPECT_EQ(none.brightness, 0);
  EXPECT_EQ(none.gamma, 1.0f);
  EXPECT_EQ(none.saturation, 1.0f);
  EXPECT_EQ(none.hue, 0);
  for (int32_t v = -128; v <= 127; ++v) {
    const int32_t held = v < -100 ? -100 : v > 100 ? 100 : v;
    const ColorAdjustment a = ComputeColorAdjustment(v, v, v, v, v);
    EXPECT_EQ(a.brightness, int32_t(held * 2.55)) << v;
    EXPECT_EQ(a.contrast, held);
    EXPECT_NEAR(a.gamma, held > 0 ? 1 + held * 0.04 : 1 + held * 0.009, 1e-5) << v;
    EXPECT_NEAR(a.saturation, 1 + held / 100.0, 1e-6);
    EXPECT_EQ(a.hue, int32_t(held * (held > 0 ? 1.28 : 1.27)));
    EXPECT_GE(a.gamma, 0.1f);
  }
}

TEST(OperationRules, ReplacementPairsRunInOrderAndTheFlagInvertsTheMatch) {
  ColorEntry from[kColorPairs] = {};
  ColorEntry to[kColorPairs] = {};
  from[0] = {10, 20, 30, 0};
  to[0] = {40, 50, 60, 0};
  from[1] = {40, 50, 60, 0};  // sees the first pair's result
  to[1] = {1, 2, 3, 0};
  from[2] = {1, 2, 3, 1};     // everything that is not (1, 2, 3)
  to[2] = {9, 9, 9, 0};
  struct Case {
    uint8_t in[3];
    int32_t count;
    uint8_t out[3];
    bool matched;
  } cases[] = {
      {{10, 20, 30}, 1, {40, 50, 60}, true}, {{10, 20, 30}, 2, {1, 2, 3}, true},
      {{10, 20, 30}, 3, {1, 2, 3}, true},    {{7, 7, 7}, 3, {9, 9, 9}, true},
      {{7, 7, 7}, 2, {7, 7, 7}, false},      {{10, 20, 30}, 0, {10, 20, 30}, false},
      {{7, 7, 7}, 200, {9, 9, 9}, true},  // held to the 16 pairs there are
  };
  for (const Case& c : cases) {
    uint8_t rgb[3] = {c.in[0], c.in[1], c.in[2]};
    EXPECT_EQ(ReplaceThroughPairs(rgb, from, to, c.count), c.matched);
    EXPECT_EQ(0, memcmp(rgb, c.out, 3)) << int(c.in[0]) << " count " << c.count;
  }
}

}  // namespace
