#include "app/profiles/profile_list.h"

#include <windows.h>

#include <cstring>

#include "app/profiles/profile_menu.h"
#include "app/profiles/settings_store.h"
#include "framework/app/app_win.h"
#include "framework/settings/data_files.h"

namespace {

constexpr uint16_t kMiscTexts = 2110;
constexpr int kActiveProfileVariant = 4;

bool ValidIndex(int32_t index) { return index >= 0 && index < kMaxProfiles; }

const char* ActiveProfileName() {
  const char* text = gStringTable.GetText(kMiscTexts, kActiveProfileVariant);
  return text && *text ? text : "(Active profile)";
}

// The profile at index through a scratch record: the section loader already
// leaves the record alone on failure, but the caller's record may be one it
// reads (the template) while it loads.
bool ReadStoredProfile(int32_t index, ProfileRecord* record) {
  ProfileRecord scratch;
  if (!ValidIndex(index) || !SerializeProfile(0, kProfileSection, index, &scratch)) return false;
  *record = scratch;
  return true;
}

ProfileRecord DefaultProfile(const char* name, uint8_t mode) {
  ProfileRecord profile;
  InitNewProfile(&profile);
  memset(profile.szName, 0, sizeof profile.szName);
  strncpy(profile.szName, name, sizeof profile.szName - 1);
  profile.iSCMode = mode;
  return profile;
}

}  // namespace

void InitNewProfile(ProfileRecord* record) {
  // szDPPrinter and szSTSource stay the template's (empty) until the printer
  // and source lists name the defaults.
  *record = gProfileTemplate;
}

bool ProfileFileExists(int32_t index) {
  return ValidIndex(index) && SerializeProfile(0, kProfileSection, index, nullptr);
}

uint32_t LoadProfileByIndex(int32_t index, ProfileRecord* record) {
  if (!record) return kProfileNoRecord;
  if (!ReadStoredProfile(index, record)) return kProfileNotLoaded;
  if (record == &gCurrentProfile) {
    int32_t previous = giCurrentProfile;
    giCurrentProfile = index;
    CheckCurrentProfile(previous);
  }
  return 0;
}

uint32_t LoadProfileByName(const char* name, ProfileRecord* record) {
  if (!record) return kProfileNoRecord;
  if (!name) return kProfileNameUnknown;
  if (strcmp(name, ActiveProfileName()) == 0) {
    if (record != &gCurrentProfile) *record = gCurrentProfile;
    return 0;
  }
  ProfileRecord scratch;
  for (int32_t index = 0; ProfileFileExists(index); ++index) {
    if (!ReadStoredProfile(index, &scratch) || _stricmp(scratch.szName, name) != 0) continue;
    return LoadProfileByIndex(index, record);
  }
  return kProfileNameUnknown;
}

uint32_t SaveProfileByIndex(int32_t index, const ProfileRecord* record) {
  if (!record || !ValidIndex(index)) return kProfileNotLoaded;
  ProfileRecord copy = *record;  // the store takes a writable record
  return SerializeProfile(1, kProfileSection, index, &copy) ? 0 : kProfileNotLoaded;
}

int32_t AppendProfile(const ProfileRecord* record) {
  if (!record) return -1;
  int32_t index = 0;
  while (ProfileFileExists(index)) ++index;
  if (!ValidIndex(index)) return -1;
  return SaveProfileByIndex(index, record) == 0 ? index : -1;
}

uint32_t CreateDefaultProfiles() {
  const ProfileRecord defaults[] = {DefaultProfile("Rectangle", 0), DefaultProfile("Screen", 3),
                                    DefaultProfile("Window", 1)};
  int32_t first = -1;
  for (const ProfileRecord& profile : defaults) {
    int32_t index = AppendProfile(&profile);
    if (first < 0) first = index;
  }
  BuildProfileMenu();
  return first < 0 ? kProfileNotLoaded : LoadProfileByIndex(first, &gCurrentProfile);
}

uint32_t LoadStartProfile() {
  if (!ProfileFileExists(0)) return CreateDefaultProfiles();
  if (LoadProfileByIndex(giCurrentProfile, &gCurrentProfile) == 0) return 0;
  for (int32_t index = 0; ProfileFileExists(index); ++index)
    if (LoadProfileByIndex(index, &gCurrentProfile) == 0) return 0;
  return CreateDefaultProfiles();
}

uint32_t ReadProfileFile(const char* path, ProfileRecord* record) {
  if (!record) return kProfileNoRecord;
  ProfileRecord scratch = *record;
  if (ReadFileToBuffer(path, &scratch, sizeof scratch) <= 0) return kProfileFileError;
  SanitizeProfile(&scratch);
  *record = scratch;
  return 0;
}

uint32_t WriteProfileFile(const char* path, const ProfileRecord* record) {
  if (!record || !path || !*path) return kProfileFileError;
  return WriteFileReplacing(path, record, sizeof *record) == int(sizeof *record)
             ? 0
             : kProfileFileError;
}
