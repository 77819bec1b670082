#pragma once
// ZSoft PCX files (version 5 header, run-length encoding). Reads one plane
// of 1, 2, 4 or 8 bits, two to four planes of 1 bit and three planes of 8
// bits; writes 1-bit images as one plane, 4-bit images as four planes,
// 8-bit images with the 256-colour palette at the end, and 24-bit images as
// three planes.
#include "imagelib/raster_codec.h"

class CRasterReadBuffer;
struct PcxHeader;

class CRasterPCX : public CRasterCodec {
 public:
  CRasterPCX() : CRasterCodec(RASTER_FORMAT_PCX) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  bool Fail(const char* text);
  const char* CheckHeader(const PcxHeader& h) const;
  bool ReadRows(CRasterReadBuffer* in, const PcxHeader& h);
  bool ReadPalette(CRasterReadBuffer* in, const PcxHeader& h);
};
