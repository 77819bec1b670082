#include "imagelib/raster_format.h"

#include <cctype>

namespace {

struct ExtensionType {
  const char* extension;
  int32_t type;
};

// Checked in this order; only the first three characters of an extension count.
const ExtensionType kExtensions[] = {
    {"bmp", RASTER_FORMAT_BMP}, {"jpg", RASTER_FORMAT_JPG}, {"jpe", RASTER_FORMAT_JPG},
    {"jfi", RASTER_FORMAT_JPG}, {"gif", RASTER_FORMAT_GIF}, {"png", RASTER_FORMAT_PNG},
    {"ico", RASTER_FORMAT_ICO}, {"cur", RASTER_FORMAT_ICO}, {"tif", RASTER_FORMAT_TIF},
    {"tga", RASTER_FORMAT_TGA}, {"pcx", RASTER_FORMAT_PCX}, {"wmf", RASTER_FORMAT_WMF},
    {"emf", RASTER_FORMAT_WMF},
};

bool SameFirstThree(const char* extension, const char* known) {
  for (int i = 0; i < 3; ++i) {
    if (extension[i] == '\0') return false;
    if (std::tolower(static_cast<unsigned char>(extension[i])) != known[i]) return false;
  }
  return true;
}

}  // namespace

int32_t GetImageTypeFromExtension(const char* extension) {
  if (!extension) return RASTER_FORMAT_UNKNOWN;
  for (const ExtensionType& entry : kExtensions) {
    if (SameFirstThree(extension, entry.extension)) return entry.type;
  }
  return RASTER_FORMAT_UNKNOWN;
}

int32_t GetImageTypeIndex(int32_t type) {
  if (type >= RASTER_FORMAT_BMP && type <= RASTER_FORMAT_PCX) return type;
  if (type == RASTER_FORMAT_WMF) return 9;
  return 0;
}

bool IsKnownImageType(int32_t type) { return GetImageTypeIndex(type) != 0; }
