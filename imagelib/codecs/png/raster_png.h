#pragma once
// PNG files through libpng. Every colour type and depth is read into a 1, 4,
// 8 or 24-bit image (alpha dropped, 16-bit samples cut to their high byte,
// tRNS kept as background index, background colour or palette alpha).
// Images are written at their own depth: as grey when the palette is the
// grey ramp of the depth and carries no alpha, else as palette or RGB; tRNS
// holds the palette alpha and the transparent background entry together.
//
// Codec option (slot of RASTER_FORMAT_PNG): bit 0 interlaced (set by the
// decoder, used by the encoder); bits 1-3 pick the zlib level on save:
// 2 -> 0, 4 -> 1, 6 -> 9, anything else zlib's default.
#include "imagelib/raster_codec.h"

class CRasterPNG : public CRasterCodec {
 public:
  CRasterPNG() : CRasterCodec(RASTER_FORMAT_PNG) {}
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  struct PngJob;  // the libpng handles and buffers of one decode or encode

  // The steps run below libpng's recovery point: a libpng error unwinds
  // through them, so they hold nothing that needs a destructor.
  bool ReadImage(PngJob* job);
  bool CreateForPng(PngJob* job);
  bool StreamCanFill(PngJob* job);
  void ReadPalette(PngJob* job);
  void ReadTransparency(PngJob* job);
  bool ReadRows(PngJob* job);
  bool WriteImage(PngJob* job);
  bool WritesAsGrey() const;
  bool PaletteHasAlpha() const;
  void WriteGreyOrRgbTransparency(PngJob* job);
  void WritePalette(PngJob* job);
  DWORD PaletteEntriesToWrite(PngJob* job) const;
  bool WriteRows(PngJob* job);
};
