// Placement defaults, stored placements and bar states read back.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/window/window_flags.h"
#include "framework/window/window_records.h"

namespace {

MonitorLayout OneMonitor(int width, int height) {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, 0, 0, width, height);
  AddMonitorToLayout(&layout, RECT{0, 0, width, height}, "DISPLAY1", 96);
  return layout;
}

MonitorLayout TwoMonitors() {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, 0, 0, 2560, 1280);
  AddMonitorToLayout(&layout, RECT{0, 0, 1280, 1024}, "DISPLAY1", 96);
  AddMonitorToLayout(&layout, RECT{1280, 256, 2560, 1280}, "DISPLAY2", 96);
  return layout;
}

bool Same(const WindowPlacement& a, const WindowPlacement& b) {
  return a.iX == b.iX && a.iY == b.iY && a.iWidth == b.iWidth && a.iHeight == b.iHeight &&
         a.ulFlags == b.ulFlags && a.iTransparency == b.iTransparency && a.bGhost == b.bGhost;
}

bool Same(const BarState& a, const BarState& b) {
  return a.iX == b.iX && a.iY == b.iY && a.iLength == b.iLength && a.iThickness == b.iThickness &&
         a.wFrameId == b.wFrameId && a.iSide == b.iSide && a.iRow == b.iRow && a.wFlags == b.wFlags;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST(PlacementDefaults, TwoThirdsSteppedByIdAndWrappedIntoTheFreeRoom) {
  struct Case {
    int monitorWidth, monitorHeight, id, x, y, width, height;
  } cases[] = {
      {1920, 1080, 2, 0, 0, 0, 0}, {1920, 1080, 0, 0, 0, 0, 0}, {1920, 1080, 30, 0, 0, 0, 0},
      {1920, 1080, 1, 5000, -70, 300, 200}, {800, 600, 0, 0, 0, 800, 900},
      {800, 600, 3, 0, 0, 2000, 100},
  };
  for (const Case& c : cases) {
    RECT monitor = {0, 0, c.monitorWidth, c.monitorHeight};
    WindowPlacement p = {c.x, c.y, c.width, c.height, 0, 0, false};
    ApplyPlacementDefaults(monitor, uint16_t(c.id), &p);
    int width = c.width ? c.width : c.monitorWidth * 2 / 3;
    int height = c.height ? c.height : c.monitorHeight * 2 / 3;
    EXPECT_EQ(width, p.iWidth);
    EXPECT_EQ(height, p.iHeight);
    // An independent statement of the rule: the start lies within the free
    // room, or on the monitor's edge when there is none.
    int roomX = c.monitorWidth - width, roomY = c.monitorHeight - height;
    int rawX = c.x ? c.x : (c.monitorWidth - width) / 2 + 40 * c.id;
    int rawY = c.y ? c.y : (c.monitorHeight - height) / 2 + 40 * c.id;
    EXPECT_EQ(roomX > 0 ? ((rawX % roomX) + roomX) % roomX : 0, p.iX) << c.id << " " << c.width;
    EXPECT_EQ(roomY > 0 ? ((rawY % roomY) + roomY) % roomY : 0, p.iY) << c.id << " " << c.height;
  }
  RECT monitor = {0, 0, 1920, 1080};
  WindowPlacement p = {};
  ApplyPlacementDefaults(monitor, 2, &p);
  EXPECT_EQ(400, p.iX);
  EXPECT_EQ(260, p.iY);
  EXPECT_EQ(1280, p.iWidth);
  EXPECT_EQ(720, p.iHeight);
}

TEST(PlacementRecord, SanitisesWhatWasReadBack) {
  const MonitorLayout monitors = TwoMonitors();
  const WindowPlacement defaults = {100, 100, 640, 480, 0xF0002402u, 0, false};
  struct Case {
    const char* what;
    int size;
    WindowPlacementRecord record;
  } cases[] = {
      {"whole", 16, {10, 20, 300, 200, 0x1E5, 50, 0}},
      {"five bytes", 5, {10, 20, 300, 200, 0x1E5, 50, 0}},
      {"fifteen bytes", 15, {10, 20, 300, 200, 0x1E5, 50, 0}},
      {"transparency 200 with ghost", 16, {10, 20, 300, 200, 0, 200 | kGhostBit, 0}},
      {"transparency 47", 16, {10, 20, 300, 200, 0, 47, 0}},
      {"every flag", 16, {10, 20, 300, 200, 0xFFFFFFFFu, 0, 0}},
      {"x 30000", 16, {30000, 20, 300, 200, 0, 0, 0}},
      {"far left and too wide", 16, {-32000, 300, 4000, 200, 0, 0, 0}},
      {"zero width", 16, {10, 20, 0, 200, 0, 0, 0}},
      {"on the second monitor", 16, {1500, 400, 300, 200, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    uint8_t bytes[16];
    memcpy(bytes, &c.record, 16);
    WindowPlacement p = defaults;
    bool taken = ApplyPlacementRecord(bytes, c.size, monitors, &p);
    SCOPED_TRACE(c.what);
    if (c.size < 16) {
      EXPECT_FALSE(taken);
      EXPECT_TRUE(Same(p, defaults));
      continue;
    }
    ASSERT_TRUE(taken);
    // The bits the user sets through the window menu, as listed for users.
    const int userBits[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12};
    for (int bit = 0; bit < 32; ++bit) {
      uint32_t mask = 1u << bit;
      bool user = false;
      for (int b : userBits) user |= b == bit;
      EXPECT_EQ((user ? c.record.flags : defaults.ulFlags) & mask, p.ulFlags & mask) << bit;
    }
    int stored = c.record.wTransparency & 0xFF;
    EXPECT_EQ(stored > 90 ? 90 : stored - stored % 10, p.iTransparency);
    EXPECT_EQ((c.record.wTransparency & kGhostBit) != 0, p.bGhost);
    RECT rect = {p.iX, p.iY, p.iX + p.iWidth, p.iY + p.iHeight};
    EXPECT_TRUE(p.iWidth > 0 && p.iHeight > 0);
    bool onSome = false;
    for (int m = 0; m < monitors.iCount; ++m)
      onSome |= rect.left < monitors.rcMonitor[m].right && monitors.rcMonitor[m].left < rect.right &&
                rect.top < monitors.rcMonitor[m].bottom && monitors.rcMonitor[m].top < rect.bottom;
    EXPECT_TRUE(onSome);
    if (c.record.width && c.record.height && (c.record.x == 10 || c.record.x == 1500)) {
      EXPECT_EQ(c.record.x, p.iX);  // a visible placement stays exactly where it was
      EXPECT_EQ(c.record.width, p.iWidth);
    }
  }
}

TEST(PlacementRecord, OffScreenRectanglesLandWhollyOnTheNearestMonitor) {
  const MonitorLayout monitors = TwoMonitors();
  struct Case {
    RECT in;
    int monitor;
  } cases[] = {
      {{30000, 20, 30300, 220}, 1}, {{-5000, 500, -4000, 700}, 0},
      {{1300, -900, 1500, -800}, 0}, {{100, 1100, 200, 1200}, 0},
      {{2600, 300, 6000, 3000}, 1},
  };
  for (const Case& c : cases) {
    RECT r = c.in;
    EXPECT_TRUE(FitRectOnMonitors(monitors, &r));
    EXPECT_TRUE(Inside(r, monitors.rcMonitor[c.monitor])) << r.left << "," << r.top;
    int width = c.in.right - c.in.left, mw = monitors.rcMonitor[c.monitor].right -
                                             monitors.rcMonitor[c.monitor].left;
    EXPECT_EQ(width < mw ? width : mw, r.right - r.left);
  }
  RECT partly = {1200, 900, 1400, 1100};  // overlaps the first monitor: stays
  RECT before = partly;
  EXPECT_FALSE(FitRectOnMonitors(monitors, &partly));
  EXPECT_EQ(0, memcmp(&before, &partly, sizeof(RECT)));
}

TEST(PlacementRecord, RoundTripsThroughSixteenBytes) {
  WindowPlacement p = {-300, 40, 1280, 720, 0x10000000u | 0x1E9, 70, true};
  WindowPlacementRecord record = MakePlacementRecord(p);
  uint8_t bytes[16];
  memcpy(bytes, &record, 16);
  EXPECT_EQ(70, bytes[12]);
  EXPECT_EQ(0x10, bytes[13]);  // ghost
  EXPECT_EQ(0x10, bytes[11]);  // the high flag byte is written too
  WindowPlacement back = {0, 0, 1, 1, 0, 0, false};
  MonitorLayout wide;
  ResetMonitorLayout(&wide, -1280, 0, 3200, 1080);
  AddMonitorToLayout(&wide, RECT{-1280, 0, 0, 1024}, "DISPLAY2", 96);
  AddMonitorToLayout(&wide, RECT{0, 0, 1920, 1080}, "DISPLAY1", 96);
  ASSERT_TRUE(ApplyPlacementRecord(bytes, 16, wide, &back));
  EXPECT_EQ(p.iX, back.iX);
  EXPECT_EQ(p.iY, back.iY);
  EXPECT_EQ(p.iWidth, back.iWidth);
  EXPECT_EQ(p.ulFlags & kWindowUserBits, back.ulFlags);
  EXPECT_EQ(70, back.iTransparency);
  EXPECT_TRUE(back.bGhost);
}

TEST(BarRecord, KeepsDefaultsForForeignOrBrokenRecords) {
  const MonitorLayout monitors = OneMonitor(1920, 1080);
  const BarState defaults = {-1, 0, 200, 30, 0, kSideTop, 0, 0x10 | kBarVisible};
  struct Case {
    const char* what;
    int size;
    BarStateRecord record;
    bool taken;
  } cases[] = {
      {"whole", 16, {40, 0, 300, 28, 0, 2, 3, 0x202}, true},
      {"short", 15, {40, 0, 300, 28, 0, 2, 3, 0x202}, false},
      {"side 9", 16, {40, 0, 300, 28, 0, 9, 3, 0x202}, false},
      {"side 254", 16, {40, 0, 300, 28, 0, 254, 3, 0x202}, false},
      {"foreign frame", 16, {40, 0, 300, 28, 7, 2, 3, 0x202}, false},
      {"row 40", 16, {40, 0, 300, 28, 0, 1, 40, 0x20}, true},
      {"thickness 0", 16, {40, 0, 300, 0, 0, 0, 1, 0x20}, true},
      {"floating far away", 16, {30000, 30000, 300, 60, 0, 255, 0, 0x20}, true},
      {"foreign bits", 16, {40, 0, 300, 28, 0, 0, 0, 0xFFFF}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint8_t bytes[16];
    memcpy(bytes, &c.record, 16);
    BarState s = defaults;
    EXPECT_EQ(c.taken, ApplyBarRecord(bytes, c.size, monitors, &s));
    if (!c.taken) {
      EXPECT_TRUE(Same(s, defaults));
      continue;
    }
    EXPECT_GE(s.iRow, 0);
    EXPECT_LE(s.iRow, 15);
    EXPECT_EQ(c.record.row > 15 ? 15 : c.record.row, s.iRow);
    EXPECT_EQ(c.record.thickness ? c.record.thickness : defaults.iThickness, s.iThickness);
    EXPECT_EQ((defaults.wFlags & ~kBarUserBits) | (c.record.flags & kBarUserBits), s.wFlags);
    if (s.iSide == kBarFloating) {
      RECT r = {s.iX, s.iY, s.iX + s.iLength, s.iY + s.iThickness};
      EXPECT_TRUE(Inside(r, monitors.rcMonitor[0]));
    } else {
      EXPECT_EQ(c.record.x, s.iX);
    }
  }
}

}  // namespace
