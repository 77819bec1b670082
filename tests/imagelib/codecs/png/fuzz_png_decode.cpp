// Any byte string through the PNG decoder (see codec_fuzz_util.h), with
// its chunk checksums made right first (see png_fuzz_input.h).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagelib/codecs/png/raster_png.h"
#include "tests/imagelib/codecs/codec_fuzz_util.h"
#include "tests/imagelib/codecs/png/png_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> input = WithPngChunkCrcs(data, size);
  return FuzzDecodeWith<CRasterPNG>(input.data(), input.size());
}
