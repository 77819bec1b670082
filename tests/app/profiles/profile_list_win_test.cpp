// The stored profile list in a data folder of its own: the first start's
// defaults (read again by settings_oracle.py), damaged files that cost
// nothing else, appending, lookups by name, the menu's commands and check
// mark, and profile files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/profiles/profile_list.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/settings_store.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"
#include "framework/settings/data_folder.h"
#include "tests/framework/settings/data_file_test_util.h"
#include "tests/support/file_bytes.h"

namespace {

std::vector<uint16_t> TopList() {
  std::vector<uint16_t> ids;
  for (const uint16_t* id = GetProfileMenuIds(); *id != 0xFFFF; ++id) ids.push_back(*id);
  return ids;
}

std::vector<uint16_t> ListOf(uint16_t id) {
  std::vector<uint16_t> ids;
  CommandRecord* command = gApp.Command(id);
  if (!command || !command->data) return ids;
  for (const uint16_t* p = static_cast<const uint16_t*>(command->data); *p != 0xFFFF; ++p)
    ids.push_back(*p);
  return ids;
}

std::vector<int> ProfileCommands() {
  std::vector<int> ids;
  for (int id = 0; id < kMaxProfiles; ++id)
    if (gApp.FindCommand(uint16_t(id)) >= 0) ids.push_back(id);
  return ids;
}

bool Checked(int id) { return gApp.GetCommandFlags(uint16_t(id)) & kCommandChecked; }

ProfileRecord Named(const char* name, uint8_t level = 1) {
  ProfileRecord p;
  InitNewProfile(&p);
  memset(p.szName, 0, sizeof p.szName);
  strncpy(p.szName, name, sizeof p.szName - 1);
  p.iLevel = level;
  return p;
}

int32_t Append(const char* name, uint8_t level = 1) {
  ProfileRecord p = Named(name, level);
  return AppendProfile(&p);
}

class ProfileList : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gStringTable.SetLanguageTable(0, gProgramTexts); }
  void SetUp() override {
    folder_ = FreshFolder(std::string("data_") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_TRUE(SetDataFolder(folder_.c_str()));
    ResetProgramRecords(kDefaultScreenDpi);
    gApp.RemoveCommands(0, 0x10000);
    // A damaged file of an earlier test keeps its index from being saved
    // over for the rest of the run; a load of the absent file lifts that.
    ProfileRecord scratch;
    for (int i = 0; i < 8; ++i) SerializeProfile(0, kProfileSection, i, &scratch);
  }
  std::string Path(int index) const { return folder_ + "\\Profile" + std::to_string(index) + ".kzc"; }
  void Damage(int index) {
    const char junk[] = "PK\3\4 not an archive";
    ASSERT_TRUE(WriteWholeFile(Path(index), junk, sizeof junk));
  }
  std::string folder_;
};

// An empty folder: three defaults, the first current and checked. The
// section texts are read again by settings_oracle.py.
TEST_F(ProfileList, FirstStartMakesThreeDefaults) {
  BuildProfileMenu();
  EXPECT_EQ((std::vector<uint16_t>{3580, 3590}), TopList());
  ASSERT_EQ(0u, LoadStartProfile());
  EXPECT_STREQ("Rectangle", gCurrentProfile.szName);
  EXPECT_EQ(0, giCurrentProfile);
  EXPECT_EQ((std::vector<uint16_t>{0, 1, 2, 61440, 3570, 3580, 3590}), TopList());
  EXPECT_STREQ("Window", GetProfileMenuEntry(2));
  EXPECT_STREQ("", GetProfileMenuEntry(3));
  EXPECT_TRUE(Checked(0));
  EXPECT_FALSE(Checked(1));
  // A second start keeps them and makes nothing new.
  ResetProgramRecords(kDefaultScreenDpi);
  giCurrentProfile = 2;
  BuildProfileMenu();
  ASSERT_EQ(0u, LoadStartProfile());
  EXPECT_STREQ("Window", gCurrentProfile.szName);
  EXPECT_FALSE(ProfileFileExists(3));
  EXPECT_TRUE(Checked(2));
  EXPECT_FALSE(Checked(0));
}

// A damaged profile is stepped over and kept byte for byte; so are the ones
// behind it. Defaults come only when nothing is readable, after the files.
TEST_F(ProfileList, DamagedProfilesCostNothingElse) {
  ASSERT_EQ(0, AppendProfile(&gProfileTemplate));
  ASSERT_EQ(1, Append("One"));
  ASSERT_EQ(2, Append("Two"));
  Damage(0);
  std::vector<uint8_t> before[3];
  for (int i = 0; i < 3; ++i) before[i] = ReadWholeFile(Path(i));

  giCurrentProfile = 0;
  BuildProfileMenu();
  ASSERT_EQ(0u, LoadStartProfile());
  EXPECT_STREQ("One", gCurrentProfile.szName);
  EXPECT_EQ(1, giCurrentProfile);
  EXPECT_EQ((std::vector<uint16_t>{1, 2, 61440, 3570, 3580, 3590}), TopList());
  EXPECT_FALSE(ProfileFileExists(3));
  SaveSettings();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(before[i], ReadWholeFile(Path(i))) << i;

  Damage(1);
  Damage(2);
  for (int i = 0; i < 3; ++i) before[i] = ReadWholeFile(Path(i));
  ASSERT_EQ(0u, LoadStartProfile());
  EXPECT_STREQ("Rectangle", gCurrentProfile.szName);
  EXPECT_EQ(3, giCurrentProfile);
  EXPECT_TRUE(ProfileFileExists(5));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(before[i], ReadWholeFile(Path(i))) << i;
}

TEST_F(ProfileList, AppendTakesTheFirstFreeIndexAndStopsAtTheCommandRange) {
  EXPECT_EQ(-1, AppendProfile(nullptr));
  for (int i = 0; i < kMaxProfiles; ++i) {
    if (i == 1) continue;
    HANDLE h = CreateFileA(Path(i).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << i;
    CloseHandle(h);
  }
  EXPECT_EQ(1, AppendProfile(&gProfileTemplate));
  EXPECT_EQ(0u, ReadWholeFile(Path(0)).size());  // not written over
  EXPECT_EQ(-1, AppendProfile(&gProfileTemplate));
  EXPECT_FALSE(ProfileFileExists(kMaxProfiles));
  EXPECT_EQ(kProfileNotLoaded, SaveProfileByIndex(kMaxProfiles, &gProfileTemplate));
  EXPECT_EQ(kProfileNotLoaded, SaveProfileByIndex(-1, &gProfileTemplate));
}

TEST_F(ProfileList, LoadsByIndexAndByName) {
  ASSERT_EQ(0u, CreateDefaultProfiles());
  ProfileRecord scratch = Named("scratch");
  const ProfileRecord untouched = scratch;
  EXPECT_EQ(kProfileNotLoaded, LoadProfileByIndex(-1, &scratch));
  EXPECT_EQ(kProfileNotLoaded, LoadProfileByIndex(3, &scratch));
  EXPECT_EQ(0, memcmp(&scratch, &untouched, sizeof scratch));
  EXPECT_EQ(kProfileNoRecord, LoadProfileByIndex(0, nullptr));
  EXPECT_EQ(kProfileNoRecord, LoadProfileByName("Screen", nullptr));
  EXPECT_EQ(kProfileNameUnknown, LoadProfileByName("Nothing", &scratch));

  // A scratch record moves neither the current index nor the check mark.
  ASSERT_EQ(0u, LoadProfileByName("screen", &scratch));
  EXPECT_STREQ("Screen", scratch.szName);
  EXPECT_EQ(3, scratch.iSCMode);
  EXPECT_EQ(0, giCurrentProfile);
  EXPECT_TRUE(Checked(0));
  EXPECT_FALSE(Checked(1));

  ASSERT_EQ(0u, LoadProfileByName("WINDOW", &gCurrentProfile));
  EXPECT_EQ(2, giCurrentProfile);
  EXPECT_TRUE(Checked(2));
  EXPECT_FALSE(Checked(0));
  ASSERT_EQ(0u, LoadProfileByName("(Active profile)", &scratch));
  EXPECT_STREQ("Window", scratch.szName);
  EXPECT_EQ(kProfileNameUnknown, LoadProfileByName("(active profile)", &scratch));
}

// Levels nest entries under heads; a rebuild drops every old profile
// command and keeps the count.
TEST_F(ProfileList, MenuCommandsFollowTheStoredLevels) {
  const std::pair<const char*, uint8_t> stored[] = {{"A", 1}, {"B", 2}, {"C", 2}, {"D", 1}};
  for (auto& s : stored) ASSERT_GE(Append(s.first, s.second), 0);
  gApp.AddCommand(7, kItemButton, 0, 0, kTextDynamic, nullptr);  // of an earlier build
  BuildProfileMenu();
  EXPECT_EQ((std::vector<uint16_t>{0, 3, 61440, 3570, 3580, 3590}), TopList());
  EXPECT_EQ((std::vector<uint16_t>{1, 2}), ListOf(0));
  EXPECT_EQ(kProfileHeadFlags | kCommandEnabled | kCommandAdded, gApp.GetCommandFlags(0) & ~kCommandChecked);
  EXPECT_EQ(kProfileItemFlags | kCommandEnabled | kCommandAdded, gApp.GetCommandFlags(1));
  EXPECT_EQ(kTextDynamic, gApp.Command(1)->text);
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), ProfileCommands());
  BuildProfileMenu();
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), ProfileCommands());
  EXPECT_STREQ("C", GetProfileMenuEntry(2));
}

// A profile file is the raw record: a short one fills only its bytes, and a
// write that cannot land keeps the old file.
TEST_F(ProfileList, ProfileFilesAreTheRawRecord) {
  const std::string path = folder_ + "\\Pattern Shot.bwp";
  ProfileRecord written = Named("Pattern Shot");
  written.iSCMode = 4;
  written.iDSType = 4;
  ASSERT_EQ(0u, WriteProfileFile(path.c_str(), &written));
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  ASSERT_EQ(sizeof written, bytes.size());
  EXPECT_EQ(0, memcmp(bytes.data(), &written, sizeof written));

  ProfileRecord read = Named("before");
  read.iDSType = 2;
  const std::string shortPath = folder_ + "\\short.bwp";
  ASSERT_TRUE(WriteWholeFile(shortPath, bytes.data(), 100));
  ASSERT_EQ(0u, ReadProfileFile(shortPath.c_str(), &read));
  EXPECT_STREQ("Pattern Shot", read.szName);
  EXPECT_EQ(4, read.iSCMode);
  EXPECT_EQ(2, read.iDSType);  // beyond the 100 bytes

  // Hostile bytes come out sanitized.
  std::vector<uint8_t> hostile(sizeof(ProfileRecord), 0xFF);
  ASSERT_TRUE(WriteWholeFile(shortPath, hostile.data(), hostile.size()));
  ASSERT_EQ(0u, ReadProfileFile(shortPath.c_str(), &read));
  EXPECT_EQ('\0', read.szName[sizeof read.szName - 1]);
  EXPECT_LE(read.iICNumRCol, 16);

  EXPECT_EQ(kProfileFileError, ReadProfileFile((folder_ + "\\missing.bwp").c_str(), &read));
  ASSERT_TRUE(WriteWholeFile(shortPath, "", 0));
  EXPECT_EQ(kProfileFileError, ReadProfileFile(shortPath.c_str(), &read));
  // A file that cannot be replaced keeps its bytes, and the error is told.
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  ProfileRecord other = Named("Other");
  EXPECT_EQ(kProfileFileError, WriteProfileFile(path.c_str(), &other));
  EXPECT_EQ(bytes, ReadWholeFile(path));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(kProfileFileError, WriteProfileFile(path.c_str(), nullptr));
}

}  // namespace
