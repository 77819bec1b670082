// Any byte string through the icon decoder (see codec_fuzz_util.h).
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/ico/raster_ico.h"
#include "tests/imagelib/codecs/codec_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzDecodeWith<CRasterICO>(data, size);
}
