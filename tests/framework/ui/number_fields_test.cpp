// Number fields: the readers' status and range rules, and the written form.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/ui/number_fields.h"

namespace {

TEST(NumberFields, IntegersTheirStatusAndRange) {
  const struct {
    const char* text;
    bool strict;
    int32_t value;
    int status;
  } cases[] = {
      {"42", true, 42, 0},      {" 7", true, 7, 0},       {"12x", true, -5, 61455},
      {"12x", false, 12, 0},    {"", false, -5, 61454},   {"abc", false, -5, 61455},
      {"-", false, -5, 61455},  {"500", true, 100, 0},    {"-50", true, -5, 0},
      {"99999999999", true, 100, 0}, {"-99999999999", true, -5, 0},
  };
  for (const auto& c : cases) {
    int status = -1;
    EXPECT_EQ(c.value, ParseIntegerField(c.text, -5, 100, c.strict, &status)) << c.text;
    EXPECT_EQ(c.status, status) << c.text;
  }
  // A reader takes 31 characters: "1" then 30 zeros is cut to 31 characters
  // and stays a number.
  char longText[64];
  memset(longText, '0', sizeof(longText));
  longText[0] = '1';
  longText[40] = '\0';
  int status = -1;
  EXPECT_EQ(100, ParseIntegerField(longText, -5, 100, true, &status));
  EXPECT_EQ(0, status);
}

TEST(NumberFields, DecimalsReadEitherSeparator) {
  const struct {
    const char* text;
    bool strict;
    double value;
    int status;
  } cases[] = {
      {"1,5", true, 1.5, 0},   {"1.5", true, 1.5, 0},   {"12x", false, 12, 0},
      {"12x", true, 0, 61455}, {"", false, 0, 61454},   {"abc", false, 0, 61455},
      {"1e300", true, 1000, 0}, {"-3", true, 0, 0},     {".25", true, 0.25, 0},
      {"nan", false, 0, 61455},
  };
  // The native runtime converts with "."; both "," and "." become it.
  for (const auto& c : cases) {
    int status = -1;
    EXPECT_DOUBLE_EQ(c.value, ParseDoubleField(c.text, 0, 1000, c.strict, '.', &status)) << c.text;
    EXPECT_EQ(c.status, status) << c.text;
  }
}

TEST(NumberFields, DecimalsAreWrittenShortInTheUsersNotation) {
  const struct {
    double value;
    char separator;
    const char* text;
  } cases[] = {
      {2.0, ',', "2"},     {2.5, ',', "2,5"},     {2.5, '.', "2.5"},   {-0.0001, '.', "0"},
      {0.125, ',', "0,125"}, {10.0, '.', "10"},   {-1.25, ',', "-1,25"}, {0.0005, '.', "0.001"},
  };
  for (const auto& c : cases) {
    char text[kDoubleFieldChars];
    FormatDoubleField(c.value, c.separator, text, sizeof(text));
    EXPECT_STREQ(c.text, text) << c.value;
  }
  char huge[kDoubleFieldChars];
  FormatDoubleField(1e300, '.', huge, sizeof(huge));
  EXPECT_EQ(301u, strlen(huge));  // every digit, nothing cut
  EXPECT_EQ('1', huge[0]);
}

}  // namespace
