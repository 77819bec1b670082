#pragma once
// CJpegFileManager: libjpeg's source and destination manager over a
// CRasterFile, so that files and memory streams behave alike. One object is
// both; libjpeg reaches it through cinfo->src or cinfo->dest.
#include <cstdint>

#include "imagelib/codecs/jpg/jpeg_lib.h"
#include "imagelib/raster_file.h"

class CJpegFileManager : public jpeg_source_mgr, public jpeg_destination_mgr {
 public:
  static constexpr size_t kBufferSize = 4096;

  explicit CJpegFileManager(CRasterFile* file);
  CJpegFileManager(const CJpegFileManager&) = delete;
  CJpegFileManager& operator=(const CJpegFileManager&) = delete;

  jpeg_source_mgr* Source() { return this; }
  jpeg_destination_mgr* Destination() { return this; }
  // Input bytes not yet taken by libjpeg, or -1 when the stream cannot tell.
  int64_t BytesLeft();

 private:
  static CJpegFileManager* From(j_decompress_ptr cinfo) {
    return static_cast<CJpegFileManager*>(cinfo->src);
  }
  static CJpegFileManager* From(j_compress_ptr cinfo) {
    return static_cast<CJpegFileManager*>(cinfo->dest);
  }
  static void InitSource(j_decompress_ptr cinfo);
  static boolean FillInputBuffer(j_decompress_ptr cinfo);
  static void SkipInputData(j_decompress_ptr cinfo, long count);
  static void TermSource(j_decompress_ptr cinfo);
  static void InitDestination(j_compress_ptr cinfo);
  static boolean EmptyOutputBuffer(j_compress_ptr cinfo);
  static void TermDestination(j_compress_ptr cinfo);

  CRasterFile* mFile;
  bool mStartOfFile = true;  // nothing read yet: an empty first fill is an empty file
  JOCTET mBuffer[kBufferSize];
};
