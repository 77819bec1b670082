#pragma once
// Truevision TGA files. Reads colour-mapped (8-bit indices), true-colour
// (15, 16, 24 or 32 bits; alpha dropped) and greyscale images, plain or
// run-length encoded, in any of the four row and column orders; writes
// 8-bit colour-mapped and 24-bit true-colour images, plain and bottom-up.
// The format has no signature: only a header that holds together is taken
// for one.
#include "imagelib/raster_codec.h"

class CRasterReadBuffer;
struct TgaHeader;

class CRasterTGA : public CRasterCodec {
 public:
  CRasterTGA() : CRasterCodec(RASTER_FORMAT_TGA) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  bool Fail(const char* text);
  bool EnoughData(CRasterReadBuffer* in, const TgaHeader& h);
  bool ReadColorMap(CRasterReadBuffer* in, const TgaHeader& h);
  bool ReadRows(CRasterReadBuffer* in, const TgaHeader& h);
};
