// A data file on a full disk: the write fails and the old file stays intact.
// The drive is a small tmpfs that the test run maps as Q: (diskfull_drive.py).
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "tests/framework/settings/data_file_test_util.h"

namespace {

TEST(DataFileDiskFull, FailedWriteLeavesTheOldFile) {
  std::ifstream state(TestOutputPath("diskfull.txt"));
  std::string line;
  ASSERT_TRUE(std::getline(state, line)) << "diskfull.txt missing: the fixture did not run";
  if (line.rfind("skip=", 0) == 0) GTEST_SKIP() << line.substr(5);
  ASSERT_EQ("drive=Q:", line);
  ASSERT_TRUE(SetDataFolder("Q:"));
  std::vector<unsigned char> old = FileBytes("Q:\\Full.kzc");
  ASSERT_EQ(2048u, old.size());
  ULARGE_INTEGER freeBytes;
  ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &freeBytes, nullptr, nullptr));
  ASSERT_LT(freeBytes.QuadPart, 64u * 1024) << "the drive is not nearly full";
  // A small write works on this drive ...
  std::vector<unsigned char> small(1024, 's');
  ASSERT_EQ(1024, WriteDataFile("Small", -1, small.data(), 1024, 0));
  // ... a large one does not fit, and the old file stays as it was.
  std::vector<unsigned char> big(256 * 1024, 'b');
  EXPECT_EQ(0, WriteDataFile("Full", -1, big.data(), static_cast<int>(big.size()), 0));
  EXPECT_EQ(old, FileBytes("Q:\\Full.kzc"));
  EXPECT_FALSE(FileExists("Q:\\Full.kzc_tmp"));  // its space was given back
  EXPECT_EQ(1024, WriteDataFile("Small", -1, small.data(), 1024, 0));
}

}  // namespace
