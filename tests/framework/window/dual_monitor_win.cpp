// Frames and floating bars on the second of two monitors: after that
// monitor goes away, a new start and a live display change both bring them
// wholly onto the remaining one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/draw/monitors_win.h"
#include "tests/framework/window/frame_harness_win.h"
#include "tests/support/test_paths.h"

namespace {

bool RunXrandr(const std::string& arguments) {
  std::string command = "/usr/bin/xrandr";
  const char* display = std::getenv("BW_DUAL_DISPLAY");
  if (display && *display) command += std::string(" --display ") + display;
  command += " " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  if (pi.hProcess) {
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return true;
}

int SystemMonitorCount() { return GetSystemMetrics(SM_CMONITORS); }

bool WaitForMonitorCount(int count) {
  for (int i = 0; i < 500; ++i) {
    if (SystemMonitorCount() == count) return true;
    Pump(10);
  }
  return false;
}

// Puts the second monitor back whatever the test did.
struct LayoutRestorer {
  ~LayoutRestorer() {
    RunXrandr("--output DUMMY1 --mode 1280x1024 --pos 1280x256");
    WaitForMonitorCount(2);
    UpdateMonitorsForDisplayChange();
  }
};

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

LRESULT CALLBACK PhantomProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PhantomWndProc(window, message, wParam, lParam);
}

class TwoMonitors : public Frames {
 protected:
  void SetUp() override {
    Frames::SetUp();
    std::string why;
    if (!DualMonitorAvailable(&why)) GTEST_SKIP() << why;
    UpdateMonitorsForDisplayChange();
    if (gMonitorLayout.iCount < 2) GTEST_SKIP() << "one monitor";
  }

  // The frame and the floating tool bar moved onto the second monitor.
  void MoveOntoSecondMonitor(CAppWindow* frame) {
    RECT second = gMonitorLayout.rcMonitor[1];
    for (int i = 0; i < gMonitorLayout.iCount; ++i)
      if (gMonitorLayout.rcMonitor[i].left > second.left) second = gMonitorLayout.rcMonitor[i];
    second_ = second;
    CDockBar* tools = gApp.FindBar(kToolbar);
    Drag(GripperOf(tools), CentreOf(WindowRectOf(frame->hwnd)));
    ASSERT_EQ(-1, tools->dockSide);
    // The caption drag of the frame onto the second monitor, by code (the
    // bars' drags are what the input tests cover).
    frame->SetPosition({second.left + 100, second.top + 100, second.left + 900,
                        second.top + 700}, false);
    RECT bar = WindowRectOf(tools->hwnd);
    Drag({bar.left + 20, bar.top + 5}, {second.right - 300, second.bottom - 200});
    ASSERT_EQ(-1, tools->dockSide);
    ASSERT_TRUE(Inside(WindowRectOf(tools->hwnd), second));
    ASSERT_TRUE(Inside(WindowRectOf(frame->hwnd), second));
  }

  RECT second_ = {};
};

TEST_F(TwoMonitors, ARestartAfterTheMonitorWentAwayBringsEverythingBack) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  MoveOntoSecondMonitor(frame);
  gApp.SaveState();
  gApp.DestroyAll();
  Pump(20);
  LayoutRestorer restore;
  ASSERT_TRUE(RunXrandr("--output DUMMY1 --off"));
  ASSERT_TRUE(WaitForMonitorCount(1));
  UpdateMonitorsForDisplayChange();
  ASSERT_EQ(1, gMonitorLayout.iCount);
  CAppWindow* again = Build();
  ASSERT_TRUE(again);
  RECT remaining = gMonitorLayout.rcMonitor[0];
  EXPECT_TRUE(Inside(WindowRectOf(again->hwnd), remaining));
  CDockBar* tools = gApp.FindBar(kToolbar);
  EXPECT_EQ(-1, tools->dockSide);
  EXPECT_TRUE(Inside(WindowRectOf(tools->hwnd), remaining));
  TakeScreenshot("dual_restart.png");
}

TEST_F(TwoMonitors, ALiveDisplayChangeRescalesTheFrameAndClampsTheBar) {
  ForgetRecords();
  HWND phantom = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "phantom", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(phantom, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PhantomProc));
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  MoveOntoSecondMonitor(frame);
  LayoutRestorer restore;
  ASSERT_TRUE(RunXrandr("--output DUMMY1 --off"));
  ASSERT_TRUE(WaitForMonitorCount(1));
  // Wine sends no WM_DISPLAYCHANGE: the application's hidden window gets it here.
  SendMessageA(phantom, WM_DISPLAYCHANGE, 32,
               MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  Pump(30);
  RECT remaining = gMonitorLayout.rcMonitor[0];
  EXPECT_EQ(1, gMonitorLayout.iCount);
  EXPECT_TRUE(Inside(WindowRectOf(frame->hwnd), remaining));
  CDockBar* tools = gApp.FindBar(kToolbar);
  RECT bar = WindowRectOf(tools->hwnd);
  bool overlaps = bar.left < remaining.right && bar.right > remaining.left &&
                  bar.top < remaining.bottom && bar.bottom > remaining.top;
  EXPECT_TRUE(overlaps);
  TakeScreenshot("dual_live.png");
  DestroyWindow(phantom);
}

}  // namespace
