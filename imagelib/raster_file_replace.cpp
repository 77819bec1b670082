#include "imagelib/raster_file_replace.h"

#ifndef _WIN32
#include <cstdio>

bool ReplaceFileWithTemporary(const char* temporaryPath, const char* targetPath) {
  return std::rename(temporaryPath, targetPath) == 0;
}
#endif
