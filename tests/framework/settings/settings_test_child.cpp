// Helper process of the data-file tests with more than one process. The
// first argument picks the part it plays:
//   kill <folder> <event>      rewrites one data file, alternating two
//                              versions, until it is killed; sets the event
//                              after its first write.
//   race <folder> <base> <id>  rewrites the section "Race" as writer <id>
//                              until <base>_stop is set, recording each
//                              write's result on the board.
//   rounds <folder> <base> <id> <count>
//                              writes once per round: waits for <base>_go<id>,
//                              writes, records, sets <base>_done<id>.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "framework/settings/data_path.h"
#include "framework/settings/section_files.h"
#include "tests/framework/settings/kill_test_versions.h"
#include "tests/framework/settings/race_board.h"

namespace {

constexpr DWORD kLifetimeMs = 120000;  // never outlive a broken test

int Kill(const char* eventName) {
  HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
  if (!started) return 3;
  const std::vector<unsigned char> versions[2] = {KillTestVersion(0), KillTestVersion(1)};
  DWORD deadline = GetTickCount() + kLifetimeMs;
  for (unsigned n = 0; GetTickCount() < deadline; ++n) {
    const std::vector<unsigned char>& v = versions[n & 1];
    int size = static_cast<int>(v.size());
    if (WriteDataFile(kKillTestFile, kNoIndex, v.data(), size, 0) != size) return 4;
    if (n == 0) SetEvent(started);
  }
  return 0;
}

bool WriteRace(RaceBoard* board, int id, int n) {
  CSettingsExchange ex;
  FillRaceSection(&ex, id, n);
  bool ok = WriteBlobToArchive(&ex, "%s", kNoIndex, 0, kRaceSection) > 0;
  board->result[id][n] = ok ? kRaceSucceeded : kRaceFailed;
  InterlockedExchange(&board->iWrites[id], n + 1);
  return ok;
}

int Race(const std::string& base, int id) {
  HANDLE mapping;
  RaceBoard* board = MapRaceBoard(base, false, &mapping);
  HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, RaceName(base, "stop").c_str());
  if (!board || !stop) return 3;
  DWORD deadline = GetTickCount() + kLifetimeMs;
  for (int n = 0; n < kRaceMaxWrites && GetTickCount() < deadline; ++n) {
    if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) break;
    WriteRace(board, id, n);
  }
  return 0;
}

int Rounds(const std::string& base, int id, int count) {
  HANDLE mapping;
  RaceBoard* board = MapRaceBoard(base, false, &mapping);
  std::string suffix = std::to_string(id);
  HANDLE go = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE,
                         RaceName(base, ("go" + suffix).c_str()).c_str());
  HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE,
                           RaceName(base, ("done" + suffix).c_str()).c_str());
  if (!board || !go || !done || count > kRaceMaxWrites) return 3;
  for (int round = 0; round < count; ++round) {
    if (WaitForSingleObject(go, 30000) != WAIT_OBJECT_0) return 5;
    WriteRace(board, id, round);
    SetEvent(done);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || !SetDataFolder(argv[2])) return 2;
  std::string mode = argv[1];
  if (mode == "kill") return Kill(argv[3]);
  if (mode == "race" && argc >= 5) return Race(argv[3], atoi(argv[4]));
  if (mode == "rounds" && argc >= 6) return Rounds(argv[3], atoi(argv[4]), atoi(argv[5]));
  return 2;
}
