// MOVE lands on the very pixel asked for, on every monitor: random points,
// corners and edges, first with the left monitor primary, then with the
// right one (the left monitor then lies at negative coordinates).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/script/script_input_win.h"
#include "tests/support/test_paths.h"

namespace {

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
  for (int i = 0; i < 500 && GetSystemMetrics(SM_XVIRTUALSCREEN) != left; ++i) Sleep(20);
  return GetSystemMetrics(SM_XVIRTUALSCREEN) == left;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM param) {
  reinterpret_cast<std::vector<RECT>*>(param)->push_back(*r);
  return TRUE;
}

struct LayoutRestore {
  ~LayoutRestore() {
    RunXrandr("--output DUMMY0 --primary");
    WaitForVirtualLeft(0);
  }
};

// The points to try on each monitor: its corners and 50 random ones.
std::vector<POINT> PointsOn(const std::vector<RECT>& monitors, std::mt19937* random) {
  std::vector<POINT> points;
  for (const RECT& m : monitors) {
    points.push_back({m.left, m.top});
    points.push_back({m.right - 1, m.bottom - 1});
    points.push_back({m.left, m.bottom - 1});
    points.push_back({m.right - 1, m.top});
    std::uniform_int_distribution<int> x(m.left, m.right - 1), y(m.top, m.bottom - 1);
    for (int i = 0; i < 50; ++i) points.push_back({x(*random), y(*random)});
  }
  return points;
}

TEST(ScriptMove, LandsOnThePixelOnEveryMonitor) {
  std::string why;
  const bool dual = DualMonitorAvailable(&why);
  LayoutRestore restore;
  std::mt19937 random(20261209);
  for (bool rightPrimary : {false, true}) {
    if (rightPrimary) {
      if (!dual) break;
      ASSERT_TRUE(RunXrandr("--output DUMMY1 --primary"));
      ASSERT_TRUE(WaitForVirtualLeft(-1280)) << GetSystemMetrics(SM_XVIRTUALSCREEN);
    }
    SCOPED_TRACE(rightPrimary ? "right monitor primary" : "left monitor primary");
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_EQ(dual ? 2u : 1u, monitors.size());
    int missed = 0;
    for (const POINT& p : PointsOn(monitors, &random)) {
      MoveScriptMouse(p.x, p.y);
      POINT at = {};
      ASSERT_TRUE(GetCursorPos(&at));
      if (at.x != p.x || at.y != p.y) {
        if (++missed <= 5) ADD_FAILURE() << "asked " << p.x << "," << p.y << " got " << at.x << "," << at.y;
      }
    }
    EXPECT_EQ(0, missed);
  }
}

}  // namespace
