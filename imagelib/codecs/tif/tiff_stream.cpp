#include "imagelib/codecs/tif/tiff_stream.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "imagelib/raster.h"
#include "imagelib/raster_mem_file.h"

namespace {

CRasterFile* FileOf(thandle_t handle) { return static_cast<CRasterFile*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  if (size <= 0) return 0;
  return tmsize_t(FileOf(handle)->Read(buffer, 1, size_t(size)));
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
  if (size <= 0) return 0;
  return tmsize_t(FileOf(handle)->Write(buffer, 1, size_t(size)));
}

// The streams address 32-bit offsets: anything the stream cannot reach is a
// failed seek (-1), never a wrapped one. The answer is where the stream is.
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  const toff_t kFailed = toff_t(-1);
  const int64_t signedOffset = int64_t(offset);
  if (offset == kFailed) return kFailed;
  if (whence == SEEK_SET ? offset > toff_t(INT32_MAX)
                         : signedOffset < INT32_MIN || signedOffset > INT32_MAX)
    return kFailed;
  CRasterFile* file = FileOf(handle);
  const int32_t origin = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? 1 : 2;
  if (!file->Seek(int32_t(signedOffset), origin)) return kFailed;
  const int32_t position = file->Tell();
  return position < 0 ? kFailed : toff_t(position);
}

int CloseProc(thandle_t) { return 0; }  // the stream's owner closes it

toff_t SizeProc(thandle_t handle) {
  const int32_t size = FileOf(handle)->Size();
  return size < 0 ? 0 : toff_t(size);
}

// A memory stream is handed to libtiff as a mapped file: its reads then
// take the bytes in place, and its RGBA reader can read uncompressed tiles,
// which it refuses when it must read them through the callbacks.
int MapProc(thandle_t handle, void** base, toff_t* size) {
  CRasterMemFile* memory = dynamic_cast<CRasterMemFile*>(FileOf(handle));
  if (!memory) return 0;
  const int32_t bytes = memory->Size();
  unsigned char* buffer = memory->GetBuffer();
  if (!buffer || bytes <= 0) return 0;
  *base = buffer;
  *size = toff_t(bytes);
  return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

// The decoders and the encoder report failures with texts of their own;
// libtiff's default handlers would print to the console for every file that
// the unknown-type decode hands to this codec.
int QuietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

TIFF* TiffOpenFromFile(CRasterFile* file, const char* mode) {
  if (!file) return nullptr;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(RASTER_MAX_MEMORY));
  TIFFOpenOptionsSetErrorHandlerExtR(options, QuietHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
  TIFF* tiff = TIFFClientOpenExt("TIFF IMAGE", mode, file, ReadProc, WriteProc, SeekProc,
                                 CloseProc, SizeProc, MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  return tiff;
}
