#include "framework/settings/data_files.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include "framework/settings/data_folder.h"
#include "framework/settings/data_path.h"

namespace {

// Closes the handle on every path out of a function.
class CFileHandle {
 public:
  explicit CFileHandle(HANDLE h) : m_h(h) {}
  ~CFileHandle() { Close(); }
  CFileHandle(const CFileHandle&) = delete;
  CFileHandle& operator=(const CFileHandle&) = delete;
  bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_h; }
  void Close() {
    if (IsValid()) CloseHandle(m_h);
    m_h = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_h;
};

// Every writer of one data file takes the same named mutex around its whole
// write. The writers may be threads of one process (the user interface and
// the archive thread both write "(ORV)Archive") or other processes of the
// program (a second start, the restart, the monitor), and they all use the
// one temporary name "<path>_tmp": without the lock one writer's replace
// could move the other's half-written file, or report the other's bytes.
constexpr DWORD kWriteLockWaitMs = 5000;

class CDataFileWriteLock {
 public:
  explicit CDataFileWriteLock(const char* path) {
    char name[64];
    snprintf(name, sizeof name, "Local\\OrvDataFileWrite_%016llX",
             static_cast<unsigned long long>(PathKey(path)));
    m_hMutex = CreateMutexA(nullptr, FALSE, name);
    if (!m_hMutex) {
      // No lock to be had (an odd security setup): write without it rather
      // than lose the user's change. The temporary file is still created
      // without sharing and only ever deleted by the call that created it.
      m_bHeld = true;
      return;
    }
    DWORD wait = WaitForSingleObject(m_hMutex, kWriteLockWaitMs);
    // An abandoned lock belonged to a writer that was killed; the file it
    // wrote is whole (old or new), and the lock is now ours.
    m_bOwned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    m_bHeld = m_bOwned;
  }
  ~CDataFileWriteLock() {
    if (m_bOwned) ReleaseMutex(m_hMutex);
    if (m_hMutex) CloseHandle(m_hMutex);
  }
  CDataFileWriteLock(const CDataFileWriteLock&) = delete;
  CDataFileWriteLock& operator=(const CDataFileWriteLock&) = delete;
  // False when another writer kept the file for longer than any write takes.
  bool IsHeld() const { return m_bHeld; }

 private:
  // FNV-1a of the path without regard to case, as the file system compares.
  static uint64_t PathKey(const char* path) {
    uint64_t key = 14695981039346656037ull;
    for (const char* p = path; *p; ++p) {
      key ^= static_cast<unsigned char>(CharUpperFold(*p));
      key *= 1099511628211ull;
    }
    return key;
  }
  static char CharUpperFold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

  HANDLE m_hMutex = nullptr;
  bool m_bOwned = false;
  bool m_bHeld = false;
};

constexpr DWORD kMoveRetryBudgetMs = 500;
constexpr DWORD kMoveRetryMaxPauseMs = 50;
constexpr DWORD kCreateFolderPauseMs = 100;

bool IsFolder(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A data file that was made read-only is not replaced. Windows refuses the
// replace itself; some file systems would let it pass.
bool IsReadOnlyFile(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// After a failed create: makes the folder part of `path` when it is missing.
// True when it was missing and could be created, so a second try makes sense.
bool CreateMissingFolderOf(const char* path) {
  char folder[kPathChars];
  snprintf(folder, sizeof folder, "%s", path);
  char* slash = strrchr(folder, '\\');
  if (!slash) return false;
  *slash = '\0';
  if (folder[0] == '\0' || IsFolder(folder)) return false;
  return CreateDirectoryPath(folder, true) == 0;
}

HANDLE CreateWithFolder(const char* path, DWORD share, DWORD disposition) {
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE && CreateMissingFolderOf(path))
    h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, disposition,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
  return h;
}

// Another process (a virus scanner, a reader of the old file) may hold the
// target open for a moment; the replace then fails with access denied or a
// sharing violation and is tried again for about half a second. Readers hold
// a data file for well under a millisecond, so the first pauses are short.
bool ReplaceFile(const char* from, const char* to) {
  DWORD waited = 0;
  DWORD pause = 1;
  for (;;) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = GetLastError();
    if (waited >= kMoveRetryBudgetMs ||
        (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
      return false;
    Sleep(pause);
    waited += pause;
    pause = pause * 2 < kMoveRetryMaxPauseMs ? pause * 2 : kMoveRetryMaxPauseMs;
  }
}

// Writes and flushes the whole buffer into a new temporary file; *created
// tells whether this call made (and so may delete) the file.
bool WriteTempFile(const char* tempPath, const void* buffer, int size, bool* created) {
  CFileHandle file(CreateWithFolder(tempPath, 0, CREATE_ALWAYS));
  *created = file.IsValid();
  if (!file.IsValid()) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file.Get(), buffer, static_cast<DWORD>(size), &written, nullptr);
  if (!ok || written != static_cast<DWORD>(size)) return false;
  return FlushFileBuffers(file.Get()) != 0;
}

// Another program may hold a data file open without sharing it for a moment
// (a virus scanner, a sync tool), or a replace may just be deleting the old
// file: such an open is tried again for about 100 ms.
constexpr int kOpenRetries = 5;
constexpr DWORD kOpenRetryPauseMs = 20;

bool IsPassingConflict(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// Opens an existing file for reading, sharing everything. On failure *absent
// tells "no such file or folder" from "there, but not readable now".
HANDLE OpenForReading(const char* path, bool* absent) {
  *absent = false;
  for (int attempt = 0;; ++attempt) {
    HANDLE h = CreateFileA(path, GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      *absent = true;
      return h;
    }
    if (attempt + 1 >= kOpenRetries || !IsPassingConflict(error)) return h;
    Sleep(kOpenRetryPauseMs);
  }
}

// Reads until `size` bytes are in or the file ends; -1 when a read fails.
int32_t ReadFully(HANDLE file, void* buffer, int32_t size) {
  int32_t total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!ReadFile(file, static_cast<uint8_t*>(buffer) + total, static_cast<DWORD>(size - total),
                  &got, nullptr))
      return -1;
    if (got == 0) break;
    total += static_cast<int32_t>(got);
  }
  return total;
}

// The reader behind every read here: the byte count (with a null buffer the
// file's size), 0 when the file is absent, kDataFileUnreadable when it is
// there but cannot be read now.
int ReadPathChecked(const char* path, void* buffer, int size) {
  if (!path || !*path) return 0;
  bool absent = false;
  CFileHandle file(OpenForReading(path, &absent));
  if (!file.IsValid()) return absent ? 0 : kDataFileUnreadable;
  if (!buffer) {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length)) return kDataFileUnreadable;
    return length.QuadPart > INT_MAX ? 0 : static_cast<int>(length.QuadPart);
  }
  if (size <= 0) return 0;
  int32_t got = ReadFully(file.Get(), buffer, size);
  return got < 0 ? kDataFileUnreadable : got;
}

}  // namespace

int ReadFileToBuffer(const char* path, void* buffer, int size) {
  int got = ReadPathChecked(path, buffer, size);
  return got > 0 ? got : 0;
}

int ReadDataFileBytes(const char* folder, const char* name, const char* extension, void* buffer,
                      int size, int folderFlag) {
  char path[kPathChars];
  if (!BuildDataPath(path, folder ? folder : GetDataFolderFor(folderFlag), name, kNoIndex,
                     extension))
    return 0;
  return ReadFileToBuffer(path, buffer, size);
}

int ReadDataFileChecked(const char* name, int index, void* buffer, int size, int folderFlag) {
  char path[kPathChars];
  // A name that does not fit a path was never written: absent.
  if (!GetDataFilePath(name, index, path, folderFlag)) return 0;
  return ReadPathChecked(path, buffer, size);
}

int ReadDataFile(const char* name, int index, void* buffer, int size, int folderFlag) {
  int got = ReadDataFileChecked(name, index, buffer, size, folderFlag);
  return got > 0 ? got : 0;
}

int32_t ReadWholeDataFile(const char* name, int index, int folderFlag, int32_t limit,
                          uint8_t** bytes) {
  *bytes = nullptr;
  char path[kPathChars];
  if (!GetDataFilePath(name, index, path, folderFlag)) return 0;
  bool absent = false;
  CFileHandle file(OpenForReading(path, &absent));
  if (!file.IsValid()) return absent ? 0 : kDataFileUnreadable;
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file.Get(), &length)) return kDataFileUnreadable;
  if (length.QuadPart <= 0) return 0;
  if (length.QuadPart > limit) return kDataFileTooLarge;
  uint8_t* block = static_cast<uint8_t*>(malloc(static_cast<size_t>(length.QuadPart)));
  if (!block) return kDataFileTooLarge;
  int32_t got = ReadFully(file.Get(), block, static_cast<int32_t>(length.QuadPart));
  if (got <= 0) {
    free(block);
    return got < 0 ? kDataFileUnreadable : 0;
  }
  *bytes = block;
  return got;
}

int WriteDataFile(const char* name, int index, const void* buffer, int size, int folderFlag) {
  char path[kPathChars];
  if (!GetDataFilePath(name, index, path, folderFlag)) return 0;
  return WriteFileReplacing(path, buffer, size);
}

int WriteFileReplacing(const char* path, const void* buffer, int size) {
  char tempPath[kPathChars];
  // An empty record is no record: refusing it keeps the file as it was.
  if (size <= 0 || !buffer || !path || !GetTempFilePath(path, tempPath)) return 0;
  CDataFileWriteLock lock(path);
  if (!lock.IsHeld() || IsReadOnlyFile(path)) return 0;
  bool created = false;
  if (!WriteTempFile(tempPath, buffer, size, &created) || !ReplaceFile(tempPath, path)) {
    // The old file stays; the space of the new one is given back. A temporary
    // file that this call could not create belongs to someone else.
    if (created) DeleteFileA(tempPath);
    return 0;
  }
  return size;
}

int WriteFileAt(const char* path, const void* buffer, int size, int mode) {
  if (!path || !*path || size < 0 || (size > 0 && !buffer)) return 0;
  CFileHandle file(CreateWithFolder(path, 0, mode == kWriteAppend ? OPEN_ALWAYS : CREATE_ALWAYS));
  if (!file.IsValid()) return 0;
  if (mode == kWriteAppend && SetFilePointer(file.Get(), 0, nullptr, FILE_END) ==
                                  INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
    return 0;
  DWORD written = 0;
  if (!WriteFile(file.Get(), buffer, static_cast<DWORD>(size), &written, nullptr)) return 0;
  return static_cast<int>(written);
}

int DeleteDataFiles(const char* name, bool numbered, int folderFlag) {
  char path[kPathChars];
  int baseFailed =
      (GetDataFilePath(name, kNoIndex, path, folderFlag) && DeleteFileA(path)) ? 0 : 1;
  if (!numbered) return baseFailed;
  int deleted = 0;
  // A file that is locked or read-only is stepped over: stopping there would
  // let the profiles behind it come back at the next start.
  for (int index = 0; index < INT_MAX; ++index) {
    if (!GetDataFilePath(name, index, path, folderFlag)) break;
    if (DeleteFileA(path)) {
      ++deleted;
      continue;
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
      break;
  }
  return deleted + baseFailed;
}

int CreateDirectoryPath(const char* path, bool pauseOnFailure) {
  char work[520];
  if (!path || !*path) return 2;
  if (strlen(path) >= sizeof work) return 1;
  strcpy(work, path);
  if (IsFolder(work)) return 0;
  // Walk back to the deepest folder that exists ...
  char* cut[sizeof work];
  int cuts = 0;
  while (!IsFolder(work)) {
    char* slash = strrchr(work, '\\');
    if (!slash) break;
    *slash = '\0';
    cut[cuts++] = slash;
    if (work[0] == '\0') break;
  }
  // ... then create the missing levels from the outermost inwards; a path
  // without any existing ancestor starts with its first level.
  if (work[0] != '\0' && !IsFolder(work)) CreateDirectoryA(work, nullptr);
  while (work[0] == '\0' || IsFolder(work)) {
    if (cuts == 0) return 0;
    *cut[--cuts] = '\\';
    CreateDirectoryA(work, nullptr);
  }
  if (pauseOnFailure) Sleep(kCreateFolderPauseMs);
  return 1;
}

int TestFolderWritable(const char* folder) {
  char work[kPathChars];
  char testPath[kPathChars];
  if (!folder || strlen(folder) >= sizeof work) return 1;
  strcpy(work, folder);
  RemoveTrailingBackslash(work);
  if (!IsFolder(work) && CreateDirectoryPath(work, true) != 0) return 1;
  if (!BuildDataPath(testPath, work, "ORVWriteTest", kNoIndex, "tmp")) return 2;
  CFileHandle file(CreateFileA(testPath, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return 2;
  file.Close();
  DeleteFileA(testPath);
  return 0;
}

void GetSpecialFolderPath(int csidl, char* outPath) {
  outPath[0] = '\0';
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, outPath)))
    outPath[0] = '\0';
}
