#include "framework/settings/data_folder.h"

#include <cstring>

#include "framework/settings/data_path.h"

namespace {

// Set once by the start-up on the user interface thread before any other
// thread exists; read without a lock afterwards.
char gszDataFolder[kPathChars];
char gszCommonDataFolder[kPathChars];

bool StoreFolder(char* target, const char* folder) {
  if (!folder) folder = "";
  size_t n = strlen(folder);
  if (n >= kPathChars) return false;
  memcpy(target, folder, n + 1);
  return true;
}

}  // namespace

bool SetDataFolder(const char* folder) { return StoreFolder(gszDataFolder, folder); }

bool SetCommonDataFolder(const char* folder) {
  return StoreFolder(gszCommonDataFolder, folder);
}

const char* GetDataFolder() { return gszDataFolder; }

const char* GetCommonDataFolder() { return gszCommonDataFolder; }

const char* GetDataFolderFor(int folderFlag) {
  return folderFlag == kCommonDataFolder ? gszCommonDataFolder : gszDataFolder;
}
