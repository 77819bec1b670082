#include "app/profiles/settings_store.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/profiles/legacy_settings.h"
#include "app/profiles/settings_keys.h"
#include "framework/settings/data_files.h"
#include "framework/settings/data_path.h"
#include "framework/settings/section_files.h"

const char kOptionsSection[] = "Options";
const char kSysProfileSection[] = "SysProf";
const char kProfileSection[] = "Profile";
const char kStiEventsSection[] = "StiEvents";
const char kCurrentProfileSection[] = "CurrentProfile";

namespace {

// Section files of the user's data folder.
constexpr int kUserFolder = 0;

// Whether a data file is there, readable or not (another program may hold
// it open).
bool DataFileExists(const char* name, int index) {
  char path[kPathChars];
  if (!GetDataFilePath(name, index, path, kUserFolder)) return false;
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Sections whose file exists but could not be loaded in this run: held open
// by another program, a damaged archive, or bytes of no known layout. The
// user's settings may still be in that file, so this run never writes over
// it; the defaults stay in memory.
std::vector<std::string> gProtectedSections;

std::string SectionId(const char* name, int index) {
  return index == kNoIndex ? std::string(name) : std::string(name) + std::to_string(index);
}

bool IsProtected(const char* name, int index) {
  std::string id = SectionId(name, index);
  for (const std::string& s : gProtectedSections)
    if (_stricmp(s.c_str(), id.c_str()) == 0) return true;
  return false;
}

void SetProtected(const char* name, int index, bool on) {
  std::string id = SectionId(name, index);
  for (size_t i = 0; i < gProtectedSections.size(); ++i) {
    if (_stricmp(gProtectedSections[i].c_str(), id.c_str()) == 0) {
      if (!on) gProtectedSections.erase(gProtectedSections.begin() + i);
      return;
    }
  }
  if (on) gProtectedSections.push_back(id);
}

template <class Record>
using ExchangeFn = int (*)(CSettingsExchange*, Record*);

template <class Record>
bool SaveRecord(const char* name, int index, const char* prefix, ExchangeFn<Record> exchange,
                Record* record) {
  if (IsProtected(name, index)) return false;
  CSettingsExchange ex;
  ex.Open(1, prefix);
  exchange(&ex, record);
  return WriteBlobToArchive(&ex, "%s", index, kUserFolder, name) >= 0;
}

// The section from its archive, else from the older layout (then saved in the
// current form). `scratch` holds what fields without a stored value keep.
// 1 loaded, 0 no such file, -1 a file that could not be loaded.
template <class Record>
int ReadRecord(const char* name, int index, const char* prefix, ExchangeFn<Record> exchange,
               void (*sanitize)(Record*), bool (*importOld)(CDataBlob*, Record*),
               Record* scratch) {
  CSettingsExchange ex;
  ex.Open(0, prefix);
  int32_t result = ReadBlobFromArchive(&ex, "%s", index, kUserFolder, name);
  if (result >= 0) {
    exchange(&ex, scratch);
    sanitize(scratch);
    return 1;
  }
  // Only -1 ("no archive here": missing, or the older layout) goes on; a
  // damaged archive, or one that cannot be read now, is never taken for the
  // older layout.
  if (result != -1) return -1;
  CDataBlob blob;
  int32_t size = ReadBlobFile(&blob, "%s", index, kUserFolder, name);
  if (size == 0) return 0;  // absent or empty
  if (size < 0) return -1;  // there, but not readable now
  if (!importOld(&blob, scratch)) return -1;
  sanitize(scratch);
  return SaveRecord(name, index, prefix, exchange, scratch) ? 1 : -1;
}

template <class Record>
bool LoadRecord(const char* name, int index, const char* prefix, ExchangeFn<Record> exchange,
                void (*sanitize)(Record*), bool (*importOld)(CDataBlob*, Record*),
                Record* scratch) {
  SetProtected(name, index, false);
  int read = ReadRecord(name, index, prefix, exchange, sanitize, importOld, scratch);
  SetProtected(name, index, read < 0);
  return read > 0;
}

bool LoadCurrentProfileIndex() {
  int32_t value = 0;
  int got = ReadDataFileChecked(kCurrentProfileSection, kNoIndex, &value, sizeof value, kUserFolder);
  bool loaded = got == static_cast<int>(sizeof value);
  // Absent or empty: nothing to keep. Unreadable now, or too short: kept.
  SetProtected(kCurrentProfileSection, kNoIndex, !loaded && got != 0);
  if (loaded) giCurrentProfile = SanitizeProfileIndex(value);
  return loaded;
}

bool SaveCurrentProfileIndex() {
  if (IsProtected(kCurrentProfileSection, kNoIndex)) return false;
  int32_t value = giCurrentProfile;
  return WriteDataFile(kCurrentProfileSection, kNoIndex, &value, sizeof value, kUserFolder) ==
         static_cast<int>(sizeof value);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultScreenDpi;
}

}  // namespace

bool SerializeOptions(int save) {
  if (save) return SaveRecord(kOptionsSection, kNoIndex, kOptionsKeyPrefix, ExchangeOptions, &gOptions);
  OptionsRecord scratch = gOptions;
  if (!LoadRecord(kOptionsSection, kNoIndex, kOptionsKeyPrefix, ExchangeOptions, SanitizeOptions,
                  ImportOldOptions, &scratch))
    return false;
  gOptions = scratch;
  return true;
}

bool SerializeProfile(int save, const char* section, int index, ProfileRecord* record) {
  if (save) return record && SaveRecord(section, index, kProfileKeyPrefix, ExchangeProfile, record);
  if (!record) return DataFileExists(section, index);
  ProfileRecord scratch = gProfileTemplate;
  if (!LoadRecord(section, index, kProfileKeyPrefix, ExchangeProfile, SanitizeProfile,
                  ImportOldProfile, &scratch))
    return false;
  *record = scratch;
  return true;
}

bool SerializeStiEvents(int save) {
  if (save) return SaveRecord(kStiEventsSection, kNoIndex, kStiEventsKeyPrefix, ExchangeStiEvents, gaStiEvent);
  StiEvent scratch[kStiEventCount];
  memcpy(scratch, gaStiEvent, sizeof scratch);
  if (!LoadRecord(kStiEventsSection, kNoIndex, kStiEventsKeyPrefix, ExchangeStiEvents,
                  SanitizeStiEvents, ImportOldStiEvents, scratch))
    return false;
  memcpy(gaStiEvent, scratch, sizeof scratch);
  return true;
}

int LoadSettings() {
  int failed = 0;
  failed += !SerializeOptions(0);
  failed += !SerializeProfile(0, kSysProfileSection, kNoIndex, &gSysProfile);
  gSysProfile.ulSteps = kSysProfileSteps;
  failed += !LoadCurrentProfileIndex();
  failed += !SerializeStiEvents(0);
  CopyOptionsToDrawBar(gOptions, &gDrawBarValues);
  return failed;
}

int SaveSettings() {
  CopyDrawBarToOptions(gDrawBarValues, &gOptions);
  bool options = SerializeOptions(1);
  bool system = SerializeProfile(1, kSysProfileSection, kNoIndex, &gSysProfile);
  // A write that failed ends the save; a protected section was only left
  // alone, and the other sections are still saved.
  if ((!options && !IsProtected(kOptionsSection, kNoIndex)) ||
      (!system && !IsProtected(kSysProfileSection, kNoIndex)))
    return kSettingsNotSaved;
  bool current = SaveCurrentProfileIndex();
  bool events = SerializeStiEvents(1);
  return options && system && current && events ? 0 : kSettingsNotSaved;
}

void InitProgramRecords() { ResetProgramRecords(ScreenDpi()); }
