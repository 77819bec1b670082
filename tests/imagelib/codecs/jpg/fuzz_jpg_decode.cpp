// Any byte string decodes as a JPEG or fails with a text; libjpeg's errors
// unwind without leaking and nothing writes outside the image.
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/jpg/raster_jpg.h"
#include "imagelib/raster_mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The size probe first: a few bytes can declare a gigabyte image, which
  // is correct to decode but only slows the search down.
  CRasterMemFile probeFile(static_cast<const void*>(data), size);
  CRasterJPG probe;
  probe.SetEscape(-1);
  if (probe.Decode(&probeFile) && int64_t(probe.GetWidth()) * probe.GetHeight() > (int64_t(1) << 22))
    return 0;
  CRasterMemFile file(static_cast<const void*>(data), size);
  CRasterJPG jpg;
  if (!jpg.Decode(&file) && jpg.GetLastError()[0] == '\0') __builtin_trap();
  return 0;
}
