// Helper process of the interruption test: rewrites one data file over and
// over, alternating between two versions, until it is killed. Arguments: the
// data folder and the name of an event to set after the first write.
#include <windows.h>

#include <vector>

#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "framework/settings/data_path.h"
#include "tests/framework/settings/kill_test_versions.h"

int main(int argc, char** argv) {
  if (argc < 3 || !SetDataFolder(argv[1])) return 2;
  HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (!started) return 3;
  const std::vector<unsigned char> versions[2] = {KillTestVersion(0), KillTestVersion(1)};
  DWORD deadline = GetTickCount() + 60000;  // never outlive a broken test
  for (unsigned n = 0; GetTickCount() < deadline; ++n) {
    const std::vector<unsigned char>& v = versions[n & 1];
    int size = static_cast<int>(v.size());
    if (WriteDataFile(kKillTestFile, kNoIndex, v.data(), size, 0) != size) return 4;
    if (n == 0) SetEvent(started);
  }
  return 0;
}
