// Data files on a full disk: a write that runs out of room midway fails, the
// old file stays intact and no temporary file is left. The drive is a small
// tmpfs that the test run maps as Q: (diskfull_drive.py); where it cannot be
// had the test is reported as skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "framework/settings/section_files.h"
#include "tests/framework/settings/data_file_test_util.h"

namespace {

class DataFileDiskFull : public testing::Test {
 protected:
  void SetUp() override {
    std::ifstream state(TestOutputPath("diskfull.txt"));
    std::string line;
    ASSERT_TRUE(std::getline(state, line)) << "diskfull.txt missing: the fixture did not run";
    if (line.rfind("skip=", 0) == 0) GTEST_SKIP() << line.substr(5);
    ASSERT_EQ("drive=Q:", line);
    ASSERT_TRUE(SetDataFolder("Q:"));
  }
};

TEST_F(DataFileDiskFull, FailedWritesLeaveTheOldFiles) {
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

  // A section that runs out of room midway: -3, and the saved one stays.
  CSettingsExchange first;
  first.Open(1, "");
  int32_t value = 42;
  first.Int(&value, "iKept");
  ASSERT_GT(WriteBlobToArchive(&first, "Options", -1, 0), 0);
  std::vector<unsigned char> saved = FileBytes("Q:\\Options.kzc");
  CSettingsExchange large;
  large.Open(1, "");
  std::string noise(48 * 1024, ' ');
  std::mt19937 rng(5);
  for (char& c : noise) c = static_cast<char>(1 + rng() % 255);  // does not compress
  large.String(&noise[0], static_cast<int>(noise.size()) + 1, "szNoise");
  EXPECT_EQ(-3, WriteBlobToArchive(&large, "Options", -1, 0));
  EXPECT_EQ(saved, FileBytes("Q:\\Options.kzc"));
  EXPECT_FALSE(FileExists("Q:\\Options.kzc_tmp"));
  CSettingsExchange in;
  ASSERT_GT(ReadBlobFromArchive(&in, "Options", -1, 0), 0);
  int32_t back = 0;
  EXPECT_EQ(0, in.Int(&back, "iKept"));
  EXPECT_EQ(42, back);
  EXPECT_EQ(1024, WriteDataFile("Small", -1, small.data(), 1024, 0));
}

}  // namespace
