// Files whose headers declare images of hundreds of megabytes while the
// file holds a few hundred bytes: every way in refuses them before the
// pixels are allocated (this program runs under a 64 MB allocation ceiling).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/raster.h"
#include "imagelib/raster_mem_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

struct LargeHeaderCase {
  const char* seed;  // below tests/imagelib/codecs
  int32_t type;
  const char* text;  // the decoder's own text
};

const LargeHeaderCase kCases[] = {
    // 30000 x 30000, 16-bit grey, interlaced: 900 MB as an 8-bit image.
    {"png/fuzz_seeds/crash_30000x30000_grey16_interlaced.png", RASTER_FORMAT_PNG,
     "Error reading PNG file"},
    // 16384 x 21845 at 32 bits in 54 bytes: 1.0 GiB as a 24-bit image.
    {"bmp/fuzz_seeds/crash_16384x21845x32.bmp", RASTER_FORMAT_BMP, "Error reading BMP data"},
    {"bmp/fuzz_seeds/crash_oom_32bit_rows.bmp", RASTER_FORMAT_BMP, "Error reading BMP data"},
};

TEST(LargeHeaders, FailBeforeThePixelsAreAllocated) {
  for (const LargeHeaderCase& c : kCases) {
    SCOPED_TRACE(c.seed);
    const std::string path = TestSourcePath(std::string("imagelib/codecs/") + c.seed);
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    ASSERT_FALSE(bytes.empty());

    CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
    CRaster image;
    EXPECT_FALSE(image.Decode(&file, c.type));
    EXPECT_STREQ(image.GetLastError(), c.text);

    CRaster loaded;  // through a stdio stream, every codec in turn
    EXPECT_FALSE(loaded.Load(path.c_str(), RASTER_FORMAT_UNKNOWN));
    EXPECT_FALSE(loaded.IsValid());

    if (c.type == RASTER_FORMAT_BMP) {  // the same DIB as the clipboard would carry it
      CRaster pasted;
      EXPECT_FALSE(pasted.CreateFromPackedDib(bytes.data() + 14, bytes.size() - 14));
    }
  }
}

}  // namespace
