#pragma once
// What the TIFF decoder knows about the page it reads, and how it reads it.
#include <tiffio.h>

#include <cstdint>

enum TiffReadPath {
  TIFF_PATH_CONVERT,     // the codec's converters, strips or tiles
  TIFF_PATH_RGBA,        // libtiff's RGBA reader
  TIFF_PATH_RGB_STRIPS,  // 8-bit contiguous RGB, strips taken as they are
};

struct TiffPage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samples = 1;
  uint16_t bits = 1;
  uint16_t photometric = 0;
  uint16_t orientation = 1;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint16_t extraSamples = 0;
  uint16_t compression = COMPRESSION_NONE;
  uint32_t rowsPerStrip = 0;  // at most the height
  bool tiled = false;
  uint32_t tileWidth = 0;
  uint32_t tileLength = 0;
  TiffReadPath path = TIFF_PATH_CONVERT;
  int32_t depth = 8;        // of the image made for the page
  bool bigPalette = false;  // palette of more than 8 bits: colours, no palette
  bool lab = false;         // 8-bit CIE L*a*b*, converted to colours
};

// Reads the page's fields from the current directory; false when the page
// cannot be an image (no size, or a size the library cannot address).
bool ReadTiffPage(TIFF* tiff, TiffPage* page);

// Chooses the path and the image depth from the fields.
void ClassifyTiffPage(TiffPage* page);

// The most bytes a byte of the page's compressed data can decode to.
uint64_t TiffExpansionLimit(const TiffPage& page, uint64_t scanlineBytes);
