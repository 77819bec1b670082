// The profiles menu's lists from stored levels: the given shapes by hand,
// then random level sequences against the rule that every profile is in
// exactly one list and every head opens a list of its own.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "app/profiles/profile_menu.h"

namespace {

using Ids = std::vector<uint16_t>;

// The lists of a layout, split at their ends.
std::vector<Ids> Lists(const ProfileMenuLayout& layout) {
  std::vector<Ids> lists(1);
  for (uint16_t id : layout.ids) {
    if (id == 0xFFFF) lists.emplace_back();
    else lists.back().push_back(id);
  }
  lists.pop_back();
  return lists;
}

std::vector<ProfileMenuEntry> Entries(const std::vector<int32_t>& levels,
                                      const std::vector<int32_t>& indexes = {}) {
  std::vector<ProfileMenuEntry> entries;
  for (size_t i = 0; i < levels.size(); ++i)
    entries.push_back({indexes.empty() ? int32_t(i) : indexes[i], levels[i]});
  return entries;
}

TEST(ProfileMenu, ListsForGivenLevels) {
  struct Case {
    std::vector<int32_t> levels, indexes;
    std::vector<Ids> lists;
  };
  const Case cases[] = {
      {{}, {}, {{3580, 3590}}},
      {{1, 2, 2, 1}, {}, {{0, 3, 61440, 3570, 3580, 3590}, {1, 2}}},
      {{1, 3}, {}, {{0, 61440, 3570, 3580, 3590}, {1}}},          // a jump stays reachable
      {{2, 2}, {}, {{0, 61440, 3570, 3580, 3590}, {1}}},          // the first is at the top
      {{0, 1, 200}, {}, {{0, 1, 61440, 3570, 3580, 3590}, {2}}},
      {{1, 2, 3, 2, 1}, {}, {{0, 4, 61440, 3570, 3580, 3590}, {1, 3}, {2}}},
      {{1, 2, 1}, {0, 2, 5}, {{0, 5, 61440, 3570, 3580, 3590}, {2}}},  // skipped indexes
  };
  for (const Case& c : cases) {
    ProfileMenuLayout layout = LayoutProfileMenu(Entries(c.levels, c.indexes));
    EXPECT_EQ(c.lists, Lists(layout));
    ASSERT_EQ(c.lists.size() - 1, layout.heads.size());
    // Each head's list starts where the layout says.
    for (size_t h = 0; h < layout.heads.size(); ++h)
      EXPECT_EQ(c.lists[h + 1][0], layout.ids[layout.heads[h].start]);
  }
}

TEST(ProfileMenu, EveryProfileReachableOnce) {
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    std::vector<int32_t> levels(random() % 40);
    for (int32_t& level : levels) level = int32_t(random() % 6);
    ProfileMenuLayout layout = LayoutProfileMenu(Entries(levels));
    std::vector<Ids> lists = Lists(layout);
    ASSERT_EQ(layout.heads.size() + 1, lists.size());
    std::map<uint16_t, int> seen;
    for (const Ids& list : lists)
      for (uint16_t id : list)
        if (id < 2048) ++seen[id];
    for (size_t i = 0; i < levels.size(); ++i) EXPECT_EQ(1, seen[uint16_t(i)]) << i;
    EXPECT_EQ(levels.size(), seen.size());
    // A head is reachable itself and opens a non-empty list.
    for (size_t h = 0; h < layout.heads.size(); ++h) {
      EXPECT_FALSE(lists[h + 1].empty());
      EXPECT_EQ(1, seen[uint16_t(layout.heads[h].index)]);
    }
  }
}

}  // namespace
