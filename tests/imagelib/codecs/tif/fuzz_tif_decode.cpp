// Any byte string through the TIFF decoder (see codec_fuzz_util.h).
#include <cstddef>
#include <cstdint>

#include "imagelib/codecs/tif/raster_tif.h"
#include "tests/imagelib/codecs/codec_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzDecodeWith<CRasterTIF>(data, size);
}
