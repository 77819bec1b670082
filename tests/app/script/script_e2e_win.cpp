// Brightwarden.exe started with -SCRIPT: a failing script is reported in
// one box that names its line, and a quit (a second start with -QUIT) while
// a script sleeps or loops ends the program cleanly, with exit code 0 and
// no report.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "tests/app/app_driver_win.h"
#include "tests/support/test_paths.h"

namespace {

class ScriptE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool installed = false;
    if (!installed) InstallProgram();
    installed = true;
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = TestOutputPath(name);
    RemoveTree(root_);
    MakeFolders(root_);
    WriteInstallRecord(1326, root_ + "\\data", false);
  }
  void TearDown() override {
    for (AppProcess& app : apps_) KillApp(&app);
  }

  AppProcess* Start(const std::string& arguments) {
    apps_.push_back(StartApp(arguments));
    return &apps_.back();
  }

  std::string Script(const std::string& text) {
    const std::string path = root_ + "\\script.bws";
    WriteFileText(path, text);
    return "-SCRIPT \"" + path + "\"";
  }

  std::deque<AppProcess> apps_;
  std::string root_;
};

TEST_F(ScriptE2E, QuitWhileAScriptRunsEndsCleanly) {
  for (const char* text : {"SLEEP 30\nKEY A", "LOOP 100000\nSLEEP 1\nLOOPEND"}) {
    SCOPED_TRACE(text);
    AppProcess* first = Start(Script(text));
    ASSERT_NE(nullptr, WaitForAppWindow("#32770", first->dwProcessId, 15000, "Run Script"));
    const DWORD start = GetTickCount();
    AppProcess* quit = Start("-QUIT");
    EXPECT_EQ(0, WaitExit(quit, 5000));
    // The progress dialog is a box of its own kind; an error box would keep
    // the program from ending: an interrupted script reports nothing.
    EXPECT_EQ(0, WaitExit(first, 5000, true));
    EXPECT_LT(GetTickCount() - start, 3000u);
  }
}

TEST_F(ScriptE2E, FailingScriptIsReportedWithItsLine) {
  AppProcess* app = Start(Script("; a comment\nKEY CTRL+A+B\n"));
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 15000; Sleep(20))
    box = FindBox(app->dwProcessId);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("Error during the execution of the Script file!\nParameter error in line 2.",
            BoxText(box));
  PressOk(box);
  AppProcess* quit = Start("-QUIT");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  EXPECT_EQ(0, WaitExit(app, 5000, true));
}

}  // namespace
