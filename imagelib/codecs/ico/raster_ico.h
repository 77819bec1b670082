#pragma once
// Windows icon and cursor files. Decoding reads the entry chosen by the
// image's frame index (the frame count becomes the number of entries):
// bitmap entries of 1, 4, 8, 24 or 32 bits with their AND mask turned into
// a background index where the palette allows, and entries stored as PNG
// through the PNG codec. Encoding writes one entry: a bitmap with its mask
// from the background colour, or PNG data for images above 255 pixels.
#include <cstdint>

#include "imagelib/raster_codec.h"

class CRasterICO : public CRasterCodec {
 public:
  CRasterICO() : CRasterCodec(RASTER_FORMAT_ICO) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  struct Entry;
  bool Fail(const char* text);
  bool ReadEntry(CRasterFile* file, int32_t start, Entry* entry);
  bool DecodePng(CRasterFile* file, int32_t at, int32_t entries);
  bool DecodeBitmap(CRasterFile* file, const Entry& entry);
  bool ReadPalette(CRasterFile* file, uint32_t stored);
  bool ReadPixels(CRasterFile* file, int32_t bitCount);
  void ApplyMask(const uint8_t* mask, int32_t maskRow);
  bool WriteBitmap(CRasterFile* file, int32_t maskRow);
  bool IsMasked(int32_t x, int32_t y) const;
};
