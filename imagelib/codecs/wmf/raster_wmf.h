#pragma once
// Windows metafiles: a placeable WMF (22-byte placeable header) or an
// enhanced metafile (EMF), played by GDI into a bitmap of the screen's
// depth. The image is the metafile's size at the screen's resolution,
// at most 4000 pixels a side (aspect kept). There is no encoder.
//
// The checks before GDI sees any byte (headers, checksum, record walk,
// size) are portable (metafile_check.h); the playback needs Windows, so
// the codec is made only in the Windows build.
#include "imagelib/raster_codec.h"

class CRasterWMF : public CRasterCodec {
 public:
  CRasterWMF() : CRasterCodec(RASTER_FORMAT_WMF) {}
  bool Decode(CRasterFile* file) override;  // Windows only
  bool Encode(CRasterFile* file) override;
};
