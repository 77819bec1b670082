// The records' defaults and sanitizers, checked outside by records_oracle.py
// against the record tables: this test writes the default records at two
// screen resolutions and every fixture record after its sanitizer.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/profiles/program_records.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

template <class T>
void Dump(const std::string& name, const T& record) {
  ASSERT_TRUE(WriteWholeFile(TestOutputPath(name), &record, sizeof(record))) << name;
}

TEST(ProgramRecords, DefaultsAtTwoScreenResolutions) {
  for (int dpi : {96, 144}) {
    OptionsRecord options;
    ProfileRecord profile;
    memset(&options, 0xCC, sizeof options);
    memset(&profile, 0xCC, sizeof profile);
    InitDefaultOptions(&options, dpi);
    InitProfileTemplate(&profile, dpi);
    Dump("defaults_options_" + std::to_string(dpi) + ".bin", options);
    Dump("defaults_template_" + std::to_string(dpi) + ".bin", profile);
    if (dpi == kDefaultScreenDpi) {
      // The globals hold the defaults before anything runs.
      EXPECT_EQ(0, memcmp(&options, &gOptions, sizeof options));
      EXPECT_EQ(0, memcmp(&profile, &gProfileTemplate, sizeof profile));
      EXPECT_EQ(0, memcmp(&profile, &gSysProfile, sizeof profile));
    }
  }
}

// The fixture step lists its records in records_in/list.txt.
std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  std::ifstream list(TestOutputPath("records_in/list.txt"));
  for (std::string name; std::getline(list, name);) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

// Each fixture through its sanitizer; a valid record must come out as it went
// in, and every record must keep its size.
TEST(ProgramRecords, SanitizersOnHostileAndValidRecords) {
  std::vector<std::string> names = FixtureNames();
  ASSERT_GE(names.size(), 40u) << "records_oracle.py fixtures did not run";
  std::string out = TestOutputPath("records_out");
  for (const std::string& name : names) {
    std::vector<uint8_t> bytes = ReadWholeFile(TestOutputPath("records_in/" + name));
    std::vector<uint8_t> before = bytes;
    if (name.rfind("options_", 0) == 0) {
      ASSERT_EQ(sizeof(OptionsRecord), bytes.size()) << name;
      SanitizeOptions(reinterpret_cast<OptionsRecord*>(bytes.data()));
    } else if (name.rfind("profile_", 0) == 0) {
      ASSERT_EQ(sizeof(ProfileRecord), bytes.size()) << name;
      SanitizeProfile(reinterpret_cast<ProfileRecord*>(bytes.data()));
    } else {
      ASSERT_EQ(sizeof(StiEvent) * kStiEventCount, bytes.size()) << name;
      SanitizeStiEvents(reinterpret_cast<StiEvent*>(bytes.data()));
    }
    if (name.find("_valid_") != std::string::npos) {
      EXPECT_EQ(before, bytes) << name;
    }
    ASSERT_TRUE(WriteWholeFile(out + "/" + name, bytes.data(), bytes.size()));
  }
  EXPECT_EQ(0, SanitizeProfileIndex(-7));
  EXPECT_EQ(12, SanitizeProfileIndex(12));
}

}  // namespace
