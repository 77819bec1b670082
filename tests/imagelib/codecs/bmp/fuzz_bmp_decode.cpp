// Any byte string decodes as a BMP or fails with a text; nothing reads or
// writes outside the input or the image.
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/bmp/raster_bmp.h"
#include "imagelib/raster_mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The size probe first: run-length files can declare a gigabyte image in a
  // few bytes, which is correct to decode but only slows the search down.
  CRasterMemFile probeFile(static_cast<const void*>(data), size);
  CRasterBMP probe;
  probe.SetEscape(-1);
  if (probe.Decode(&probeFile) && int64_t(probe.GetWidth()) * probe.GetHeight() > (int64_t(1) << 22))
    return 0;
  CRasterMemFile file(static_cast<const void*>(data), size);
  CRasterBMP bmp;
  if (!bmp.Decode(&file) && bmp.GetLastError()[0] == '\0') __builtin_trap();
  return 0;
}
