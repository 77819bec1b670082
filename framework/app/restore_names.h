#pragma once
// Checks on the names of entries in a configuration archive before they are
// written into the data folder.

// True when the entry name is a plain relative path: not empty, no drive, no
// leading separator, and no "." or ".." component ('/' and '\' both separate).
bool IsSafeRestoreName(const char* name);

// Copies `name` into `out` (size bytes) with every '/' turned into '\'.
// False when it does not fit.
bool ToLocalSeparators(const char* name, char* out, int size);

// True when `path` lies inside `folder` (compared ignoring case, on whole
// components), both given as full paths.
bool IsPathInsideFolder(const char* path, const char* folder);
