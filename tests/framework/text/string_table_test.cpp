#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "framework/text/string_table.h"

namespace {

std::vector<uint16_t> IdsOf(const TextRecord* table) {
  std::vector<uint16_t> ids;
  for (; table->wId != kTextTableEnd; ++table) ids.push_back(table->wId);
  return ids;
}

void ExpectSortedAndUnique(const TextRecord* table) {
  std::vector<uint16_t> ids = IdsOf(table);
  EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<uint16_t>()) ==
              ids.end());
}

// Every variant of every record answers with its own pointer.
void ExpectAllResolve(const CStringTable& strings, const TextRecord* table) {
  for (; table->wId != kTextTableEnd; ++table)
    for (int v = 0; v < kTextVariants; ++v)
      EXPECT_EQ(table->apszText[v], strings.GetText(table->wId, v)) << table->wId << "/" << v;
}

TextRecord gProgramTexts[] = {
    {300, {"three hundred", nullptr, "status 300"}},
    {100, {"one hundred"}},
    {200, {"two hundred", "short 200"}},
    {kTextTableEnd, {}},
};

}  // namespace

TEST(StringTable, FrameworkTableIsSortedAndEveryTextResolves) {
  CStringTable strings;
  ExpectSortedAndUnique(gFrameworkTexts);
  ExpectAllResolve(strings, gFrameworkTexts);
  EXPECT_STREQ("Ready", strings.GetText(61444, 0));
  EXPECT_STREQ("Update Check", strings.GetText(61452, 11));
  EXPECT_STREQ("No", strings.GetText(61952, 5));
  EXPECT_EQ(nullptr, strings.GetText(61452, 7));
  EXPECT_EQ(nullptr, strings.GetText(61446, 0));  // between two present ids
  EXPECT_STREQ("English", strings.GetLanguageName(0));
  EXPECT_STREQ("Deutsch", strings.GetLanguageName(1));
}

TEST(StringTable, WindowMenuHasLabelAndStatusText) {
  CStringTable strings;
  std::vector<uint16_t> ids = {61712, 61713, 61728};
  for (uint16_t first : {61729, 61744, 61760, 61776, 61792}) {
    uint16_t last = first == 61729 ? 61732 : first == 61744 ? 61751 : first == 61760 ? 61762
                  : first == 61776 ? 61782 : 61803;
    for (uint16_t id = first; id <= last; ++id) ids.push_back(id);
  }
  for (uint16_t id : ids) {
    const char* label = strings.GetText(id, 0);
    const char* status = strings.GetText(id, 2);
    ASSERT_TRUE(label && *label) << id;
    ASSERT_TRUE(status && *status) << id;
  }
  EXPECT_STREQ("Ghost", strings.GetText(61803, 0));
  EXPECT_STREQ("Let the mouse click through the window", strings.GetText(61803, 2));
}

TEST(StringTable, ProgramTableLookups) {
  CStringTable strings;
  EXPECT_EQ(nullptr, strings.GetText(100, 0));  // nothing installed yet
  ASSERT_EQ(0, strings.SetLanguageTable(0, gProgramTexts));
  ExpectSortedAndUnique(gProgramTexts);
  ExpectAllResolve(strings, gProgramTexts);
  EXPECT_EQ(nullptr, strings.GetText(150, 0));
  EXPECT_EQ(nullptr, strings.GetText(50, 0));
  EXPECT_EQ(nullptr, strings.GetText(400, 0));
  EXPECT_EQ(nullptr, strings.GetText(kTextTableEnd, 0));
  EXPECT_EQ(nullptr, strings.GetText(100, 16));
  EXPECT_EQ(nullptr, strings.GetText(100, -1));
}

TEST(StringTable, LanguagesFallBackAndBadIndexesAreRefused) {
  CStringTable strings;
  EXPECT_EQ(kStatusBadLanguage, strings.SetLanguageTable(2, gProgramTexts));
  EXPECT_EQ(kStatusBadLanguage, strings.SetLanguageTable(-1, gProgramTexts));
  EXPECT_EQ(nullptr, strings.GetText(100, 0));
  ASSERT_EQ(0, strings.SetLanguageTable(0, gProgramTexts));
  EXPECT_EQ(kStatusBadLanguage, strings.SetLanguage(2));
  EXPECT_EQ(kStatusBadLanguage, strings.SetLanguage(-1));
  EXPECT_EQ(0, strings.GetLanguage());
  // Language 1 has no tables: both kinds of texts come from language 0.
  ASSERT_EQ(0, strings.SetLanguage(1));
  EXPECT_STREQ("two hundred", strings.GetText(200, 0));
  EXPECT_STREQ("Ready", strings.GetText(61444, 0));
  // Patching needs the current language's own table.
  strings.SetText(200, 0, "patched");
  EXPECT_STREQ("two hundred", strings.GetText(200, 0));
}

TEST(StringTable, InstalledTablesKeepTheirOwnCounts) {
  static TextRecord big[21];
  static TextRecord one[] = {{5, {"five"}}, {kTextTableEnd, {}}};
  for (int i = 0; i < 20; ++i) big[i] = TextRecord{uint16_t(1000 - i), {"big"}};
  big[20].wId = kTextTableEnd;
  CStringTable strings;
  ASSERT_EQ(0, strings.SetLanguageTable(0, big));
  ASSERT_EQ(0, strings.SetLanguageTable(1, one));
  ASSERT_EQ(0, strings.SetLanguageTable(0, one));  // the first install stays
  EXPECT_STREQ("big", strings.GetText(1000, 0));
  EXPECT_STREQ("big", strings.GetText(981, 0));
  EXPECT_EQ(nullptr, strings.GetText(5, 0));
  strings.SetLanguage(1);
  EXPECT_STREQ("five", strings.GetText(5, 0));
  EXPECT_EQ(nullptr, strings.GetText(1000, 0));
}

TEST(StringTable, NullTableMeansLanguageZerosAndSetTextPatches) {
  static TextRecord texts[] = {{7, {"seven"}}, {3, {"three"}}, {kTextTableEnd, {}}};
  CStringTable strings;
  ASSERT_EQ(0, strings.SetLanguageTable(1, nullptr));  // nothing to share yet
  ASSERT_EQ(0, strings.SetLanguageTable(0, texts));
  ASSERT_EQ(0, strings.SetLanguageTable(1, nullptr));
  strings.SetLanguage(1);
  strings.SetText(7, 3, "tip");
  strings.SetText(8, 0, "unknown");
  strings.SetText(7, 16, "bad variant");
  EXPECT_STREQ("tip", strings.GetText(7, 3));
  strings.SetLanguage(0);
  EXPECT_STREQ("tip", strings.GetText(7, 3));  // the same table object
  EXPECT_EQ(nullptr, strings.GetText(8, 0));
}

TEST(SortTextTable, SortsWholeRecordsOfAnySize) {
#pragma pack(push, 1)
  struct Small {
    uint16_t id;
    char tag[5];
  };
#pragma pack(pop)
  std::mt19937 rng(3);
  for (int n = 0; n < 30; ++n) {
    std::vector<Small> table;
    std::set<uint16_t> used;
    while (int(table.size()) < n) {
      uint16_t id = uint16_t(rng() % 5000);
      if (!used.insert(id).second) continue;
      Small s{id, {}};
      snprintf(s.tag, sizeof(s.tag), "%u", unsigned(id % 10000));
      table.push_back(s);
    }
    table.push_back(Small{kTextTableEnd, {'e', 'n', 'd', 0, 0}});
    ASSERT_EQ(n, SortTextTable(table.data(), sizeof(Small)));
    for (int i = 0; i < n; ++i) {
      unsigned id = table[i].id;  // packed: read by value
      if (i > 0) {
        EXPECT_LT(unsigned(table[i - 1].id), id);
      }
      char expect[5];
      snprintf(expect, sizeof(expect), "%u", id % 10000);
      EXPECT_STREQ(expect, table[i].tag);  // the record moved whole
    }
    EXPECT_STREQ("end", table[n].tag);
  }
}
