#include <windows.h>

#include "imagelib/raster_file_replace.h"

bool IsReadOnlyFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool ReplaceFileWithTemporary(const char* temporaryPath, const char* targetPath) {
  // The replaced file keeps its hidden, system and archive marks.
  const DWORD attributes = GetFileAttributesA(targetPath);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(temporaryPath, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  // Another process may hold the target open for a moment (a viewer, a
  // scanner); the replace then fails with access denied, so retry briefly.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (MoveFileExA(temporaryPath, targetPath,
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    if (GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_SHARING_VIOLATION) {
      return false;
    }
    Sleep(50);
  }
  return false;
}
