// Any byte string through the TGA decoder (see codec_fuzz_util.h).
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/tga/raster_tga.h"
#include "tests/imagelib/codecs/codec_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzDecodeWith<CRasterTGA>(data, size);
}
