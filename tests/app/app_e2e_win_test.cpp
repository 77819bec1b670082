// End-to-end tests of Brightwarden.exe: start-up, first run, single
// instance, the install record, the data folder and its wait, the staged
// restore and the restart. Each test has its own data folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
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
    log_ = root_ + "\\commands.log";
    SetEnvironmentVariableA("BW_COMMAND_LOG", log_.c_str());  // inherited by every start
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

  // The command lines the instance took, as it parsed them, one per line.
  std::vector<std::string> Commands() const {
    std::vector<std::string> lines;
    std::string text = ReadFileText(log_);
    if (text == "<missing>") return lines;
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
      lines.push_back(text.substr(from, end - from));
    return lines;
  }

  // Waits until the instance has taken `count` command lines in all.
  std::vector<std::string> WaitForCommands(size_t count) const {
    DWORD start = GetTickCount();
    while (Commands().size() < count && GetTickCount() - start < 3000) Sleep(10);
    return Commands();
  }

  // Expects a box with the text, presses OK and expects the exit code.
  void ExpectBoxThenExit(AppProcess* app, const std::string& text, int exitCode = 0) {
    HWND box = nullptr;
    DWORD start = GetTickCount();
    while (!box && GetTickCount() - start < 10000) {
      box = FindBox(app->dwProcessId);
      if (!box) Sleep(10);
    }
    ASSERT_NE(nullptr, box) << "no box";
    EXPECT_EQ(text, BoxText(box));
    PressOk(box);
    EXPECT_EQ(exitCode, WaitExit(app, 10000, true));  // the box may linger while it closes
  }

  std::deque<AppProcess> apps_;
  std::string root_;
  std::string data_;
  std::string log_;

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
  // The main window leaves its placement and its four bars' records; the
  // program saved its settings sections and its three default profiles.
  EXPECT_EQ((std::vector<std::string>{"(ORV)App.kzc", "(ORV)Bar5000.kzc", "(ORV)Bar5010.kzc",
                                      "(ORV)Bar5020.kzc", "(ORV)Bar5030.kzc", "(ORV)Win0.kzc",
                                      "CurrentProfile.kzc", "Options.kzc", "Profile0.kzc",
                                      "Profile1.kzc", "Profile2.kzc", "StiEvents.kzc",
                                      "SysProf.kzc", "a.kzc", "sub\\b.kzc"}),
            ListFiles(data_));
  std::string placement = ReadFileText(Data("(ORV)Win0.kzc"));
  ASSERT_EQ(16u, placement.size());
  EXPECT_EQ(9219u, uint8_t(placement[8]) | uint8_t(placement[9]) << 8);
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
  AppProcess* first = StartRunning("-REMARKS own");
  // The instance acts on its own command line from memory, without the file.
  EXPECT_EQ((std::vector<std::string>{"[-REMARKS]<own>"}), WaitForCommands(1));
  EXPECT_FALSE(FileExists(Data("(ORV)Cmd.kzc")));
  DWORD start = GetTickCount();
  AppProcess* second = Start("first -REMARKS \"a b\" c");
  EXPECT_EQ(0, WaitExit(second, 2000));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ((std::vector<std::string>{"[-REMARKS]<own>", "[]<first>[-REMARKS]<a b><c>"}),
            WaitForCommands(2));
  EXPECT_FALSE(FileExists(Data("(ORV)Cmd.kzc")));  // taken by the first instance
  EXPECT_FALSE(FileExists(Data("(ORV)App.kzc")));  // the second start saved nothing
  EXPECT_NE(nullptr, FindAppWindow("ORVPhantom", first->dwProcessId, "Brightwarden"));

  AppProcess* quit = Start("-quit");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  EXPECT_EQ(0, WaitExit(first, 5000));
  EXPECT_EQ(297u, ReadFileText(Data("(ORV)App.kzc")).size());
  EXPECT_EQ(2u, Commands().size());  // -QUIT is no command line to act on
}

TEST_F(AppE2E, QuickSuccessionOfSecondStartsLosesNoCommand) {
  AppProcess* first = StartRunning("");
  std::vector<AppProcess*> starts;
  std::vector<std::string> sent = {""};
  for (int i = 0; i < 4; ++i) {
    starts.push_back(Start("-REMARKS p" + std::to_string(i)));
    sent.push_back("[-REMARKS]<p" + std::to_string(i) + ">");
  }
  for (AppProcess* start : starts) EXPECT_EQ(0, WaitExit(start, 15000));
  std::vector<std::string> taken = WaitForCommands(sent.size());
  std::sort(taken.begin(), taken.end());
  EXPECT_EQ(sent, taken);
  EXPECT_FALSE(FileExists(Data("(ORV)Cmd.kzc")));
  EXPECT_EQ(0, Close(first));
}

// While the instance does not answer, second starts take turns: each waits
// five seconds for it and then withdraws its command line and fails. Once it
// answers again, the starts still waiting get through. Every command line
// arrives exactly once or its start reports failure and leaves nothing.
TEST_F(AppE2E, SecondStartsWhileTheInstanceHangsArriveOnceOrFail) {
  AppProcess* first = StartRunning("");
  ASSERT_EQ(1u, WaitForCommands(1).size());
  ASSERT_TRUE(SuspendApp(*first, true));
  std::vector<AppProcess*> starts;
  for (int i = 0; i < 3; ++i) starts.push_back(Start("-REMARKS job" + std::to_string(i)));
  // The first start to hold the hand-off gives up after 5 s; then the
  // instance answers again, while the others still wait their turn.
  std::vector<int> codes(3, -1);
  DWORD start = GetTickCount();
  while (std::count(codes.begin(), codes.end(), -1) == 3 && GetTickCount() - start < 20000)
    for (int i = 0; i < 3; ++i)
      if (codes[i] == -1) codes[i] = WaitExit(starts[i], 20);
  ASSERT_TRUE(SuspendApp(*first, false));
  for (int i = 0; i < 3; ++i)
    if (codes[i] == -1) codes[i] = WaitExit(starts[i], 20000);
  std::vector<std::string> taken = WaitForCommands(1 + 3);
  int failed = 0;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    std::string line = "[-REMARKS]<job" + std::to_string(i) + ">";
    int arrived = int(std::count(taken.begin(), taken.end(), line));
    ASSERT_TRUE(codes[i] == 0 || codes[i] == 4) << codes[i];
    EXPECT_EQ(codes[i] == 0 ? 1 : 0, arrived);
    failed += codes[i] == 4;
  }
  EXPECT_GE(failed, 1);
  EXPECT_LE(failed, 2);
  EXPECT_EQ(size_t(1 + 3 - failed), taken.size());
  EXPECT_FALSE(FileExists(Data("(ORV)Cmd.kzc")));
  AppProcess* later = Start("-REMARKS later");
  EXPECT_EQ(0, WaitExit(later, 5000));
  EXPECT_EQ("[-REMARKS]<later>", WaitForCommands(1 + 3 - failed + 1).back());
  EXPECT_EQ(0, Close(first));
}

// The longest command line the program keeps arrives whole; a longer one is
// refused with a box and an exit code rather than cut.
TEST_F(AppE2E, CommandLineIsCarriedWholeOrRefused) {
  AppProcess* first = StartRunning("");
  ASSERT_EQ(1u, WaitForCommands(1).size());
  // Five words of 200 characters and one that makes 1,039 characters in all
  // (a word over 259 characters would be dropped by the parser).
  std::vector<std::string> words;
  for (char letter = 'a'; letter < 'f'; ++letter) words.push_back(std::string(200, letter));
  words.push_back(std::string(1039 - 8 - 5 * 201 - 1, 'z'));
  std::string arguments = "-REMARKS";
  std::string expected = "[-REMARKS]";
  for (const std::string& word : words) {
    arguments += " " + word;
    expected += "<" + word + ">";
  }
  ASSERT_EQ(1039u, arguments.size());
  EXPECT_EQ(0, WaitExit(Start(arguments), 5000));
  EXPECT_EQ(expected, WaitForCommands(2).back());

  AppProcess* tooLong = Start(arguments + "x");
  ExpectBoxThenExit(tooLong, "Error initializing the application!\nError code 0x0000F01A.", 5);
  Sleep(200);
  EXPECT_EQ(2u, Commands().size());
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
  AppProcess* first = StartRunning("-MINIMIZE");
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

// When the system cannot say where the user's application data lives, the
// start stops with the data-path box instead of using a folder at the root
// of the drive.
TEST_F(AppE2E, UnknownApplicationDataFolderIsReported) {
  const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0,
                                         KEY_QUERY_VALUE | KEY_SET_VALUE, &key));
  char old[MAX_PATH] = {};
  DWORD size = sizeof(old);
  DWORD type = REG_EXPAND_SZ;
  bool had = RegQueryValueExA(key, "AppData", nullptr, &type, reinterpret_cast<BYTE*>(old),
                              &size) == ERROR_SUCCESS;
  const char missing[] = "R:\\no such drive";
  RegSetValueExA(key, "AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(missing),
                 sizeof(missing));
  WriteInstallRecord(1326, "", false);
  ExpectBoxThenExit(Start(""), "Could not access the data path!\n%APPDATA%\\Orvalund\\Brightwarden\n"
                               "Please make sure that this path is accessible or choose a "
                               "different data path during setup.");
  if (had)
    RegSetValueExA(key, "AppData", 0, type, reinterpret_cast<const BYTE*>(old), size);
  else
    RegDeleteValueA(key, "AppData");
  RegCloseKey(key);
  EXPECT_FALSE(FolderExists(ProgramFolder().substr(0, 2) + "\\Orvalund"));  // its drive's root
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
    WriteOldFiles();
  }

  void WriteOldFiles() {
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

  // Every file of the data folder with its bytes, but the application state
  // and the window and bar records, which each run writes anew, and the
  // program's sections and default profiles that a run saves when they are
  // missing (an Options section it cannot read stays as it is).
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const std::string& name : ListFiles(data_))
      if (name != "(ORV)App.kzc" && name != "(ORV)Win0.kzc" && name.rfind("(ORV)Bar", 0) != 0 &&
          name.rfind("Profile", 0) != 0 && name != "Brightwarden.OrvalundConfig" &&
          name != "SysProf.kzc" && name != "CurrentProfile.kzc" && name != "StiEvents.kzc")
        files[name] = ReadFileText(Data(name));
    return files;
  }

  // Nothing restored, nothing left over: the old files byte for byte.
  void ExpectOldFilesKept() {
    const std::map<std::string, std::string> old = {
        {"Options.kzc", "old options"}, {"old.kzc", "old file"},
        {"sub\\old2.kzc", "old sub file"}, {"notes.txt", "the user's own file"}};
    EXPECT_EQ(old, Snapshot());
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

TEST_F(RestoreE2E, ReadOnlyArchiveIsAppliedOnce) {
  Stage("restore_ok.OrvalundConfig");
  SetFileAttributesA(Data("Brightwarden.OrvalundConfig").c_str(), FILE_ATTRIBUTE_READONLY);
  RunOnce();
  EXPECT_EQ("new options", ReadFileText(Data("Options.kzc")));
  EXPECT_FALSE(FileExists(Data("Brightwarden.OrvalundConfig")));
  WriteFileText(Data("Options.kzc"), "changed since");
  RunOnce();
  EXPECT_EQ("changed since", ReadFileText(Data("Options.kzc")));
  EXPECT_EQ((std::vector<std::string>{"(ORV)App.kzc", "(ORV)Bar5000.kzc", "(ORV)Bar5010.kzc",
                                      "(ORV)Bar5020.kzc", "(ORV)Bar5030.kzc", "(ORV)Win0.kzc",
                                      "CurrentProfile.kzc", "Options.kzc", "Profile0.kzc",
                                      "Profile1.kzc", "Profile2.kzc", "StiEvents.kzc",
                                      "SysProf.kzc", "notes.txt", "sub\\x.kzc"}),
            ListFiles(data_));
}

TEST_F(RestoreE2E, LockedArchiveWaitsForALaterStart) {
  Stage("restore_ok.OrvalundConfig");
  HANDLE lock = CreateFileA(Data("Brightwarden.OrvalundConfig").c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  RunOnce();
  CloseHandle(lock);
  ExpectOldFilesKept();
  EXPECT_TRUE(FileExists(Data("Brightwarden.OrvalundConfig")));
  RunOnce();
  EXPECT_EQ("new options", ReadFileText(Data("Options.kzc")));
  EXPECT_FALSE(FileExists(Data("Brightwarden.OrvalundConfig")));
}

// A data file another program holds open cannot be replaced: the restore
// is undone whole and the archive is used up.
TEST_F(RestoreE2E, LockedDataFileKeepsTheOldConfiguration) {
  Stage("restore_ok.OrvalundConfig");
  HANDLE lock = CreateFileA(Data("sub\\old2.kzc").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  RunOnce();
  CloseHandle(lock);
  ExpectOldFilesKept();
}

// The data folder on a small drive (Q:, a tmpfs that run_e2e.sh maps) with
// 32 KiB left: the restored files do not fit, and the old configuration
// stays whole.
TEST_F(RestoreE2E, FullDiskKeepsTheOldConfiguration) {
  std::string state = ReadFileText(TestOutputPath("diskfull.txt"));
  if (state.rfind("skip=", 0) == 0) GTEST_SKIP() << state.substr(5);
  ASSERT_EQ("drive=Q:\n", state);
  DeleteFileA("Q:\\filler");
  data_ = "Q:\\data";
  RemoveTree(data_);
  WriteOldFiles();
  WriteInstallRecord(1326, data_, false);
  Stage("restore_big.OrvalundConfig");
  ULARGE_INTEGER free;
  ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &free, nullptr, nullptr));
  ASSERT_GT(free.QuadPart, 64u * 1024);
  WriteFileText("Q:\\filler", std::string(size_t(free.QuadPart - 32 * 1024), '\0'));
  RunOnce();
  ExpectOldFilesKept();
  EXPECT_FALSE(FileExists(Data("Brightwarden.OrvalundConfig")));
  DeleteFileA("Q:\\filler");
  RemoveTree(data_);
}

TEST_F(RestoreE2E, RestartAppliesARestoreStagedWhileRunning) {
  AppProcess* first = StartRunning("");
  Stage("restore_ok.OrvalundConfig");
  HWND phantom = FindAppWindow("ORVPhantom", first->dwProcessId);
  ASSERT_NE(nullptr, phantom);
  PostMessageA(phantom, RegisterWindowMessageA("ORVMSG_ORVCONTROL"), 33798, LPARAM(kInstanceKey));
  EXPECT_EQ(0, WaitExit(first, 5000));
  DWORD start = GetTickCount();
  while (FileExists(Data("Brightwarden.OrvalundConfig")) && GetTickCount() - start < 10000)
    Sleep(20);
  HWND restarted = WaitForAppWindow("ORVPhantom", 0, 10000, "Brightwarden");
  ASSERT_NE(nullptr, restarted);
  EXPECT_EQ("new options", ReadFileText(Data("Options.kzc")));
  EXPECT_FALSE(FileExists(Data("old.kzc")));
  AppProcess* quit = Start("-QUIT");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  DWORD owner = 0;
  GetWindowThreadProcessId(restarted, &owner);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, owner);
  if (process) {
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 5000));
    CloseHandle(process);
  }
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
  // Gone with the reset; what is there now is the fresh section the run saved.
  EXPECT_EQ("PK", ReadFileText(Data("Options.kzc")).substr(0, 2));
  EXPECT_FALSE(FileExists(Data("old.kzc")));
  EXPECT_FALSE(FileExists(Data("sub\\old2.kzc")));
  EXPECT_EQ("the user's own file", ReadFileText(Data("notes.txt")));
}

TEST_F(RestoreE2E, SecondStartWhileRunningLeavesTheArchiveForLater) {
  AppProcess* first = StartRunning("");
  Stage("restore_ok.OrvalundConfig");
  AppProcess* second = Start("-REMARKS x");
  EXPECT_EQ(0, WaitExit(second, 5000));
  ExpectOldFilesKept();
  EXPECT_TRUE(FileExists(Data("Brightwarden.OrvalundConfig")));
  EXPECT_EQ(0, Close(first));
}

}  // namespace
