#pragma once
// Windows bitmap files: reads BMP files and bare DIBs (1, 4, 8, 16, 24 and
// 32 bits, RLE4, RLE8, bit fields, core to V5 headers, top-down), writes
// uncompressed BMP files at the image's own depth.
#include <cstdint>

#include "imagelib/raster_codec.h"

struct DibHeader;

class CRasterBMP : public CRasterCodec {
 public:
  CRasterBMP() : CRasterCodec(RASTER_FORMAT_BMP) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  bool ReadInfoHeader(CRasterFile* file, DibHeader* h);
  const char* MissingData(CRasterFile* file, const DibHeader& h, int32_t start,
                          uint32_t pixelOffset);
  bool ReadMasks(CRasterFile* file, const DibHeader& h, uint32_t masks[3]);
  bool ReadPalette(CRasterFile* file, const DibHeader& h);
  bool ReadPixels(CRasterFile* file, const DibHeader& h, const uint32_t masks[3]);
  bool ReadRlePixels(CRasterFile* file, const DibHeader& h);
  bool Read32BitPixels(CRasterFile* file, const uint32_t masks[3]);
  bool Fail(const char* text);
};
