// Any byte string handed to the packed-DIB import either builds an image or
// is refused; nothing reads or writes outside the block or the image.
#include <cstddef>
#include <cstdint>

#include "imagelib/raster.h"
#include "imagelib/raster_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Run-length pixels let a few bytes declare a gigabyte image; zero-filling
  // it is correct but only slows the search down.
  DibHeader header;
  if (ParseDibHeader(data, size, &header) &&
      int64_t(header.iWidth) * DibAbsHeight(header) > (int64_t(1) << 22))
    return 0;
  CRaster image;
  image.CreateFromPackedDib(data, size);
  return 0;
}
