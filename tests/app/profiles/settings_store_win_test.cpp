// The settings on disk: sections saved by one process and loaded by another,
// texts that lack keys, the older layouts converted once, damaged and
// held-open files left alone, and a saver killed at any moment. The record
// sets and older files come from settings_oracle.py, which afterwards reads
// the saved and converted sections with unzip.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "app/profiles/settings_keys.h"
#include "app/profiles/settings_store.h"
#include "framework/settings/data_folder.h"
#include "framework/settings/section_files.h"
#include "tests/app/profiles/record_set.h"
#include "tests/framework/settings/data_file_test_util.h"

namespace {

// Starts the helper process with `arguments`; Wine now and then refuses a
// start right after a killed process, so it tries a few times.
bool StartSaver(const std::string& arguments, PROCESS_INFORMATION* pi) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string exe = self;
  exe = exe.substr(0, exe.rfind('\\') + 1) + "settings_saver_child.exe";
  std::string command = "\"" + exe + "\" " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi))
      return true;
    Sleep(100);
  }
  return false;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string SetFolder(const char* name) { return TestOutputPath(std::string("sets\\") + name); }

template <class T>
std::string FirstDifference(const T& got, const T& want) {
  const uint8_t* g = reinterpret_cast<const uint8_t*>(&got);
  const uint8_t* w = reinterpret_cast<const uint8_t*>(&want);
  for (size_t i = 0; i < sizeof(T); ++i)
    if (g[i] != w[i]) return "first difference at byte " + std::to_string(i);
  return "";
}

#define EXPECT_SAME_RECORD(got, want) EXPECT_EQ("", FirstDifference(got, want))

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder(std::string("data_") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_TRUE(SetDataFolder(folder_.c_str()));
    ResetRecords();
  }

  // The defaults at 96 dpi, as the fixture step computes them.
  static void ResetRecords() { ResetProgramRecords(kDefaultScreenDpi); }

  std::string Path(const std::string& file) const { return folder_ + "\\" + file + ".kzc"; }

  // The decrypted text of a section file.
  std::string SectionText(const char* name, int index) {
    CSettingsExchange ex;
    ex.Open(0, "");
    int32_t n = ReadBlobFromArchive(&ex, "%s", index, 0, name);
    return n > 0 ? std::string(reinterpret_cast<char*>(ex.text.data), n) : std::string();
  }

  std::string folder_;
};

TEST_F(SettingsStore, EverySectionHoldsTheKeysAndValuesOfItsTable) {
  ASSERT_EQ(0, SaveSettings());
  ProfileRecord profile = gProfileTemplate;
  ASSERT_TRUE(SerializeProfile(1, kProfileSection, 0, &profile));
  std::string keys = TestOutputPath("keys");
  CreateDirectoryA(keys.c_str(), nullptr);
  for (const char* name : {"Options", "SysProf", "Profile0", "StiEvents"})
    ASSERT_TRUE(CopyFileA(Path(name).c_str(), (keys + "\\" + name + ".kzc").c_str(), FALSE)) << name;
  EXPECT_EQ(std::vector<unsigned char>(4, 0), FileBytes(Path("CurrentProfile")));
}

TEST_F(SettingsStore, AnotherProcessLoadsEverySavedFieldBack) {
  RecordSet a;
  ASSERT_TRUE(ReadRecordSet(SetFolder("A"), &a)) << "settings_oracle.py fixtures did not run";
  PROCESS_INFORMATION pi;
  ASSERT_TRUE(StartSaver(Quoted(folder_) + " save " + Quoted(SetFolder("A")), &pi));
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(0u, code);

  ASSERT_EQ(0, LoadSettings());
  EXPECT_SAME_RECORD(gOptions, a.options);
  EXPECT_SAME_RECORD(gSysProfile, a.sysProfile);
  EXPECT_EQ(a.current, giCurrentProfile);
  for (int i = 0; i < kStiEventCount; ++i) EXPECT_SAME_RECORD(gaStiEvent[i], a.events[i]) << i;
  for (int i = 0; i < kSetProfiles; ++i) {
    ProfileRecord profile;
    memset(&profile, 0xCC, sizeof profile);
    ASSERT_TRUE(SerializeProfile(0, kProfileSection, i, &profile));
    EXPECT_SAME_RECORD(profile, a.profiles[i]) << i;
  }

  // Saved again, every section decrypts to the same text.
  std::vector<std::string> before;
  const std::pair<const char*, int> sections[] = {{kOptionsSection, -1}, {kSysProfileSection, -1},
                                                  {kStiEventsSection, -1}, {kProfileSection, 2}};
  for (auto& s : sections) before.push_back(SectionText(s.first, s.second));
  ASSERT_EQ(0, SaveSettings());
  ProfileRecord second;
  ASSERT_TRUE(SerializeProfile(0, kProfileSection, 2, &second));
  ASSERT_TRUE(SerializeProfile(1, kProfileSection, 2, &second));
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_FALSE(before[i].empty());
    EXPECT_EQ(before[i], SectionText(sections[i].first, sections[i].second)) << sections[i].first;
  }
}

// Writes a section text of the given lines.
void WriteSection(const char* name, int index, const char* prefix,
                  const std::vector<std::pair<std::string, std::string>>& lines) {
  CSettingsExchange ex;
  ex.Open(1, prefix);
  for (auto& line : lines) ex.WriteLine(line.first.c_str(), line.second.c_str());
  ASSERT_GT(WriteBlobToArchive(&ex, "%s", index, 0, name), 0);
}

TEST_F(SettingsStore, MissingKeysKeepTheTemplate) {
  const std::string longName(40, 'n');
  struct Case {
    std::vector<std::pair<std::string, std::string>> lines;
    void (*change)(ProfileRecord*);
  } cases[] = {
      {{{"szName", "Only a name"}}, [](ProfileRecord* p) { strcpy(p->szName, "Only a name"); }},
      {{{"szDPHeader[3]", "fourth"}, {"szDPHeader[2]", "third"}},
       [](ProfileRecord* p) { strcpy(p->szDPHeader[2], "third"); }},
      {{{"szName", longName}}, [](ProfileRecord* p) { memset(p->szName, 'n', 31); }},
      // Values no dialog produces come back as the nearest ones it does.
      {{{"iICNumRCol", "40"}, {"iTxtOvlRPos", "12"}, {"iLevel", "0"}},
       [](ProfileRecord* p) {
         p->iICNumRCol = 16;
         p->iLevel = 1;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0].first);
    WriteSection(kProfileSection, 5, kProfileKeyPrefix, c.lines);
    ProfileRecord got, want = gProfileTemplate;
    memset(&got, 0xCC, sizeof got);
    c.change(&want);
    ASSERT_TRUE(SerializeProfile(0, kProfileSection, 5, &got));
    EXPECT_SAME_RECORD(got, want);
  }

  // The system profile always shows the program's pages, whatever was stored
  // and also when nothing was.
  gSysProfile.ulSteps = 1;
  EXPECT_EQ(4, LoadSettings());
  EXPECT_EQ(kSysProfileSteps, gSysProfile.ulSteps);
  WriteSection(kSysProfileSection, -1, kProfileKeyPrefix, {{"ulSteps", "0x00000001"}});
  EXPECT_EQ(3, LoadSettings());
  EXPECT_EQ(kSysProfileSteps, gSysProfile.ulSteps);
}

TEST_F(SettingsStore, OlderLayoutsAreConvertedOnce) {
  struct Case {
    const char* fixture;
    const char* section;
    int index;
  } cases[] = {
      {"options_blob", kOptionsSection, -1}, {"options_raw", kOptionsSection, -1},
      {"profile_blob", kProfileSection, 3},  {"profile_raw", kSysProfileSection, -1},
      {"sti_blob", kStiEventsSection, -1},   {"sti_raw", kStiEventsSection, -1},
  };
  std::string converted = TestOutputPath("old_converted");
  CreateDirectoryA(converted.c_str(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    ResetRecords();
    std::string file = c.index < 0 ? c.section : c.section + std::to_string(c.index);
    std::string old = TestOutputPath(std::string("old\\") + c.fixture);
    ASSERT_TRUE(CopyFileA((old + ".kzc").c_str(), Path(file).c_str(), FALSE));
    std::vector<unsigned char> expect = FileBytes(old + ".expect");
    // Loaded twice: converted from the older file, then read from the
    // archive that the conversion wrote.
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<unsigned char> got;
      if (c.section == kOptionsSection) {
        ASSERT_TRUE(SerializeOptions(0));
        got.assign(reinterpret_cast<uint8_t*>(&gOptions), reinterpret_cast<uint8_t*>(&gOptions + 1));
        ResetRecords();
      } else if (c.section == kStiEventsSection) {
        ASSERT_TRUE(SerializeStiEvents(0));
        got.assign(reinterpret_cast<uint8_t*>(gaStiEvent), reinterpret_cast<uint8_t*>(gaStiEvent + kStiEventCount));
        InitStiEvents(gaStiEvent);
      } else {
        ProfileRecord profile;
        memset(&profile, 0xCC, sizeof profile);
        ASSERT_TRUE(SerializeProfile(0, c.section, c.index, &profile));
        got.assign(reinterpret_cast<uint8_t*>(&profile), reinterpret_cast<uint8_t*>(&profile + 1));
      }
      EXPECT_TRUE(got == expect) << "pass " << pass;
      std::vector<unsigned char> now = FileBytes(Path(file));
      ASSERT_GE(now.size(), 4u);
      EXPECT_EQ(0, memcmp(now.data(), "PK\3\4", 4)) << "pass " << pass;
    }
    ASSERT_TRUE(CopyFileA(Path(file).c_str(), (converted + "\\" + c.fixture + ".kzc").c_str(), FALSE));
  }
}

TEST_F(SettingsStore, DamagedSectionsLoadNothingAndAreNotSavedOver) {
  ASSERT_EQ(0, SaveSettings());
  ProfileRecord profile = gProfileTemplate;
  ASSERT_TRUE(SerializeProfile(1, kProfileSection, 1, &profile));
  const std::vector<unsigned char> good = FileBytes(Path("Options"));
  std::mt19937 rng(104);
  std::vector<unsigned char> junk(700);
  for (unsigned char& b : junk) b = static_cast<unsigned char>(rng());
  ASSERT_GT(good.size(), 100u);
  std::vector<unsigned char> flipped = good;
  flipped[good.size() / 2] ^= 0x40;
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    bool keptAtSave;  // an empty file holds nothing to keep
  } cases[] = {
      {"truncated", std::vector<unsigned char>(good.begin(), good.begin() + good.size() * 3 / 5), true},
      {"flipped", flipped, true},
      {"wrong password", FileBytes(TestOutputPath("damaged\\wrong_password.kzc")), true},
      {"junk", junk, true},
      {"empty", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.keptAtSave == !c.bytes.empty());
    for (const char* file : {"Options", "Profile1"}) {
      std::string path = Path(file);
      HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, h);
      DWORD written;
      WriteFile(h, c.bytes.data(), DWORD(c.bytes.size()), &written, nullptr);
      CloseHandle(h);
    }
    ResetRecords();
    gOptions.iTool = 6;
    const OptionsRecord before = gOptions;
    EXPECT_FALSE(SerializeOptions(0));
    EXPECT_SAME_RECORD(gOptions, before);
    ProfileRecord sentinel;
    memset(&sentinel, 0x5A, sizeof sentinel);
    ProfileRecord loaded = sentinel;
    EXPECT_FALSE(SerializeProfile(0, kProfileSection, 1, &loaded));
    EXPECT_SAME_RECORD(loaded, sentinel);
    // Still a stored profile: the list of profiles goes on past it.
    EXPECT_TRUE(SerializeProfile(0, kProfileSection, 1, nullptr));
    EXPECT_FALSE(SerializeProfile(0, kProfileSection, 7, nullptr));

    EXPECT_EQ(c.keptAtSave ? kSettingsNotSaved : 0, SaveSettings());
    EXPECT_EQ(c.keptAtSave, !SerializeProfile(1, kProfileSection, 1, &profile));
    if (c.keptAtSave) {
      EXPECT_TRUE(FileBytes(Path("Options")) == c.bytes);
      EXPECT_TRUE(FileBytes(Path("Profile1")) == c.bytes);
    } else {
      ResetRecords();
      EXPECT_TRUE(SerializeOptions(0));
      EXPECT_EQ(6, gOptions.iTool);
    }
    // The other sections were saved all the same.
    EXPECT_EQ(std::vector<unsigned char>(4, 0), FileBytes(Path("CurrentProfile")));
  }
}

TEST_F(SettingsStore, SectionHeldOpenAtLoadIsNeverSavedOver) {
  gOptions.iTool = 7;
  ASSERT_EQ(0, SaveSettings());
  const std::vector<unsigned char> stored = FileBytes(Path("Options"));
  ResetRecords();
  HANDLE held = CreateFileA(Path("Options").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(1, LoadSettings());
  EXPECT_EQ(0, gOptions.iTool);
  CloseHandle(held);
  EXPECT_EQ(kSettingsNotSaved, SaveSettings());
  EXPECT_TRUE(FileBytes(Path("Options")) == stored);
  // Once it can be read again it loads, and saving works as before.
  EXPECT_EQ(0, LoadSettings());
  EXPECT_EQ(7, gOptions.iTool);
  EXPECT_EQ(0, SaveSettings());
}

TEST_F(SettingsStore, ReadOnlySectionsFailTheSaveAndStay) {
  ASSERT_EQ(0, SaveSettings());
  std::vector<std::vector<unsigned char>> before;
  const char* files[] = {"Options", "SysProf", "CurrentProfile", "StiEvents"};
  for (const char* f : files) {
    before.push_back(FileBytes(Path(f)));
    SetFileAttributesA(Path(f).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  gOptions.iTool = 3;
  giCurrentProfile = 4;
  EXPECT_EQ(kSettingsNotSaved, SaveSettings());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_TRUE(FileBytes(Path(files[i])) == before[i]) << files[i];
    SetFileAttributesA(Path(files[i]).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// The saver alternates between sets A and B and is killed anywhere after its
// first whole save; every section then loads as exactly A or exactly B.
TEST_F(SettingsStore, KilledSaverLeavesEverySectionWhole) {
  RecordSet sets[2];
  ASSERT_TRUE(ReadRecordSet(SetFolder("A"), &sets[0]));
  ASSERT_TRUE(ReadRecordSet(SetFolder("B"), &sets[1]));
  const char* names[] = {"Options", "SysProf", "CurrentProfile", "StiEvents",
                         "Profile0", "Profile1", "Profile2"};
  constexpr int kSections = 7;
  int seen[kSections][2] = {};
  std::mt19937 rng(3103);
  for (int round = 0; round < 60; ++round) {
    std::string event = "BwSettingsKill" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(round);
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    PROCESS_INFORMATION pi;
    // Odd rounds start with B: the saver finishes its first set before the
    // kill can come, so both sets are seen however slowly a loaded machine
    // lets it write, and the kill lands in the middle of the other one.
    const char* first = round & 1 ? "B" : "A";
    const char* second = round & 1 ? "A" : "B";
    ASSERT_TRUE(StartSaver(Quoted(folder_) + " alternate " + Quoted(SetFolder(first)) + " " +
                               Quoted(SetFolder(second)) + " " + event, &pi))
        << "round " << round;
    HANDLE waits[2] = {started, pi.hProcess};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 30000)) << "round " << round;
    Sleep(rng() % 40);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(started);

    ResetRecords();
    ASSERT_EQ(0, LoadSettings()) << "round " << round;
    ProfileRecord profiles[kSetProfiles];
    for (int i = 0; i < kSetProfiles; ++i)
      ASSERT_TRUE(SerializeProfile(0, kProfileSection, i, &profiles[i])) << "round " << round;
    for (int s = 0; s < 2; ++s) {
      const RecordSet& set = sets[s];
      bool same[kSections] = {
          memcmp(&gOptions, &set.options, sizeof gOptions) == 0,
          memcmp(&gSysProfile, &set.sysProfile, sizeof gSysProfile) == 0,
          giCurrentProfile == set.current,
          memcmp(gaStiEvent, set.events, sizeof gaStiEvent) == 0,
          memcmp(&profiles[0], &set.profiles[0], sizeof(ProfileRecord)) == 0,
          memcmp(&profiles[1], &set.profiles[1], sizeof(ProfileRecord)) == 0,
          memcmp(&profiles[2], &set.profiles[2], sizeof(ProfileRecord)) == 0,
      };
      for (int i = 0; i < kSections; ++i) seen[i][s] += same[i];
    }
    for (int i = 0; i < kSections; ++i)
      ASSERT_EQ(1, seen[i][0] + seen[i][1] - round) << names[i] << " is neither A nor B, round " << round;
  }
  for (int i = 0; i < kSections; ++i) {
    EXPECT_GT(seen[i][0], 10) << names[i];
    EXPECT_GT(seen[i][1], 10) << names[i];
  }
}

}  // namespace
