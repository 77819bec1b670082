// A process killed at any moment of rewriting a data file leaves it whole:
// exactly the old or the new version, never a mix, a cut or nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "tests/framework/settings/data_file_test_util.h"
#include "tests/framework/settings/kill_test_versions.h"

namespace {

std::string HelperPath() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.rfind('\\') + 1) + "data_file_writer_child.exe";
}

TEST(DataFileInterruption, KilledWriterLeavesExactlyOneVersion) {
  std::string folder = FreshFolder("killed");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  const std::vector<unsigned char> a = KillTestVersion(0), b = KillTestVersion(1);
  ASSERT_EQ(1024, WriteDataFile(kKillTestFile, -1, a.data(), 1024, 0));
  std::string path = folder + "\\" + kKillTestFile + ".kzc";
  std::string helper = HelperPath();
  ASSERT_TRUE(FileExists(helper)) << helper;
  std::mt19937 rng(12345);
  int sawA = 0, sawB = 0;
  for (int round = 0; round < 200; ++round) {
    std::string eventName = "BwKillTest" + std::to_string(GetCurrentProcessId()) + "_" +
                            std::to_string(round);
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, started);
    std::string command = "\"" + helper + "\" \"" + folder + "\" " + eventName;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Wine now and then refuses a start right after a killed process; a
    // start is not what this test is about, so it tries a few times.
    BOOL created = FALSE;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 10 && !created; ++attempt) {
      created = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi);
      if (!created) {
        startError = GetLastError();
        Sleep(100);
      }
    }
    ASSERT_TRUE(created) << "round " << round << ": error " << startError;
    HANDLE waits[2] = {started, pi.hProcess};
    DWORD which = WaitForMultipleObjects(2, waits, FALSE, 30000);
    ASSERT_EQ(WAIT_OBJECT_0, which) << "the helper did not start writing (round " << round << ")";
    // Let it get into some write, then kill it wherever it is.
    Sleep(rng() % 12);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    ASSERT_EQ(9u, code) << "the helper stopped by itself (round " << round << ")";
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(started);
    std::vector<unsigned char> now = FileBytes(path);
    ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
    (now == a ? sawA : sawB)++;
  }
  // Both versions turned up, so the kills landed at different moments.
  EXPECT_GT(sawA, 10);
  EXPECT_GT(sawB, 10);
}

}  // namespace
