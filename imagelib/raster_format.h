#pragma once
// Image type ids and the mapping from file extensions and ids to codec slots.
#include <cstdint>

enum CRasterFormat : int32_t {
  RASTER_FORMAT_UNKNOWN = 0,
  RASTER_FORMAT_BMP = 1,
  RASTER_FORMAT_GIF = 2,
  RASTER_FORMAT_JPG = 3,
  RASTER_FORMAT_PNG = 4,
  RASTER_FORMAT_ICO = 5,
  RASTER_FORMAT_TIF = 6,
  RASTER_FORMAT_TGA = 7,
  RASTER_FORMAT_PCX = 8,
  // 9 is no type.
  RASTER_FORMAT_WMF = 10,
};

// Number of per-codec option slots in the image's info block.
constexpr int32_t RASTER_CODEC_SLOTS = 10;

// Type id for a file extension given without the dot. Only the first three
// characters count (case ignored), so "jpeg", "jfif" and "tiff" match too.
int32_t GetImageTypeFromExtension(const char* extension);

// Codec-option slot of a type id: 1..8 map to themselves, 10 to 9, others 0.
int32_t GetImageTypeIndex(int32_t type);

// True for the ids that name a format (1..8 and 10).
bool IsKnownImageType(int32_t type);
