// The zip core's system layer on Windows: files through CreateFile (also an
// adopted handle), the paging-file mapping, and local time by the time-zone
// rules of each date.
#include <windows.h>

#include <cstring>

#include "framework/zip/zip_platform.h"

namespace {

uint64_t FromFileTime(const FILETIME& ft) {
  return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

class CWinFileStream : public CZipStream {
 public:
  CWinFileStream(HANDLE file, bool owns) : m_hFile(file), m_bOwns(owns) {}
  ~CWinFileStream() override {
    if (m_bOwns) CloseHandle(m_hFile);
  }
  int64_t Read(void* buffer, uint32_t count) override {
    DWORD got = 0;
    if (!ReadFile(m_hFile, buffer, count, &got, nullptr)) {
      // A pipe that was closed by its writer is just the end.
      return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return got;
  }
  bool Write(const void* data, uint32_t count) override {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
      DWORD done = 0;
      if (!WriteFile(m_hFile, p, count, &done, nullptr) || done == 0) return false;
      p += done;
      count -= done;
    }
    return true;
  }
  bool Seek(uint64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(m_hFile, to, nullptr, FILE_BEGIN) != 0;
  }
  bool Tell(uint64_t* position) override {
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, zero, &at, FILE_CURRENT)) return false;
    *position = static_cast<uint64_t>(at.QuadPart);
    return true;
  }
  bool GetSize(uint64_t* size) override {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(m_hFile, &s)) return false;
    *size = static_cast<uint64_t>(s.QuadPart);
    return true;
  }
  bool SetTimes(uint64_t creation, uint64_t access, uint64_t modification) override {
    FILETIME c = ToFileTime(creation), a = ToFileTime(access), m = ToFileTime(modification);
    return SetFileTime(m_hFile, &c, &a, &m) != 0;
  }

 private:
  HANDLE m_hFile;
  bool m_bOwns;
};

}  // namespace

CZipStream* ZipPlatformOpenSource(const char* path, ZipFileFacts* facts) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) {
    CloseHandle(h);
    return nullptr;
  }
  facts->ulAttributes = info.dwFileAttributes;
  facts->ullSize = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts->ftCreation = FromFileTime(info.ftCreationTime);
  facts->ftAccess = FromFileTime(info.ftLastAccessTime);
  facts->ftModification = FromFileTime(info.ftLastWriteTime);
  return new CWinFileStream(h, true);
}

CZipStream* ZipPlatformCreateArchive(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : new CWinFileStream(h, true);
}

CZipStream* ZipPlatformOpenArchive(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : new CWinFileStream(h, true);
}

CZipStream* ZipPlatformCreateTarget(const char* path, uint32_t attributes) {
  DWORD attr = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  if (attr == 0) attr = FILE_ATTRIBUTE_NORMAL;
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attr, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : new CWinFileStream(h, true);
}

CZipStream* ZipPlatformCreateTempBeside(const char* target, uint32_t attributes, char* tempPath,
                                        size_t size) {
  char folder[MAX_PATH];
  const char* slash = strrchr(target, '\\');
  const char* forward = strrchr(target, '/');
  if (forward && (!slash || forward > slash)) slash = forward;
  size_t length = slash ? size_t(slash - target) : 0;
  if (size < MAX_PATH || length >= sizeof(folder)) return nullptr;
  memcpy(folder, target, length);
  folder[length] = 0;
  if (length == 0 || folder[length - 1] == ':') {  // the current folder, or a drive's root
    folder[length] = length ? '\\' : '.';
    folder[length + 1] = 0;
  }
  if (!GetTempFileNameA(folder, "zx", 0, tempPath)) return nullptr;
  // The name is unique now; the file is made again so that it takes the
  // entry's attributes, which an existing file would not.
  DeleteFileA(tempPath);
  DWORD attr = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  if (attr == 0) attr = FILE_ATTRIBUTE_NORMAL;
  HANDLE h = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, attr, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : new CWinFileStream(h, true);
}

bool ZipPlatformReplaceFile(const char* from, const char* to) {
  // Wine refuses the replace for a moment while another handle has the
  // target open (a reader that is just closing it): try again briefly.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
    Sleep(20);
  }
  return false;
}

CZipStream* ZipPlatformAdoptHandle(void* handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return nullptr;
  return new CWinFileStream(static_cast<HANDLE>(handle), false);
}

bool ZipPlatformCreateFolder(const char* path) {
  char p[MAX_PATH];
  size_t n = strlen(path);
  if (n >= sizeof(p)) return false;
  memcpy(p, path, n + 1);
  while (n > 1 && (p[n - 1] == '\\' || p[n - 1] == '/') && p[n - 2] != ':') p[--n] = 0;
  CreateDirectoryA(p, nullptr);
  DWORD attr = GetFileAttributesA(p);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool ZipPlatformDeleteFile(const char* path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);  // a read-only target is ours to remove
  return DeleteFileA(path) != 0;
}

bool ZipPlatformCurrentFolder(char* buffer, size_t size) {
  if (size < 2) return false;
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(size - 1), buffer);
  if (n == 0 || n >= size - 1) return false;
  if (buffer[n - 1] != '\\' && buffer[n - 1] != '/') {
    buffer[n] = '\\';
    buffer[n + 1] = 0;
  }
  return true;
}

void* ZipPlatformMapPagingFile(uint32_t size, void** mapping) {
  HANDLE m = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, nullptr);
  if (!m) return nullptr;
  void* view = MapViewOfFile(m, FILE_MAP_WRITE, 0, 0, size);
  if (!view) {
    CloseHandle(m);
    return nullptr;
  }
  *mapping = m;
  return view;
}

void ZipPlatformUnmapPagingFile(void* view, void* mapping) {
  if (view) UnmapViewOfFile(view);
  if (mapping) CloseHandle(static_cast<HANDLE>(mapping));
}

uint64_t ZipPlatformNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return FromFileTime(ft);
}

bool ZipPlatformToLocal(uint64_t fileTime, ZipLocalTime* local) {
  FILETIME ft = ToFileTime(fileTime);
  SYSTEMTIME utc, lt;
  if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &lt))
    return false;
  *local = {lt.wYear, lt.wMonth, lt.wDay, lt.wHour, lt.wMinute, lt.wSecond};
  return true;
}

bool ZipPlatformFromLocal(const ZipLocalTime& local, uint64_t* fileTime) {
  SYSTEMTIME lt = {}, utc;
  lt.wYear = static_cast<WORD>(local.iYear);
  lt.wMonth = static_cast<WORD>(local.iMonth);
  lt.wDay = static_cast<WORD>(local.iDay);
  lt.wHour = static_cast<WORD>(local.iHour);
  lt.wMinute = static_cast<WORD>(local.iMinute);
  lt.wSecond = static_cast<WORD>(local.iSecond);
  FILETIME ft;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &lt, &utc) || !SystemTimeToFileTime(&utc, &ft))
    return false;
  *fileTime = FromFileTime(ft);
  return true;
}

unsigned ZipPlatformRandomSeed() {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetDesktopWindow())) ^ GetTickCount();
}
