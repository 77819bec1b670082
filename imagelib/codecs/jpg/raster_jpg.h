#pragma once
// JPEG files through libjpeg. Decoding gives 24-bit colour (CMYK files
// converted), an 8-bit grey image with a grey palette, or 8-bit indices with
// libjpeg's colour map; the resolution comes from Exif, else from the JFIF
// density. Encoding takes 24-bit images and 8-bit grey ramps.
//
// Codec option (slot of RASTER_FORMAT_JPG):
//   encode: 0x1 baseline tables, 0x2 arithmetic coding, 0x4 grey, 0x8
//           optimised Huffman tables, 0x10 progressive, 0x40 smoothing,
//           0x1000 4:2:2 chroma, 0x2000 no chroma subsampling (wins)
//   decode: 0x80 grey output, 0x100 quantize to GetJpegQuality() colours,
//           0x200 the codec's dither mode, 0x400 one-pass quantizing,
//           0x800 no fancy upsampling
// The decoder scales by 1 / GetJpegScale() (0 counts as 1).
#include <memory>

#include "imagelib/codecs/jpg/exif_reader.h"
#include "imagelib/raster_codec.h"

struct jpeg_decompress_struct;
class CJpegFileManager;

class CRasterJPG : public CRasterCodec {
 public:
  CRasterJPG();
  ~CRasterJPG() override;
  bool Decode(CRasterFile* file) override;
  bool Encode(CRasterFile* file) override;

 private:
  struct DecodeJob;  // the libjpeg objects of one decode or encode
  struct EncodeJob;

  // Runs the Exif reader over the file and puts the file back; true when
  // the file holds Exif data.
  bool ReadExif(CRasterFile* file);

  // The steps below libjpeg's recovery point: a libjpeg error unwinds
  // through them, so they hold nothing that needs a destructor.
  bool ReadJpeg(DecodeJob* job);
  void ApplyDecodeOptions(jpeg_decompress_struct* cinfo);
  bool CheckOutputSize(jpeg_decompress_struct* cinfo, CJpegFileManager* manager);
  void SetResolution(jpeg_decompress_struct* cinfo, bool hasExif);
  void SetJfifResolution(jpeg_decompress_struct* cinfo, bool horizontal);
  void SetOutputPalette(jpeg_decompress_struct* cinfo);
  bool ReadRows(jpeg_decompress_struct* cinfo);
  bool WriteJpeg(EncodeJob* job, bool grey);

  std::unique_ptr<CExifReader> mExif;
  // Settings for option bits 0x40 and 0x200 that nothing in the program
  // changes: no smoothing, libjpeg's default dither mode.
  int mSmoothingFactor = 0;
  int mDitherMode;
};
