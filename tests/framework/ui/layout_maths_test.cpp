// The placing maths of popups, items, value items, boxes and dialogs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/ui/file_filter.h"
#include "framework/ui/message_box_layout.h"
#include "framework/ui/popup_placement.h"
#include "framework/ui/ui_item_layout.h"
#include "framework/ui/value_item_math.h"
#include "framework/ui/window_centring.h"

namespace {

bool Inside(const RECT& outer, LONG x, LONG y, int width, int height) {
  return x >= outer.left && y >= outer.top && x + width <= outer.right &&
         y + height <= outer.bottom;
}

TEST(PopupPlacement, FlipsAtTheEdgesAndStaysInTheWorkArea) {
  const RECT monitor = {0, 0, 1280, 1024};
  const RECT work = {0, 0, 1280, 994};
  const struct {
    RECT anchor;
    int width, height;
    bool beside;
    LONG x, y;
  } cases[] = {
      {{100, 100, 160, 124}, 200, 300, false, 100, 124},   // below the entry
      {{1200, 100, 1260, 124}, 200, 300, false, 1060, 124}, // right-aligned with the entry
      {{100, 900, 160, 924}, 200, 300, false, 100, 600},   // above the entry
      {{300, 100, 500, 124}, 200, 300, true, 498, 98},     // beside, overlapping by 2
      {{1000, 100, 1200, 124}, 200, 300, true, 800, 98},   // beside, on the left
      {{300, 900, 500, 924}, 200, 300, true, 498, 624},    // beside, ending at the entry's bottom
      {{100, 500, 160, 524}, 200, 4000, false, 100, 0},    // taller than the screen: from the top
  };
  for (const auto& c : cases) {
    POINT at = PlacePopup(c.anchor, c.width, c.height, c.beside, monitor, work);
    EXPECT_EQ(c.x, at.x) << c.anchor.left << "," << c.anchor.top;
    EXPECT_EQ(c.y, at.y) << c.anchor.left << "," << c.anchor.top;
    if (c.height <= 994) {
      EXPECT_TRUE(Inside(work, at.x, at.y, c.width, c.height));
    }
  }
  const PopupEntrySize entries[] = {{100, 24, 16}, {140, 24, 0}, {90, 30, 24}};
  int column = PopupImageColumn(entries, 3);
  EXPECT_EQ(28, column);  // the widest image column (24) over the first height, plus 4
  EXPECT_EQ(140 + 28, PopupContentWidth(entries, 3, column));
  EXPECT_EQ(4, PopupImageColumn(entries, 0));
}

TEST(ItemLayout, SizeAndPartsFollowTheMeasuredParts) {
  // An image and a label at 144 DPI with a 6-pixel unit.
  ItemParts parts = {16, 16, 0, 0, 50, 20, 30, 20, 0, 0};
  ItemSize size = FinishItemLayout(&parts, 144, 6, 0.5f, 0.0f);
  EXPECT_EQ(24, parts.imageWidth);
  EXPECT_EQ(24, size.imageColumn);
  EXPECT_EQ(60, parts.textWidth);  // widened by half its height
  EXPECT_EQ(24 + 12, size.height);
  EXPECT_EQ(6 + (24 + 6) + (60 + 6) + (30 + 24), size.width);
  // Laid out in a popup: the label starts at the popup's column, the
  // shortcut ends before the arrow part.
  parts.arrowWidth = 36;
  RECT rect = {0, 0, 300, size.height};
  ItemPartRects r = LayoutItemParts(parts, size.width, rect, 0, false, true, 40, false, 6);
  EXPECT_EQ(6, r.image.left);
  EXPECT_EQ(40, r.text.left);
  EXPECT_EQ(300 - 36 - 6, r.shortcut.right);
  EXPECT_EQ(r.shortcut.right - 30, r.shortcut.left);
  // Each part is centred across.
  EXPECT_EQ((rect.bottom - (r.image.bottom - r.image.top)) / 2, r.image.top);
  // A stretched label fills up to the shortcut; pressed contents move by one.
  ItemPartRects stretched = LayoutItemParts(parts, size.width, rect, 1, false, true, 40, true, 6);
  EXPECT_EQ(300 - 36 - 30 - 6, stretched.text.right);
  EXPECT_EQ(r.image.left + 1, stretched.image.left);
  EXPECT_EQ(r.image.top + 1, stretched.image.top);
  // Outside popups a centred item's contents sit in the middle.
  ItemPartRects centred = LayoutItemParts(parts, size.width, {0, 0, 400, 36}, 0, true, false, 0,
                                          false, 6);
  EXPECT_EQ((400 - size.width) / 2 + 6, centred.image.left);
}

TEST(ItemLayout, DrawStateOfTheCommandBits) {
  const struct {
    uint32_t flags;
    bool inPopup;
    int background, text;
    bool centred;
    int offset;
  } cases[] = {
      {0x1, false, 0, 1, false, 0},       {0x0, false, 0, 0, false, 0},
      {0x201, false, 1, 2, false, 0},     {0x601, false, 2, 2, false, 1},
      {0x801, false, 6, 1, false, 0},     {0x800, false, 7, 0, false, 0},
      {0x11, false, 0, 1, true, 0},       {0x11, true, 0, 1, false, 0},
  };
  for (const auto& c : cases) {
    ItemDrawState s = ItemDrawStateOf(c.flags, c.inPopup);
    EXPECT_EQ(c.background, s.background) << std::hex << c.flags;
    EXPECT_EQ(c.text, s.textKind) << std::hex << c.flags;
    EXPECT_EQ(c.centred, s.centred) << std::hex << c.flags;
    EXPECT_EQ(c.offset, s.pressOffset) << std::hex << c.flags;
  }
  EXPECT_TRUE(ItemDrawStateOf(0x41, false).bold);
}

TEST(ValueItems, SliderStaysOnItsTrackForAnyRange) {
  const int left = 10, width = 140, height = 20;
  for (auto range : {std::pair<int, int>{0, 10}, {-50, 50}, {100, 100}, {5, 1005}, {-7, -3}}) {
    double step = SliderStep(width, height, range.first, range.second);
    ASSERT_GT(step, 0);
    for (int v : {range.first, (range.first + range.second) / 2, range.second}) {
      int thumb = SliderThumbLeft(left, v, range.first, step);
      EXPECT_GE(thumb, left) << range.first << ".." << range.second << " at " << v;
      EXPECT_LE(thumb + height, left + width) << range.first << ".." << range.second << " at " << v;
      // Dragging the thumb's centre gives its value back.
      int centre = thumb + height / 2;
      if (range.second - range.first <= width - height) {
        EXPECT_EQ(v, SliderDragValue(centre, left, height, step, range.first, range.second));
      }
    }
    EXPECT_EQ(range.first, SliderDragValue(-1000, left, height, step, range.first, range.second));
    EXPECT_EQ(range.second, SliderDragValue(5000, left, height, step, range.first, range.second));
  }
}

TEST(ValueItems, BrushSizeMovesFivePixelsAStep) {
  const struct {
    int start, dy, value;
  } cases[] = {{5, 14, 7}, {5, 15, 8}, {5, 4, 5}, {5, -14, 3}, {5, 400, 50}, {5, -400, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(c.value, BrushDragValue(c.start, 500, 500 - c.dy, 1, 50)) << c.dy;
}

TEST(ValueItems, PaletteCellsCoverTheGridWithoutSeams) {
  for (bool tall : {false, true}) {
    for (RECT grid : {RECT{3, 4, 131, 28}, RECT{0, 0, 101, 25}, RECT{5, 5, 30, 128}}) {
      RECT cells[kPaletteCells];
      LayoutPaletteCells(grid, tall, cells);
      for (int y = grid.top; y < grid.bottom; ++y)
        for (int x = grid.left; x < grid.right; ++x)
          ASSERT_GE(PaletteCellAt(cells, x, y), 0) << x << "," << y << (tall ? " tall" : "");
      EXPECT_EQ(0, PaletteCellAt(cells, grid.left, grid.top));
      EXPECT_EQ(15, PaletteCellAt(cells, grid.right - 1, grid.bottom - 1));
      EXPECT_EQ(tall ? 1 : 7, PaletteCellAt(cells, grid.right - 1, grid.top));
    }
  }
}

TEST(MessageBoxLayout, ButtonSetsDefaultsAndEscape) {
  const struct {
    unsigned style;
    int count, defaultId, escape;
  } cases[] = {
      {16, 1, 1, 1},          {32, 2, 1, 2},        {64, 2, 6, 0},        {128, 3, 6, 2},
      {64 | 4096, 2, 7, 0},   {32 | 1024, 2, 2, 2}, {16 | 4096, 1, 1, 1}, {273, 1, 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.count, BoxButtonCount(c.style)) << c.style;
    EXPECT_EQ(c.defaultId, BoxDefaultButton(c.style)) << c.style;
    EXPECT_EQ(c.escape, BoxEscapeResult(c.style)) << c.style;
  }
}

TEST(MessageBoxLayout, TextLinesAndPlaces) {
  char text[kBoxTextChars + 1];
  EXPECT_EQ(4, PrepareBoxText("One\r\nTwo\n\nThree", text, sizeof(text)));
  EXPECT_STREQ("One\nTwo\n\nThree", text);
  int length = 0;
  EXPECT_EQ(0, strncmp("Three", BoxLine(text, 3, &length), 5));
  EXPECT_EQ(5, length);
  BoxLine(text, 2, &length);
  EXPECT_EQ(0, length);
  std::string many(5000, 'x');
  PrepareBoxText(many.c_str(), text, sizeof(text));
  EXPECT_EQ(size_t(kBoxTextChars), strlen(text));
  const int widths[] = {100, 700, 40};
  EXPECT_EQ(320, BoxTextWidth(widths, 3, 320));
  EXPECT_EQ(108, BoxTextWidth(widths, 1, 320));

  BoxTemplate t = {{15, 16, 48, 49}, 63, 20, 75, 23, 95, 10};
  const int one[] = {18};
  BoxLayout b = LayoutMessageBox(t, one, 1, 200, 1, 900);
  EXPECT_FALSE(b.hasText);
  EXPECT_EQ((16 + 49) / 2, (b.heading.top + b.heading.bottom) / 2);
  EXPECT_EQ(95, b.buttonTop);
  const int twenty[] = {18, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15};
  b = LayoutMessageBox(t, twenty, 20, 200, 2, 900);
  EXPECT_TRUE(b.hasText);
  EXPECT_EQ(20, b.heading.top);
  EXPECT_EQ(19 * 15, b.text.bottom - b.text.top);
  EXPECT_EQ(20 + 27 + 19 * 15, b.buttonTop);
  EXPECT_EQ(b.buttonTop + 23 + 10, b.clientHeight);
  EXPECT_EQ((b.clientWidth - (2 * 75 + 7)) / 2, b.buttonsLeft);
  EXPECT_FALSE(b.scrolling);
  // Taller than the screen: the text scrolls in the room that is left.
  b = LayoutMessageBox(t, twenty, 20, 200, 2, 200);
  EXPECT_TRUE(b.scrolling);
  EXPECT_LE(b.clientHeight, 200);
}

TEST(DialogGeometry, CentringKeepsTheWindowOnItsMonitor) {
  const RECT monitor = {0, 0, 1280, 1024};
  const struct {
    RECT rect, reference;
    LONG x, y;
  } cases[] = {
      {{0, 0, 200, 100}, {100, 100, 500, 400}, 200, 200},
      {{0, 0, 200, 100}, {1200, 900, 1280, 1024}, 1080, 912},
      {{0, 0, 200, 100}, {-300, -50, -100, 50}, 0, 0},
      {{0, 0, 2000, 100}, {100, 100, 500, 400}, 0, 200},  // wider than the monitor
  };
  for (const auto& c : cases) {
    POINT at = CenterRectOver(c.rect, c.reference, monitor);
    EXPECT_EQ(c.x, at.x);
    EXPECT_EQ(c.y, at.y);
  }
}

TEST(FileFilter, DefaultExtensionOfTheChosenFilter) {
  const char filters[] = "Bitmap\0*.bmp;*.dib\0Profiles\0*.BWP\0All files\0*.*\0Odd\0name\0";
  const struct {
    int index;
    const char* extension;
  } cases[] = {{0, "bmp"}, {1, "BWP"}, {2, ""}, {3, ""}, {4, ""}, {-1, ""}};
  for (const auto& c : cases) {
    char extension[16] = "junk";
    DefaultExtensionOfFilter(filters, c.index, extension, sizeof(extension));
    EXPECT_STREQ(c.extension, extension) << c.index;
  }
}

}  // namespace
