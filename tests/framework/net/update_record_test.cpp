// The update check's rules with a clock of the test's choosing: the stored
// record's normal form, when a check is due, how a version text is read
// (against a regular expression as the second opinion) and when a version
// is announced.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <regex>
#include <string>

#include "framework/net/update_record.h"

namespace {

UpdateCheckRecord Record(bool enabled, int32_t days, int64_t lastCheck) {
  UpdateCheckRecord record = {};
  record.bEnabled = enabled ? 1 : 0;
  record.iIntervalDays = days;
  record.llLastCheck = lastCheck;
  return record;
}

TEST(UpdateRecord, NormalFormAfterEveryRead) {
  struct Case {
    uint8_t enabled;
    int32_t days;
    uint8_t wantEnabled;
    int32_t wantDays;
  } cases[] = {
      {0, 0, 1, 7},        // a new, empty record: on, weekly
      {0, 3, 0, 7},        // too short, the switch left alone
      {1, -5, 1, 7},
      {1, 7, 1, 7},
      {0, 30, 0, 30},
      {1, 9999, 1, 9999},
      {1, 20000, 1, 9999},
      {1, INT32_MIN, 1, 7},
      {1, INT32_MAX, 1, 9999},
  };
  for (const Case& c : cases) {
    UpdateCheckRecord record = Record(c.enabled, c.days, 0);
    memset(record.szFetchedText, 'x', sizeof(record.szFetchedText));
    NormaliseUpdateRecord(&record);
    EXPECT_EQ(c.wantEnabled, record.bEnabled) << c.days;
    EXPECT_EQ(c.wantDays, record.iIntervalDays) << c.days;
    EXPECT_EQ(259u, strlen(record.szFetchedText));
  }
}

TEST(UpdateRecord, DueStrictlyAfterTheIntervalOrWhenTheClockWentBack) {
  const int64_t now = 1765238400 + 12345;  // any moment
  const int64_t day = kSecondsPerDay;
  struct Case {
    bool enabled;
    int32_t days;
    int64_t lastCheck;
    bool due;
  } cases[] = {
      {true, 7, now - 7 * day, false},       // exactly the interval
      {true, 7, now - 7 * day - 1, true},    // one second more
      {true, 7, 0, true},                    // never checked
      {false, 7, 0, false},                  // switched off
      {true, 30, now - 8 * day, false},
      {true, 9999, now - 9999 * day - 1, true},
      {true, 7, now, false},
      {true, 7, now + day, false},           // a day ahead: a time zone's worth
      {true, 7, now + 2 * day, true},        // further ahead: the clock was wrong
      {true, 7, INT64_MAX, true},
      {true, 7, INT64_MIN, true},
      {true, 3, now - 7 * day, false},       // an unnormalised interval counts as 7
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.due, IsUpdateCheckDue(Record(c.enabled, c.days, c.lastCheck), now))
        << c.days << " days, last check " << c.lastCheck;
}

TEST(UpdateRecord, StartOfDayIsTheDayBoundaryAtOrBefore) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 1000; ++i) {
    int64_t now = int64_t(random() % 4000000000ULL);
    int64_t day = StartOfDay(now);
    EXPECT_EQ(0, day % kSecondsPerDay);
    EXPECT_LE(day, now);
    EXPECT_GT(day + kSecondsPerDay, now);
  }
}

// The rule written as a regular expression, with the range checked apart.
bool OracleVersion(const std::string& text, VersionNumber* out) {
  static const std::regex pattern(
      "^(?:\xEF\xBB\xBF)?[ \t\r\n]*([0-9]{1,5})\\.([0-9]{1,5})\\.([0-9]{1,5})(?:[^0-9.][\\s\\S]*)?$");
  std::smatch match;
  if (!std::regex_match(text, match, pattern)) return false;
  long parts[3];
  for (int i = 0; i < 3; ++i) {
    parts[i] = std::stol(match[i + 1].str());
    if (parts[i] > 65535) return false;
  }
  *out = {uint16_t(parts[0]), uint16_t(parts[1]), uint16_t(parts[2])};
  return true;
}

TEST(UpdateRecord, VersionTextsReadAsTheRuleSays) {
  std::vector<std::string> texts = {
      "1.0.1", "1.0.1 released today", "3.19.0\nChanges: many", "\xEF\xBB\xBF" "1.0.1",
      "  \t1.2.3", "\r\n1.2.3\r\n", "", "garbage", "-1.0.1", "+1.0.1", "99999999999.1.1",
      "1.0", "1.0.", "1..1", "1.0.1.5", "1.0.1.", "1.0.123456", "65535.65535.65535",
      "65536.0.0", "00001.00002.00003", "<html><body>1.0.1</body></html>", "1.0.1-beta",
      "1.0.1a", "\xEF\xBB\xBF\xEF\xBB\xBF" "1.0.1", "1. 0.1", " 1.0.1", "1.0.1\0tail",
  };
  // And random texts over the characters that matter.
  std::mt19937 random(11);
  const char alphabet[] = "0123456789.. \tx-\xEF\xBB\xBF";
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    size_t length = random() % 16;
    for (size_t j = 0; j < length; ++j) text += alphabet[random() % (sizeof(alphabet) - 1)];
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    VersionNumber got = {1, 2, 3}, want = {};
    bool ok = ParseVersionText(text.data(), text.size(), &got);
    ASSERT_EQ(OracleVersion(text, &want), ok) << "\"" << text << "\"";
    if (!ok) continue;
    EXPECT_EQ(want.major, got.major) << text;
    EXPECT_EQ(want.minor, got.minor) << text;
    EXPECT_EQ(want.build, got.build) << text;
  }
}

TEST(UpdateRecord, ANewerVersionIsAnnouncedOnce) {
  const VersionNumber own = {1, 0, 0};
  std::string longText = "1.0.1 " + std::string(400, 'w');
  char cut[260];
  CopyFetchedText(reinterpret_cast<const uint8_t*>(longText.data()), int32_t(longText.size()), cut);
  EXPECT_EQ(259u, strlen(cut));
  struct Case {
    VersionNumber published;
    const char* stored;
    bool newer;
    bool announce;
  } cases[] = {
      {{1, 0, 1}, "", true, true},
      {{1, 0, 1}, "1.0.1 released today", true, false},
      {{1, 0, 1}, "1.0.1 released yesterday, with other words", true, false},
      {{1, 0, 1}, cut, true, false},  // stored cut at 259 characters
      {{1, 0, 2}, "1.0.1 released today", true, true},
      {{1, 0, 1}, "garbage", true, true},
      {{1, 0, 0}, "", false, false},
      {{0, 9, 9}, "", false, false},
      {{0, 99, 99}, "", false, false},
      {{1, 1, 0}, "", true, true},
      {{2, 0, 0}, "1.9.9", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.newer, IsNewerVersion(c.published, own)) << c.stored;
    EXPECT_EQ(c.announce, ShouldAnnounceVersion(c.published, own, c.stored)) << c.stored;
  }
}

TEST(UpdateRecord, FetchedTextEndsAtItsFirstZeroOrAt259Characters) {
  const uint8_t withZero[] = {'1', '.', '0', '.', '1', 0, 'x'};
  char out[260];
  memset(out, 'z', sizeof(out));
  CopyFetchedText(withZero, sizeof(withZero), out);
  EXPECT_STREQ("1.0.1", out);
  // The field goes to the file whole: no stale bytes after the text.
  EXPECT_EQ(std::string(255, '\0'), std::string(out + 5, 255));
  CopyFetchedText(withZero, 0, out);
  EXPECT_STREQ("", out);
}

}  // namespace
