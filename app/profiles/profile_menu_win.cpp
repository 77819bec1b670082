#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/profiles/profile_list.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "framework/app/app_win.h"
#include "framework/ui/command_table.h"

namespace {

// What the menu's commands point into: rebuilt whole, so that no command
// keeps a list of an earlier build.
ProfileMenuLayout gMenuLayout;
// The id lists of earlier builds: a menu item that is open or was opened
// keeps the list it was given, so a rebuild must not free it under the item.
// Moving a list keeps its storage where it is.
std::vector<std::vector<uint16_t>> gRetiredIds;
// The entry names by profile index ("" for an index the menu lacks).
std::vector<std::string> gMenuNames;

void RegisterProfileCommands(const std::vector<ProfileMenuEntry>& profiles) {
  size_t head = 0;
  for (const ProfileMenuEntry& p : profiles) {
    const uint16_t id = uint16_t(p.index);
    if (head < gMenuLayout.heads.size() && gMenuLayout.heads[head].index == p.index) {
      void* list = &gMenuLayout.ids[gMenuLayout.heads[head++].start];
      gApp.AddCommand(id, kItemMenu, kProfileHeadFlags, 0, kTextDynamic, list);
    } else {
      gApp.AddCommand(id, kItemButton, kProfileItemFlags, 0, kTextDynamic, nullptr);
    }
  }
}

}  // namespace

void BuildProfileMenu() {
  gApp.RemoveCommands(0, kMaxProfiles);
  gMenuNames.clear();
  std::vector<ProfileMenuEntry> profiles;
  ProfileRecord record;
  for (int32_t index = 0; ProfileFileExists(index); ++index) {
    gMenuNames.emplace_back();
    if (LoadProfileByIndex(index, &record) != 0) continue;  // unreadable: skipped, kept
    gMenuNames.back().assign(record.szName, strnlen(record.szName, sizeof record.szName));
    profiles.push_back({index, record.iLevel});
  }
  if (!gMenuLayout.ids.empty()) gRetiredIds.push_back(std::move(gMenuLayout.ids));
  gMenuLayout = LayoutProfileMenu(profiles);
  RegisterProfileCommands(profiles);
  if (CommandRecord* menu = gApp.Command(kProfileMenuCommand)) menu->data = gMenuLayout.ids.data();
  CheckCurrentProfile(-1);
}

const char* GetProfileMenuEntry(int32_t index) {
  if (index < 0 || size_t(index) >= gMenuNames.size()) return "";
  return gMenuNames[size_t(index)].c_str();
}

const uint16_t* GetProfileMenuIds() {
  if (gMenuLayout.ids.empty()) gMenuLayout = LayoutProfileMenu({});
  return gMenuLayout.ids.data();
}

void CheckCurrentProfile(int32_t previous) {
  if (previous >= 0 && previous < kMaxProfiles && previous != giCurrentProfile)
    gApp.CheckCommand(uint16_t(previous), false);
  if (giCurrentProfile >= 0 && giCurrentProfile < kMaxProfiles)
    gApp.CheckCommand(uint16_t(giCurrentProfile), true);
}
