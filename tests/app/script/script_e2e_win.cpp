// Brightwarden.exe started with -SCRIPT: a failing script is reported in
// one box that names its line, and a quit (a second start with -QUIT) while
// a script sleeps or loops ends the program cleanly, with exit code 0 and
// no report. Profiles written with the program's own code into its data
// folder run from a script line and from a second start.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "app/document/image.h"
#include "app/profiles/profile_list.h"
#include "framework/settings/data_folder.h"
#include "tests/app/app_driver_win.h"
#include "tests/app/profiles/profile_test_records.h"
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

  // Stores a profile that captures a corner of the screen and saves it as
  // "<shots>\<prefix>_%N3.png", before the program starts.
  void StoreShotProfile(const char* name, const char* prefix) {
    ASSERT_TRUE(SetDataFolder((root_ + "\\data").c_str()));
    ProfileRecord profile = Plain(name);
    CaptureArea(&profile, 0, 0, 119, 89);
    SaveTo(&profile, Shots(), (std::string(prefix) + "_%N3").c_str());
    ASSERT_GE(AppendProfile(&profile), 0);
    MakeFolders(Shots());
  }
  std::string Shots() const { return root_ + "\\shots"; }

  // The shots saved so far; each must be a 120 x 90 image.
  std::vector<std::string> ShotsWhenSettled(size_t expected, DWORD milliseconds) {
    std::vector<std::string> files;
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(50)) {
      files = ListFiles(Shots());
      if (files.size() >= expected) break;
    }
    Sleep(300);  // a further file would show up now
    files = ListFiles(Shots());
    for (const std::string& file : files) {
      CImage image;
      EXPECT_TRUE(image.Load((Shots() + "\\" + file).c_str(), 0)) << file;
      EXPECT_EQ(120, image.GetWidth()) << file;
      EXPECT_EQ(90, image.GetHeight()) << file;
    }
    return files;
  }

  void Quit(AppProcess* app) {
    AppProcess* quit = Start("-QUIT");
    EXPECT_EQ(0, WaitExit(quit, 5000));
    EXPECT_EQ(0, WaitExit(app, 5000));
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

// The script's own failures name their line; a profile's failure ends the
// script and is reported as that profile's operation.
TEST_F(ScriptE2E, FailingScriptIsReportedWithItsLine) {
  StoreShotProfile("Lost Shot", "lost");
  RemoveTree(Shots());
  const struct {
    const char* script;
    const char* report;  // the box's text starts with it
  } kCases[] = {
      {"; a comment\nKEY CTRL+A+B\n",
       "Error during the execution of the Script file!\nParameter error in line 2."},
      {"SLEEP 0\nPROFILE Lost Shot\nKEY A\n", "The image could not be saved!\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    AppProcess* app = Start(Script(c.script));
    // The report, not the script's progress dialog (a box without text).
    HWND box = nullptr;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 15000; Sleep(20)) {
      box = FindBox(app->dwProcessId);
      if (box && BoxText(box).empty()) box = nullptr;
    }
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(0u, BoxText(box).find(c.report)) << BoxText(box);
    PressOk(box);
    AppProcess* quit = Start("-QUIT");
    EXPECT_EQ(0, WaitExit(quit, 5000));
    // The capture that could not be saved is still unsaved: the quit asks.
    if (c.report[0] != 'E') {
      const std::string question = "The current image will be discarded!\nDo you want to continue?";
      box = nullptr;
      for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 5000; Sleep(20)) {
        box = FindBox(app->dwProcessId);
        if (box && BoxText(box) != question) box = nullptr;
      }
      ASSERT_NE(nullptr, box);
      PostMessageA(box, WM_COMMAND, IDYES, 0);
    }
    EXPECT_EQ(0, WaitExit(app, 5000, true));
  }
}

// A script's PROFILE line runs a capturing profile as the menu would: on
// the program's user interface thread, once per line, without a box.
TEST_F(ScriptE2E, ScriptRunsACapturingProfile) {
  StoreShotProfile("Corner Shot", "corner");
  AppProcess* app = Start(Script("PROFILE Corner Shot\nPROFILE corner shot\n"));
  EXPECT_EQ((std::vector<std::string>{"corner_000.png", "corner_001.png"}),
            ShotsWhenSettled(2, 20000));
  HWND box = FindBox(app->dwProcessId);
  EXPECT_EQ(nullptr, box) << BoxText(box);
  Quit(app);
}

// A second start: -PROFILE makes a profile current and "(Active profile)"
// then names it; while a script runs, the second start's work is refused
// with the busy box and nothing runs.
TEST_F(ScriptE2E, SecondStartChoosesAndRunsProfiles) {
  StoreShotProfile("First", "first");
  StoreShotProfile("Second", "second");
  AppProcess* app = Start("");
  ASSERT_NE(nullptr, WaitForAppWindow("ORVWindow", app->dwProcessId, 15000, "Brightwarden"));
  AppProcess* chooser = Start("-PROFILE Second -EXECUTE \"(Active profile)\"");
  EXPECT_EQ(0, WaitExit(chooser, 5000));
  EXPECT_EQ((std::vector<std::string>{"second_000.png"}), ShotsWhenSettled(1, 20000));
  Quit(app);

  app = Start(Script("SLEEP 30"));
  ASSERT_NE(nullptr, WaitForAppWindow("#32770", app->dwProcessId, 15000, "Run Script"));
  AppProcess* runner = Start("-EXECUTE First");
  EXPECT_EQ(0, WaitExit(runner, 5000));
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 10000; Sleep(20)) {
    box = FindBox(app->dwProcessId);
    if (box && BoxText(box).find("busy") == std::string::npos) box = nullptr;
  }
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("Brightwarden is currently busy!\nPlease wait a few moments until "
            "it has finished the task.",
            BoxText(box));
  PressOk(box);
  EXPECT_EQ((std::vector<std::string>{"second_000.png"}), ShotsWhenSettled(1, 500));
  AppProcess* quit = Start("-QUIT");
  EXPECT_EQ(0, WaitExit(quit, 5000));
  EXPECT_EQ(0, WaitExit(app, 5000, true));
}

}  // namespace
