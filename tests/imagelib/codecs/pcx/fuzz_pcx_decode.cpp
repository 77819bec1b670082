// Any byte string through the PCX decoder (see codec_fuzz_util.h).
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/pcx/raster_pcx.h"
#include "tests/imagelib/codecs/codec_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzDecodeWith<CRasterPCX>(data, size);
}
