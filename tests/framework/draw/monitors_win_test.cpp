#include "framework/draw/monitors_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "framework/draw/dpi_api_win.h"
#include "tests/support/test_paths.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string RectText(const RECT& r) {
  char text[80];
  std::snprintf(text, sizeof(text), "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// One monitor as the X server reports it.
struct XMonitor {
  std::string name;
  RECT rect;
};

// Parses `xrandr --listmonitors`, lines like
// " 1: +DUMMY1 1280/339x1024/271+1280+256  DUMMY1".
std::vector<XMonitor> ParseListMonitors(const std::string& text) {
  std::vector<XMonitor> monitors;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    int index = 0, width = 0, widthMm = 0, height = 0, heightMm = 0, x = 0, y = 0;
    char name[64] = {};
    if (std::sscanf(line.c_str(), " %d: %63s %d/%dx%d/%d+%d+%d", &index, name, &width, &widthMm,
                    &height, &heightMm, &x, &y) != 8) {
      continue;
    }
    const char* plain = name;
    while (*plain == '+' || *plain == '*') ++plain;
    monitors.push_back({plain, RECT{x, y, x + width, y + height}});
  }
  return monitors;
}

// What the X server says; without the runner's report, the layout the
// runner is known to set up.
std::vector<XMonitor> ExpectedMonitors(bool* fromServer) {
  const char* report = std::getenv("BW_XRANDR_MONITORS");
  *fromServer = report && *report;
  if (*fromServer) return ParseListMonitors(report);
  return {{"DUMMY0", RECT{0, 0, 1280, 1024}}, {"DUMMY1", RECT{1280, 256, 2560, 1280}}};
}

// A callback of the system's calling convention (a lambda has the
// default one, which differs on 32-bit Windows).
BOOL CALLBACK CollectMonitorRect(HMONITOR, HDC, LPRECT rect, LPARAM param) {
  reinterpret_cast<std::vector<RECT>*>(param)->push_back(*rect);
  return TRUE;
}

std::vector<RECT> SystemMonitorRects() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitorRect, reinterpret_cast<LPARAM>(&rects));
  return rects;
}

// Starts a command line; false when it could not start.
bool StartCommand(const std::string& command, PROCESS_INFORMATION* pi) {
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        pi) != FALSE;
}

// Starts /usr/bin/xrandr on the test display; Wine starts Unix programs too.
bool RunXrandr(const std::string& arguments) {
  std::string command = "/usr/bin/xrandr";
  const char* display = std::getenv("BW_DUAL_DISPLAY");
  if (display && *display) command += std::string(" --display ") + display;
  command += " " + arguments;
  PROCESS_INFORMATION pi = {};
  if (!StartCommand(command, &pi)) {
    std::printf("starting \"%s\" failed: error %lu\n", command.c_str(), GetLastError());
    return false;
  }
  // Wine hands back no process handle for a Unix program; the caller waits
  // for the change itself.
  if (!pi.hProcess) return true;
  DWORD wait = WaitForSingleObject(pi.hProcess, 20000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return wait == WAIT_OBJECT_0;
}

// Waits until the system reports a monitor with the given rectangle.
bool WaitForMonitorRect(const RECT& wanted) {
  for (int i = 0; i < 1000; ++i) {
    for (const RECT& r : SystemMonitorRects()) {
      if (SameRect(r, wanted)) return true;
    }
    PumpMessages();
    Sleep(10);
  }
  return false;
}

// A top-level window that handles display changes the way the application's
// hidden window does.
LRESULT CALLBACK DisplayWatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DISPLAYCHANGE) UpdateMonitorsForDisplayChange();
  return DefWindowProcA(window, message, wParam, lParam);
}

class CTestWindow {
 public:
  CTestWindow(WNDPROC proc, DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    static int serial = 0;
    std::snprintf(mClass, sizeof(mClass), "BwMonitorTest%d", ++serial);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = mClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    mWindow = CreateWindowExA(exStyle, mClass, "monitor test", style, x, y, width, height, nullptr,
                              nullptr, wc.hInstance, nullptr);
  }
  ~CTestWindow() {
    if (mWindow) DestroyWindow(mWindow);
    UnregisterClassA(mClass, GetModuleHandleA(nullptr));
  }
  CTestWindow(const CTestWindow&) = delete;
  CTestWindow& operator=(const CTestWindow&) = delete;
  HWND Get() const { return mWindow; }

 private:
  char mClass[32];
  HWND mWindow = nullptr;
};

class DualMonitorTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!DualMonitorAvailable(&why)) GTEST_SKIP() << why;
    LoadDpiApi();
    if (gMonitorLayout.iCount == 0) GetMonitorRects();
  }
};

TEST_F(DualMonitorTest, CacheMatchesTheXServer) {
  bool fromServer = false;
  std::vector<XMonitor> expected = ExpectedMonitors(&fromServer);
  if (!fromServer) {
    std::printf("BW_XRANDR_MONITORS not set; expecting the fixture's known layout\n");
  }
  ASSERT_EQ(2u, expected.size());
  ASSERT_EQ(static_cast<int>(expected.size()), gMonitorLayout.iCount);
  RECT bounds = expected[0].rect;
  for (const XMonitor& x : expected) {
    int found = 0;
    for (int i = 0; i < gMonitorLayout.iCount; ++i) {
      if (SameRect(gMonitorLayout.rcMonitor[i], x.rect)) ++found;
    }
    EXPECT_EQ(1, found) << x.name << " " << RectText(x.rect);
    UnionRect(&bounds, &bounds, &x.rect);
  }
  EXPECT_TRUE(SameRect(bounds, gMonitorLayout.rcVirtual)) << RectText(gMonitorLayout.rcVirtual);
  EXPECT_EQ(bounds.right - bounds.left, gMonitorLayout.iVirtualWidth);
  EXPECT_EQ(bounds.bottom - bounds.top, gMonitorLayout.iVirtualHeight);
  for (int i = 0; i < gMonitorLayout.iCount; ++i) {
    // Device names lose their "\\.\" prefix.
    EXPECT_STRNE("", gMonitorLayout.szDevice[i]);
    EXPECT_NE('\\', gMonitorLayout.szDevice[i][0]);
    EXPECT_GE(gMonitorLayout.uDpi[i], 96u);
  }
}

TEST_F(DualMonitorTest, PointsFindTheirMonitor) {
  bool fromServer = false;
  std::vector<XMonitor> expected = ExpectedMonitors(&fromServer);
  ASSERT_EQ(2u, expected.size());
  // Name the monitors by position: left one and right one.
  RECT left = expected[0].rect, right = expected[1].rect;
  if (left.left > right.left) std::swap(left, right);
  ASSERT_EQ(left.right, right.left) << "the fixture puts the monitors side by side";
  ASSERT_GT(right.top, left.top) << "the fixture puts the right monitor lower";

  struct Case {
    int x, y;
    const RECT* monitor;
  } cases[] = {
      {left.left + 10, left.top + 10, &left},
      {right.left + 10, right.bottom - 10, &right},
      {right.left, left.top + (right.top - left.top) + 5, &right},  // shared edge
      {right.left - 1, right.top + 5, &left},
      {right.right + 500, right.bottom + 500, &right},  // off the desk, lower right
      {left.left - 500, left.top - 500, &left},          // off the desk, upper left
      {right.left + 50, left.top + 1, &left},  // above the right monitor, next to the left one
  };
  for (const Case& c : cases) {
    RECT got = {};
    int index = GetMonitorRect(c.x, c.y, &got, false);
    EXPECT_TRUE(SameRect(*c.monitor, got)) << c.x << "," << c.y << " gave " << RectText(got);
    EXPECT_TRUE(SameRect(gMonitorLayout.rcMonitor[index], got));
  }
}

// Restores the second monitor's place however the test ends.
class CLayoutRestorer {
 public:
  CLayoutRestorer(std::string output, RECT place) : mOutput(std::move(output)), mPlace(place) {}
  ~CLayoutRestorer() {
    char args[128];
    std::snprintf(args, sizeof(args), "--output %s --pos %ldx%ld", mOutput.c_str(), mPlace.left,
                  mPlace.top);
    RunXrandr(args);
    WaitForMonitorRect(mPlace);
    UpdateMonitorsForDisplayChange();
  }
  CLayoutRestorer(const CLayoutRestorer&) = delete;
  CLayoutRestorer& operator=(const CLayoutRestorer&) = delete;

 private:
  std::string mOutput;
  RECT mPlace;
};

TEST_F(DualMonitorTest, DisplayChangeKeepsThePreviousLayout) {
  bool fromServer = false;
  std::vector<XMonitor> expected = ExpectedMonitors(&fromServer);
  ASSERT_EQ(2u, expected.size());
  const XMonitor& second = expected[0].rect.left > expected[1].rect.left ? expected[0] : expected[1];
  const RECT oldRect = second.rect;
  const RECT newRect = {oldRect.left, 0, oldRect.right, oldRect.bottom - oldRect.top};
  ASSERT_FALSE(SameRect(oldRect, newRect)) << "the fixture's second monitor should sit lower";
  const MonitorLayout before = gMonitorLayout;

  CTestWindow watcher(DisplayWatcherProc, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 10, 10);
  ASSERT_TRUE(watcher.Get());
  CLayoutRestorer restore(second.name, oldRect);
  char args[128];
  std::snprintf(args, sizeof(args), "--output %s --pos %ldx0", second.name.c_str(), oldRect.left);
  ASSERT_TRUE(RunXrandr(args)) << "could not start /usr/bin/xrandr";
  ASSERT_TRUE(WaitForMonitorRect(newRect)) << "the system never reported the moved monitor";

  // The system has changed, the cache has not: queries keep answering from
  // the layout the program last read.
  // Below where the monitor moved to, near its right end.
  const int probeX = static_cast<int>(oldRect.right) - 100;
  const int probeY = static_cast<int>(oldRect.bottom) - 10;
  RECT got = {};
  GetMonitorRect(probeX, probeY, &got, false);
  EXPECT_TRUE(SameRect(oldRect, got)) << RectText(got);
  EXPECT_EQ(0, std::memcmp(&before, &gMonitorLayout, sizeof(before)));

  // The display change reaches the program as WM_DISPLAYCHANGE.
  SendMessageA(watcher.Get(), WM_DISPLAYCHANGE, 32,
               MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  GetMonitorRect(probeX, probeY, &got, false);
  EXPECT_TRUE(SameRect(newRect, got)) << RectText(got);
  EXPECT_EQ(static_cast<LONG>(newRect.bottom), gMonitorLayout.rcVirtual.bottom);
  GetMonitorRect(probeX, probeY, &got, true);
  EXPECT_TRUE(SameRect(oldRect, got)) << RectText(got);
  EXPECT_EQ(0, std::memcmp(&before, &gPreviousMonitorLayout, sizeof(before)));

  // Plain questions leave the previous layout alone.
  for (int i = 0; i < 3; ++i) GetMonitorRect(probeX, probeY, &got, false);
  GetMonitorRect(probeX, probeY, &got, true);
  EXPECT_TRUE(SameRect(oldRect, got)) << RectText(got);
}

// ---- DPI, measured in a child copy of this program started at 144 DPI ----

const char kDpiReportFlag[] = "--bw-dpi-report=";

std::string FlagValue(const char* flag) {
  for (int i = 1; i < __argc; ++i) {
    if (std::strncmp(__argv[i], flag, std::strlen(flag)) == 0) return __argv[i] + std::strlen(flag);
  }
  return "";
}

std::map<std::string, std::string> ReadReport(const std::string& path) {
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// Sets HKCU\Control Panel\Desktop LogPixels and puts the old state back.
class CLogPixels {
 public:
  explicit CLogPixels(DWORD dpi) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &mKey, nullptr) != ERROR_SUCCESS) {
      mKey = nullptr;
      return;
    }
    DWORD size = sizeof(mOld), type = 0;
    mHadOld = RegQueryValueExA(mKey, "LogPixels", nullptr, &type,
                               reinterpret_cast<BYTE*>(&mOld), &size) == ERROR_SUCCESS &&
              type == REG_DWORD;
    mSet = RegSetValueExA(mKey, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                          sizeof(dpi)) == ERROR_SUCCESS;
  }
  ~CLogPixels() {
    if (!mKey) return;
    if (mHadOld) {
      RegSetValueExA(mKey, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mOld),
                     sizeof(mOld));
    } else {
      RegDeleteValueA(mKey, "LogPixels");
    }
    RegCloseKey(mKey);
  }
  CLogPixels(const CLogPixels&) = delete;
  CLogPixels& operator=(const CLogPixels&) = delete;
  bool IsSet() const { return mSet; }

 private:
  HKEY mKey = nullptr;
  DWORD mOld = 0;
  bool mHadOld = false;
  bool mSet = false;
};

bool RunChildCopy(const std::string& arguments, DWORD timeoutMs) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof(exe));
  std::string command = std::string("\"") + exe + "\" " + arguments;
  PROCESS_INFORMATION pi = {};
  if (!StartCommand(command, &pi)) {
    return false;
  }
  DWORD wait = WaitForSingleObject(pi.hProcess, timeoutMs);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (wait != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return wait == WAIT_OBJECT_0 && code == 0;
}

// The child's side: everything a fresh process answers about DPI, written
// as name=value lines. Runs only when the parent asks for it.
TEST(DpiChild, DISABLED_Measure) {
  std::string path = FlagValue(kDpiReportFlag);
  ASSERT_FALSE(path.empty());
  std::ofstream out(path);

  // A fresh process has read nothing yet: the first answer reads the
  // layout, and the previous layout starts out the same.
  RECT rect;
  GetMonitorRect(0, 0, &rect, false);
  out << "previous_equals_current="
      << (std::memcmp(&gMonitorLayout, &gPreviousMonitorLayout, sizeof(gMonitorLayout)) == 0)
      << "\n";

  CTestWindow window(DefWindowProcA, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 100, 100, 300, 200);
  HDC dc = GetDC(nullptr);
  out << "logpixels=" << GetDeviceCaps(dc, LOGPIXELSX) << "\n";
  ReleaseDC(nullptr, dc);

  LoadDpiApi();
  GetMonitorRects();
  out << "all_window=" << GetWindowDpi(window.Get()) << "\n";
  out << "all_rect=" << GetRectDpi(&gMonitorLayout.rcMonitor[0], nullptr) << "\n";
  out << "all_monitor=" << gMonitorLayout.uDpi[gMonitorLayout.iCount - 1] << "\n";

  // An older system: no per-window DPI, but per-monitor DPI.
  const DpiApi full = gDpiApi;
  gDpiApi.pfnGetDpiForWindow = nullptr;
  out << "monitor_window=" << GetWindowDpi(window.Get()) << "\n";

  // Older still: nothing but the device context.
  gDpiApi = DpiApi{};
  GetMonitorRects();
  out << "dc_window=" << GetWindowDpi(window.Get()) << "\n";
  out << "dc_rect=" << GetRectDpi(&gMonitorLayout.rcMonitor[0], nullptr) << "\n";
  out << "dc_monitor=" << gMonitorLayout.uDpi[0] << "\n";
  gDpiApi = full;
  out << "done=1\n";
}

TEST(Dpi, AFreshProcessAnswers144FromLogPixels) {
  std::string report = TestOutputPath("dpi_child.txt");
  DeleteFileA(report.c_str());
  {
    CLogPixels dpi(144);
    ASSERT_TRUE(dpi.IsSet());
    ASSERT_TRUE(RunChildCopy("--gtest_also_run_disabled_tests --gtest_filter=DpiChild.* \"" +
                                 std::string(kDpiReportFlag) + report + "\"",
                             60000))
        << "the measuring child failed";
  }
  std::map<std::string, std::string> values = ReadReport(report);
  ASSERT_EQ("1", values["done"]);
  EXPECT_EQ("1", values["previous_equals_current"]);
  EXPECT_EQ("144", values["logpixels"]);
  for (const char* key : {"all_window", "all_rect", "all_monitor", "monitor_window", "dc_window",
                          "dc_rect", "dc_monitor"}) {
    EXPECT_EQ("144", values[key]) << key;
  }
}

TEST(Dpi, WindowRectangleAdjustment) {
  LoadDpiApi();
  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT plain = {0, 0, 200, 100};
  ASSERT_TRUE(AdjustWindowRectEx(&plain, style, FALSE, 0));

  if (gDpiApi.pfnAdjustWindowRectExForDpi) {
    // The frame grows with the DPI.
    RECT at96 = {0, 0, 200, 100}, at192 = {0, 0, 200, 100};
    ASSERT_TRUE(AdjustWindowRectHook(&at96, style, FALSE, 0, 96));
    ASSERT_TRUE(AdjustWindowRectHook(&at192, style, FALSE, 0, 192));
    EXPECT_LT(at192.top, at96.top);
    EXPECT_GT(at192.right - at192.left, at96.right - at96.left);
  }

  // Without the function the DPI cannot count.
  const DpiApi full = gDpiApi;
  gDpiApi.pfnAdjustWindowRectExForDpi = nullptr;
  RECT old = {0, 0, 200, 100};
  BOOL ok = AdjustWindowRectHook(&old, style, FALSE, 0, 192);
  gDpiApi = full;
  ASSERT_TRUE(ok);
  EXPECT_TRUE(SameRect(plain, old)) << RectText(old);
}

// ---- Repainting what grew, and the cursor test ----

int gEraseCount;

LRESULT CALLBACK CountErasingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) ++gEraseCount;
  return DefWindowProcA(window, message, wParam, lParam);
}

bool UpdateRegionIs(HWND window, const std::vector<RECT>& rects) {
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  HRGN wanted = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(window, update, FALSE);
  for (const RECT& r : rects) {
    HRGN part = CreateRectRgnIndirect(&r);
    CombineRgn(wanted, wanted, part, RGN_OR);
    DeleteObject(part);
  }
  bool same = EqualRgn(update, wanted);
  DeleteObject(update);
  DeleteObject(wanted);
  return same;
}

TEST(InvalidateGrownArea, RepaintsOnlyTheStripsThatChanged) {
  CTestWindow window(CountErasingProc, WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 50, 50, 400, 300);
  ASSERT_TRUE(window.Get());
  UpdateWindow(window.Get());
  PumpMessages();
  ValidateRect(window.Get(), nullptr);

  int width = 300, height = 200;
  InvalidateGrownArea(window.Get(), 300, 210, &width, &height);
  EXPECT_TRUE(UpdateRegionIs(window.Get(), {RECT{0, 200, 300, 210}}));
  EXPECT_EQ(300, width);
  EXPECT_EQ(210, height);
  gEraseCount = 0;
  UpdateWindow(window.Get());
  EXPECT_EQ(1, gEraseCount) << "the strip should be erased before painting";

  InvalidateGrownArea(window.Get(), 300, 210, &width, &height);
  EXPECT_TRUE(UpdateRegionIs(window.Get(), {}));

  InvalidateGrownArea(window.Get(), 350, 250, &width, &height);
  EXPECT_TRUE(UpdateRegionIs(window.Get(), {RECT{300, 0, 350, 250}, RECT{0, 210, 350, 250}}));
  EXPECT_EQ(350, width);
  EXPECT_EQ(250, height);
}

TEST(IsCursorOverWindow, FollowsTheCursor) {
  CTestWindow window(DefWindowProcA, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 200,
                     150, 120, 90);
  ASSERT_TRUE(window.Get());
  PumpMessages();
  POINT saved;
  GetCursorPos(&saved);

  SetCursorPos(260, 195);
  PumpMessages();
  EXPECT_TRUE(IsCursorOverWindow(window.Get()));
  SetCursorPos(200 + 120 + 40, 195);
  PumpMessages();
  EXPECT_FALSE(IsCursorOverWindow(window.Get()));
  EXPECT_FALSE(IsCursorOverWindow(nullptr));
  SetCursorPos(saved.x, saved.y);
}

}  // namespace
