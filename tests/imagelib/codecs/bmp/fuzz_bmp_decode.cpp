// Any byte string decodes as a BMP or fails with a text; nothing reads or
// writes outside the input or the image.
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/bmp/raster_bmp.h"
#include "imagelib/raster_mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CRasterMemFile file(static_cast<const void*>(data), size);
  CRasterBMP bmp;
  if (!bmp.Decode(&file) && bmp.GetLastError()[0] == '\0') __builtin_trap();
  return 0;
}
