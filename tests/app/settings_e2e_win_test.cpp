// The program's settings across starts: a first run saves its sections when
// it quits, and the next start loads what it finds (settings_oracle.py puts a
// changed Options section in between and reads all sections with unzip).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/app/app_driver_win.h"
#include "tests/support/test_paths.h"

namespace {

const char* const kSections[] = {"Options", "SysProf", "CurrentProfile", "StiEvents"};

std::string Fixture(const std::string& name) {
  const char* folder = getenv("BW_E2E_FIXTURES");
  return HostPathToLocal(std::string(folder ? folder : "") + "/" + name);
}

// Starts the program, waits for its window, ends it with a "-QUIT" start.
void RunAndQuit() {
  AppProcess app = StartApp("");
  ASSERT_NE(nullptr, WaitForAppWindow("ORVWindow", app.dwProcessId, 10000, "Brightwarden"));
  AppProcess quit = StartApp("-QUIT");
  EXPECT_EQ(0, WaitExit(&quit, 10000));
  EXPECT_EQ(0, WaitExit(&app, 10000));
}

TEST(SettingsE2E, QuitSavesEverySectionAndTheNextStartLoadsThem) {
  InstallProgram();
  std::string root = TestOutputPath("settings");
  std::string data = root + "\\data";
  RemoveTree(root);
  MakeFolders(data);
  WriteInstallRecord(1326, data, false);

  RunAndQuit();
  MakeFolders(root + "\\first");
  for (const char* name : kSections) {
    std::string file = std::string("\\") + name + ".kzc";
    ASSERT_TRUE(FileExists(data + file)) << name;
    CopyFileA((data + file).c_str(), (root + "\\first" + file).c_str(), FALSE);
  }

  ASSERT_TRUE(CopyFileA(Fixture("changed_options.kzc").c_str(), (data + "\\Options.kzc").c_str(), FALSE));
  RunAndQuit();
  MakeFolders(root + "\\second");
  CopyFileA((data + "\\Options.kzc").c_str(), (root + "\\second\\Options.kzc").c_str(), FALSE);
}

}  // namespace
