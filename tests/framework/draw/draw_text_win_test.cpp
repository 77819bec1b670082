// Texts of the drawing kit: across and top to bottom.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"

namespace {

// The box around the pixels that differ from white.
RECT InkBox(HDC dc, int width, int height) {
  RECT box = {width, height, -1, -1};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

TEST(DrawItemText, VerticalTextRunsDownAndSitsWhereAsked) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 240);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT area = {0, 0, 60, 240};
  const struct {
    int alignment;
    bool atTop, atBottom;
  } cases[] = {{kAlignVertical | 0, true, false}, {kAlignVertical | 2, false, true},
               {kAlignVertical | 1, false, false}};
  for (const auto& c : cases) {
    FillRectColor(dc, area, RGB(255, 255, 255));
    ASSERT_EQ(0, DrawItemText(dc, 96, "%s", ColorKind(RGB(0, 0, 0)), area, c.alignment, false,
                              "Vertical text"));
    RECT ink = InkBox(dc, 60, 240);
    ASSERT_LT(ink.left, ink.right);
    EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left)) << "runs across";
    EXPECT_NEAR(30, (ink.left + ink.right) / 2, 3);  // centred across
    if (c.atTop) {
      EXPECT_LT(ink.top, 10);
    } else if (c.atBottom) {
      EXPECT_GT(ink.bottom, 230);
    } else {
      EXPECT_NEAR(120, (ink.top + ink.bottom) / 2, 4);
    }
  }
  EXPECT_EQ(kStatusTextMissing, DrawItemText(dc, 96, nullptr, 1, area, 0, false));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
