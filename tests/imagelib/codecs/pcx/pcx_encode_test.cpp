// PCX encoding: round trips at 1, 4, 8 and 24 bits with odd widths (read
// back here and by PIL and pcxtoppm in the oracle script), the inverted
// 1-bit file, the 8-bit pad byte, escaped single values, and write failures
// that leave the image alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/codecs/pcx/raster_pcx.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool DecodeBytes(CRasterPCX& pcx, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return pcx.Decode(&file);
}

std::vector<uint8_t> Encode(const CRaster& image) { return EncodeWithToBytes<CRasterPCX>(image); }

std::vector<uint8_t> Snapshot(const CRaster& image) {
  return std::vector<uint8_t>(image.GetDib(), image.GetDib() + image.GetSize());
}

int Le16(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | bytes[at + 1] << 8; }

TEST(PcxEncode, RoundTripsAtEveryDepth) {
  CWrittenCases written("written");
  for (int bpp : {1, 4, 8, 24}) {
    for (int32_t width : {1, 7, 8, 33, 200}) {
      const std::string name = "bpp" + std::to_string(bpp) + "_w" + std::to_string(width);
      SCOPED_TRACE(name);
      CRaster image(width, 11, bpp);
      FillRandom(image, uint32_t(bpp * 100 + width));
      // One bit per pixel is black and white in the file.
      if (bpp == 1) image.SetGrayPalette();
      // Long runs too, past the 63 one code holds.
      for (int32_t x = 0; x < width; ++x) image.SetPixelIndexUnchecked(x, 3, 1);
      if (bpp == 24)
        for (int32_t x = 0; x < width; ++x) image.SetPixelColorUnchecked(x, 4, RgbQuadFromValue(0xC1C2C3));
      image.SetXDpi(150);
      image.SetYDpi(300);
      const std::vector<uint8_t> file = Encode(image);
      ASSERT_GE(file.size(), 128u);
      const int bytesPerLine = Le16(file, 66);
      EXPECT_EQ(bytesPerLine % 2, 0);
      EXPECT_EQ(file[65], bpp == 24 ? 3 : bpp == 4 ? 4 : 1);
      CRasterPCX back;
      ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
      EXPECT_EQ(back.GetBpp(), bpp);
      EXPECT_EQ(back.GetXDpi(), 150);
      EXPECT_EQ(back.GetYDpi(), 300);
      EXPECT_TRUE(SameRgb(back, RgbRows(image), width, 11));
      ASSERT_TRUE(WriteBytes(written.Path(name + ".pcx"), file));
      written.Add(name, name + ".pcx", image);
    }
  }
  // A 1-bit image whose entry 0 is the bright one is written inverted so
  // that black-and-white readers see it as it is.
  CRaster whiteFirst(13, 5, 1);
  FillRandom(whiteFirst, 9);
  whiteFirst.SetPaletteColor(0, 255, 255, 255, 0);
  whiteFirst.SetPaletteColor(1, 0, 0, 0, 0);
  const std::vector<uint8_t> before = Snapshot(whiteFirst);
  const std::vector<uint8_t> file = Encode(whiteFirst);
  EXPECT_EQ(Snapshot(whiteFirst), before);
  CRasterPCX back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_TRUE(SameRgb(back, RgbRows(whiteFirst), 13, 5));
  ASSERT_TRUE(WriteBytes(written.Path("bpp1_white_first.pcx"), file));
  written.Add("bpp1_white_first", "bpp1_white_first.pcx", whiteFirst);
  EXPECT_TRUE(written.Finish());
}

// Row by row: an 8-bit row of odd width ends in one 0 pad byte; a lone
// value of 0xC0 or more takes a run code of 1.
TEST(PcxEncode, PadByteAndEscapedValues) {
  CRaster image(3, 2, 8);
  const BYTE rows[2][3] = {{0xC1, 5, 5}, {7, 0xFF, 0xFF}};  // top row first
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) image.SetPixelIndexUnchecked(x, 1 - y, rows[y][x]);
  const std::vector<uint8_t> file = Encode(image);
  EXPECT_EQ(Le16(file, 66), 4);
  const std::vector<uint8_t> data(file.begin() + 128, file.end() - 769);
  const std::vector<uint8_t> want = {0xC1, 0xC1, 0xC2, 5, 0, 7, 0xC2, 0xFF, 0};
  EXPECT_EQ(data, want);
  EXPECT_EQ(file[file.size() - 769], 12);
}

TEST(PcxEncode, WriteFailureLeavesTheImageAlone) {
  for (int bpp : {1, 8, 24}) {
    CRaster image(64, 40, bpp);
    FillRandom(image, 5);
    const std::vector<uint8_t> before = Snapshot(image);
    std::string error;
    EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterPCX>(image, "readonly.pcx", &error));
    EXPECT_EQ(error, "cannot write PCX header");
    EXPECT_EQ(Snapshot(image), before);
  }
}

}  // namespace
