#include "framework/settings/section_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "tests/framework/settings/data_file_test_util.h"

namespace {

void SaveSample(CSettingsExchange* ex, int seed) {
  ex->Open(1, "gOptions.");
  for (int i = 0; i < 32; ++i) {
    char name[32];
    snprintf(name, sizeof name, "Profile %d-%d", seed, i);
    ex->String(name, 32, "gOptions.hkHotkey[xi].szName", i);
  }
  float width = 12.0f;
  ex->Float(&width, "&gOptions.fMonWidth");
}

std::string TextOf(const CSettingsExchange& ex) {
  return std::string(reinterpret_cast<const char*>(ex.text.data), ex.text.count);
}

TEST(SectionFiles, WriteAndReadBackThroughTheDataFolder) {
  std::string folder = FreshFolder("sections");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  CSettingsExchange out;
  SaveSample(&out, 1);
  int32_t size = WriteBlobToArchive(&out, "%s", -1, 0, "Options");
  ASSERT_GT(size, 0);
  EXPECT_EQ(static_cast<size_t>(size), FileBytes(folder + "\\Options.kzc").size());
  EXPECT_FALSE(FileExists(folder + "\\Options.kzc_tmp"));
  ASSERT_GT(WriteBlobToArchive(&out, "Pro%s", 2, 0, "file"), 0);
  EXPECT_TRUE(FileExists(folder + "\\Profile2.kzc"));

  CSettingsExchange in;
  ASSERT_EQ(out.text.count, ReadBlobFromArchive(&in, "Options", -1, 0));
  EXPECT_EQ(TextOf(out), TextOf(in));
  EXPECT_EQ(1, in.iNumber);
  in.iPrefixLength = 9;
  char name[32];
  ASSERT_EQ(0, in.String(name, 32, "gOptions.hkHotkey[xi].szName", 31));
  EXPECT_STREQ("Profile 1-31", name);
  EXPECT_EQ(-1, ReadBlobFromArchive(&in, "Missing", -1, 0));
  EXPECT_EQ(0, in.text.count);  // nothing of the section read before stays
  ASSERT_GT(ReadBlobFromArchive(&in, "Options", -1, 0), 0);
  // Held open without sharing by another program: there, but not readable
  // now, which a loader must not take for "nothing saved".
  HANDLE held = CreateFileA((folder + "\\Options.kzc").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(kSectionUnreadable, ReadBlobFromArchive(&in, "Options", -1, 0));
  EXPECT_EQ(0, in.text.count);
  CDataBlob blob(16);
  EXPECT_EQ(kSectionUnreadable, ReadBlobFile(&blob, "Options", -1, 0));
  EXPECT_EQ(0, blob.count);
  CloseHandle(held);
  EXPECT_EQ(static_cast<int32_t>(FileBytes(folder + "\\Options.kzc").size()),
            ReadBlobFile(&blob, "Options", -1, 0));

  // The copy the checkers read (unzip, zipinfo, od), written by the file path.
  std::vector<unsigned char> file = FileBytes(folder + "\\Options.kzc");
  std::string expected = TextOf(out);
  HANDLE h = CreateFileA(TestOutputPath("Options.kzc").c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD written;
  WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
  CloseHandle(h);
  PutFile(TestOutputPath("Options.expected"), expected);
}

// Every way a section write can fail leaves the section saved before.
TEST(SectionFiles, FailedWriteKeepsThePreviousSection) {
  std::string folder = FreshFolder("sections_failed");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  CSettingsExchange first;
  SaveSample(&first, 1);
  ASSERT_GT(WriteBlobToArchive(&first, "Options", -1, 0), 0);
  std::string path = folder + "\\Options.kzc";
  std::vector<unsigned char> before = FileBytes(path);
  enum Way { kReadOnly, kHeldOpen, kLostLine };
  struct {
    Way way;
    int32_t result;
  } ways[] = {{kReadOnly, -3}, {kHeldOpen, -3}, {kLostLine, -1}};
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    CSettingsExchange second;
    SaveSample(&second, 2);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (w.way == kReadOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    if (w.way == kHeldOpen)  // a reader that keeps it open past the replace's wait
      held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
    if (w.way == kLostLine) {
      uint8_t field = 0;
      second.Binary(&field, 0x7FFFFFF0, "lfTooLarge");
    }
    EXPECT_EQ(w.result, WriteBlobToArchive(&second, "Options", -1, 0));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(before, FileBytes(path));
    EXPECT_FALSE(FileExists(path + "_tmp"));
    CSettingsExchange in;
    ASSERT_GT(ReadBlobFromArchive(&in, "Options", -1, 0), 0);
    EXPECT_EQ(TextOf(first), TextOf(in));
  }
}

// Sections from another zip tool and damaged ones (make_section_fixtures.py).
TEST(SectionFiles, ForeignAndDamagedFilesOnDisk) {
  std::string folder = TestOutputPath("foreign_data");
  ASSERT_TRUE(FileExists(folder + "\\Options.kzc")) << "fixture missing";
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  CSettingsExchange in;
  ASSERT_GT(ReadBlobFromArchive(&in, "Options", -1, 0), 0);
  int32_t tool = 0;
  EXPECT_EQ(0, in.Int(&tool, "iTool"));
  EXPECT_EQ(3, tool);
  struct {
    const char* name;
    int32_t expected;
  } bad[] = {{"WrongPassword", -4}, {"Noise", -1}, {"Truncated", -1}, {"Flipped", -4}};
  for (const auto& b : bad) {
    std::string path = folder + "\\" + b.name + ".kzc";
    std::vector<unsigned char> before = FileBytes(path);
    ASSERT_FALSE(before.empty()) << b.name;
    EXPECT_EQ(b.expected, ReadBlobFromArchive(&in, "%s", -1, 0, b.name)) << b.name;
    EXPECT_EQ(0, in.text.count) << b.name;
    EXPECT_EQ(before, FileBytes(path)) << b.name;
  }
}

TEST(SectionFiles, OlderBlobFilesReadRaw) {
  std::string folder = FreshFolder("blobs");
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  // Record 0, field 5: a 2-byte key, 1-byte sub-key, 1-byte length.
  const unsigned char raw[] = {0x16, 0x00, 0x00, 0x05, 0x03, 'a', 'b', 'c'};
  ASSERT_EQ(8, WriteDataFile("Options", -1, raw, 8, 0));
  CDataBlob blob(16);
  ASSERT_EQ(8, ReadBlobFile(&blob, "Options", -1, 0));
  char value[4] = {};
  EXPECT_EQ(3, ReadBlobRecord(&blob, 0, 5, value, 4));
  EXPECT_STREQ("abc", value);
  EXPECT_EQ(0, ReadBlobFile(&blob, "Absent", -1, 0));
  EXPECT_EQ(0, blob.count);
  EXPECT_EQ(nullptr, blob.data);
}

}  // namespace
