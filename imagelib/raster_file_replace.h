#pragma once
// Saving by path: the image is written to a temporary file of its own in the
// target's folder, pushed to the disk, and only then moved over the target in
// one step, so a failed or interrupted save never damages the file that was
// there before, and two saves to one path never write into one file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Creates and opens for binary writing a new file "~bwXXXX.tmp" (XXXX four
// hex digits) in the target's folder, or "~XXXX" where the longer name would
// pass the system's path limit; an existing file of that name is never
// opened, another name is tried. The file takes the target's permissions
// when the target exists. Null when no such file can be made.
FILE* CreateTemporaryBeside(const char* targetPath, std::string* temporaryPath);

// The temporary path tried for number (its low 16 bits) with a path limit of
// maxLength characters; empty when the folder leaves no room for "~X".
std::string TemporaryPathFor(const char* targetPath, uint32_t number, size_t maxLength);

// Flushes the stream and the system's buffers of its file to the disk.
bool FlushToDisk(FILE* stream);

// True when the file exists and is marked read-only (or lacks every write
// permission), which a save must respect even where a rename could replace it.
bool IsReadOnlyFile(const char* path);

// Moves the finished temporary over the target (keeping the target's
// attributes on Windows). False when the target could not be replaced.
bool ReplaceFileWithTemporary(const char* temporaryPath, const char* targetPath);
