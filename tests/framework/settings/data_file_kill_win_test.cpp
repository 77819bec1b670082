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

TEST(DataFileInterruption, KilledWriterLeavesExactlyOneVersion) {
  std::string folder = FreshFolder("killed");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  const std::vector<unsigned char> a = KillTestVersion(0), b = KillTestVersion(1);
  ASSERT_EQ(1024, WriteDataFile(kKillTestFile, -1, a.data(), 1024, 0));
  std::string path = folder + "\\" + kKillTestFile + ".kzc";
  std::mt19937 rng(12345);
  int sawA = 0, sawB = 0;
  for (int round = 0; round < 200; ++round) {
    std::string eventName = "BwKillTest" + std::to_string(GetCurrentProcessId()) + "_" +
                            std::to_string(round);
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, started);
    PROCESS_INFORMATION pi = {};
    DWORD startError = 0;
    ASSERT_TRUE(StartTestChild("kill \"" + folder + "\" " + eventName, &pi, &startError))
        << "round " << round << ": error " << startError;
    HANDLE waits[2] = {started, pi.hProcess};
    DWORD which = WaitForMultipleObjects(2, waits, FALSE, 30000);
    ASSERT_EQ(WAIT_OBJECT_0, which) << "the helper did not start writing (round " << round << ")";
    // Let it get into some write, then kill it wherever it is.
    Sleep(rng() % 12);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    ASSERT_EQ(9u, FinishTestChild(&pi, 0)) << "the helper stopped by itself (round " << round << ")";
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
