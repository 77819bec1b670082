#pragma once
// Zip archives: a writer that builds an archive in a file, an adopted file
// handle or a memory block, and a reader that lists entries and extracts them
// to memory or to files. Entries are stored or deflated and may carry the
// traditional password encryption. Both sides are reached through one opaque
// handle; every function returns a ZipResult.
#include <cstdint>

struct ZipHandleRecord;
typedef ZipHandleRecord* ZipHandle;

typedef uint32_t ZipResult;

enum : ZipResult {
  ZIP_OK = 0,
  ZIP_ERR_OPEN = 0x200,           // archive, source or target file not created/opened
  ZIP_ERR_NO_MEMORY = 0x300,      // memory for the archive not obtained
  ZIP_ERR_WRITE = 0x400,          // writing failed (also: source read error, size limits)
  ZIP_ERR_NOT_FOUND = 0x500,      // no entry has that name
  ZIP_ERR_MORE_DATA = 0x600,      // memory block full, more data of the entry remains
  ZIP_ERR_LOCAL_HEADER = 0x700,   // local header unreadable or inconsistent
  ZIP_ERR_READ = 0x800,           // reading from the archive failed
  ZIP_ERR_PASSWORD = 0x1000,      // wrong password
  ZIP_ERR_ARGS = 0x10000,         // null handle, empty name, bad index, null memory, zero length
  ZIP_ERR_NOT_MEMORY = 0x20000,   // the writer's archive is not held in memory
  ZIP_ERR_TOO_SMALL = 0x30000,    // memory block too small, or zero size
  ZIP_ERR_FAILED_EARLIER = 0x40000,
  ZIP_ERR_FINISHED = 0x50000,     // central directory already written
  ZIP_ERR_WRONG_MODE = 0x80000,   // reader handle given to a writer function or the reverse
  ZIP_ERR_STATE = 0x1000000,
  ZIP_ERR_SEEK = 0x2000000,
  ZIP_ERR_CHANGED = 0x4000000,    // the entry's storage changed between the two headers
  ZIP_ERR_DATA = 0x5000000,       // (de)compression failed, bad CRC-32, entry cannot be read
};

// What the reader reports about one entry. Times are Windows file times
// (100 ns units since 1601-01-01 UTC).
struct ZipEntryInfo {
  int32_t iIndex;             // for the archive query (index -1): the number of entries
  char szName[260];           // cleaned: no drive, no leading separator, no "..\" prefix
  uint32_t ulAttributes;      // FILE_ATTRIBUTE_* bits
  uint64_t ftAccess;
  uint64_t ftCreation;
  uint64_t ftModification;
  uint32_t ulCompressedSize;
  uint32_t ulUncompressedSize;
};

// Result of the last writer function and of the last reader function.
extern ZipResult gZipWriterResult;
extern ZipResult gZipReaderResult;

// --- Writer. A null password or an empty one means no encryption. ---

// Creates (replaces) the file; null on failure (result in gZipWriterResult).
ZipHandle ZipCreateFile(const char* fileName, const char* password);
// Writes into the caller's block, or, with a null block, into a mapping of the
// system paging file of that size. The archive must stay strictly smaller
// than `size`.
ZipHandle ZipCreateMemory(void* block, uint32_t size, const char* password);
// Writes at the current position of an open file (a HANDLE on Windows, a file
// descriptor cast to a pointer elsewhere); the handle stays the caller's.
ZipHandle ZipCreateHandle(void* fileHandle, const char* password);

ZipResult ZipAddFile(ZipHandle handle, const char* archiveName, const char* sourceFile);
ZipResult ZipAddMemory(ZipHandle handle, const char* archiveName, const void* data,
                       uint32_t length);
// Finishes the archive when not yet finished and returns its memory image.
ZipResult ZipGetImage(ZipHandle handle, void** image, uint32_t* length);
// Finishes the archive when not yet finished and frees the handle.
ZipResult ZipCloseWriter(ZipHandle handle);

// --- Reader. ---

ZipHandle ZipOpenFile(const char* fileName, const char* password);
// The handle stays the caller's (a HANDLE on Windows, a descriptor elsewhere).
ZipHandle ZipOpenHandle(void* fileHandle, const char* password);
// The block must stay valid until the reader is closed.
ZipHandle ZipOpenMemory(const void* data, uint32_t size, const char* password);

ZipResult ZipSetBaseFolder(ZipHandle handle, const char* folder);
ZipResult ZipGetEntry(ZipHandle handle, int32_t index, ZipEntryInfo* info);
// `info` may be null. Not found: *index = -1, info zeroed with index -1.
ZipResult ZipFindEntry(ZipHandle handle, const char* name, bool ignoreCase, int32_t* index,
                       ZipEntryInfo* info);
// ZIP_ERR_MORE_DATA when the buffer is full; call again with the same index
// to go on where the last call stopped.
ZipResult ZipExtractToMemory(ZipHandle handle, int32_t index, void* buffer, uint32_t size);
// A relative target lies below the base folder (the current folder until
// ZipSetBaseFolder is called).
ZipResult ZipExtractToFile(ZipHandle handle, int32_t index, const char* target);
bool ZipIsReader(ZipHandle handle);
ZipResult ZipCloseReader(ZipHandle handle);
