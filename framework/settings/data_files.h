#pragma once
// Reading and writing data files, whole, in the data folders (Windows only).
// A data file is addressed by name, index (-1: none) and folder flag (1: the
// common data folder, else the user's data folder); see data_path.h.
// No function here shows anything; each reports by its result.
#include <cstdint>

// Absent or present but unreadable now
// -------------------------------------
// ReadDataFile and its kin return 0 both for a file that is not there and for
// one that is there but cannot be read at this moment (another program, a
// scanner or a sync tool, holds it open without sharing; access is denied; a
// read fails). For records whose defaults are fine either way that is enough.
// A caller that saves what it loaded must tell the two apart: it may keep its
// defaults for an absent file, but when a file could not be read it must not
// save over it later, or the user's real settings are lost. The checked
// readers below return kDataFileUnreadable (-5) for that case and 0 only for
// a file that is absent (or empty).
constexpr int kDataFileUnreadable = -5;
// ReadWholeDataFile: the file is larger than the caller's limit, or no memory.
constexpr int kDataFileTooLarge = -3;

// Reads up to `size` bytes into `buffer`; with a null buffer returns the
// file's size instead. 0 when the file is missing, cannot be opened or its
// path does not fit. Bytes of the buffer past what the file holds keep their
// values, so a caller's defaults survive a short or missing file.
int ReadDataFile(const char* name, int index, void* buffer, int size, int folderFlag);

// As ReadDataFile, but a file that is present and cannot be read now gives
// kDataFileUnreadable instead of 0. A sharing or lock conflict is waited out
// for about 100 ms before the read gives up.
int ReadDataFileChecked(const char* name, int index, void* buffer, int size, int folderFlag);

// The whole data file in a block of its own (freed with free()), opened once
// and sized through the same handle, so that a writer replacing the file in
// between cannot cut the read short: the bytes are exactly one version of
// the file. Returns the size read; 0 (no block) when the file is absent or
// empty; kDataFileUnreadable; kDataFileTooLarge when it holds more than
// `limit` bytes or no memory could be had.
int32_t ReadWholeDataFile(const char* name, int index, int folderFlag, int32_t limit,
                          uint8_t** bytes);

// The general reader behind ReadDataFile: `folder` (null: the folder that
// `folderFlag` selects), then "\" + name and "." + extension when given.
int ReadDataFileBytes(const char* folder, const char* name, const char* extension,
                      void* buffer, int size, int folderFlag);

// The same read for a full path.
int ReadFileToBuffer(const char* path, void* buffer, int size);

// Writes the whole buffer to "<path>_tmp", flushes it and moves it over the
// data file in one step, so the file always holds either the old or the new
// bytes. Returns `size` on success, else 0 with the old file left as it was;
// a size of 0 is refused before anything is touched. Missing folders of the
// path are created. Writers of one file, in any thread or process of the
// program, take turns through a named mutex around the whole write (waiting
// at most 5 s), so each is told exactly whether its own bytes landed.
int WriteDataFile(const char* name, int index, const void* buffer, int size, int folderFlag);
// The same write for a full path (its "_tmp" twin must fit 259 characters).
int WriteFileReplacing(const char* path, const void* buffer, int size);

enum WriteFileMode { kWriteTruncate = 0, kWriteAppend = 1 };
// Writes straight into `path` (no temporary file): kWriteTruncate creates or
// truncates it, kWriteAppend adds at its end. Returns the bytes written; 0
// when it cannot be opened.
int WriteFileAt(const char* path, const void* buffer, int size, int mode);

// Deletes "<name>.kzc" and, when `numbered`, "<name>0.kzc", "<name>1.kzc" ...
// up to the first index that does not exist (a file that cannot be deleted
// is left and the walk goes on). Result: the number of numbered files
// deleted (0 without `numbered`) plus 1 when the base file could not be
// deleted.
int DeleteDataFiles(const char* name, bool numbered, int folderFlag);

// Creates every missing folder of `path`. 0 when the folder exists (as a
// folder) afterwards, 1 when a level could not be created (after a pause of
// 100 ms when asked), 2 for an empty path.
int CreateDirectoryPath(const char* path, bool pauseOnFailure);

// 0 when a file can be created in `folder` (created first when missing), 1
// when the missing folder cannot be created, 2 when the test file cannot.
int TestFolderWritable(const char* folder);

// The shell's path of a special folder (a CSIDL number) into `outPath`
// (260 characters); empty on failure.
void GetSpecialFolderPath(int csidl, char* outPath);
