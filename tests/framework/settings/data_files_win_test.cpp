#include "framework/settings/data_files.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/settings/data_folder.h"
#include "framework/settings/data_path.h"
#include "tests/framework/settings/data_file_test_util.h"

namespace {

std::vector<unsigned char> Pattern(size_t size, unsigned seed) {
  std::vector<unsigned char> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed * 31 + i * 7);
  return bytes;
}

TEST(DataFiles, WriteThenReadWholeAndShort) {
  std::string folder = FreshFolder("rw");
  std::string common = FreshFolder("rw_common");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  ASSERT_TRUE(SetCommonDataFolder(common.c_str()));
  std::vector<unsigned char> record = Pattern(10, 1);
  ASSERT_EQ(10, WriteDataFile("(ORV)Win", 0, record.data(), 10, 0));
  EXPECT_EQ(record, FileBytes(folder + "\\(ORV)Win0.kzc"));
  EXPECT_FALSE(FileExists(folder + "\\(ORV)Win0.kzc_tmp"));
  EXPECT_EQ(10, ReadDataFile("(ORV)Win", 0, nullptr, 0, 0));  // a null buffer asks for the size
  // A 16-byte record read from a 10-byte file: bytes 10-15 keep their values.
  unsigned char buffer[16];
  memset(buffer, 0xAB, sizeof buffer);
  EXPECT_EQ(10, ReadDataFile("(ORV)Win", 0, buffer, 16, 0));
  EXPECT_EQ(0, memcmp(record.data(), buffer, 10));
  for (int i = 10; i < 16; ++i) EXPECT_EQ(0xAB, buffer[i]) << i;
  // A missing file reads as 0 and leaves the buffer alone.
  memset(buffer, 0xCD, sizeof buffer);
  EXPECT_EQ(0, ReadDataFile("(ORV)Win", 1, buffer, 16, 0));
  EXPECT_EQ(0xCD, buffer[0]);
  // An empty write is refused before the file is touched.
  EXPECT_EQ(0, WriteDataFile("(ORV)Win", 0, record.data(), 0, 0));
  EXPECT_EQ(record, FileBytes(folder + "\\(ORV)Win0.kzc"));
  // Folder flag 1 is the common folder.
  ASSERT_EQ(3, WriteDataFile("(ORV)App", kNoIndex, "abc", 3, kCommonDataFolder));
  EXPECT_TRUE(FileExists(common + "\\(ORV)App.kzc"));
  EXPECT_FALSE(FileExists(folder + "\\(ORV)App.kzc"));
  EXPECT_EQ(0, ReadDataFile("(ORV)App", kNoIndex, nullptr, 0, 0));
  char text[8] = {};
  EXPECT_EQ(3, ReadDataFileBytes(common.c_str(), "(ORV)App", "kzc", text, 8, 0));
  EXPECT_STREQ("abc", text);
  EXPECT_EQ(3, ReadDataFileBytes(nullptr, "(ORV)App", "kzc", nullptr, 0, kCommonDataFolder));
  // A rewrite replaces the file whole, also with a shorter record.
  ASSERT_EQ(2, WriteDataFile("(ORV)App", kNoIndex, "xy", 2, kCommonDataFolder));
  EXPECT_EQ(2, ReadDataFile("(ORV)App", kNoIndex, text, 8, kCommonDataFolder));
}

// Another program holding a file open without sharing must not make it look
// absent: a caller would keep its defaults and later save them over it.
TEST(DataFiles, AbsentAndUnreadableAreToldApart) {
  std::string folder = FreshFolder("unreadable");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  std::vector<unsigned char> record = Pattern(40, 6);
  ASSERT_EQ(40, WriteDataFile("Held", kNoIndex, record.data(), 40, 0));
  std::string path = folder + "\\Held.kzc";
  enum Hold { kNone, kForGood, kBriefly };
  struct {
    const char* name;
    Hold hold;
    int checked;  // ReadDataFileChecked and ReadWholeDataFile
    int plain;    // ReadDataFile
  } cases[] = {
      {"Absent", kNone, 0, 0},
      {"Held", kForGood, kDataFileUnreadable, 0},
      {"Held", kBriefly, 40, 40},  // a passing conflict is waited out
      {"Held", kNone, 40, 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " hold " + std::to_string(c.hold));
    HANDLE held = c.hold == kNone ? INVALID_HANDLE_VALUE
                                  : CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(c.hold == kNone, held == INVALID_HANDLE_VALUE);
    std::thread release;
    if (c.hold == kBriefly)
      release = std::thread([held] {
        Sleep(30);
        CloseHandle(held);
      });
    unsigned char buffer[64];
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(c.checked, ReadDataFileChecked(c.name, kNoIndex, buffer, 64, 0));
    EXPECT_EQ(c.checked > 0 ? record[0] : 0xEE, buffer[0]);
    EXPECT_EQ(c.checked, ReadDataFileChecked(c.name, kNoIndex, nullptr, 0, 0));
    EXPECT_EQ(c.plain, ReadDataFile(c.name, kNoIndex, buffer, 64, 0));
    uint8_t* whole = nullptr;
    EXPECT_EQ(c.checked, ReadWholeDataFile(c.name, kNoIndex, 0, 1 << 20, &whole));
    EXPECT_EQ(c.checked > 0, whole != nullptr);
    if (whole) {
      EXPECT_EQ(0, memcmp(whole, record.data(), 40));
    }
    free(whole);
    EXPECT_EQ(c.checked > 0 ? kDataFileTooLarge : c.checked,
              ReadWholeDataFile(c.name, kNoIndex, 0, 39, &whole));
    if (release.joinable()) release.join();
    if (c.hold == kForGood) CloseHandle(held);
  }
}

TEST(DataFiles, WriteCreatesMissingFolders) {
  std::string base = FreshFolder("nested");
  std::string folder = base + "\\one\\two\\three";
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  ASSERT_EQ(4, WriteDataFile("Profile", 3, "data", 4, 0));
  EXPECT_EQ(4u, FileBytes(folder + "\\Profile3.kzc").size());
  std::string direct = base + "\\w\\x\\direct.bin";
  EXPECT_EQ(5, WriteFileAt(direct.c_str(), "hello", 5, kWriteTruncate));
  EXPECT_EQ(3, WriteFileAt(direct.c_str(), "abc", 3, kWriteAppend));
  std::vector<unsigned char> both = FileBytes(direct);
  EXPECT_EQ("helloabc", std::string(both.begin(), both.end()));
  EXPECT_EQ(2, WriteFileAt(direct.c_str(), "zz", 2, kWriteTruncate));
  EXPECT_EQ(2u, FileBytes(direct).size());
}

TEST(DataFiles, ReadOnlyTargetKeepsTheOldFile) {
  std::string folder = FreshFolder("readonly");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  std::vector<unsigned char> old = Pattern(300, 2);
  ASSERT_EQ(300, WriteDataFile("Options", kNoIndex, old.data(), 300, 0));
  std::string path = folder + "\\Options.kzc";
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  std::vector<unsigned char> fresh = Pattern(500, 3);
  EXPECT_EQ(0, WriteDataFile("Options", kNoIndex, fresh.data(), 500, 0));
  EXPECT_EQ(old, FileBytes(path));
  EXPECT_FALSE(FileExists(path + "_tmp"));
  unsigned char back[300];
  EXPECT_EQ(300, ReadDataFile("Options", kNoIndex, back, 300, 0));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(500, WriteDataFile("Options", kNoIndex, fresh.data(), 500, 0));
}

// A reader that holds the file open blocks the replace for a moment: the
// replace is tried again for about half a second before it gives up.
TEST(DataFiles, ReplaceWaitsBrieflyForAnOpenTarget) {
  std::string folder = FreshFolder("held");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  std::vector<unsigned char> old = Pattern(100, 4), fresh = Pattern(200, 5);
  ASSERT_EQ(100, WriteDataFile("(ORV)Archive", kNoIndex, old.data(), 100, 0));
  std::string path = folder + "\\(ORV)Archive.kzc";
  auto holdOpen = [&path] {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  };
  HANDLE held = holdOpen();
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::thread release([held] {
    Sleep(150);
    CloseHandle(held);
  });
  DWORD start = GetTickCount();
  EXPECT_EQ(200, WriteDataFile("(ORV)Archive", kNoIndex, fresh.data(), 200, 0));
  EXPECT_GE(GetTickCount() - start, 100u);
  release.join();
  EXPECT_EQ(fresh, FileBytes(path));
  // Held for good: the write gives up and the file stays as it was.
  held = holdOpen();
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  start = GetTickCount();
  EXPECT_EQ(0, WriteDataFile("(ORV)Archive", kNoIndex, old.data(), 100, 0));
  EXPECT_GE(GetTickCount() - start, 400u);
  CloseHandle(held);
  EXPECT_EQ(fresh, FileBytes(path));
}

TEST(DataFiles, PathsThatDoNotFitAreRefusedNotCut) {
  std::string folder = FreshFolder("long");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  size_t room = 259 - folder.size() - strlen("\\.kzc_tmp");
  std::string fits(room, 'n');
  std::string tooLong(room + 1, 'n');
  EXPECT_EQ(1, WriteDataFile(fits.c_str(), kNoIndex, "x", 1, 0));
  EXPECT_EQ(0, WriteDataFile(tooLong.c_str(), kNoIndex, "x", 1, 0));
  EXPECT_EQ(0, ReadDataFile(tooLong.c_str(), kNoIndex, nullptr, 0, 0));
  // Only the file that fits exists; nothing was written under a cut name.
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\n*").c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  int files = 0;
  do ++files;
  while (FindNextFileA(find, &data));
  FindClose(find);
  EXPECT_EQ(1, files);
}

TEST(DataFiles, NumberedDeleteStepsOverLockedFilesAndStopsAtAGap) {
  std::string folder = FreshFolder("delete");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  for (int i : {0, 1, 2, 4}) ASSERT_EQ(1, WriteDataFile("Profile", i, "p", 1, 0));
  ASSERT_EQ(1, WriteDataFile("Profile", kNoIndex, "p", 1, 0));
  // Profile1 is held open without delete sharing.
  HANDLE lock = CreateFileA((folder + "\\Profile1.kzc").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_EQ(2, DeleteDataFiles("Profile", true, 0));  // Profile0 and Profile2; the base went too
  CloseHandle(lock);
  EXPECT_FALSE(FileExists(folder + "\\Profile.kzc"));
  EXPECT_FALSE(FileExists(folder + "\\Profile0.kzc"));
  EXPECT_TRUE(FileExists(folder + "\\Profile1.kzc"));
  EXPECT_FALSE(FileExists(folder + "\\Profile2.kzc"));
  EXPECT_TRUE(FileExists(folder + "\\Profile4.kzc"));  // behind the gap at 3
  // Without the base file the result counts one failure; index 0 is now a
  // gap, so nothing numbered is touched.
  EXPECT_EQ(1, DeleteDataFiles("Profile", true, 0));
  EXPECT_TRUE(FileExists(folder + "\\Profile1.kzc"));
  EXPECT_EQ(1, DeleteDataFiles("Profile", false, 0));
}

TEST(DataFiles, CreateDirectoryPathAndWritableTest) {
  std::string base = FreshFolder("dirs");
  std::string deep = base + "\\a\\b\\c";
  EXPECT_EQ(0, CreateDirectoryPath(deep.c_str(), false));
  EXPECT_TRUE(GetFileAttributesA(deep.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(0, CreateDirectoryPath(deep.c_str(), false));
  EXPECT_EQ(0, CreateDirectoryPath((base + "\\t\\u\\").c_str(), false));
  EXPECT_TRUE(FileExists(base + "\\t\\u"));
  EXPECT_EQ(2, CreateDirectoryPath("", false));
  // A file where a folder should be is not a folder.
  PutFile(base + "\\plain", "x");
  DWORD start = GetTickCount();
  EXPECT_EQ(1, CreateDirectoryPath((base + "\\plain").c_str(), true));
  EXPECT_GE(GetTickCount() - start, 80u);  // the pause that was asked for
  EXPECT_EQ(1, CreateDirectoryPath((base + "\\plain\\sub").c_str(), false));

  EXPECT_EQ(0, TestFolderWritable((base + "\\a\\").c_str()));
  EXPECT_FALSE(FileExists(base + "\\a\\ORVWriteTest.tmp"));
  EXPECT_EQ(0, TestFolderWritable((base + "\\new\\folder").c_str()));
  EXPECT_TRUE(FileExists(base + "\\new\\folder"));
  EXPECT_EQ(1, TestFolderWritable((base + "\\plain").c_str()));
}

TEST(DataFiles, SpecialFolders) {
  char path[kPathChars];
  GetSpecialFolderPath(CSIDL_APPDATA, path);
  EXPECT_NE('\0', path[0]);
  EXPECT_TRUE(GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY);
  GetSpecialFolderPath(0x7F, path);
  EXPECT_STREQ("", path);
}

}  // namespace
