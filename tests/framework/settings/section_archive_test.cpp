#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/settings/section_files.h"
#include "framework/zip/zip.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

const char kPassword[] = "Kq7vRtp2WzLm9e";

std::string Line(const std::string& key, const std::string& value) {
  return key + "=" + value + std::string("\0\r\n", 3);
}

std::string SampleText() {
  std::string text;
  for (int i = 0; i < 40; ++i)
    text += Line("hkHotkey[" + std::to_string(i % 32) + "].szName", "Profile " + std::to_string(i));
  text += Line("fMonWidth", "12.0") + Line("lfFont", std::string(120, 'A'));
  return text;
}

std::string TextOf(const CSettingsExchange& ex) {
  return std::string(reinterpret_cast<const char*>(ex.text.data), ex.text.count);
}

std::vector<uint8_t> Build(const std::string& text, int number = 1) {
  CSettingsExchange ex;
  ex.Open(number, "");
  ex.SetText(text.data(), static_cast<int32_t>(text.size()));
  uint8_t* archive = nullptr;
  int32_t size = BuildSectionArchive(&ex, &archive);
  EXPECT_GT(size, 0);
  std::vector<uint8_t> bytes(archive, archive + (size > 0 ? size : 0));
  FreeSectionArchive(archive);
  return bytes;
}

int32_t Parse(const std::vector<uint8_t>& bytes, CSettingsExchange* ex) {
  return ParseSectionArchive(ex, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void WriteFileBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f) << path;
  ASSERT_EQ(size, fwrite(data, 1, size, f));
  fclose(f);
}

TEST(SectionArchive, RoundTripKeepsTextAndNumber) {
  std::string text = SampleText();
  std::vector<uint8_t> archive = Build(text, 1);
  // Deflated and encrypted: the text must not show in the archive.
  EXPECT_EQ(std::string::npos,
            std::string(archive.begin(), archive.end()).find("Profile 1"));
  EXPECT_LT(archive.size(), text.size());
  CSettingsExchange ex;
  ex.iNumber = 99;
  ASSERT_EQ(static_cast<int32_t>(text.size()), Parse(archive, &ex));
  EXPECT_EQ(text, TextOf(ex));
  EXPECT_EQ(1, ex.iNumber);
  EXPECT_EQ(0, ex.iLastHit);
  char value[32];
  EXPECT_EQ(0, ex.String(value, sizeof value, "hkHotkey[xi].szName", 5));
  EXPECT_STREQ("Profile 5", value);

  CSettingsExchange other;
  ASSERT_GT(Parse(Build(text, 7), &other), 0);
  EXPECT_EQ(7, other.iNumber);  // the entry's name
}

TEST(SectionArchive, WritesTheFileThatTheCheckersRead) {
  std::string text = SampleText();
  std::vector<uint8_t> archive = Build(text);
  WriteFileBytes(TestOutputPath("Options.kzc"), archive.data(), archive.size());
  WriteFileBytes(TestOutputPath("Options.expected"), text.data(), text.size());
}

TEST(SectionArchive, DamagedArchivesAreRefusedWithoutCrashing) {
  std::string text = SampleText();
  std::vector<uint8_t> good = Build(text);
  CSettingsExchange ex;
  // Every truncation.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    std::vector<uint8_t> part(good.begin(), good.begin() + cut);
    int32_t r = ParseSectionArchive(&ex, part.data(), static_cast<uint32_t>(cut));
    ASSERT_TRUE(r == -1 || r == -4) << "cut " << cut << " gave " << r;
  }
  // Every single flipped byte either fails or still gives the very text.
  for (size_t at = 0; at < good.size(); ++at) {
    std::vector<uint8_t> bad = good;
    bad[at] ^= 0x5A;
    int32_t r = Parse(bad, &ex);
    if (r >= 0)
      ASSERT_EQ(text, TextOf(ex)) << "flip at " << at;
    else
      ASSERT_TRUE(r >= -4 && r <= -1) << "flip at " << at << " gave " << r;
  }
  // Random bytes.
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> noise(1 + rng() % 600);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());
    EXPECT_EQ(-1, Parse(noise, &ex));
  }
  EXPECT_EQ(-1, ParseSectionArchive(&ex, nullptr, 0));
}

TEST(SectionArchive, WrongPasswordHugeSizeAndEmptyArchive) {
  std::string text = SampleText();
  CSettingsExchange ex;
  {
    std::vector<uint8_t> block(text.size() + 256);
    ZipHandle zip = ZipCreateMemory(block.data(), static_cast<uint32_t>(block.size()), "other");
    ASSERT_NE(nullptr, zip);
    ASSERT_EQ(ZIP_OK, ZipAddMemory(zip, "1", text.data(), static_cast<uint32_t>(text.size())));
    void* image;
    uint32_t size;
    ASSERT_EQ(ZIP_OK, ZipGetImage(zip, &image, &size));
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + size);
    ZipCloseWriter(zip);
    EXPECT_EQ(-4, Parse(bytes, &ex));
    EXPECT_EQ(0, ex.text.count);
  }
  {
    std::vector<uint8_t> bytes = Build(text);
    // The central header declares an entry of 2 GiB.
    std::string s(bytes.begin(), bytes.end());
    size_t central = s.find(std::string("PK\x01\x02", 4));
    ASSERT_NE(std::string::npos, central);
    const uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0x7F};
    memcpy(&bytes[central + 24], huge, 4);
    EXPECT_EQ(-3, Parse(bytes, &ex));
  }
  {
    std::vector<uint8_t> block(256);
    ZipHandle zip = ZipCreateMemory(block.data(), 256, kPassword);
    void* image;
    uint32_t size;
    ASSERT_EQ(ZIP_OK, ZipGetImage(zip, &image, &size));
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + size);
    ZipCloseWriter(zip);
    EXPECT_EQ(-2, Parse(bytes, &ex));
  }
}

// Text that does not compress (bytes of every value but 0) still fits the
// archive's block, at sizes where a fixed allowance for headers ran out.
TEST(SectionArchive, IncompressibleTextIsStored) {
  std::mt19937 rng(11);
  for (size_t size : {size_t(64) << 10, size_t(700) << 10, size_t(2) << 20}) {
    CSettingsExchange ex;
    ex.Open(1, "");
    std::string value(60000, ' ');
    for (size_t i = 0; ex.text.count < static_cast<int32_t>(size); ++i) {
      for (char& c : value) c = static_cast<char>(1 + rng() % 255);
      ex.String(&value[0], static_cast<int>(value.size()) + 1, "v[xi]", static_cast<int>(i));
    }
    uint8_t* archive = nullptr;
    int32_t built = BuildSectionArchive(&ex, &archive);
    ASSERT_GT(built, ex.text.count) << size;  // it did not compress
    CSettingsExchange back;
    EXPECT_EQ(ex.text.count, ParseSectionArchive(&back, archive, static_cast<uint32_t>(built)));
    EXPECT_EQ(TextOf(ex), TextOf(back));
    FreeSectionArchive(archive);
  }
}

// A text that lost a line while it was saved (here a value larger than any
// section) is never stored; the next pass starts whole again.
TEST(SectionArchive, IncompleteTextIsNotStored) {
  CSettingsExchange ex;
  ex.Open(1, "");
  int32_t kept = 1;
  uint8_t field = 0;
  EXPECT_EQ(0, ex.Int(&kept, "iKept"));
  EXPECT_FALSE(ex.bFailed);
  EXPECT_EQ(0, ex.Binary(&field, 0x7FFFFFF0, "lfHuge"));
  EXPECT_TRUE(ex.bFailed);
  uint8_t* archive = &field;
  EXPECT_EQ(-1, BuildSectionArchive(&ex, &archive));
  EXPECT_EQ(nullptr, archive);
  ex.Open(1, "");
  EXPECT_FALSE(ex.bFailed);
  EXPECT_EQ(0, ex.Int(&kept, "iKept"));
  EXPECT_GT(BuildSectionArchive(&ex, &archive), 0);
  FreeSectionArchive(archive);
}

// Sections made by another zip tool (see make_section_fixtures.py).
TEST(SectionArchive, ForeignSectionsLoad) {
  std::vector<uint8_t> bytes = ReadWholeFile(TestOutputPath("foreign_shuffled.kzc"));
  ASSERT_FALSE(bytes.empty()) << "fixture missing";
  CSettingsExchange ex;
  ASSERT_GT(Parse(bytes, &ex), 0);
  EXPECT_EQ(1, ex.iNumber);
  ex.iPrefixLength = 9;  // "gOptions."
  int32_t delay = -1, tool = -1, missing = 1234;
  char name[33] = "default";
  float width = 0;
  EXPECT_EQ(0, ex.Int(&tool, "gOptions.iTool"));
  EXPECT_EQ(0, ex.Int(&delay, "gOptions.iCaptureDelay"));
  EXPECT_EQ(0, ex.Float(&width, "gOptions.fMonWidth"));
  EXPECT_EQ(-1, ex.Int(&missing, "gOptions.iUndoBufMB"));
  EXPECT_EQ(0, ex.String(name, sizeof name, "gOptions.hkHotkey[xi].szName", 3));
  EXPECT_EQ(3, tool);  // a value "\niTool=9" earlier in the text does not shadow it
  EXPECT_EQ(250, delay);
  EXPECT_EQ(33.5f, width);
  EXPECT_EQ(1234, missing);
  EXPECT_STREQ("Hotkey three", name);

  std::vector<uint8_t> stored = ReadWholeFile(TestOutputPath("foreign_stored.kzc"));
  ASSERT_FALSE(stored.empty());
  EXPECT_GT(Parse(stored, &ex), 0);
  EXPECT_EQ(-4, Parse(ReadWholeFile(TestOutputPath("foreign_wrong_password.kzc")), &ex));
}

}  // namespace
