// Capturing on two monitors (the two-monitor display): the whole virtual
// screen, and a drag across the monitors, first with the left monitor
// primary and then with the right one, which puts the virtual screen at
// negative coordinates.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/capture/capture_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "framework/draw/monitors_win.h"
#include "tests/app/capture/capture_harness_win.h"
#include "tests/support/test_paths.h"

namespace {

// Starts xrandr on the test display; Wine starts Unix programs too, but
// hands back no handle: the caller waits for the change itself.
bool RunXrandr(const std::string& arguments) {
  std::string command = "/usr/bin/xrandr";
  const char* display = std::getenv("BW_DUAL_DISPLAY");
  if (display && *display) command += std::string(" --display ") + display;
  command += " " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  if (process.hProcess) {
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return true;
}

bool WaitForVirtualLeft(int left) {
  for (int i = 0; i < 500; ++i) {
    if (GetSystemMetrics(SM_XVIRTUALSCREEN) == left) return true;
    Pump(20);
  }
  return false;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM param) {
  reinterpret_cast<std::vector<RECT>*>(param)->push_back(
      RECT{r->left, r->top, r->right - 1, r->bottom - 1});
  return TRUE;
}

std::vector<RECT> MonitorsInclusive() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&rects));
  std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
  return rects;
}

// Puts the left monitor back as the primary one, whatever the test did.
struct CLayoutRestore {
  ~CLayoutRestore() {
    RunXrandr("--output DUMMY0 --primary");
    WaitForVirtualLeft(0);
  }
};

TEST(CaptureDual, VirtualScreenAndDragsAcrossMonitorsAlsoBelowZero) {
  std::string why;
  if (!DualMonitorAvailable(&why)) GTEST_SKIP() << why;
  SetUpCaptureHarness();
  CLayoutRestore restore;
  ProfileRecord profile = gProfileTemplate;
  profile.iSCOSound = 0;
  profile.iSCOHideSC = 0;
  for (bool rightPrimary : {false, true}) {
    SCOPED_TRACE(rightPrimary ? "right monitor primary" : "left monitor primary");
    if (rightPrimary) {
      ASSERT_TRUE(RunXrandr("--output DUMMY1 --primary"));
      ASSERT_TRUE(WaitForVirtualLeft(-1280)) << GetSystemMetrics(SM_XVIRTUALSCREEN);
      UpdateMonitorsForDisplayChange();
      UpdateMultiMonitorFlag();
      PlacePatternWindows();
    }
    ASSERT_EQ(gbMultiMonitor, 1);
    const std::vector<RECT> monitors = MonitorsInclusive();
    ASSERT_EQ(monitors.size(), 2u);
    RECT all;
    GetScreenRect(0, &all);
    EXPECT_EQ(all.right - all.left + 1, 2560);
    EXPECT_EQ(all.bottom - all.top + 1, 1280);

    profile.iSCMode = 3;
    profile.iSCMonitor = 1;
    int before = gaImageHistory.count;
    ASSERT_EQ(CaptureScreen(profile), 0u);
    ExpectCaptured(all, before, monitors);

    // From the left monitor into the right one, inside both heights.
    const RECT& l = monitors[0];
    const RECT& r = monitors[1];
    const int top = std::max(l.top, r.top) + 100;
    const RECT drag = {l.right - 200, top, r.left + 150, top + 230};
    profile.iSCMode = 0;
    before = gaImageHistory.count;
    ASSERT_EQ(CaptureDriven(profile, MoveTo(drag.left, drag.top) + " sleep 0.1 mousedown 1 sleep 0.1 " +
                                         MoveTo(drag.left + 100, drag.top + 100) + " sleep 0.1 " +
                                         MoveTo(drag.right, drag.bottom) + " sleep 0.1 mouseup 1"),
              0u);
    ExpectCaptured(drag, before);
  }
  TearDownCaptureHarness();
}

}  // namespace
