// Item placement of docked and floating bars.
#include <gtest/gtest.h>

#include <vector>

#include "framework/window/bar_layout.h"

namespace {

constexpr uint32_t kMay = kItemMayOverflow;

BarItem Item(uint16_t id, int w, int h, uint32_t flags = kMay, bool separator = false) {
  BarItem item = {};
  item.wId = id;
  item.ulCommandFlags = flags;
  item.bSeparator = separator;
  item.iWidth = w;
  item.iHeight = h;
  return item;
}

// A tool bar: 1 2 | 3 4 | 5, with 6 fixed at the end and the overflow menu.
std::vector<BarItem> Toolbar() {
  return {Item(1, 24, 22), Item(2, 24, 22), Item(61440, 6, 6, kMay, true), Item(3, 24, 22),
          Item(4, 24, 22), Item(61440, 6, 6, kMay, true), Item(5, 24, 22), Item(6, 40, 22, 0),
          Item(0xF100, 12, 22, 0)};
}

std::vector<uint16_t> Overflow(std::vector<BarItem>& items, int length, BarItemsResult* result,
                               int start = 10) {
  std::vector<uint16_t> ids(items.size() + 1);
  BarItemsArea area = {0, start, length, 30, 2};
  LayoutBarItems(items.data(), int(items.size()), area, ids.data(), result);
  std::vector<uint16_t> listed;
  for (int i = 0; ids[i] != 0xFFFF; ++i) listed.push_back(ids[i]);
  return listed;
}

TEST(DockedBarItems, ItemsLeaveFromTheEndIntoTheOverflowMenuInBarOrder) {
  std::vector<BarItem> probe = Toolbar();
  BarItemsResult full;
  Overflow(probe, 10000, &full);
  // natural: start 10, items 24*5 + 6*2 + 40 and 7 gaps of 2, end margin 2.
  ASSERT_EQ(10 + 120 + 12 + 40 + 14 + 2, full.naturalLength);
  EXPECT_EQ(10 + 40 + 2 + 12 + 2, full.minLength);
  constexpr uint16_t S = 61440;
  struct Case {
    int length;
    std::vector<uint16_t> listed;
  } cases[] = {
      {198, {}},
      {197, {5}},
      {185, {5}},                    // the separator before 5 would lead: left out
      {158, {4, S, 5}},
      {128, {3, 4, S, 5}},
      {118, {3, 4, S, 5}},
      {98, {2, S, 3, 4, S, 5}},
      {30, {1, 2, S, 3, 4, S, 5}},
      {0, {1, 2, S, 3, 4, S, 5}},    // the loop ends when nothing may leave
  };
  for (const Case& c : cases) {
    std::vector<BarItem> items = Toolbar();
    BarItemsResult result;
    std::vector<uint16_t> listed = Overflow(items, c.length, &result);
    SCOPED_TRACE(c.length);
    EXPECT_EQ(c.listed, listed);
    EXPECT_EQ(!listed.empty(), items.back().bShown);
    // Shown items never overlap, follow each other and (when the fixed
    // items fit) stay inside the bar.
    int end = 10;
    for (const BarItem& item : items) {
      if (!item.bShown) continue;
      EXPECT_GE(item.iX, end);
      end = item.iX + item.iCx;
    }
    if (c.length >= full.minLength) {
      EXPECT_LE(end + 2, c.length);
    }
    for (uint16_t id : listed) {
      for (const BarItem& item : items) {
        if (item.wId == id && id != 61440) {
          EXPECT_FALSE(item.bShown);
        }
      }
    }
  }
}

TEST(DockedBarItems, StretchItemsShareTheSpareLengthAndThicknessRules) {
  std::vector<BarItem> items = {Item(1, 30, 20), Item(2, 50, 18, kItemStretch),
                                Item(3, 50, 18, kItemStretch | kItemFullThickness),
                                Item(0xF100, 12, 20, 0)};
  std::vector<uint16_t> ids(5);
  BarItemsArea area = {0, 4, 301, 40, 2};
  BarItemsResult result;
  LayoutBarItems(items.data(), 4, area, ids.data(), &result);
  int spare = 301 - 4 - 2 - (30 + 50 + 50 + 4);
  EXPECT_EQ(50 + spare / 2, items[1].iCx);
  EXPECT_EQ(50 + spare / 2, items[2].iCx);
  EXPECT_EQ(40 - 4, items[2].iCy);      // full thickness between the margins
  EXPECT_EQ(2 + (36 - 18) / 2, items[1].iY);  // centred
  EXPECT_FALSE(items[3].bShown);
  // Vertical: the same rules along the height.
  area.orientation = 1;
  LayoutBarItems(items.data(), 4, area, ids.data(), &result);
  EXPECT_EQ(4, items[0].iY);
  EXPECT_EQ(4 + 20 + 2, items[1].iY);
  EXPECT_EQ(20 + 1 + 4, RequiredBarThickness(items.data(), 4, 0));
  EXPECT_EQ(50 + 1 + 4, RequiredBarThickness(items.data(), 4, 1));
  EXPECT_EQ(24, RequiredBarThickness(items.data(), 1, 0));  // no items: 20 + 4
}

TEST(FloatingBarItems, WrapsIntoLinesWithinTheWidth) {
  struct Case {
    int width;  // client width
  } cases[] = {{400}, {120}, {60}, {10}};
  for (const Case& c : cases) {
    std::vector<BarItem> items = Toolbar();
    BarItemsArea area = {2, 0, c.width, 200, 2};
    BarItemsResult result;
    std::vector<uint16_t> ids(items.size() + 1);
    LayoutBarItems(items.data(), int(items.size()), area, ids.data(), &result);
    SCOPED_TRACE(c.width);
    EXPECT_FALSE(items.back().bShown);
    int used = c.width - 2 > 40 ? c.width - 2 : 40;  // never narrower than the widest item
    int bottom = 0;
    for (size_t i = 0; i + 1 < items.size(); ++i) {
      const BarItem& a = items[i];
      ASSERT_TRUE(a.bShown);
      EXPECT_LE(a.iX + a.iCx, 1 + used);
      bottom = bottom > a.iY + a.iCy ? bottom : a.iY + a.iCy;
      for (size_t j = i + 1; j + 1 < items.size(); ++j) {
        const BarItem& b = items[j];
        bool apart = a.iX + a.iCx <= b.iX || b.iX + b.iCx <= a.iX || a.iY + a.iCy <= b.iY ||
                     b.iY + b.iCy <= a.iY;
        EXPECT_TRUE(apart) << a.wId << " and " << b.wId;
      }
    }
    EXPECT_EQ(bottom - 1 + 3, result.thickness);
    EXPECT_LE(result.naturalLength, used + 2);
  }
}

TEST(FloatingBarItems, OwnLinesShareTheLeftoverHeight) {
  std::vector<BarItem> items = {Item(1, 24, 22), Item(2, 80, 30, kItemOwnLine),
                                Item(3, 24, 22), Item(4, 80, 30, kItemOwnLine),
                                Item(0xF100, 12, 22, 0)};
  BarItemsArea area = {2, 0, 202, 203, 2};
  BarItemsResult result;
  std::vector<uint16_t> ids(6);
  LayoutBarItems(items.data(), 5, area, ids.data(), &result);
  // Four lines: 22, own, 22, own; gaps 3 x 2; the own lines get (200 - 50) / 2.
  EXPECT_EQ(75, items[1].iCy);
  EXPECT_EQ(75, items[3].iCy);
  EXPECT_EQ(200, items[1].iCx);
  EXPECT_EQ(items[0].iY + 22 + 2, items[1].iY);
  EXPECT_EQ(22 + 75 + 22 + 75 + 6 + 3, result.thickness);
}

}  // namespace
