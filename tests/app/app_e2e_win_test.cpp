// End-to-end tests of Brightwarden.exe: start-up, first run, single
// instance, the install record, the data folder and its wait, the staged
// restore and the restart. Each test has its own data folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <deque>
#include <vector>

#include "tests/app/app_driver_win.h"
#include "tests/support/notification_area_win.h"
#include "tests/support/test_paths.h"

namespace {

const uint32_t kInstanceKey = 0x81073301;  // CRC-32 of "Brightwarden"
const char kInitError[] = "Error initializing the application!\nError code 0x0000F016.";

class AppE2E : public ::testing::Test {
 protected:
  // Wine's notification area starts on its first icon, which takes seconds
  // once per session; the timed tests are about the program, not that.
  static void SetUpTestSuite() { WarmUpNotificationArea(); }

  void SetUp() override {
    static bool installed = false;
    if (!installed) InstallProgram();
    installed = true;
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = TestOutputPath(name);
    data_ = root_ + "\\data";
    RemoveTree(root_);
    MakeFolders(root_);
    WriteInstallRecord(1326, data_, false);
  }

  void TearDown() override {
    for (AppProcess& app : apps_) KillApp(&app);
  }

  AppProcess* Start(const std::string& arguments) {
    apps_.push_back(StartApp(arguments));
    return &apps_.back();
  }

  // Starts the program and waits until it is idle in its loop.
  AppProcess* StartRunning(const std::string& arguments) {
    AppProcess* app = Start(arguments);
    EXPECT_NE(nullptr, WaitForAppWindow("ORVWindow", app->dwProcessId, 10000, "Brightwarden"));
    return app;
  }

  int Close(AppProcess* app) {
    HWND main = FindAppWindow("ORVWindow", app->dwProcessId);
    EXPECT_NE(nullptr, main);
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    return WaitExit(app, 10000);
  }

  std::string Data(const std::string& name) const { return data_ + "\\" + name; }

  // Expects a box with the text, presses OK and expects a silent exit.
  void ExpectBoxThenExit(AppProcess* app, const std::string& text) {
    HWND box = nullptr;
    DWORD start = GetTickCount();
    while (!box && GetTickCount() - start < 10000) {
      box = FindBox(app->dwProcessId);
      if (!box) Sleep(10);
    }
    ASSERT_NE(nullptr, box) << "no box";
    EXPECT_EQ(text, BoxText(box));
    PressOk(box);
    EXPECT_EQ(0, WaitExit(app, 10000));
  }

  std::deque<AppProcess> apps_;
  std::string root_;
  std::string data_;

};

TEST_F(AppE2E, FirstStartCopiesInitWithoutOverwritingAndSavesTheState) {
  MakeFolders(data_);
  WriteFileText(Data("a.kzc"), "kept");
  AppProcess* app = StartRunning("");
  EXPECT_EQ("kept", ReadFileText(Data("a.kzc")));
  EXPECT_EQ("first-run b", ReadFileText(Data("sub\\b.kzc")));
  ASSERT_EQ(0, Close(app));
  std::string state = ReadFileText(Data("(ORV)App.kzc"));
  EXPECT_EQ(297u, state.size());
  CopyFileA(Data("(ORV)App.kzc").c_str(), TestOutputPath("first-start-state.kzc").c_str(), FALSE);
}

TEST_F(AppE2E, ReadOnlyInitFileArrivesWritable) {
  AppProcess* app = StartRunning("");
  DWORD attributes = GetFileAttributesA(Data("a.kzc").c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ("first-run a", ReadFileText(Data("a.kzc")));
  EXPECT_EQ(0, Close(app));
}

TEST_F(AppE2E, SecondStartHandsItsCommandLineOverAndQuitEndsTheFirst) {
  AppProcess* first = StartRunning("");
  // The instance reads its own command line from a message it posts itself,
  // so the file may still be there for a moment after the window appears.
  bool taken = false;
  for (int i = 0; i < 150 && !taken; ++i) {
    taken = !FileExists(Data("(ORV)Cmd.kzc"));
    if (!taken) Sleep(20);
  }
  EXPECT_TRUE(taken);  // its own command line was taken
  DWORD start = GetTickCount();
  AppProcess* second = Start("-PROFILE x");
  EXPECT_EQ(0, WaitExit(second, 2000));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_FALSE(FileExists(Data("(ORV)Cmd.kzc")));  // taken by the first instance
  EXPECT_FALSE(FileExists(Data("(ORV)App.kzc")));  // the second start saved nothing
  EXPECT_NE(nullptr, FindAppWindow("ORVPhantom", first->dwProcessId, "Brightwarden"));

  AppProcess* quit = Start("-quit");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  EXPECT_EQ(0, WaitExit(first, 5000));
  EXPECT_EQ(297u, ReadFileText(Data("(ORV)App.kzc")).size());
}

TEST_F(AppE2E, QuickSuccessionOfSecondStartsLosesNoCommand) {
  AppProcess* first = StartRunning("");
  std::vector<AppProcess*> starts;
  for (int i = 0; i < 4; ++i) starts.push_back(Start("-PROFILE p" + std::to_string(i)));
  for (AppProcess* start : starts) EXPECT_EQ(0, WaitExit(start, 15000));
  EXPECT_FALSE(FileExists(Data("(ORV)Cmd.kzc")));
  EXPECT_EQ(0, Close(first));
}

TEST_F(AppE2E, QuitWithoutRunningInstanceWritesNothing) {
  MakeFolders(data_);
  WriteFileText(Data("(ORV)App.kzc"), std::string(297, 'x'));
  std::vector<std::string> before = ListFiles(data_);
  AppProcess* quit = Start("-QUIT");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  EXPECT_EQ(before, ListFiles(data_));
  EXPECT_EQ(std::string(297, 'x'), ReadFileText(Data("(ORV)App.kzc")));
}

TEST_F(AppE2E, ControlMessageNeedsTheInstanceKeyAndRestartStartsANewInstance) {
  AppProcess* first = StartRunning("-MINIMIZE -AUTOSTART");
  UINT control = RegisterWindowMessageA("ORVMSG_ORVCONTROL");
  PostMessageA(HWND_BROADCAST, control, 33798, LPARAM(kInstanceKey ^ 1));
  PostMessageA(HWND_BROADCAST, control, 33797, 12345);
  EXPECT_EQ(-1, WaitExit(first, 700));
  HWND oldPhantom = FindAppWindow("ORVPhantom", first->dwProcessId, "Brightwarden");
  ASSERT_NE(nullptr, oldPhantom);

  PostMessageA(HWND_BROADCAST, control, 33798, LPARAM(kInstanceKey));
  EXPECT_EQ(0, WaitExit(first, 5000));
  HWND phantom = nullptr;
  DWORD owner = 0;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 10000) {
    phantom = FindAppWindow("ORVPhantom", 0, "Brightwarden");
    if (phantom) {
      GetWindowThreadProcessId(phantom, &owner);
      if (owner != first->dwProcessId) break;
    }
    Sleep(20);
  }
  ASSERT_NE(nullptr, phantom);
  EXPECT_NE(first->dwProcessId, owner);
  EXPECT_NE(oldPhantom, phantom);
  AppProcess* quit = Start("-QUIT");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  HANDLE restarted = OpenProcess(SYNCHRONIZE, FALSE, owner);
  if (restarted) {
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(restarted, 5000));
    CloseHandle(restarted);
  }
}

TEST_F(AppE2E, EndSessionSavesTheStateAtOnce) {
  AppProcess* app = StartRunning("");
  EXPECT_FALSE(FileExists(Data("(ORV)App.kzc")));
  HWND phantom = FindAppWindow("ORVPhantom", app->dwProcessId);
  ASSERT_NE(nullptr, phantom);
  SendMessageA(phantom, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(297u, ReadFileText(Data("(ORV)App.kzc")).size());
  SendMessageA(phantom, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
  SendMessageA(phantom, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
  EXPECT_EQ(0, Close(app));
}

TEST_F(AppE2E, MissingOrShortInstallRecordIsReported) {
  WriteInstallRecord(0, "", false);
  ExpectBoxThenExit(Start(""), kInitError);
  WriteInstallRecord(1000, data_, false);
  ExpectBoxThenExit(Start(""), kInitError);
  EXPECT_FALSE(FolderExists(data_));
}

TEST_F(AppE2E, LongerInstallRecordAndAppendedUserName) {
  WriteInstallRecord(1400, data_, false);
  AppProcess* app = StartRunning("");
  EXPECT_TRUE(FolderExists(data_));
  EXPECT_EQ(0, Close(app));

  std::string custom = root_ + "\\custom";
  WriteInstallRecord(1326, custom, true);
  char user[257] = {};
  DWORD length = sizeof(user);
  GetUserNameA(user, &length);
  app = StartRunning("");
  EXPECT_TRUE(FolderExists(custom + "\\" + user));
  EXPECT_TRUE(FileExists(custom + "\\" + user + "\\a.kzc"));
  EXPECT_EQ(0, Close(app));
}

TEST_F(AppE2E, UnreachableDataFolderShowsThePathAfterOneSecond) {
  WriteFileText(root_ + "\\blocker", "a file where a folder should be");
  std::string folder = root_ + "\\blocker\\data";
  WriteInstallRecord(1326, folder, false);
  AppProcess* app = Start("");
  HWND waiting = WaitForAppWindow("ORVWaitForDataPath", app->dwProcessId, 5000);
  ASSERT_NE(nullptr, waiting);
  DWORD shown = GetTickCount();
  HWND box = nullptr;
  while (!box && GetTickCount() - shown < 5000) {
    box = FindBox(app->dwProcessId);
    if (!box) Sleep(10);
  }
  ASSERT_NE(nullptr, box);
  DWORD elapsed = GetTickCount() - shown;
  EXPECT_GE(elapsed, 850u);
  EXPECT_LE(elapsed, 1600u);
  EXPECT_EQ("Could not access the data path!\n" + folder +
                "\nPlease make sure that this path is accessible or choose a different data "
                "path during setup.",
            BoxText(box));
  PressOk(box);
  EXPECT_EQ(0, WaitExit(app, 5000));
}

TEST_F(AppE2E, WaitForDataPathGoesOnWhenTheFolderAppears) {
  std::string blocker = root_ + "\\blocker";
  WriteFileText(blocker, "x");
  WriteInstallRecord(1326, blocker + "\\data", false);
  AppProcess* app = Start("-WAITFORDATAPATH");
  ASSERT_NE(nullptr, WaitForAppWindow("ORVWaitForDataPath", app->dwProcessId, 5000));
  Sleep(3000);
  EXPECT_EQ(nullptr, FindAppWindow("ORVPhantom", app->dwProcessId));
  DeleteFileA(blocker.c_str());
  DWORD removed = GetTickCount();
  ASSERT_NE(nullptr, WaitForAppWindow("ORVWindow", app->dwProcessId, 5000, "Brightwarden"));
  EXPECT_LT(GetTickCount() - removed, 1500u);
  EXPECT_EQ(nullptr, FindAppWindow("ORVWaitForDataPath", app->dwProcessId));
  EXPECT_EQ(0, Close(app));
}

TEST_F(AppE2E, WaitForDataPathCancelledFromTheTrayMenu) {
  WriteFileText(root_ + "\\blocker", "x");
  WriteInstallRecord(1326, root_ + "\\blocker\\data", false);
  AppProcess* app = Start("-WAITFORDATAPATH");
  HWND waiting = WaitForAppWindow("ORVWaitForDataPath", app->dwProcessId, 5000);
  ASSERT_NE(nullptr, waiting);
  PostMessageA(waiting, 33777, 1, WM_RBUTTONDOWN);
  ASSERT_NE(nullptr, WaitForAppWindow("#32768", app->dwProcessId, 5000));
  PostMessageA(waiting, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(waiting, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(0, WaitExit(app, 5000));
}

TEST_F(AppE2E, MissingFolderWithExistingParentIsCreatedWithoutWaiting) {
  AppProcess* app = Start("");
  bool sawWaitWindow = false;
  DWORD start = GetTickCount();
  while (!FindAppWindow("ORVWindow", app->dwProcessId) && GetTickCount() - start < 10000) {
    if (FindAppWindow("ORVWaitForDataPath", app->dwProcessId)) sawWaitWindow = true;
    Sleep(2);
  }
  EXPECT_FALSE(sawWaitWindow);
  EXPECT_TRUE(FolderExists(data_));
  EXPECT_EQ(0, Close(app));
}

// --- The staged restore. The archives come from Python's zipfile. ---

std::string Fixture(const char* name) {
  const char* folder = getenv("BW_E2E_FIXTURES");
  return HostPathToLocal(std::string(folder ? folder : "") + "/" + name);
}

class RestoreE2E : public AppE2E {
 protected:
  void SetUp() override {
    AppE2E::SetUp();
    MakeFolders(data_ + "\\sub");
    WriteFileText(Data("(ORV)App.kzc"), std::string(297, '\0'));
    WriteFileText(Data("Options.kzc"), "old options");
    WriteFileText(Data("old.kzc"), "old file");
    WriteFileText(Data("sub\\old2.kzc"), "old sub file");
    WriteFileText(Data("notes.txt"), "the user's own file");
  }

  void Stage(const char* fixture) {
    ASSERT_TRUE(CopyFileA(Fixture(fixture).c_str(), Data("Brightwarden.OrvalundConfig").c_str(),
                          FALSE))
        << Fixture(fixture);
  }

  void RunOnce() {
    AppProcess* app = StartRunning("");
    EXPECT_EQ(0, Close(app));
  }

  void ExpectOldFilesKept() {
    EXPECT_EQ("old options", ReadFileText(Data("Options.kzc")));
    EXPECT_EQ("old file", ReadFileText(Data("old.kzc")));
    EXPECT_EQ("old sub file", ReadFileText(Data("sub\\old2.kzc")));
    EXPECT_EQ("the user's own file", ReadFileText(Data("notes.txt")));
  }
};

TEST_F(RestoreE2E, ArchiveReplacesTheDataFiles) {
  Stage("restore_ok.OrvalundConfig");
  RunOnce();
  EXPECT_EQ("new options", ReadFileText(Data("Options.kzc")));
  EXPECT_EQ("new sub file", ReadFileText(Data("sub\\x.kzc")));
  EXPECT_FALSE(FileExists(Data("old.kzc")));
  EXPECT_FALSE(FileExists(Data("sub\\old2.kzc")));
  EXPECT_FALSE(FileExists(Data("Brightwarden.OrvalundConfig")));
  EXPECT_EQ("the user's own file", ReadFileText(Data("notes.txt")));
}

TEST_F(RestoreE2E, KeepListSparesTheFilesItNames) {
  Stage("restore_keep.OrvalundConfig");
  RunOnce();
  EXPECT_EQ("old file", ReadFileText(Data("old.kzc")));
  EXPECT_EQ("new options", ReadFileText(Data("Options.kzc")));
  EXPECT_FALSE(FileExists(Data("sub\\old2.kzc")));
}

TEST_F(RestoreE2E, DamagedArchivesLeaveTheOldFiles) {
  for (const char* fixture : {"restore_truncated.OrvalundConfig", "restore_flipped.OrvalundConfig",
                              "restore_noproduct.OrvalundConfig"}) {
    SCOPED_TRACE(fixture);
    Stage(fixture);
    RunOnce();
    ExpectOldFilesKept();
    EXPECT_FALSE(FileExists(Data("Brightwarden.OrvalundConfig")));
  }
}

TEST_F(RestoreE2E, EntryNamesCannotLeaveTheDataFolder) {
  Stage("restore_evil.OrvalundConfig");
  RunOnce();
  EXPECT_FALSE(FileExists(root_ + "\\evil.kzc"));
  EXPECT_FALSE(FileExists(TestOutputDir() + "\\evil.kzc"));
  EXPECT_FALSE(FileExists(Data("Brightwarden.OrvalundConfig")));
}

TEST_F(RestoreE2E, ResetRemovesTheDataFilesOnly) {
  Stage("reset.OrvalundConfig");
  RunOnce();
  EXPECT_FALSE(FileExists(Data("Options.kzc")));
  EXPECT_FALSE(FileExists(Data("old.kzc")));
  EXPECT_FALSE(FileExists(Data("sub\\old2.kzc")));
  EXPECT_EQ("the user's own file", ReadFileText(Data("notes.txt")));
}

TEST_F(RestoreE2E, SecondStartWhileRunningLeavesTheArchiveForLater) {
  AppProcess* first = StartRunning("");
  Stage("restore_ok.OrvalundConfig");
  AppProcess* second = Start("-PROFILE x");
  EXPECT_EQ(0, WaitExit(second, 5000));
  ExpectOldFilesKept();
  EXPECT_TRUE(FileExists(Data("Brightwarden.OrvalundConfig")));
  EXPECT_EQ(0, Close(first));
}

}  // namespace
