// Any byte string handed to the packed-DIB import either builds an image or
// is refused; nothing reads or writes outside the block or the image. Large
// headers are fuzzed too: the run's allocation limit catches an import that
// commits memory its block cannot fill.
#include <cstddef>
#include <cstdint>

#include "imagelib/raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CRaster image;
  image.CreateFromPackedDib(data, size);
  return 0;
}
