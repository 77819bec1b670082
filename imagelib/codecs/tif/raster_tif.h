#pragma once
// TIFF files through libtiff. Decoding reads one page (the image's frame
// index; the frame count becomes the number of pages): grey, palette, two
// samples and CIE L*a*b* in strips or tiles through the codec's own
// converters; RGB, CMYK, YCbCr, Log, planar and extra-sample files through
// libtiff's RGBA reader (8-bit contiguous RGB straight from the strips).
// The orientation tag is applied. Encoding writes one page at the image's
// own depth.
//
// Codec option (slot of RASTER_FORMAT_TIF): after a decode the file's
// compression tag; on encode the compression to use, 0 choosing by depth
// (1 bit CCITT Group 4, 4 and 8 bits LZW, 24 bits JPEG). A compression that
// libtiff cannot write at the image's depth falls back to that choice.
#include <cstdint>
#include <vector>

#include "imagelib/codecs/tif/tiff_stream.h"
#include "imagelib/raster_codec.h"

struct TiffPage;

class CRasterTIF : public CRasterCodec {
 public:
  CRasterTIF() : CRasterCodec(RASTER_FORMAT_TIF) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  bool Fail(const char* text);
  bool ReadPage(TIFF* tiff, CRasterFile* file);
  bool ReadFromMemory(CRasterFile* file);
  void ReadResolution(TIFF* tiff);
  bool CheckDataCanFill(const TiffPage& page, CRasterFile* file);
  // The converters' path: strips or tiles, row by row into the image.
  bool ReadConverted(TIFF* tiff, const TiffPage& page);
  bool ReadTileBand(TIFF* tiff, const TiffPage& page, uint32_t first, uint32_t rows, uint8_t* band,
                    uint64_t lineBytes, uint8_t* tile, uint64_t tileBytes, uint64_t tileRowBytes);
  void RescaleRows(const std::vector<int32_t>& shifts);
  bool MakeColorTable(TIFF* tiff, const TiffPage& page, uint32_t* table);
  // libtiff's RGBA reader, a band at a time; and its fast case.
  bool ReadRgba(TIFF* tiff, const TiffPage& page);
  bool ReadRgbStrips(TIFF* tiff, const TiffPage& page);
  bool ApplyOrientation(uint16_t orientation);
  bool WritePage(TIFF* tiff);
  bool WriteRows(TIFF* tiff, bool invert);
  bool HasGreyLevels() const;

  // The handle of a running encode; closed by the destructor when an
  // encode left it open.
  CTiffHandle mWriter;
};
