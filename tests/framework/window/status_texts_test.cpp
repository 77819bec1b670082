// The status-part rules.
#include <gtest/gtest.h>

#include <string>

#include "framework/window/status_texts.h"

namespace {

TEST(StatusTexts, ShownTextFollowsThePartRules) {
  // Each step: part, text (null clears), then the text shown and the count.
  struct Step {
    int part;
    const char* text;
    const char* shown;
    int count;
  } steps[] = {
      {-3, "Ready", "Ready", 1},
      {-2, "Ready", "Ready", 2},
      {5, "Saving", "Saving", 3},
      {-1, "Main", "Main", 4},          // part -1 wins over the last record
      {-2, "Hover", "Main", 4},
      {-2, nullptr, "Main", 3},         // part 5 still there: -1 stays
      {5, "", "Ready", 1},              // only negative parts left: -1 goes too
      {-2, "Hover", "Hover", 2},
      {-1, "Main", "Main", 3},
      {-2, nullptr, "Ready", 1},        // -3 and -1 left: -1 goes, -3 shows
      {-2, nullptr, "Ready", 1},        // clearing what is not there changes nothing
      {7, "100% %s %n.png", "100% %s %n.png", 2},
  };
  CStatusTexts texts;
  for (const Step& s : steps) {
    ASSERT_TRUE(texts.Set(s.part, s.text));
    SCOPED_TRACE(s.part);
    ASSERT_NE(nullptr, texts.Shown());
    EXPECT_STREQ(s.shown, texts.Shown());
    EXPECT_EQ(s.count, texts.Count());
  }
}

TEST(StatusTexts, LongTextsAreCutAndCleared) {
  CStatusTexts texts;
  std::string longText(5000, 'x');
  ASSERT_TRUE(texts.Set(3, longText.c_str()));
  EXPECT_EQ(size_t(kStatusTextChars - 1), strlen(texts.Get(3)));
  ASSERT_TRUE(texts.Set(3, "short"));
  EXPECT_STREQ("short", texts.Get(3));
  ASSERT_TRUE(texts.Set(3, nullptr));
  EXPECT_EQ(nullptr, texts.Shown());
  EXPECT_EQ(0, texts.Count());
}

}  // namespace
