// The application object inside a test process: the phantom window's
// protocol, the hourly timer, the wait, rescaling, saving and the Startup
// shortcut. Each test sets up the parts of gApp it needs.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "framework/app/app_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/settings/data_folder.h"
#include "tests/support/test_paths.h"

namespace {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
};
std::vector<Received> gReceived;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= 33000 && message < 34000) {
    gReceived.push_back({window, message, wParam});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int CountReceived(HWND window, UINT message) {
  int count = 0;
  for (const Received& r : gReceived)
    if (r.window == window && r.message == message) ++count;
  return count;
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    gApp.DispatchAppMessage(&message);
  }
}

class AppObject : public ::testing::Test {
 protected:
  void SetUp() override {
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    gApp.m_dwUiThreadId = GetCurrentThreadId();
    gApp.m_dwProcessId = GetCurrentProcessId();
    strcpy(gApp.m_szProductName, "Brightwarden");
    gApp.m_ulInstanceKey = 0x81073301;
    gApp.m_uControlMessage = RegisterWindowMessageA("ORVMSG_ORVCONTROL");
    gApp.m_uTaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    WNDCLASSA phantomClass = {};
    phantomClass.lpfnWndProc = PhantomWndProc;
    phantomClass.hInstance = gApp.m_hInstance;
    phantomClass.lpszClassName = "TestPhantom";
    RegisterClassA(&phantomClass);
    phantom_ = CreateWindowExA(WS_EX_TOOLWINDOW, "TestPhantom", "test phantom", WS_POPUP, 0, 0, 0,
                               0, nullptr, nullptr, gApp.m_hInstance, nullptr);
    ASSERT_NE(nullptr, phantom_);
    gReceived.clear();
    // Placements earlier tests left must not move these windows.
    gApp.m_bStateVersionChanged = true;
  }

  void TearDown() override {
    gApp.DestroyAll();
    DestroyWindow(phantom_);
    gApp.m_iRestartKind = kRestartNone;
    gApp.m_bBroadcastRestart = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  HWND AddWindow(uint16_t id, uint32_t flags) {
    int index = gApp.AddWindow(id, RecordingProc, 0xFFFF, flags);
    EXPECT_GE(index, 0);
    return index >= 0 ? gApp.GetWindowAt(index)->hwnd : nullptr;
  }

  HWND phantom_ = nullptr;
};

TEST_F(AppObject, ControlMessageNeedsTheKeyAndGoesToTheActiveWindow) {
  HWND main = AddWindow(0, 0);
  HWND other = AddWindow(3, 0);
  UINT control = gApp.m_uControlMessage;
  SendMessageA(phantom_, control, CTRL_ACTIVATE, 0x81073300);
  SendMessageA(phantom_, control, CTRL_RESTART, 1);
  EXPECT_TRUE(gReceived.empty());
  EXPECT_EQ(kRestartNone, gApp.m_iRestartKind);

  SendMessageA(phantom_, control, CTRL_ACTIVATE, 0x81073301);
  EXPECT_EQ(1, CountReceived(main, CTRL_ACTIVATE));
  EXPECT_EQ(0, CountReceived(other, CTRL_ACTIVATE));
  // The last window marked as a target wins over the first one.
  gApp.FindAppWindowById(3)->flags |= kWindowActiveTarget;
  SendMessageA(phantom_, control, CTRL_QUIT, 0x81073301);
  EXPECT_EQ(1, CountReceived(other, CTRL_QUIT));
  SendMessageA(phantom_, gApp.m_uTaskbarCreatedMessage, 0, 0);
  EXPECT_EQ(1, CountReceived(other, MSG_TASKBAR_RECREATED));
}

TEST_F(AppObject, RestartRequestKeepsOnlyLastingSwitches) {
  strcpy(gApp.m_szCommandLine, "-WAITFORDATAPATH -AUTOSTART -PROFILE \"a b\" -EXECUTE Screen");
  gApp.m_bBroadcastRestart = true;
  SendMessageA(phantom_, gApp.m_uControlMessage, CTRL_RESTART, 0x81073301);
  EXPECT_NE(kRestartNone, gApp.m_iRestartKind);
  EXPECT_FALSE(gApp.m_bBroadcastRestart);
  EXPECT_STREQ("-WAITFORDATAPATH -PROFILE \"a b\"", gApp.m_szRestartArguments);
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, message.wParam);
  EXPECT_TRUE(gReceived.empty());
}

TEST_F(AppObject, EveryTwentyFourthHourlyTickRunsTheDailyJobs) {
  static int updates = 0;
  static int archives = 0;
  updates = archives = 0;
  gDailyJobs = {[] { ++updates; }, [] { ++archives; }};
  gApp.m_iHourlyTicks = 0;
  for (int i = 0; i < 24; ++i) PostMessageA(phantom_, WM_TIMER, TIMER_HOURLY, 0);
  PostMessageA(phantom_, WM_TIMER, TIMER_HOURLY + 1, 0);  // another timer counts nothing
  Pump();
  EXPECT_EQ(1, updates);
  EXPECT_EQ(1, archives);
  for (int i = 0; i < 23; ++i) PostMessageA(phantom_, WM_TIMER, TIMER_HOURLY, 0);
  Pump();
  EXPECT_EQ(1, updates);
  PostMessageA(phantom_, WM_TIMER, TIMER_HOURLY, 0);
  Pump();
  EXPECT_EQ(2, updates);
  EXPECT_EQ(2, archives);
  gDailyJobs = {nullptr, nullptr};
}

TEST_F(AppObject, WaitOnAWorkerThreadLeavesItsQueueAlone) {
  bool stillQueued = false;
  bool result = false;
  std::thread worker([&] {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // make the queue
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 5, 0, 0);
    // Wine's tick count is coarse (about 16 ms): time with the performance
    // counter, allowing one tick.
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    result = gApp.Wait(120, 1);
    QueryPerformanceCounter(&end);
    EXPECT_GE((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart, 120 - 16);
    stillQueued = PeekMessageA(&message, nullptr, WM_USER + 5, WM_USER + 5, PM_REMOVE) != 0;
  });
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_TRUE(stillQueued);
}

bool gNestedResult = false;
LRESULT CALLBACK NestingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 7) {
    gNestedResult = gApp.Wait(100, TIMER_HOURLY);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(AppObject, NestedWaitsReturnAndLeaveTheHourlyTimer) {
  ASSERT_NE(0u, SetTimer(phantom_, TIMER_HOURLY, kHourlyTimerMs, nullptr));
  int index = gApp.AddWindow(9, NestingProc, 0xFFFF, 0);
  ASSERT_GE(index, 0);
  PostMessageA(gApp.GetWindowAt(index)->hwnd, WM_USER + 7, 0, 0);
  DWORD start = GetTickCount();
  EXPECT_TRUE(gApp.Wait(250, TIMER_HOURLY));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_TRUE(gNestedResult);
  EXPECT_GE(elapsed, 240u);
  EXPECT_LT(elapsed, 1000u);
  EXPECT_TRUE(KillTimer(phantom_, TIMER_HOURLY));  // still there
}

TEST_F(AppObject, QuitDuringAWaitIsPostedAgain) {
  PostQuitMessage(17);
  DWORD start = GetTickCount();
  EXPECT_FALSE(gApp.Wait(2000, 1));
  EXPECT_LT(GetTickCount() - start, 1000u);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(17u, message.wParam);
}

RECT Rect(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

TEST_F(AppObject, NewScreenLayoutRescalesWindowsOnTheirMonitor) {
  HWND moving = AddWindow(0, 0);
  HWND kept = AddWindow(1, kWindowKeepOnRescale);
  gApp.FindAppWindowById(0)->SetPosition(Rect(1380, 356, 1780, 656), false);
  gApp.FindAppWindowById(1)->SetPosition(Rect(1380, 356, 1780, 656), false);
  MonitorLayout before;
  ResetMonitorLayout(&before, 0, 0, 2560, 1280);
  AddMonitorToLayout(&before, Rect(0, 0, 1280, 1024), "DISPLAY1", 96);
  AddMonitorToLayout(&before, Rect(1280, 256, 2560, 1280), "DISPLAY2", 96);
  MonitorLayout after;
  ResetMonitorLayout(&after, 0, 0, 3200, 1536);
  AddMonitorToLayout(&after, Rect(0, 0, 1280, 1024), "DISPLAY1", 96);
  AddMonitorToLayout(&after, Rect(1280, 0, 3200, 1536), "DISPLAY2", 96);
  gApp.ApplyLayoutChange(before, after);
  RECT rect;
  GetWindowRect(moving, &rect);
  EXPECT_EQ(1430, rect.left);
  EXPECT_EQ(150, rect.top);
  EXPECT_EQ(2030, rect.right);
  EXPECT_EQ(600, rect.bottom);
  GetWindowRect(kept, &rect);
  EXPECT_EQ(1380, rect.left);
  EXPECT_EQ(356, rect.top);
  EXPECT_EQ(1, CountReceived(moving, MSG_SCREEN_RESCALED));
  EXPECT_EQ(1, CountReceived(kept, MSG_SCREEN_RESCALED));

  MonitorLayout dpi = after;
  dpi.uDpi[1] = 144;
  gApp.ApplyLayoutChange(after, dpi);
  EXPECT_EQ(1, CountReceived(moving, MSG_MONITOR_DPI_CHANGED));
  EXPECT_EQ(1, CountReceived(moving, MSG_SCREEN_RESCALED));
  gApp.ApplyLayoutChange(dpi, dpi);
  EXPECT_EQ(1, CountReceived(moving, MSG_MONITOR_DPI_CHANGED));
}

// WM_DISPLAYCHANGE reaches the phantom window while the windows stand where
// a screen of half the real size put them: the real layout is read again
// and every window is scaled to it. WM_DPICHANGED with nothing changed then
// moves nothing.
TEST_F(AppObject, DisplayChangeThroughThePhantomRescalesToTheNewLayout) {
  GetMonitorRects();
  const MonitorLayout real = gMonitorLayout;
  ASSERT_EQ(1, real.iCount) << "this test runs on the single-monitor display";
  const int width = real.rcMonitor[0].right - real.rcMonitor[0].left;
  const int height = real.rcMonitor[0].bottom - real.rcMonitor[0].top;
  ASSERT_TRUE(width % 2 == 0 && height % 2 == 0);
  HWND window = AddWindow(0, 0);
  gApp.FindAppWindowById(0)->SetPosition(Rect(100, 50, 300, 151), false);
  MonitorLayout half;
  ResetMonitorLayout(&half, 0, 0, width / 2, height / 2);
  AddMonitorToLayout(&half, Rect(0, 0, width / 2, height / 2), real.szDevice[0], real.uDpi[0]);
  gMonitorLayout = half;
  SendMessageA(phantom_, WM_DISPLAYCHANGE, 32, MAKELPARAM(width, height));
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(200, rect.left);
  EXPECT_EQ(100, rect.top);
  EXPECT_EQ(600, rect.right);
  EXPECT_EQ(302, rect.bottom);
  EXPECT_EQ(1, CountReceived(window, MSG_SCREEN_RESCALED));
  SendMessageA(phantom_, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
  GetWindowRect(window, &rect);
  EXPECT_EQ(200, rect.left);
  EXPECT_EQ(302, rect.bottom);
  EXPECT_EQ(1, CountReceived(window, MSG_SCREEN_RESCALED));
  EXPECT_EQ(0, CountReceived(window, MSG_MONITOR_DPI_CHANGED));
}

TEST_F(AppObject, ModalCounterNeverGoesBelowZeroAndIsAnnounced) {
  HWND window = AddWindow(0, 0);
  gApp.m_iModalCount = 0;
  gApp.EnterModal(true);
  gApp.EnterModal(true);
  gApp.EnterModal(false);
  gApp.EnterModal(false);
  gApp.EnterModal(false);
  EXPECT_EQ(0, gApp.m_iModalCount);
  std::vector<WPARAM> counts;
  for (const Received& r : gReceived)
    if (r.window == window && r.message == MSG_MODAL_COUNT) counts.push_back(r.wParam);
  EXPECT_EQ((std::vector<WPARAM>{1, 2, 1, 0, 0}), counts);
}

TEST_F(AppObject, SaveStateWritesStateAndPlacements) {
  std::string folder = TestOutputPath("state");
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  AddWindow(4, 0x100);
  gApp.FindAppWindowById(4)->SetPosition(Rect(10, 20, 310, 220), false);
  EXPECT_EQ(297, gApp.SaveState());
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExA((folder + "\\(ORV)App.kzc").c_str(), GetFileExInfoStandard,
                                   &data));
  EXPECT_EQ(297u, data.nFileSizeLow);
  FILE* file = fopen((folder + "\\(ORV)Win4.kzc").c_str(), "rb");
  ASSERT_NE(nullptr, file);
  WindowPlacementRecord record = {};
  EXPECT_EQ(1u, fread(&record, sizeof(record), 1, file));
  fclose(file);
  EXPECT_EQ(10, int(record.x));
  EXPECT_EQ(20, int(record.y));
  EXPECT_EQ(300, int(record.width));
  EXPECT_EQ(200, int(record.height));
  EXPECT_EQ(0x100u, uint32_t(record.flags));
  DeleteFileA((folder + "\\(ORV)App.kzc").c_str());
  SendMessageA(phantom_, WM_ENDSESSION, TRUE, 0);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\(ORV)App.kzc").c_str()));
}

TEST_F(AppObject, StartupShortcutIsCreatedAndRemoved) {
  strcpy(gApp.m_install.szProgramFolder, "C:\\Program Files\\Orvalund\\Brightwarden");
  char startup[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, startup));
  std::string link = std::string(startup) + "\\Brightwarden.lnk";
  DeleteFileA(link.c_str());
  ASSERT_EQ(0, gApp.SetAutostart(true));
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(link.c_str()));
  // The shortcut is checked outside with lnkinfo.
  EXPECT_TRUE(CopyFileA(link.c_str(), TestOutputPath("autostart.lnk").c_str(), FALSE));
  FILETIME before = {};
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(link.c_str(), GetFileExInfoStandard, &data);
  before = data.ftLastWriteTime;
  Sleep(50);
  EXPECT_EQ(0, gApp.SetAutostart(true, "-PROFILE x", true));  // only when missing: untouched
  GetFileAttributesExA(link.c_str(), GetFileExInfoStandard, &data);
  EXPECT_EQ(0, CompareFileTime(&before, &data.ftLastWriteTime));
  EXPECT_EQ(0, gApp.SetAutostart(false));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(link.c_str()));
  EXPECT_EQ(0, gApp.SetAutostart(false));
}

TEST_F(AppObject, TrayIconIsAddedChangedAndRemoved) {
  HWND window = AddWindow(6, 0);
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(gApp.SetTrayIcon(6, 100, "%s %d", "tip", 1));   // added
  EXPECT_TRUE(gApp.SetTrayIcon(6, 101, nullptr));             // changed, product name as tip
  EXPECT_TRUE(gApp.SetTrayIcon(6, -1, nullptr));              // no icon: removed
  EXPECT_FALSE(gApp.SetTrayIcon(6, -1, nullptr));             // nothing left to remove
}

}  // namespace
