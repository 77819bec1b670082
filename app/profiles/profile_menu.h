#pragma once
// The "Profile" menu: the stored profiles as command ids (the profile's
// index), nested by their levels, with the profile commands after them.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint16_t kEditProfileCommand = 3570;
constexpr uint16_t kNewProfileCommand = 3580;
constexpr uint16_t kOrganizeProfilesCommand = 3590;
constexpr uint16_t kProfileMenuCommand = 4030;
// The menu commands of a submenu head: a split entry (the main part runs the
// profile, the arrow opens its submenu) with its label; other profiles show
// only their label.
constexpr uint32_t kProfileHeadFlags = 0x1000080;
constexpr uint32_t kProfileItemFlags = 0x80;

struct ProfileMenuEntry {
  int32_t index;  // the stored index, also the command id
  int32_t level;  // as stored
};

struct ProfileMenuLayout {
  // Every list back to back, each ended by 0xFFFF: the top list first, then
  // one per submenu head in profile order.
  std::vector<uint16_t> ids;
  struct Head {
    int32_t index;
    size_t start;  // of its list in ids
  };
  std::vector<Head> heads;
};

// The lists for the profiles in list order. Levels are clamped to
// 1..previous + 1 here (the stored ones stay), so every profile is reachable
// even when a level jumps.
ProfileMenuLayout LayoutProfileMenu(const std::vector<ProfileMenuEntry>& profiles);

// Rebuilds the menu's commands from the stored profiles (Windows half):
// every command below 2048 goes, each readable profile comes back, the
// current profile checked; menu 4030, once it exists, shows the top list.
void BuildProfileMenu();
// The name of the profile with that index, for the menu's entry; "" when
// the menu has none.
const char* GetProfileMenuEntry(int32_t index);
// The top list (for the menu's owner), valid until the next rebuild.
const uint16_t* GetProfileMenuIds();
// Moves the check mark to giCurrentProfile.
void CheckCurrentProfile(int32_t previous);
