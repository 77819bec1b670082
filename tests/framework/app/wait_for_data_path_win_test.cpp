#include "framework/app/wait_for_data_path_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/support/notification_area_win.h"
#include "tests/support/test_paths.h"

namespace {

// Watches for the hidden window of the wait while it runs.
class WaitWindowWatcher {
 public:
  WaitWindowWatcher() : thread_([this] {
      while (!stop_) {
        if (FindWindowA("ORVWaitForDataPath", nullptr)) seen_ = true;
        Sleep(5);
      }
    }) {}
  ~WaitWindowWatcher() { Stop(); }
  bool Seen() {
    Stop();
    return seen_;
  }

 private:
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::thread thread_;
};

std::string Blocked(const char* name) {
  std::string blocker = TestOutputPath(name);
  HANDLE file = CreateFileA(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  return blocker;
}

TEST(WaitForDataPath, MissingFolderUnderAnExistingParentIsCreatedAtOnce) {
  std::string folder = TestOutputPath("created\\one\\two");
  WaitWindowWatcher watcher;
  CWaitForDataPath waiter;
  DWORD start = GetTickCount();
  EXPECT_EQ(0, waiter.Wait(folder.c_str(), -1, 1, "tip", "Quit"));
  EXPECT_LT(GetTickCount() - start, 500u);
  EXPECT_FALSE(watcher.Seen());
  DWORD attributes = GetFileAttributesA(folder.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST(WaitForDataPath, EmptyFolderAndFileInsteadOfFolder) {
  CWaitForDataPath waiter;
  DWORD start = GetTickCount();
  EXPECT_EQ(2, waiter.Wait("", -1, 1, "tip", "Quit"));
  EXPECT_EQ(2, waiter.Wait(nullptr, -1, 1, "tip", "Quit"));
  EXPECT_LT(GetTickCount() - start, 100u);
  std::string file = Blocked("plain-file");
  EXPECT_EQ(2, waiter.Wait(file.c_str(), 0, 1, "tip", "Quit"));  // a file is no folder
}

TEST(WaitForDataPath, OneTryShowsTheIconForASecond) {
  WarmUpNotificationArea();
  std::string folder = Blocked("blocker-one") + "\\data";
  WaitWindowWatcher watcher;
  CWaitForDataPath waiter;
  DWORD start = GetTickCount();
  EXPECT_EQ(2, waiter.Wait(folder.c_str(), 1, 1, "tip", "Quit"));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 1600u);
  EXPECT_TRUE(watcher.Seen());
  EXPECT_EQ(nullptr, FindWindowA("ORVWaitForDataPath", nullptr));
}

TEST(WaitForDataPath, EndlessTriesEndWhenTheFolderBecomesReachable) {
  std::string blocker = Blocked("blocker-endless");
  std::string folder = blocker + "\\data";
  std::thread remover([blocker] {
    Sleep(2200);
    DeleteFileA(blocker.c_str());
  });
  CWaitForDataPath waiter;
  DWORD start = GetTickCount();
  EXPECT_EQ(0, waiter.Wait(folder.c_str(), -1, 1, "tip", "Quit"));
  remover.join();
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 2200u);
  EXPECT_LT(elapsed, 3600u);
}

TEST(WaitForDataPath, QuitCommandCancels) {
  std::string folder = Blocked("blocker-cancel") + "\\data";
  std::thread canceller([] {
    HWND window = nullptr;
    for (int i = 0; i < 300 && !window; ++i) {
      window = FindWindowA("ORVWaitForDataPath", nullptr);
      Sleep(10);
    }
    if (window) PostMessageA(window, WM_COMMAND, kWaitQuitCommand, 0);
  });
  CWaitForDataPath waiter;
  EXPECT_EQ(1, waiter.Wait(folder.c_str(), -1, 1, "tip", "Quit"));
  canceller.join();
}

}  // namespace
