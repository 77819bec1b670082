// BMP encoding: headers, round trips at every depth, files for the PIL
// oracle, and failures that must leave the image alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imagelib/codecs/bmp/raster_bmp.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool EncodeTo(const CRaster& image, CRasterFile* file, std::string* error = nullptr) {
  return EncodeWith<CRasterBMP>(image, file, error);
}

std::vector<uint8_t> EncodeToBytes(const CRaster& image) { return EncodeWithToBytes<CRasterBMP>(image); }

TEST(BmpEncode, RoundTripsAtEveryDepthAndWidth) {
  CWrittenCases written("written");
  for (int bpp : {1, 4, 8, 24}) {
    for (int32_t width : {1, 3, 7, 31, 33, 65}) {
      SCOPED_TRACE(testing::Message() << bpp << " bits, width " << width);
      CRaster image(width, 3, bpp);
      FillRandom(image, uint32_t(bpp * 1000 + width));
      image.SetXDpi(72);
      image.SetYDpi(200);
      const std::vector<uint8_t> file = EncodeToBytes(image);

      const uint32_t paletteBytes = image.GetPaletteSize();
      ASSERT_EQ(file.size(), 14 + size_t(image.GetSize()));
      EXPECT_EQ(ReadLe16(file.data()), 0x4D42);
      EXPECT_EQ(ReadLe32(file.data() + 2), file.size());
      EXPECT_EQ(ReadLe32(file.data() + 10), 14 + 40 + paletteBytes);
      EXPECT_EQ(ReadLe32(file.data() + 14), 40u);
      EXPECT_EQ(ReadLe16(file.data() + 28), bpp);
      EXPECT_EQ(ReadLe32(file.data() + 30), 0u) << "uncompressed";
      EXPECT_EQ(std::memcmp(file.data() + 54, image.GetDib() + 40, image.GetSize() - 40), 0);

      CRasterBMP back;
      CRasterMemFile in(static_cast<const void*>(file.data()), file.size());
      ASSERT_TRUE(back.Decode(&in)) << back.GetLastError();
      EXPECT_EQ(back.GetBpp(), bpp);
      EXPECT_EQ(back.GetXDpi(), 72);
      EXPECT_EQ(back.GetYDpi(), 200);
      EXPECT_TRUE(SameRgb(back, RgbRows(image), width, 3));

      const std::string name = "bpp" + std::to_string(bpp) + "_w" + std::to_string(width);
      ASSERT_TRUE(WriteBytes(written.Path(name + ".bmp"), file));
      written.Add(name, name + ".bmp", image);
    }
  }
  ASSERT_TRUE(written.Finish());
}

TEST(BmpEncode, FourBitFileHasSixteenEntriesBeforeThePixels) {
  CRaster image(5, 2, 4);
  FillRandom(image, 4);
  const std::vector<uint8_t> file = EncodeToBytes(image);
  EXPECT_EQ(ReadLe32(file.data() + 10), 14u + 40u + 64u);
  EXPECT_EQ(ReadLe32(file.data() + 14 + 32), 16u);
}

TEST(BmpEncode, FailuresGiveATextAndLeaveTheImageAlone) {
  std::string error;
  CRaster empty;
  CRasterMemFile sink;
  sink.Open();
  EXPECT_FALSE(EncodeTo(empty, &sink, &error));
  EXPECT_EQ(error, "null image!!!");

  CRaster image(9, 4, 8);
  FillRandom(image, 9);
  const std::vector<uint8_t> before(image.GetDib(), image.GetDib() + image.GetSize());
  EXPECT_FALSE(EncodeTo(image, nullptr, &error));
  EXPECT_EQ(error, "null file handler");

  EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterBMP>(image, "read_only.bmp", &error));
  EXPECT_EQ(error, "Error writing BMP file");
  EXPECT_EQ(std::vector<uint8_t>(image.GetDib(), image.GetDib() + image.GetSize()), before);
}

}  // namespace
