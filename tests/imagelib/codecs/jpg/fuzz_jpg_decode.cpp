// Any byte string through the JPEG decoder (see codec_fuzz_util.h).
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/jpg/raster_jpg.h"
#include "tests/imagelib/codecs/codec_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzDecodeWith<CRasterJPG>(data, size);
}
