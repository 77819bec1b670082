#pragma once
// Entry names and extraction paths.
#include <cstddef>

// Names whose extension marks data that is already compressed are stored.
bool ZipStoredByExtension(const char* name);

// The name as the reader reports it: no drive prefix, no leading separator,
// nothing up to a "..\" step, no empty or "." components. Separators are kept.
void ZipCleanEntryName(const char* raw, char* out, size_t outSize);

// Begins with '\' or '/', or has ':' as its second character.
bool ZipIsAbsolutePath(const char* path);
bool ZipHasDotDotComponent(const char* path);

// The file system path of an extraction target: an absolute target as it
// stands; a relative one below `base` (which ends in a separator). False when
// a relative target has a ".." component, leaves the base, or the path would
// not fit in `size` bytes.
bool ZipBuildTargetPath(const char* base, const char* target, char* out, size_t size);
