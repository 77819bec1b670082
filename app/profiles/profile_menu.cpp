#include "app/profiles/profile_menu.h"

#include "framework/ui/command_table.h"

namespace {

// Working levels: the first profile is at the top, and no profile sits more
// than one level below the one before it.
std::vector<int32_t> ClampedLevels(const std::vector<ProfileMenuEntry>& profiles) {
  std::vector<int32_t> levels;
  int32_t previous = 0;
  for (const ProfileMenuEntry& p : profiles) {
    int32_t level = p.level < 1 ? 1 : p.level > previous + 1 ? previous + 1 : p.level;
    levels.push_back(level);
    previous = level;
  }
  return levels;
}

}  // namespace

ProfileMenuLayout LayoutProfileMenu(const std::vector<ProfileMenuEntry>& profiles) {
  ProfileMenuLayout layout;
  const std::vector<int32_t> levels = ClampedLevels(profiles);
  const size_t n = profiles.size();
  for (size_t i = 0; i < n; ++i)
    if (levels[i] == 1) layout.ids.push_back(uint16_t(profiles[i].index));
  if (n > 0) {
    layout.ids.push_back(kSeparatorCommand);
    layout.ids.push_back(kEditProfileCommand);
  }
  layout.ids.push_back(kNewProfileCommand);
  layout.ids.push_back(kOrganizeProfilesCommand);
  layout.ids.push_back(kListEnd);

  for (size_t h = 0; h + 1 < n; ++h) {
    if (levels[h + 1] <= levels[h]) continue;
    layout.heads.push_back({profiles[h].index, layout.ids.size()});
    for (size_t i = h + 1; i < n && levels[i] > levels[h]; ++i)
      if (levels[i] == levels[h] + 1) layout.ids.push_back(uint16_t(profiles[i].index));
    layout.ids.push_back(kListEnd);
  }
  return layout;
}
