// TGA encoding: 8-bit colour-mapped and 24-bit files at odd widths (read
// back here and by PIL and ImageMagick in the oracle script), their exact
// size, the refused depths, and write failures that leave the image alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/codecs/tga/raster_tga.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool DecodeBytes(CRasterTGA& tga, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return tga.Decode(&file);
}

std::vector<uint8_t> Snapshot(const CRaster& image) {
  return std::vector<uint8_t>(image.GetDib(), image.GetDib() + image.GetSize());
}

TEST(TgaEncode, RoundTripsAndExactSize) {
  CWrittenCases written("written");
  for (int bpp : {8, 24}) {
    for (bool grey : {false, true}) {
      if (grey && bpp == 24) continue;
      for (int32_t width : {1, 3, 30, 101}) {
        const std::string name = "bpp" + std::to_string(bpp) + (grey ? "_grey" : "") + "_w" + std::to_string(width);
        SCOPED_TRACE(name);
        const int32_t height = 7;
        CRaster image(width, height, bpp);
        FillRandom(image, uint32_t(bpp + width), grey);
        const std::vector<uint8_t> file = EncodeWithToBytes<CRasterTGA>(image);
        EXPECT_EQ(file.size(), 18 + (bpp == 8 ? 768u : 0u) + size_t(width) * height * (bpp / 8));
        CRasterTGA back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_TRUE(SameRgb(back, RgbRows(image), width, height));
        ASSERT_TRUE(WriteBytes(written.Path(name + ".tga"), file));
        written.Add(name, name + ".tga", image);
      }
    }
  }
  EXPECT_TRUE(written.Finish());
}

TEST(TgaEncode, RefusesDepthsBelowEightAndFailedWrites) {
  for (int bpp : {1, 4}) {
    CRaster image(5, 5, bpp);
    CRasterMemFile file;
    file.Open();
    std::string error;
    EXPECT_FALSE(EncodeWith<CRasterTGA>(image, &file, &error));
    EXPECT_EQ(error, "Bit depth must be 8 or 24");
  }
  for (int bpp : {8, 24}) {
    CRaster image(64, 40, bpp);
    FillRandom(image, 5);
    const std::vector<uint8_t> before = Snapshot(image);
    std::string error;
    EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterTGA>(image, "readonly.tga", &error));
    EXPECT_EQ(error, "Error writing file");
    EXPECT_EQ(Snapshot(image), before);
  }
}

}  // namespace
