// Helper process of the persistence tests. Arguments: a data folder, then
//   save <set folder>                 saves the set once (exit 0 when all was written)
//   alternate <set A> <set B> <event> saves A, B, A, ... until killed; sets
//                                     the event after the first whole save
#include <windows.h>

#include <string>

#include "framework/settings/data_folder.h"
#include "tests/app/profiles/record_set.h"

int main(int argc, char** argv) {
  if (argc < 4 || !SetDataFolder(argv[1])) return 2;
  std::string mode = argv[2];
  RecordSet sets[2];
  if (!ReadRecordSet(argv[3], &sets[0])) return 3;
  if (mode == "save") return SaveRecordSet(sets[0]) ? 0 : 4;
  if (mode != "alternate" || argc < 6 || !ReadRecordSet(argv[4], &sets[1])) return 2;
  HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[5]);
  if (!started) return 3;
  DWORD deadline = GetTickCount() + 60000;  // never outlive a broken test
  for (unsigned n = 0; GetTickCount() < deadline; ++n) {
    if (!SaveRecordSet(sets[n & 1])) return 4;
    if (n == 0) SetEvent(started);
  }
  return 0;
}
