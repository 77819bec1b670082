// Any byte string handed to the packed-DIB import either builds an image or
// is refused; nothing reads or writes outside the block or the image.
#include <cstddef>
#include <cstdint>

#include "imagelib/raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CRaster image;
  if (image.CreateFromPackedDib(data, size)) {
    // Touch every row so a wrong size would show.
    volatile uint8_t sink = 0;
    for (int32_t y = 0; y < image.GetHeight(); ++y) sink = sink ^ image.GetBits(y)[image.GetRowBytes() - 1];
  }
  return 0;
}
