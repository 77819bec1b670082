#pragma once
// Reading and writing data files, whole, in the data folders (Windows only).
// A data file is addressed by name, index (-1: none) and folder flag (1: the
// common data folder, else the user's data folder); see data_path.h.
// No function here shows anything; each reports by its result.

// Reads up to `size` bytes into `buffer`; with a null buffer returns the
// file's size instead. 0 when the file is missing, cannot be opened or its
// path does not fit. Bytes of the buffer past what the file holds keep their
// values, so a caller's defaults survive a short or missing file.
int ReadDataFile(const char* name, int index, void* buffer, int size, int folderFlag);

// The general reader behind ReadDataFile: `folder` (null: the folder that
// `folderFlag` selects), then "\" + name and "." + extension when given.
int ReadDataFileBytes(const char* folder, const char* name, const char* extension,
                      void* buffer, int size, int folderFlag);

// The same read for a full path.
int ReadFileToBuffer(const char* path, void* buffer, int size);

// Writes the whole buffer to "<path>_tmp", flushes it and moves it over the
// data file in one step, so the file always holds either the old or the new
// bytes. Returns `size` on success, else 0 with the old file left as it was.
// Missing folders of the path are created.
int WriteDataFile(const char* name, int index, const void* buffer, int size, int folderFlag);

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
