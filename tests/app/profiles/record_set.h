#pragma once
// A whole set of the program's records as the fixture step writes them
// (settings_oracle.py: sets/A, sets/B), for the tests and their helper
// process: read from files, put into the program's records, saved.
#include <cstring>
#include <string>
#include <vector>

#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "tests/support/file_bytes.h"

constexpr int kSetProfiles = 3;

struct RecordSet {
  OptionsRecord options;
  ProfileRecord sysProfile;
  ProfileRecord profiles[kSetProfiles];
  StiEvent events[kStiEventCount];
  int32_t current;
};

template <class T>
bool ReadRecordFile(const std::string& path, T* record, size_t size = sizeof(T)) {
  std::vector<uint8_t> bytes = ReadWholeFile(path);
  if (bytes.size() != size) return false;
  memcpy(record, bytes.data(), size);
  return true;
}

inline bool ReadRecordSet(const std::string& setFolder, RecordSet* set) {
  const std::string folder = setFolder + "\\";
  bool ok = ReadRecordFile(folder + "options.bin", &set->options) &&
            ReadRecordFile(folder + "sysprof.bin", &set->sysProfile) &&
            ReadRecordFile(folder + "sti.bin", set->events, sizeof(set->events)) &&
            ReadRecordFile(folder + "current.bin", &set->current);
  for (int i = 0; i < kSetProfiles; ++i)
    ok = ok && ReadRecordFile(folder + "profile" + std::to_string(i) + ".bin", &set->profiles[i]);
  return ok;
}

// Into the program's records and the draw bar, then SaveSettings and the
// profiles; true when everything was written.
inline bool SaveRecordSet(const RecordSet& set) {
  gOptions = set.options;
  gSysProfile = set.sysProfile;
  giCurrentProfile = set.current;
  memcpy(gaStiEvent, set.events, sizeof(gaStiEvent));
  CopyOptionsToDrawBar(gOptions, &gDrawBarValues);
  bool ok = SaveSettings() == 0;
  for (int i = 0; i < kSetProfiles; ++i) {
    ProfileRecord profile = set.profiles[i];
    ok = SerializeProfile(1, kProfileSection, i, &profile) && ok;
  }
  return ok;
}
