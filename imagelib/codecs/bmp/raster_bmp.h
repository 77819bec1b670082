#pragma once
// Windows bitmap files: reads BMP files and bare DIBs (1, 4, 8, 16, 24 and
// 32 bits, RLE4, RLE8, bit fields, core to V5 headers, top-down), writes
// uncompressed BMP files at the image's own depth.
#include "imagelib/raster_codec.h"

class CRasterBMP : public CRasterCodec {
 public:
  CRasterBMP() : CRasterCodec(RASTER_FORMAT_BMP) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;
};
