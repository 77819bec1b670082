#pragma once
// Names and paths of data files, and the small path helpers that go with
// them. A data file is the folder, "\", the name, the index in decimal unless
// it is -1, "." and the extension "kzc": name "Profile", index 3 in folder D
// gives D\Profile3.kzc. Its temporary twin during a write is that path with
// "_tmp" appended.

// kPathChars (260) is the width of every path buffer; a path holds at most
// 259 characters.
#include "framework/app/grow_array.h"

constexpr int kNoIndex = -1;
extern const char kDataFileExtension[];  // "kzc"
extern const char kTempFileSuffix[];     // "_tmp"

// Builds folder + ("\" name, when given) + (index, unless -1) + ("." extension,
// when given) into `outPath` (kPathChars). Never truncates: false, with
// `outPath` empty, when the path or the path plus "_tmp" would exceed 259
// characters. A null folder is an empty one.
bool BuildDataPath(char* outPath, const char* folder, const char* name, int index,
                   const char* extension);

// The path of a data file in the folder that `folderFlag` selects (1: the
// common data folder, else the user's). False when it would not fit.
bool GetDataFilePath(const char* name, int index, char* outPath, int folderFlag);

// `path` + "_tmp" into `outPath` (kPathChars); false when it would not fit.
bool GetTempFilePath(const char* path, char* outPath);

void RemoveTrailingBackslash(char* path);    // cuts one final "\"
void StripFileExtension(char* path);         // cuts ".xyz" (a three-letter extension)
const char* GetFileNamePart(const char* path);  // the text after the last "\"
// Appends "\" unless the path ends with one; false when the buffer of
// kPathChars would overflow (the path is then unchanged).
bool AppendBackslash(char* path);
