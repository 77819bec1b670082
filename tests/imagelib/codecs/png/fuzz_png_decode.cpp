// Any byte string decodes as a PNG or fails with a text; libpng's errors
// unwind without leaking and nothing writes outside the image.
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/png/raster_png.h"
#include "imagelib/raster_mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The size probe first: a few compressed bytes can declare a gigabyte
  // image, which is correct to allocate but only slows the search down.
  CRasterMemFile probeFile(static_cast<const void*>(data), size);
  CRasterPNG probe;
  probe.SetEscape(-1);
  if (probe.Decode(&probeFile) && int64_t(probe.GetWidth()) * probe.GetHeight() > (int64_t(1) << 22))
    return 0;
  CRasterMemFile file(static_cast<const void*>(data), size);
  CRasterPNG png;
  if (!png.Decode(&file) && png.GetLastError()[0] == '\0') __builtin_trap();
  return 0;
}
