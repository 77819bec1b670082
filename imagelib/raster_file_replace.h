#pragma once
// Moves a finished temporary file over its target in one step, so a failed
// save never damages the file that was there before.
bool ReplaceFileWithTemporary(const char* temporaryPath, const char* targetPath);
