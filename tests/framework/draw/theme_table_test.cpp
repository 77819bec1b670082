// The theme colour table and the corner mixing. The table of two base sets
// under the three schemes goes to a file that an independent script
// recomputes with Python's colorsys.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "framework/draw/corner_mix.h"
#include "framework/draw/theme_table.h"
#include "tests/support/test_paths.h"

namespace {

ThemeBase BaseSet(int which) {
  if (which == 0)  // classic grey with a blue caption
    return {RGB(212, 208, 200), RGB(212, 208, 200), RGB(255, 255, 255), RGB(128, 128, 128),
            RGB(255, 255, 255), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),
            RGB(56, 100, 170), RGB(140, 150, 170), RGB(10, 36, 106), RGB(0, 0, 0),
            RGB(255, 255, 255)};
  // a warm, saturated set whose menu colour equals the face colour
  return {RGB(236, 233, 216), RGB(241, 239, 226), RGB(255, 255, 250), RGB(172, 168, 153),
          RGB(250, 250, 240), RGB(236, 233, 216), RGB(160, 150, 140), RGB(180, 60, 20),
          RGB(200, 90, 40), RGB(190, 170, 150), RGB(230, 120, 0), RGB(30, 20, 10),
          RGB(255, 240, 220)};
}

void PrintColor(FILE* out, const char* name, COLORREF c) {
  fprintf(out, " %s=%d,%d,%d", name, GetRValue(c), GetGValue(c), GetBValue(c));
}

TEST(ThemeTable, TablesForTheOracle) {
  const uint32_t custom[kCustomRoleCount] = {RGB(24, 110, 238), 0, RGB(255, 173, 85),
                                             RGB(20, 20, 20), RGB(250, 250, 250)};
  FILE* out = fopen(TestOutputPath("theme_tables.txt").c_str(), "w");
  ASSERT_TRUE(out);
  for (int set = 0; set < 2; ++set) {
    ThemeBase base = BaseSet(set);
    for (int scheme : {kSchemeNone, kSchemeDefault, kSchemeCustom}) {
      COLORREF table[kThemeColorCount];
      ThemeRoles roles;
      ComputeThemeTable(base, &roles, scheme, custom, table);
      fprintf(out, "set=%d scheme=%d", set, scheme);
      const COLORREF inputs[] = {base.face, base.light, base.highlightEdge, base.shadow,
                                 base.window, base.menu, base.grayText, base.activeCaptionSystem,
                                 base.activeCaption, base.inactiveCaption, base.highlight,
                                 base.menuText, base.highlightText};
      const char* names[] = {"face", "light", "hilite", "shadow", "window", "menu", "gray",
                             "syscaption", "active", "inactive", "highlight", "menutext",
                             "hitext"};
      for (int i = 0; i < 13; ++i) PrintColor(out, names[i], inputs[i]);
      for (int i = 0; i < kCustomRoleCount; ++i) {
        char name[16];
        snprintf(name, sizeof(name), "custom%d", i);
        PrintColor(out, name, custom[i]);
      }
      for (int i = 0; i < kThemeColorCount; ++i) {
        char name[16];
        snprintf(name, sizeof(name), "t%d", i);
        PrintColor(out, name, table[i]);
      }
      fprintf(out, "\n");
      // Back to no scheme: the hot colour is the caption blended into the face.
      if (scheme == kSchemeNone) {
        EXPECT_EQ(BlendColor(0.75, base.activeCaption, base.face), table[41]);
      }
    }
  }
  fclose(out);
}

// The corners are one mask mirrored: mixing a mirrored corner gives the
// mirrored result, and the outermost pixel is 5% of the item over the parent.
TEST(CornerMix, MirroredCornersMixAlike) {
  std::mt19937 random(5);
  auto mirror = [](const uint32_t in[9], bool flipX, bool flipY, uint32_t out[9]) {
    for (int i = 0; i < 9; ++i) {
      int row = i / 3, column = i % 3;
      out[(flipY ? 2 - row : row) * 3 + (flipX ? 2 - column : column)] = in[i];
    }
  };
  for (int round = 0; round < 50; ++round) {
    uint32_t item[9], parent[9], topLeft[9];
    for (int i = 0; i < 9; ++i) {
      item[i] = random() & 0xFFFFFFFF;
      parent[i] = random() & 0xFFFFFF;
    }
    MixCornerPixels(item, parent, kCornerTopLeft, topLeft);
    for (uint32_t c : {0u, 1u, 2u, 3u}) {
      int corner = 1 << c;
      bool flipX = corner == kCornerTopRight || corner == kCornerBottomRight;
      bool flipY = corner == kCornerBottomLeft || corner == kCornerBottomRight;
      uint32_t mItem[9], mParent[9], mixed[9], expected[9];
      mirror(item, flipX, flipY, mItem);
      mirror(parent, flipX, flipY, mParent);
      MixCornerPixels(mItem, mParent, corner, mixed);
      mirror(topLeft, flipX, flipY, expected);
      for (int i = 0; i < 9; ++i) EXPECT_EQ(expected[i], mixed[i]) << "corner " << corner;
    }
    for (int shift : {0, 8, 16}) {
      int p = int((parent[0] >> shift) & 0xFF);
      int t = int((item[0] >> shift) & 0xFF);
      EXPECT_EQ(uint32_t(p + (t - p) * 5 / 100), (topLeft[0] >> shift) & 0xFF);
      // The inner corner pixel is the item's own.
      EXPECT_EQ((item[8] >> shift) & 0xFF, (topLeft[8] >> shift) & 0xFF);
    }
    EXPECT_EQ(item[0] & 0xFF000000u, topLeft[0] & 0xFF000000u);
  }
}

}  // namespace
