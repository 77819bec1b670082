// The view's arithmetic: what is painted where, conversions against that
// painting, the selection's hit test and drags, panning, the fling, the
// fitting zoom and the navigator.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/view/view_geometry.h"

namespace {

ViewFrame Frame(int cw, int ch, int w, int h, int zoom, int ox = 0, int oy = 0) {
  ViewFrame f;
  f.clientWidth = cw;
  f.clientHeight = ch;
  f.imageWidth = w;
  f.imageHeight = h;
  f.scale = ZoomScale(zoom);
  f.originX = ox;
  f.originY = oy;
  ClampOrigin(&f);
  ComputeViewRects(&f);
  return f;
}

// What StretchDIBits shows at client column v (or row) for zooms >= 100 %:
// the source pixel whose scaled footprint holds v, top-down; -1 off the
// painted image.
int PaintedPixel(const ViewFrame& f, int v, bool horizontal) {
  const int d0 = horizontal ? f.rcDest.left : f.rcDest.top;
  const int d1 = horizontal ? f.rcDest.right : f.rcDest.bottom;
  if (v < d0 || v >= d1) return -1;
  const int s = horizontal ? f.rcSource.right - f.rcSource.left : f.rcSource.bottom - f.rcSource.top;
  const int first = horizontal ? f.rcSource.left : f.imageHeight - f.rcSource.bottom;
  return first + int(int64_t(v - d0) * s / (d1 - d0));
}

TEST(ViewGeometry, PaintedRectanglesAgreeWithConversions) {
  struct Case { int cw, ch, w, h, zoom, ox, oy; };
  const std::vector<Case> cases = {
      {500, 400, 1000, 800, 6, 0, 0},      {500, 400, 1000, 800, 6, 300, 123},
      {500, 400, 1000, 800, 6, 9999, 9999}, {501, 377, 33, 17, 8, 0, 0},
      {501, 377, 333, 171, 10, 41, 57},    {640, 480, 8000, 6000, 11, 7990, 5990},
      {640, 480, 101, 99, 7, 0, 0},        {1280, 1024, 8000, 6000, 11, 4000, 3000},
      {300, 200, 70000, 10, 9, 69990, 0},  {17, 13, 5, 3, 11, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cw << "x" << c.ch << " img " << c.w << "x" << c.h
                                    << " zoom " << c.zoom << " origin " << c.ox << "," << c.oy);
    const ViewFrame f = Frame(c.cw, c.ch, c.w, c.h, c.zoom, c.ox, c.oy);
    // Visible source inside the image, bottom-up rows.
    EXPECT_GE(f.rcSource.left, 0);
    EXPECT_LE(f.rcSource.right, c.w);
    EXPECT_GE(f.rcSource.top, 0);
    EXPECT_LE(f.rcSource.bottom, c.h);
    EXPECT_EQ(f.rcSource.left, f.originX);
    EXPECT_EQ(c.h - f.rcSource.bottom, f.originY);
    // Every painted column and row converts back to the pixel painted there,
    // and that pixel's left edge converts to the column where it starts.
    for (int axis = 0; axis < 2; ++axis) {
      const bool horizontal = axis == 0;
      const int client = horizontal ? c.cw : c.ch;
      int painted = 0;
      for (int v = 0; v < client; ++v) {
        const int pixel = PaintedPixel(f, v, horizontal);
        if (pixel < 0) continue;
        ++painted;
        ASSERT_EQ(ViewToImage(f, v, horizontal, false, false), pixel) << "at " << v;
        ASSERT_LE(ImageToView(f, pixel, horizontal), v);
        ASSERT_GT(ImageToView(f, pixel + 1, horizontal), v);
      }
      // The client is covered unless the image ends first; a smaller image
      // is centred.
      const int extent = horizontal ? c.w : c.h;
      const int origin = horizontal ? f.originX : f.originY;
      const int edge = horizontal ? f.rcDest.left : f.rcDest.top;
      const double scale = f.scale;
      if ((extent - origin) * scale >= client) {
        EXPECT_EQ(painted, client);
      } else if (origin == 0) {
        EXPECT_EQ(painted, int(extent * scale));
        EXPECT_EQ(edge, (client - painted) / 2);
      }
    }
  }
}

TEST(ViewGeometry, ScrollBarsReachTheLastPixelAndClamp) {
  // The scroll bar's own largest thumb position is range - page + 1; there
  // the last column must show, at every zoom, for an image wider than the
  // 16-bit positions of scroll messages.
  for (int zoom = 0; zoom < kZoomSteps; ++zoom) {
    for (int client : {300, 1017, 1280}) {
      const double scale = ZoomScale(zoom);
      const int w = 70000;
      const int page = ScrollPage(client, scale);
      if (!ScrollBarNeeded(w, client, scale)) continue;
      const int thumbEnd = w - page + 1;
      ViewFrame f = Frame(client, 10, w, 10, zoom, thumbEnd, 0);
      EXPECT_EQ(f.originX, thumbEnd) << zoom << " " << client;
      EXPECT_EQ(f.rcSource.right, w) << zoom << " " << client;
      EXPECT_LE(MaxOrigin(w, client, scale), thumbEnd + 1);
    }
  }
  int32_t v = -5;
  EXPECT_TRUE(ClampToExtent(&v, 10));
  EXPECT_EQ(v, 0);
  v = 11;
  EXPECT_TRUE(ClampToExtent(&v, 10));
  EXPECT_EQ(v, 10);
  v = 3;
  EXPECT_TRUE(ClampToExtent(&v, -4));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(ClampToExtent(&v, 0));
  EXPECT_EQ(ZoomScale(-3), 0.01);
  EXPECT_EQ(ZoomScale(40), 32.0);
  // No image: nothing painted, conversions say so.
  const ViewFrame none = Frame(100, 100, 0, 0, 6);
  EXPECT_TRUE(none.rcDest.right == none.rcDest.left);
  EXPECT_EQ(ViewToImage(none, 5, true, true, true), -1);
  EXPECT_EQ(HitTestSelection(none, RECT{0, 0, 0, 0}, 5, 5, false), -1);
}

TEST(ViewGeometry, CentringOnTheSelection) {
  // The selection's centre at the view's centre (the cursor's point is kept
  // on the screen test).
  ViewFrame f = Frame(640, 480, 5000, 4000, 8);
  CentreOnSelection(&f, RECT{1000, 2000, 1099, 2049});
  ComputeViewRects(&f);
  EXPECT_EQ(ViewToImage(f, 320, true, false, false), 1050);
  EXPECT_EQ(ViewToImage(f, 240, false, false, false), 2025);
}

TEST(ViewGeometry, GuidesAndHitTest) {
  // 400 %, origin 0: image column i covers client 4i..4i+3.
  const ViewFrame f = Frame(400, 300, 200, 200, 8);
  // Guides inside the client are placed on the screen test; at the client's
  // edges 0 stays and the far edge moves in.
  const GuideLines whole = GuidePositions(Frame(400, 300, 100, 75, 8), RECT{0, 0, 99, 74});
  EXPECT_EQ(whole.left, 0);
  EXPECT_EQ(whole.top, 0);
  EXPECT_EQ(whole.right, 399);
  EXPECT_EQ(whole.bottom, 299);

  const RECT s{10, 20, 29, 39};  // view: columns 40..119, rows 80..159
  struct Hit { int x, y; bool shift; int expected; };
  const std::vector<Hit> hits = {
      {39, 100, false, kEdgeLeft},            // on the left guide
      {43, 100, false, kEdgeLeft},            // distance 4
      {44, 100, false, 0},                    // distance 5: inside, on the image
      {120, 100, false, kEdgeRight},
      {100, 79, false, kEdgeTop},
      {100, 160, false, kEdgeBottom},
      {39, 79, false, kEdgeLeft | kEdgeTop},  // corner
      {120, 160, false, kEdgeRight | kEdgeBottom},
      {60, 100, true, kEdgeLeft},             // Shift: nearest (21 vs 64)
      {100, 90, true, kEdgeTop},
      {70, 110, true, kEdgeLeft},             // 31, 31, 50, 50: the tie goes left
      {80, 120, true, kEdgeRight},            // 41, 41, 40, 40: right before bottom
      {-1, 5, false, -1},
      {400, 5, false, -1},
  };
  for (const Hit& h : hits) {
    EXPECT_EQ(HitTestSelection(f, s, h.x, h.y, h.shift), h.expected) << h.x << "," << h.y;
  }
  // Off the painted image but inside the client.
  const ViewFrame small = Frame(400, 300, 20, 20, 8);  // painted 80x80, centred
  EXPECT_EQ(HitTestSelection(small, RECT{5, 5, 9, 9}, 5, 5, false), -1);
  EXPECT_EQ(HitTestSelection(small, RECT{5, 5, 9, 9}, 190, 140, false), 0);
  // A one-pixel selection at 100 %: opposite edges both near give the
  // nearer one alone, equal distances prefer left over top over right.
  const ViewFrame one = Frame(400, 300, 1000, 1000, 6);
  const RECT dot{50, 50, 50, 50};  // left guide 49, right guide 51
  EXPECT_EQ(HitTestSelection(one, dot, 51, 100, false), kEdgeRight);
  EXPECT_EQ(HitTestSelection(one, dot, 50, 100, false), kEdgeLeft);
  EXPECT_EQ(HitTestSelection(one, dot, 100, 50, false), kEdgeTop);
  EXPECT_EQ(HitTestSelection(one, dot, 50, 50, false), kEdgeLeft);
}

// Drag sequences: each step moves the named edges to an image grid point.
TEST(ViewGeometry, EdgeAndMoveDrags) {
  struct Step { int x, y; RECT expected; int mask; };
  struct Case { const char* name; RECT start; int mask; std::vector<Step> steps; };
  const std::vector<Case> cases = {
      {"left follows", {10, 10, 20, 20}, kEdgeLeft, {{5, 0, {5, 10, 20, 20}, kEdgeLeft}}},
      {"left onto right+1 stays one column", {10, 10, 20, 20}, kEdgeLeft,
       {{21, 0, {20, 10, 20, 20}, kEdgeLeft}}},
      {"left past right swaps and drags the right", {10, 10, 20, 20}, kEdgeLeft,
       {{25, 0, {21, 10, 24, 20}, kEdgeRight}, {30, 0, {21, 10, 29, 20}, kEdgeRight}}},
      {"right past left swaps", {10, 10, 20, 20}, kEdgeRight | kEdgeBottom,
       {{4, 50, {4, 10, 9, 49}, kEdgeLeft | kEdgeBottom}}},
      {"right onto left", {10, 10, 20, 20}, kEdgeRight, {{10, 0, {10, 10, 10, 20}, kEdgeRight}}},
      {"clamped into the image", {10, 10, 20, 20}, kEdgeRight | kEdgeTop,
       {{500, -7, {10, 0, 99, 20}, kEdgeRight | kEdgeTop}}},
      {"bottom past top at row 0", {10, 10, 20, 20}, kEdgeBottom,
       {{0, 0, {10, 0, 20, 9}, kEdgeTop}}},
  };
  for (const Case& c : cases) {
    RECT s = c.start;
    int mask = c.mask;
    for (const Step& step : c.steps) {
      mask = DragSelectionEdges(&s, mask, step.x, step.y, 100, 80);
      EXPECT_EQ(mask, step.mask) << c.name;
      EXPECT_TRUE(s.left == step.expected.left && s.top == step.expected.top &&
                  s.right == step.expected.right && s.bottom == step.expected.bottom)
          << c.name << ": " << s.left << "," << s.top << "," << s.right << "," << s.bottom;
    }
  }
  // Ctrl move: stops with the right edge on the last column, the top on row 0.
  RECT s{10, 10, 29, 19};
  MoveSelectionTo(&s, 95, -30, POINT{5, 5}, 19, 9, 100, 80);
  EXPECT_TRUE(s.left == 80 && s.right == 99 && s.top == 0 && s.bottom == 9);
  // New selections: same column or row changes nothing; crossed corners swap.
  RECT sel{};
  EXPECT_FALSE(SelectionFromPoints(POINT{5, 5}, POINT{5, 30}, &sel));
  EXPECT_FALSE(SelectionFromPoints(POINT{5, 5}, POINT{30, 5}, &sel));
  ASSERT_TRUE(SelectionFromPoints(POINT{30, 5}, POINT{5, 20}, &sel));
  EXPECT_TRUE(sel.left == 5 && sel.top == 5 && sel.right == 29 && sel.bottom == 19);
}

TEST(ViewGeometry, AutoScrollAndPan) {
  const ViewFrame f = Frame(400, 300, 5000, 5000, 11);
  EXPECT_EQ(AutoScrollDelta(f, -1, 5, false).x, -1);  // (int)(4 / 32 + 0.9)
  EXPECT_EQ(AutoScrollDelta(f, 400, 300, true).y, 10);
  EXPECT_EQ(AutoScrollDelta(Frame(400, 300, 5000, 5000, 0), 5, -3, false).y, -400);
  EXPECT_EQ(AutoScrollDelta(f, 399, 0, true).x, 0);
  // A slow pan at 3200 %: one client pixel per move still adds up to whole
  // image pixels, and the image follows the hand exactly.
  PanReference r{100, 100};
  int moved = 0;
  for (int x = 99; x >= 36; --x) moved += PanStep(&r, x, 100, 32.0).x;
  EXPECT_EQ(moved, 2);
  // At 1 % a pixel of the hand is 100 image pixels.
  PanReference q{0, 0};
  const POINT step = PanStep(&q, 3, -2, 0.01);
  EXPECT_NEAR(step.x, -300, 1);
  EXPECT_NEAR(step.y, 200, 1);
  // What did not scroll yet stays in the reference (less than a pixel).
  EXPECT_NEAR(q.x, 3, 0.0100001);
  EXPECT_NEAR(q.y, -2, 0.0100001);
}

// Replays a fling to rest; the total distance it scrolled.
double RunFling(FlingState fling, double scale, int* ticks) {
  double total = 0;
  POINT d;
  *ticks = 0;
  while (FlingTick(&fling, scale, &d) && *ticks < 100000) {
    total += d.x;
    ++*ticks;
  }
  return total;
}

TEST(ViewGeometry, FlingFromSamples) {
  struct Sample { int x; uint32_t tick; };
  struct Case {
    const char* name;
    std::vector<Sample> moves;  // oldest first
    Sample up;
    double scale;
    bool flings;
    int direction;  // sign of vx
  };
  const std::vector<Case> cases = {
      {"still click", {}, {50, 1000}, 1.0, false, 0},
      {"no time", {{60, 1000}}, {50, 1000}, 1.0, false, 0},
      {"rest after moving", {{90, 1000}, {70, 1010}, {50, 1020}}, {50, 1100}, 1.0, false, 0},
      {"leftward hand scrolls right", {{90, 1000}, {70, 1010}, {50, 1020}}, {40, 1025}, 1.0, true, 1},
      {"rightward hand scrolls left", {{10, 1000}, {30, 1010}}, {45, 1015}, 4.0, true, -1},
      {"slow at 3200 %", {{100, 1000}, {99, 1008}}, {98, 1016}, 32.0, true, 1},
  };
  for (const Case& c : cases) {
    PanHistory h;
    for (const Sample& s : c.moves) AddPanSample(&h, s.x, 0, s.tick);
    FlingState fling;
    EXPECT_EQ(StartFling(&h, c.up.x, 0, c.up.tick, c.scale, &fling), c.flings) << c.name;
    EXPECT_EQ(h.count, 0) << c.name;
    if (!c.flings) continue;
    EXPECT_EQ(fling.vx > 0 ? 1 : -1, c.direction) << c.name;
    int ticks = 0;
    const double total = RunFling(fling, c.scale, &ticks);
    EXPECT_LT(ticks, 100000) << c.name << ": a fling must come to rest";
    EXPECT_GT(ticks, 1) << c.name << ": it must not stop at once";
    EXPECT_EQ(total > 0 ? 1 : -1, c.direction) << c.name;
  }
  // A flick over microseconds is clamped, not infinite, and still ends.
  PanHistory h;
  AddPanSample(&h, 0, 0, 5);
  FlingState fast;
  ASSERT_TRUE(StartFling(&h, -30000, 30000, 6, 0.01, &fast));
  EXPECT_LE(std::fabs(fast.vx), kMaxFlingSpeed);
  int ticks = 0;
  RunFling(fast, 0.01, &ticks);
  EXPECT_LT(ticks, 100000);
  // Only the 16 newest samples weigh.
  PanHistory many;
  for (int i = 0; i < 40; ++i) AddPanSample(&many, i, 0, uint32_t(i));
  EXPECT_EQ(many.count, kPanSamples);
  EXPECT_EQ(many.samples[0].x, 39);
  EXPECT_EQ(many.samples[kPanSamples - 1].x, 24);
  // A broken velocity stops instead of running for ever.
  FlingState broken{NAN, 0, 0, 0};
  POINT d;
  EXPECT_FALSE(FlingTick(&broken, 1.0, &d));
}

TEST(ViewGeometry, FitZoomAndNavigator) {
  struct Fit { int cw, ch, sw, sh, index; };
  const std::vector<Fit> fits = {
      {1000, 800, 1000, 800, 6},   {1000, 800, 1001, 800, 5}, {1000, 800, 250, 200, 8},
      {1000, 800, 31, 25, 11},     {1000, 800, 10, 10, 11},   {100, 100, 100000, 10, 0},
      {100, 100, 9000, 10, 0},     {1000, 800, 2000, 1600, 5}, {1000, 800, 2001, 100, 4},
  };
  for (const Fit& f : fits) {
    const int index = FitZoomIndex(f.cw, f.ch, f.sw, f.sh);
    EXPECT_EQ(index, f.index) << f.sw << "x" << f.sh;
    // Independently: the chosen step fits (unless it is the smallest) and
    // the next one does not.
    auto fits_at = [&](int i) {
      return kZoomPercent[i] * int64_t(f.sw) <= 100LL * f.cw && kZoomPercent[i] * int64_t(f.sh) <= 100LL * f.ch;
    };
    if (index > 0) {
      EXPECT_TRUE(fits_at(index));
    }
    if (index + 1 < kZoomSteps) {
      EXPECT_FALSE(fits_at(index + 1));
    }
  }
  NavigatorGeometry nav;
  EXPECT_FALSE(ComputeNavigator(0, 100, 1280, &nav));
  EXPECT_FALSE(ComputeNavigator(100, 0, 1280, &nav));
  ASSERT_TRUE(ComputeNavigator(8000, 6000, 1280, &nav));
  EXPECT_DOUBLE_EQ(nav.m, 8000 / (1280 / 6.0));
  EXPECT_EQ(nav.width, 213);
  EXPECT_EQ(nav.height, 160);
  // A huge image: the scale stays exact (no integer overflow or truncation).
  ASSERT_TRUE(ComputeNavigator(70000, 10, 1280, &nav));
  EXPECT_EQ(nav.width, 213);
  EXPECT_EQ(nav.height, 1);
  // The frame stands for the view: its origin maps back to the frame.
  ASSERT_TRUE(ComputeNavigator(8000, 6000, 1280, &nav));
  ViewFrame f = Frame(640, 480, 8000, 6000, 6, 2000, 1500);
  const POINT centre = NavigatorCentre(f, nav);
  const RECT frame = NavigatorFrame(f, nav, centre);
  EXPECT_EQ(frame.right - frame.left, int(640 / nav.m));
  const POINT origin = OriginFromNavigatorFrame(frame, nav);
  EXPECT_NEAR(origin.x, 2000, 2 * nav.m);
  EXPECT_NEAR(origin.y, 1500, 2 * nav.m);
  EXPECT_EQ(origin.x, int(frame.left * nav.m + 0.99999));
  // Kept inside the navigator.
  const RECT corner = NavigatorFrame(f, nav, POINT{-50, 10000});
  EXPECT_EQ(corner.left, 0);
  EXPECT_EQ(corner.bottom, nav.height);
}

}  // namespace
