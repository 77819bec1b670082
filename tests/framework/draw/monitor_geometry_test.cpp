#include "framework/draw/monitor_geometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) { return RECT{left, top, right, bottom}; }

// The two-monitor desk: 1280x1024 at the origin and another 1280x1024 to
// its right, 256 pixels lower.
MonitorLayout TwoMonitors() {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, 0, 0, 2560, 1280);
  AddMonitorToLayout(&layout, Rect(0, 0, 1280, 1024), "\\\\.\\DISPLAY1", 96);
  AddMonitorToLayout(&layout, Rect(1280, 256, 2560, 1280), "\\\\.\\DISPLAY2", 96);
  return layout;
}

TEST(MonitorGeometry, PointsInsideAndOnSharedEdges) {
  MonitorLayout layout = TwoMonitors();
  EXPECT_EQ(0, FindMonitorIndex(layout, 0, 0));
  EXPECT_EQ(0, FindMonitorIndex(layout, 1279, 1023));
  EXPECT_EQ(1, FindMonitorIndex(layout, 2559, 1279));
  // The column x = 1280 is the second monitor's first, not the first one's last.
  EXPECT_EQ(1, FindMonitorIndex(layout, 1280, 500));
  EXPECT_EQ(0, FindMonitorIndex(layout, 1279, 500));
  // The row y = 1024 below the first monitor is outside it: nearest corner wins.
  EXPECT_EQ(1, FindMonitorIndex(layout, 1279, 1024 + 200));
}

TEST(MonitorGeometry, PointOutsideTakesNearestCorner) {
  MonitorLayout layout = TwoMonitors();
  // Above the second monitor: its top-right corner (2560, 256) is nearer
  // than the first monitor's top-right corner (1280, 0).
  EXPECT_EQ(1, FindMonitorIndex(layout, 2000, 100));
  // Below the first monitor, just left of the second: the first's
  // bottom-right corner (1280, 1024) is nearer than the second's
  // bottom-left one (1280, 1280).
  EXPECT_EQ(0, FindMonitorIndex(layout, 1270, 1100));
  EXPECT_EQ(1, FindMonitorIndex(layout, 1270, 1200));
  // Left of everything.
  EXPECT_EQ(0, FindMonitorIndex(layout, -500, 1200));
  // Right of and below everything.
  EXPECT_EQ(1, FindMonitorIndex(layout, 4000, 3000));
}

TEST(MonitorGeometry, FarPointsNeedWideArithmetic) {
  MonitorLayout layout = TwoMonitors();
  // Differences of about two billion square to about 4e18; in 32 bits the
  // comparison would be meaningless.
  EXPECT_EQ(0, FindMonitorIndex(layout, -2000000000, 0));
  EXPECT_EQ(1, FindMonitorIndex(layout, 2000000000, 1280));
  EXPECT_EQ(0, FindMonitorIndex(layout, 0, -2000000000));
  EXPECT_EQ(1, FindMonitorIndex(layout, 2000000000, 2000000000));
  EXPECT_EQ(int64_t(2000000000) * 2000000000, SquaredCornerDistance(Rect(0, 0, 10, 10), -2000000000, 0));
}

TEST(MonitorGeometry, EqualDistancesGoToTheFirstMonitor) {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, 0, 0, 300, 100);
  AddMonitorToLayout(&layout, Rect(0, 0, 100, 100), "A", 96);
  AddMonitorToLayout(&layout, Rect(200, 0, 300, 100), "B", 96);
  EXPECT_EQ(0, FindMonitorIndex(layout, 150, 50));

  MonitorLayout swapped;
  ResetMonitorLayout(&swapped, 0, 0, 300, 100);
  AddMonitorToLayout(&swapped, Rect(200, 0, 300, 100), "B", 96);
  AddMonitorToLayout(&swapped, Rect(0, 0, 100, 100), "A", 96);
  EXPECT_EQ(0, FindMonitorIndex(swapped, 150, 50));
  EXPECT_EQ(1, FindMonitorIndex(swapped, 149, 50));
}

TEST(MonitorGeometry, SingleMonitorAnswersItselfEverywhere) {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, 0, 0, 800, 600);
  AddMonitorToLayout(&layout, Rect(0, 0, 800, 600), "", 96);
  EXPECT_EQ(0, FindMonitorIndex(layout, -5000, 9000));
  EXPECT_EQ(0, FindMonitorIndex(layout, 400, 300));
}

TEST(MonitorGeometry, LayoutKeepsSixteenMonitorsAndPlainNames) {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, -100, -50, 17 * 100 + 100, 150);
  EXPECT_EQ(-100, layout.rcVirtual.left);
  EXPECT_EQ(-50, layout.rcVirtual.top);
  EXPECT_EQ(1700, layout.rcVirtual.right);
  EXPECT_EQ(100, layout.rcVirtual.bottom);
  int accepted = 0;
  for (int i = 0; i < 17; ++i) {
    std::string name = "\\\\.\\DISPLAY" + std::to_string(i + 1);
    bool goOn = AddMonitorToLayout(&layout, Rect(i * 100, 0, i * 100 + 100, 100), name.c_str(),
                                   96 + i);
    if (goOn) ++accepted;
    // The sixteenth monitor fills the layout: enumeration should stop there.
    EXPECT_EQ(i < 15, goOn) << "monitor " << i;
  }
  EXPECT_EQ(15, accepted);
  ASSERT_EQ(16, layout.iCount);
  EXPECT_EQ(1500, layout.rcMonitor[15].left);
  EXPECT_EQ(96u + 15, layout.uDpi[15]);
  EXPECT_STREQ("DISPLAY1", layout.szDevice[0]);
  EXPECT_STREQ("DISPLAY16", layout.szDevice[15]);
  // The seventeenth monitor's area now answers with the nearest kept one.
  EXPECT_EQ(15, FindMonitorIndex(layout, 1650, 50));
}

TEST(MonitorGeometry, DeviceNamesAreCutToTheirField) {
  MonitorLayout layout;
  ResetMonitorLayout(&layout, 0, 0, 10, 10);
  std::string longName = "\\\\.\\" + std::string(40, 'M');
  AddMonitorToLayout(&layout, Rect(0, 0, 10, 10), longName.c_str(), 96);
  AddMonitorToLayout(&layout, Rect(0, 0, 10, 10), nullptr, 96);
  EXPECT_EQ(std::string(31, 'M'), layout.szDevice[0]);
  EXPECT_STREQ("", layout.szDevice[1]);
}

TEST(GrownStrips, OnlyTheChangedSidesAreRepainted) {
  RECT strips[2];
  std::memset(strips, 0x5a, sizeof(strips));
  // Same width, ten lines taller: only the bottom strip of ten lines.
  ASSERT_EQ(1, ComputeGrownStrips(300, 210, 300, 200, strips));
  EXPECT_EQ(0, strips[0].left);
  EXPECT_EQ(300, strips[0].right);
  EXPECT_EQ(200, strips[0].top);
  EXPECT_EQ(210, strips[0].bottom);

  // Wider only: the new columns over the full new height.
  ASSERT_EQ(1, ComputeGrownStrips(320, 200, 300, 200, strips));
  EXPECT_EQ(300, strips[0].left);
  EXPECT_EQ(320, strips[0].right);
  EXPECT_EQ(0, strips[0].top);
  EXPECT_EQ(200, strips[0].bottom);

  EXPECT_EQ(0, ComputeGrownStrips(300, 200, 300, 200, strips));
}

TEST(GrownStrips, BothSidesAndShrinking) {
  RECT strips[2];
  ASSERT_EQ(2, ComputeGrownStrips(350, 260, 300, 200, strips));
  EXPECT_EQ(300, strips[0].left);
  EXPECT_EQ(350, strips[0].right);
  EXPECT_EQ(260, strips[0].bottom);
  EXPECT_EQ(0, strips[1].left);
  EXPECT_EQ(350, strips[1].right);
  EXPECT_EQ(200, strips[1].top);
  EXPECT_EQ(260, strips[1].bottom);

  // Narrower and shorter: the strips lie between the two sizes, ordered.
  ASSERT_EQ(2, ComputeGrownStrips(250, 150, 300, 200, strips));
  EXPECT_EQ(250, strips[0].left);
  EXPECT_EQ(300, strips[0].right);
  EXPECT_EQ(150, strips[0].bottom);
  EXPECT_EQ(150, strips[1].top);
  EXPECT_EQ(200, strips[1].bottom);
  EXPECT_EQ(250, strips[1].right);
}

}  // namespace
