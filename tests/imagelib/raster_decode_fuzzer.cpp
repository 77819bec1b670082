// libFuzzer target: any bytes through the type-0 decode (every codec in the
// try order) must fail cleanly or give an image that encodes and decodes back
// to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imagelib/raster.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/png/png_fuzz_input.h"

namespace {

void RoundTrip(CRaster& image, int32_t type) {
  CRasterMemFile out;
  if (!out.Open() || !image.Encode(&out, type)) abort();
  const int32_t size = out.Size();
  CRasterMemFile in(static_cast<const void*>(out.GetBuffer()), size_t(size));
  CRaster back;
  if (!back.Decode(&in, type)) abort();
  if (back.GetWidth() != image.GetWidth() || back.GetHeight() != image.GetHeight()) abort();
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      const RGBQUAD a = image.GetPixelColor(x, y), b = back.GetPixelColor(x, y);
      if (memcmp(&a, &b, 3) != 0) abort();
    }
  }
}

// TIFF keeps one bit only as black and white.
bool OneBitBlackAndWhite(const CRaster& image) {
  const RGBQUAD a = image.GetPaletteColor(0), b = image.GetPaletteColor(1);
  const uint32_t first = uint32_t(a.rgbRed) << 16 | a.rgbGreen << 8 | a.rgbBlue;
  const uint32_t second = uint32_t(b.rgbRed) << 16 | b.rgbGreen << 8 | b.rgbBlue;
  return (first == 0 && second == 0xFFFFFF) || (first == 0xFFFFFF && second == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> input = WithPngChunkCrcs(data, size);
  CRasterMemFile file(static_cast<const void*>(input.data()), input.size());
  CRaster image;
  if (!image.Decode(&file, RASTER_FORMAT_UNKNOWN)) return 0;
  if (!image.IsValid()) abort();  // only a size probe may succeed without pixels
  if (int64_t(image.GetWidth()) * image.GetHeight() <= 65536) {
    // The round trips compare pixels. A position from the file (TIFF's
    // position tags) would make the GIF encoder place its one frame off its
    // own screen, where the GIF decoder rightly ignores it.
    image.SetOffset(0, 0);
    RoundTrip(image, RASTER_FORMAT_BMP);
    RoundTrip(image, RASTER_FORMAT_PNG);
    RoundTrip(image, RASTER_FORMAT_GIF);
    // PCX keeps 1-bit files black and white, TGA writes 8 and 24 bits only.
    if (image.GetBpp() >= 4) RoundTrip(image, RASTER_FORMAT_PCX);
    if (image.GetBpp() >= 8) RoundTrip(image, RASTER_FORMAT_TGA);
    if (image.GetBpp() != 1 || OneBitBlackAndWhite(image)) {
      image.SetCodecOption(5, RASTER_FORMAT_TIF);  // LZW
      RoundTrip(image, RASTER_FORMAT_TIF);
    }
  }
  return 0;
}
