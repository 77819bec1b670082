// Rows, positions and drops of a dock bay.
#include <gtest/gtest.h>

#include <vector>

#include "framework/window/bay_layout.h"

namespace {

BayBar Bar(int row, int x, int length, uint16_t flags = 0, int minLength = 20, int thickness = 24) {
  BayBar b = {};
  b.iRow = row;
  b.iX = x;
  b.iLength = b.iNaturalLength = length;
  b.iMinLength = minLength;
  b.iThickness = thickness;
  b.wFlags = flags;
  return b;
}

struct Placed {
  int pos, length;
};

std::vector<Placed> Resolve(std::vector<BayBar> bars, int usable) {
  std::vector<BayBar*> row;
  for (BayBar& b : bars) row.push_back(&b);
  ResolveRow(row.data(), int(row.size()), usable);
  std::vector<Placed> out;
  for (BayBar& b : bars) out.push_back({b.iPos, b.iPlacedLength});
  return out;
}

TEST(BayRow, ResolvesPositionsAndTakesTheExcessInOrder) {
  struct Case {
    const char* what;
    std::vector<BayBar> bars;  // sorted by x
    int usable;
    std::vector<Placed> expected;
  } cases[] = {
      {"apart, fitting", {Bar(0, 0, 100), Bar(0, 150, 100)}, 500, {{0, 100}, {150, 100}}},
      {"overlap cuts the first", {Bar(0, 0, 100), Bar(0, 60, 100)}, 500, {{0, 60}, {60, 100}}},
      {"no earlier than the minimum", {Bar(0, 0, 100, 0, 80), Bar(0, 30, 100)}, 500,
       {{0, 80}, {80, 100}}},
      {"after its predecessor", {Bar(0, 0, 100), Bar(0, 999, 70, 0x200)}, 500,
       {{0, 100}, {100, 70}}},
      {"first of a row at 0", {Bar(0, 40, 100, 0x200)}, 500, {{0, 100}}},
      {"end aligned, last", {Bar(0, 0, 100), Bar(0, 120, 80, 0x2)}, 500, {{0, 100}, {420, 80}}},
      {"end aligned before a bar", {Bar(0, 0, 100, 0x2), Bar(0, 300, 80)}, 500,
       {{200, 100}, {300, 80}}},
      {"stretching to the next", {Bar(0, 0, 100, 0x4), Bar(0, 300, 80)}, 500,
       {{0, 300}, {300, 80}}},
      {"stretching to the end", {Bar(0, 0, 100), Bar(0, 120, 80, 0x4)}, 500,
       {{0, 100}, {120, 380}}},
      // 60 too much: the gaps (10 and 40) go first, from the right.
      {"excess from gaps", {Bar(0, 10, 100), Bar(0, 150, 100)}, 190, {{0, 100}, {100, 90}}},
      {"gaps then stretching bars", {Bar(0, 10, 100, 0x4, 30), Bar(0, 110, 100)}, 170,
       {{0, 70}, {70, 100}}},
      {"then all bars from the right", {Bar(0, 0, 100, 0, 40), Bar(0, 100, 100, 0, 40)}, 120,
       {{0, 80}, {80, 40}}},
      {"minimums do not fit", {Bar(0, 0, 100, 0, 90), Bar(0, 100, 100, 0, 90)}, 120,
       {{0, 90}, {90, 90}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Placed> got = Resolve(c.bars, c.usable);
    ASSERT_EQ(c.expected.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(c.expected[i].pos, got[i].pos) << i;
      EXPECT_EQ(c.expected[i].length, got[i].length) << i;
    }
  }
}

TEST(BayRow, EndAlignedBarFollowsTheRowEndWhenTheBayResizes) {
  for (int usable = 300; usable <= 1400; usable += 137) {
    std::vector<Placed> got = Resolve({Bar(0, 0, 100), Bar(0, 500, 80, 0x2)}, usable);
    EXPECT_EQ(usable, got[1].pos + got[1].length) << usable;
  }
}

TEST(BayRows, CompactionRemovesEmptyRowsAndMarksSizableOnes) {
  std::vector<BayBar> bars = {Bar(5, 0, 10, 0, 20, 30), Bar(2, 0, 10, 0x8, 20, 40),
                              Bar(5, 50, 10, 0, 20, 26), Bar(15, 0, 10)};
  int32_t rows[kMaxBayRows];
  ASSERT_EQ(3, CompactRows(bars.data(), int(bars.size()), rows));
  EXPECT_EQ(-(40 + kSplitterSize), rows[0]);
  EXPECT_EQ(30, rows[1]);
  EXPECT_EQ(24, rows[2]);
  EXPECT_EQ(0, rows[3]);
  EXPECT_EQ(1, bars[0].iRow);
  EXPECT_EQ(0, bars[1].iRow);
  EXPECT_EQ(1, bars[2].iRow);
  EXPECT_EQ(2, bars[3].iRow);
}

TEST(BayLayout, RowsStackAndTheGripTakesTheLastRowsEnd) {
  std::vector<BayBar> bars = {Bar(0, 0, 100, 0x4), Bar(1, 0, 100, 0x8 | 0x4, 20, 40)};
  BayLayout bottom = {kSideBottom, 600, 16, true, false};
  BayLayoutResult result;
  EXPECT_EQ(24 + 44, LayoutBay(bottom, bars.data(), 2, &result));
  EXPECT_EQ(1, result.gripRow);
  EXPECT_EQ(600, bars[0].iPlacedLength);       // not the grip's row
  EXPECT_EQ(600 - 16, bars[1].iPlacedLength);  // leaves the grip free
  EXPECT_EQ(0, bars[0].iOffset);
  EXPECT_EQ(24 + kSplitterSize, bars[1].iOffset);  // the splitter is on the near side
  EXPECT_EQ(40, bars[1].iRowThickness);
  BayLayout right = {kSideRight, 600, 16, true, true};
  EXPECT_EQ(68, LayoutBay(right, bars.data(), 2, &result));
  EXPECT_EQ(-1, result.gripRow);  // the bottom bay has it
  BayLayout top = {kSideTop, 600, 16, false, false};
  LayoutBay(top, bars.data(), 2, &result);
  EXPECT_EQ(24, bars[1].iOffset);  // splitter after the bars
  EXPECT_EQ(1, RowSplitterAt(result.rows, kSideTop, 24 + 40));
  EXPECT_EQ(-1, RowSplitterAt(result.rows, kSideTop, 24 + 39));
  EXPECT_EQ(1, RowSplitterAt(result.rows, kSideBottom, 24));
  EXPECT_EQ(-1, RowSplitterAt(result.rows, kSideBottom, 23));
}

DropQuery Query(int cursorAcross, int topLeft, const int32_t* rows, int rowCount) {
  DropQuery q = {};
  q.side = kSideTop;
  q.bayLength = q.usable = 800;
  for (int r = 0; r < rowCount; ++r) q.rows[r] = rows[r];
  q.bayThickness = RowOffset(q.rows, rowCount);
  q.cursorAlong = topLeft + 10;
  q.cursorAcross = cursorAcross;
  q.topLeftAlong = topLeft;
  q.barLength = 100;
  q.barRow = 0;
  q.barInBay = true;
  return q;
}

TEST(BayDrop, RowsAreInsertedNearBoundariesAndPickedInside) {
  const int32_t rows[] = {30, -(26 + 4), 20};  // boundaries at 0, 30, 60, 80
  struct Case {
    int across;
    int row;
    bool insert;
  } cases[] = {
      {-3, 0, true}, {0, 0, true}, {3, 0, true}, {4, 0, false}, {26, 0, false},
      {27, 1, true}, {33, 1, true}, {34, 1, false}, {57, 2, true}, {62, 2, true},
      {70, 2, false}, {78, 3, true}, {82, 3, true}, {-4, -1, false}, {83, -1, false},
  };
  for (const Case& c : cases) {
    DropQuery q = Query(c.across, 200, rows, 3);
    DropResult r;
    bool hit = HitTestDropRules(q, &r);
    EXPECT_EQ(c.row >= 0, hit) << c.across;
    if (!hit) continue;
    EXPECT_EQ(c.row, r.row) << c.across;
    EXPECT_EQ(c.insert, r.insertRow) << c.across;
  }
}

TEST(BayDrop, SixteenRowsMakeNoSeventeenth) {
  int32_t rows[kMaxBayRows];
  for (int32_t& r : rows) r = 20;
  for (int across = -3; across < 16 * 20 + 3; ++across) {
    DropQuery q = Query(across, 0, rows, kMaxBayRows);
    DropResult r;
    ASSERT_TRUE(HitTestDropRules(q, &r));
    EXPECT_FALSE(r.insertRow) << across;
    EXPECT_GE(r.row, 0);
    EXPECT_LT(r.row, kMaxBayRows);
    int nearest = across < 0 ? 0 : across / 20 > 15 ? 15 : across / 20;
    EXPECT_EQ(nearest, r.row) << across;
  }
}

TEST(BayDrop, SnapsToNeighboursAndTheRowEnd) {
  const int32_t rows[] = {30};
  const DropNeighbour others[] = {{0, 0, 150}, {0, 500, 100}};
  struct Case {
    int x;
    uint16_t flagsBefore;
    uint16_t flags;
    int resultX;
    int aligned;
  } cases[] = {
      {300, 0x202, 0, 300, -1},
      {395, 0, 0x2, 395, -1},       // ends at 495, 5 before the next bar
      {405, 0, 0x2, 405, -1},
      {389, 0, 0, 389, -1},
      {158, 0x2, 0x200, 158, 0},    // 8 after the first bar's end
      {700, 0, 0x2, 700, -1},       // ends at 800, the usable end
      {7, 0, 0, 0, -1},             // near the start: 0
  };
  for (const Case& c : cases) {
    DropQuery q = Query(15, c.x, rows, 1);
    q.barFlags = c.flagsBefore;
    q.others = others;
    q.otherCount = 2;
    DropResult r;
    ASSERT_TRUE(HitTestDropRules(q, &r));
    EXPECT_EQ(c.flags, r.flags) << c.x;
    EXPECT_EQ(c.resultX, r.x) << c.x;
    EXPECT_EQ(c.aligned, r.alignedNeighbour) << c.x;
  }
}

TEST(BayDrop, OrientationAndLocksRefuse) {
  const int32_t rows[] = {30};
  DropResult r;
  DropQuery q = Query(10, 100, rows, 1);
  q.barFlags = kBarNoHorizontal;
  EXPECT_FALSE(HitTestDropRules(q, &r));
  q.side = kSideLeft;
  EXPECT_TRUE(HitTestDropRules(q, &r));
  q.barFlags = kBarNoVertical;
  EXPECT_FALSE(HitTestDropRules(q, &r));
  q = Query(10, 300, rows, 1);
  q.positionsLocked = true;
  q.barInBay = false;
  EXPECT_FALSE(HitTestDropRules(q, &r));
  q.barInBay = true;
  q.cursorAcross = 5000;  // a locked bar stays wherever the cursor goes
  ASSERT_TRUE(HitTestDropRules(q, &r));
  EXPECT_TRUE(r.keepPlace);
  EXPECT_EQ(0, r.row);
}

}  // namespace
