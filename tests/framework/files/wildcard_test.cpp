#include "framework/files/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Wildcard, MatchesLongNamesIgnoringCase) {
  EXPECT_TRUE(MatchFileName("*.kzc", "Options.kzc"));
  EXPECT_TRUE(MatchFileName("*.kzc", "PROFILE3.KZC"));
  EXPECT_FALSE(MatchFileName("*.kzc", "Options.kzc_tmp"));
  EXPECT_FALSE(MatchFileName("*.kzc", "kzc"));
  EXPECT_TRUE(MatchFileName("(ORV)*", "(orv)App.kzc"));
  EXPECT_FALSE(MatchFileName("(ORV)*", "x(ORV)App.kzc"));
  EXPECT_TRUE(MatchFileName("a?c", "abc"));
  EXPECT_FALSE(MatchFileName("a?c", "ac"));
  EXPECT_TRUE(MatchFileName("*a*b*c*", "xxaxxbxxcxx"));
  EXPECT_FALSE(MatchFileName("*a*b*c", "xxaxxbxxcxx"));
  EXPECT_TRUE(MatchFileName("**", ""));
  EXPECT_FALSE(MatchFileName("?", ""));
  EXPECT_TRUE(MatchFileName("Profile*.kzc", "Profile12.kzc"));
  EXPECT_FALSE(MatchFileName("Profile*.kzc", "Profile12.kzc.bak"));
}

TEST(Wildcard, DotStarAlsoMatchesNamesWithoutExtension) {
  EXPECT_TRUE(MatchFileName("*.*", "README"));
  EXPECT_TRUE(MatchFileName("*.*", "a.b.c"));
  EXPECT_TRUE(MatchFileName("Init.*", "Init"));
  EXPECT_TRUE(MatchFileName("Init.*", "init.txt"));
  EXPECT_FALSE(MatchFileName("Init.*", "Initial"));
}

TEST(Wildcard, ManyStarsStayFast) {
  std::string name(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 50; ++i) pattern += "*a";
  pattern += "*b";
  EXPECT_FALSE(MatchFileName(pattern.c_str(), name.c_str()));
}

std::vector<std::string> Items(const char* list, int itemSize = 260) {
  std::vector<std::string> out;
  char item[260];
  for (const char* rest = list; (rest = NextListItem(rest, ';', item, itemSize)) != nullptr;)
    out.push_back(item);
  return out;
}

TEST(Wildcard, ListItemsSkipEmptyAndOversizedOnes) {
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), Items("a;b;"));
  EXPECT_EQ((std::vector<std::string>{"*.kzc", "(ORV)*"}), Items("*.kzc;(ORV)*"));
  EXPECT_EQ((std::vector<std::string>{"x", "y"}), Items(";;x;;y"));
  EXPECT_TRUE(Items("").empty());
  EXPECT_TRUE(Items(";").empty());
  EXPECT_EQ((std::vector<std::string>{"ab", "c"}), Items("ab;toolong;c", 4));
}

}  // namespace
