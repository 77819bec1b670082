// The capture overlay's rules without a screen: what sequences of mouse
// events pick, where the box and the size label go, and how areas are read.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/capture/capture_geometry.h"

namespace {

// One overlay event: L/l left down/up, R right down, M move, X Escape.
struct Event {
  char kind;
  int x;
  int y;
};

struct PickCase {
  const char* name;
  int mode;
  std::vector<Event> events;
  bool active;     // still picking afterwards
  bool cancelled;
  int endMode;
  RECT rect;       // normalised result when the pick ended
};

OverlayState RunEvents(int mode, const std::vector<Event>& events) {
  OverlayState s;
  StartOverlay(&s, mode);
  for (const Event& e : events) {
    switch (e.kind) {
      case 'L': OverlayLeftDown(&s, e.x, e.y); break;
      case 'l': OverlayLeftUp(&s, e.x, e.y); break;
      case 'R': OverlayRightDown(&s); break;
      case 'M': OverlayMouseMove(&s, e.x, e.y); break;
      case 'X': OverlayCancel(&s); break;
    }
  }
  return s;
}

TEST(CaptureOverlayRules, EventSequencesPickOrCancel) {
  const RECT none = {0, 0, 0, 0};
  const PickCase cases[] = {
      {"drag left to right", 0, {{'L', 10, 20}, {'M', 30, 25}, {'M', 50, 60}, {'l', 50, 60}},
       false, false, 0, {10, 20, 50, 60}},
      {"drag right to left gives the same area", 0,
       {{'L', 50, 60}, {'M', 30, 40}, {'M', 10, 20}, {'l', 10, 20}}, false, false, 0, {10, 20, 50, 60}},
      {"click, move, click", 0, {{'L', 5, 5}, {'l', 5, 5}, {'M', 9, 7}, {'L', 9, 7}}, false, false, 0,
       {5, 5, 9, 7}},
      {"a second click on the same point keeps selecting", 0,
       {{'L', 5, 5}, {'l', 5, 5}, {'L', 5, 5}, {'l', 5, 5}}, true, false, 0, none},
      {"a button-up from before the overlay is ignored", 0, {{'l', 7, 7}, {'M', 9, 9}}, true, false,
       0, none},
      {"right button while dragging cancels", 0, {{'L', 1, 1}, {'M', 8, 8}, {'R', 0, 0}}, false,
       true, 0, none},
      {"right button switches to window picking", 0, {{'R', 0, 0}}, true, false, 1, none},
      {"and back to rectangles", 0, {{'R', 0, 0}, {'R', 0, 0}, {'L', 2, 3}, {'M', 4, 6}, {'l', 4, 6}},
       false, false, 0, {2, 3, 4, 6}},
      {"a window pick ends on button-up", 1, {{'M', 3, 3}, {'l', 3, 3}}, false, false, 1, none},
      {"a box ends on button-up without a move", 5, {{'l', 3, 3}}, false, false, 5, none},
      {"Escape cancels", 0, {{'L', 1, 1}, {'M', 5, 5}, {'X', 0, 0}, {'l', 5, 5}}, false, true, 0,
       none},
      {"nothing counts after the end", 0,
       {{'L', 1, 1}, {'l', 4, 4}, {'R', 0, 0}, {'L', 9, 9}, {'M', 20, 20}}, false, false, 0,
       {1, 1, 4, 4}},
  };
  for (const PickCase& c : cases) {
    SCOPED_TRACE(c.name);
    OverlayState s = RunEvents(c.mode, c.events);
    EXPECT_EQ(s.active, c.active);
    EXPECT_EQ(s.cancelled, c.cancelled);
    EXPECT_EQ(s.mode, c.endMode);
    if (!s.active && !s.cancelled && c.mode == 0) {
      RECT r = NormalizeRect(s.rect);
      EXPECT_EQ(r.left, c.rect.left);
      EXPECT_EQ(r.top, c.rect.top);
      EXPECT_EQ(r.right, c.rect.right);
      EXPECT_EQ(r.bottom, c.rect.bottom);
    }
    if (s.cancelled) {
      EXPECT_FALSE(s.dragging);
    }
  }
}

TEST(CaptureOverlayRules, WindowAndBoxModesAskForAPickOnEveryMove) {
  for (int mode : {1, 5}) {
    OverlayState s;
    StartOverlay(&s, mode);
    EXPECT_TRUE(OverlayMouseMove(&s, 4, 4) & kOverlayPickAt);
    EXPECT_TRUE(OverlayLeftUp(&s, 4, 4) & kOverlayPickAt);
    EXPECT_FALSE(OverlayMouseMove(&s, 5, 5) & kOverlayPickAt) << "the pick has ended";
  }
}

// The box is W x H with the cursor at its centre; an even size puts the
// extra pixel right and below. Counted pixel by pixel, not by formula.
TEST(CaptureOverlayRules, BoxAroundTheCursor) {
  for (int w = 1; w <= 9; ++w) {
    for (int h = 1; h <= 9; ++h) {
      for (int cx : {-7, 0, 100}) {
        RECT box = BoxAroundPoint(cx, 50, w, h);
        ASSERT_EQ(RectWidth(box), w);
        ASSERT_EQ(RectHeight(box), h);
        ASSERT_TRUE(HasPixels(box));
        int leftOfCursor = 0, rightOfCursor = 0;
        for (int x = box.left; x <= box.right; ++x) {
          if (x < cx) ++leftOfCursor;
          if (x > cx) ++rightOfCursor;
        }
        ASSERT_EQ(rightOfCursor - leftOfCursor, (w % 2) ? 0 : 1) << w << " x " << h;
        ASSERT_LE(box.top, 50);
        ASSERT_EQ((box.bottom - 50) - (50 - box.top), (h % 2) ? 0 : 1);
      }
    }
  }
}

TEST(CaptureAreas, ReversedAndSingleRectangles) {
  const int16_t reversed[4] = {639, 479, 0, 0};
  const int16_t forward[4] = {0, 0, 639, 479};
  const int16_t point[4] = {-5, -5, -5, -5};
  for (const int16_t* area : {reversed, forward}) {
    RECT r = AreaFromProfile(area);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 639);
    EXPECT_EQ(r.bottom, 479);
    char text[32];
    FormatSizeLabel(RECT{area[0], area[1], area[2], area[3]}, text, sizeof(text));
    EXPECT_STREQ(text, "640 x 480");
  }
  EXPECT_TRUE(HasPixels(AreaFromProfile(point)));
  EXPECT_EQ(RectWidth(AreaFromProfile(point)), 1);
  EXPECT_FALSE(HasPixels(RECT{0, 0, -1, -1}));

  RECT both;
  EXPECT_TRUE(IntersectInclusive(RECT{-10, -10, 5, 5}, RECT{0, 0, 100, 100}, &both));
  EXPECT_EQ(both.left, 0);
  EXPECT_EQ(both.right, 5);
  EXPECT_FALSE(IntersectInclusive(RECT{-10, -10, -1, 5}, RECT{0, 0, 100, 100}, &both));
  // Extremes do not overflow.
  EXPECT_EQ(RectWidth(RECT{INT32_MIN, 0, INT32_MAX, 0}), int64_t(1) << 32);
}

// Where the label goes, checked against what it must satisfy rather than
// against positions: it sits 5 pixels off the cursor diagonally, it is the
// first corner of the drag's order that lies strictly inside the monitor,
// and with none inside it takes the order's first.
TEST(CaptureSizeLabel, FirstFittingCornerInTheDragsOrder) {
  const RECT monitor = {0, 0, 300, 200};
  const int orders[4][4] = {{0, 1, 3, 2}, {1, 0, 2, 3}, {2, 1, 3, 0}, {3, 0, 2, 1}};
  const int dirs[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
  auto inside = [&](POINT p, int w, int h) {
    return p.x > monitor.left && p.y > monitor.top && p.x + w < monitor.right &&
           p.y + h < monitor.bottom;
  };
  auto cornerOf = [](POINT p, int cx, int cy, int w, int h) {
    const bool right = p.x == cx + 5, left = p.x + w == cx - 5;
    const bool below = p.y == cy + 5, above = p.y + h == cy - 5;
    if (right && below) return 0;
    if (right && above) return 1;
    if (left && above) return 2;
    if (left && below) return 3;
    return -1;
  };
  std::mt19937 rng(7);
  for (int i = 0; i < 4000; ++i) {
    const int w = 1 + int(rng() % 120), h = 1 + int(rng() % 60);
    const int cx = int(rng() % 340) - 20, cy = int(rng() % 240) - 20;
    const int d = int(rng() % 4);
    const int64_t dx = dirs[d][0] * int64_t(rng() % 50), dy = dirs[d][1] * int64_t(rng() % 50);
    // A zero width or height counts as right or down.
    int row = d;
    if (dx == 0) row = (dy < 0) ? 1 : 0;
    if (dy == 0) row = (dx < 0) ? 3 : 0;
    if (dx == 0 && dy == 0) row = 0;
    POINT p = PlaceSizeLabel(cx, cy, w, h, dx, dy, monitor);
    const int corner = cornerOf(p, cx, cy, w, h);
    ASSERT_NE(corner, -1);
    int expected = orders[row][0];
    for (int c : orders[row]) {
      const bool r = c == 0 || c == 1, b = c == 0 || c == 3;
      POINT q = {r ? cx + 5 : cx - 5 - w, b ? cy + 5 : cy - 5 - h};
      if (inside(q, w, h)) {
        expected = c;
        break;
      }
    }
    ASSERT_EQ(corner, expected) << "cursor " << cx << "," << cy << " label " << w << "x" << h
                                << " drag " << dx << "," << dy;
  }
}

}  // namespace
