#pragma once
// What the zip core needs of the operating system: files, folders, times and
// the paging-file mapping. zip_platform_win.cpp implements it with the Win32
// API; zip_platform_posix.cpp for the native build.
#include <cstddef>
#include <cstdint>

#include "framework/zip/zip_stream.h"

constexpr uint32_t kZipAttrReadOnly = 0x01;
constexpr uint32_t kZipAttrHidden = 0x02;
constexpr uint32_t kZipAttrSystem = 0x04;
constexpr uint32_t kZipAttrDirectory = 0x10;
constexpr uint32_t kZipAttrArchive = 0x20;

struct ZipFileFacts {
  uint32_t ulAttributes;  // FILE_ATTRIBUTE_* bits
  uint64_t ullSize;
  uint64_t ftCreation;    // Windows file times, UTC
  uint64_t ftAccess;
  uint64_t ftModification;
};

// Broken-down local time.
struct ZipLocalTime {
  int iYear, iMonth, iDay, iHour, iMinute, iSecond;
};

// An existing file for reading, shared for reading; null when it cannot be
// opened. The facts come from the open file.
CZipStream* ZipPlatformOpenSource(const char* path, ZipFileFacts* facts);
// The archive file: created or replaced, no sharing.
CZipStream* ZipPlatformCreateArchive(const char* path);
// An existing archive for reading, shared for reading.
CZipStream* ZipPlatformOpenArchive(const char* path);
// An extraction target, created or replaced with the given attributes.
CZipStream* ZipPlatformCreateTarget(const char* path, uint32_t attributes);
// A new, uniquely named file in the folder of `target` (so that it can later
// replace the target in one step), with the given attributes; its path goes
// to `tempPath` (at least 260 bytes). Null when it cannot be created.
CZipStream* ZipPlatformCreateTempBeside(const char* target, uint32_t attributes, char* tempPath,
                                        size_t size);
// Moves `from` over `to` in one step, replacing it; false when it cannot.
bool ZipPlatformReplaceFile(const char* from, const char* to);
// A stream over a handle the caller keeps (not closed with the stream).
CZipStream* ZipPlatformAdoptHandle(void* handle);

bool ZipPlatformCreateFolder(const char* path);  // true when it is a folder afterwards
bool ZipPlatformDeleteFile(const char* path);
// The current folder with a trailing separator; false when it does not fit.
bool ZipPlatformCurrentFolder(char* buffer, size_t size);

// A read-write mapping of the paging file; null on failure.
void* ZipPlatformMapPagingFile(uint32_t size, void** mapping);
void ZipPlatformUnmapPagingFile(void* view, void* mapping);

uint64_t ZipPlatformNow();  // UTC, as a Windows file time
bool ZipPlatformToLocal(uint64_t fileTime, ZipLocalTime* local);
bool ZipPlatformFromLocal(const ZipLocalTime& local, uint64_t* fileTime);
// Seed of the encryption header's random bytes.
unsigned ZipPlatformRandomSeed();
