// Icon encoding: one entry at every depth read back by the decoder, the
// background written as a black palette entry (or black pixels in true
// colour) with its mask bits set while the image keeps its colours, PNG
// data for images above 255 pixels, and a refused write. The files go to
// ico_oracle.py (icotool -l and -x).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imagelib/codecs/ico/raster_ico.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

std::vector<uint8_t> Snapshot(const CRaster& image) {
  std::vector<uint8_t> bytes(image.GetDib(), image.GetDib() + image.GetSize());
  bytes.push_back(uint8_t(image.GetBkgndIndex()));
  return bytes;
}

bool DecodeBytes(CRasterICO& ico, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return ico.Decode(&file);
}

class IcoEncode : public testing::Test {
 protected:
  static CWrittenCases* sWritten;
  static void SetUpTestSuite() { sWritten = new CWrittenCases("written"); }
  static void TearDownTestSuite() {
    EXPECT_TRUE(sWritten->Finish());
    delete sWritten;
  }
  // The oracle checks the file against the image; with a background the
  // pixels of its colour must be the transparent ones.
  static void Keep(const std::string& name, const std::vector<uint8_t>& file, const CRaster& image) {
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".ico"), file));
    sWritten->Add(name, name + ".ico", image);
    std::string meta = "bpp " + std::to_string(image.GetBpp()) + "\n";
    if (image.HasBkgndIndex()) {
      const RGBQUAD c = image.GetBkgndColor();
      char line[32];
      std::snprintf(line, sizeof line, "bkgnd %02X%02X%02X\n", c.rgbRed, c.rgbGreen, c.rgbBlue);
      meta += line;
    }
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".meta"), std::vector<uint8_t>(meta.begin(), meta.end())));
  }
};
CWrittenCases* IcoEncode::sWritten = nullptr;

TEST_F(IcoEncode, EveryDepthReadsBack) {
  for (int bpp : {1, 4, 8, 24}) {
    for (int32_t width : {16, 33, 255}) {
      const std::string name = "bpp" + std::to_string(bpp) + "_w" + std::to_string(width);
      SCOPED_TRACE(name);
      CRaster image(width, 20, bpp);
      FillRandom(image, uint32_t(width + bpp));
      const std::vector<uint8_t> file = EncodeWithToBytes<CRasterICO>(image);
      CRasterICO back;
      ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
      EXPECT_EQ(back.GetBpp(), bpp);
      EXPECT_EQ(back.GetNumFrames(), 1);
      EXPECT_TRUE(SameRgb(back, RgbRows(image), width, 20));
      Keep(name, file, image);
    }
  }
}

TEST_F(IcoEncode, BackgroundIsTransparentOnlyInTheFile) {
  for (int bpp : {4, 8, 24}) {
    SCOPED_TRACE(bpp);
    CRaster image(16, 16, bpp);
    FillRandom(image, uint32_t(bpp));
    const RGBQUAD background = image.IsIndexed() ? image.GetPaletteColor(3) : RgbQuadFromValue(0xFF2010);
    for (int32_t i = 0; i < 16; ++i) {
      if (image.IsIndexed())
        image.SetPixelIndexUnchecked(i, i, 3);
      else
        image.SetPixelColorUnchecked(i, i, background);
    }
    if (!image.IsIndexed()) image.SetBkgndColor(background);
    image.SetBkgndIndex(3);
    const std::vector<uint8_t> before = Snapshot(image);
    const std::vector<uint8_t> file = EncodeWithToBytes<CRasterICO>(image);
    EXPECT_EQ(Snapshot(image), before);

    const size_t palette = 22 + 40, entries = image.GetNumColors();
    if (image.IsIndexed()) {
      ASSERT_GT(file.size(), palette + 16);
      EXPECT_EQ(ReadLe32(&file[palette + 3 * 4]), 0u);
      EXPECT_NE(ReadLe32(&file[palette + 4 * 4]) & 0xFFFFFF, 0u);
    }
    // The mask: bit set exactly where the pixel shows the background colour.
    const size_t mask = palette + entries * 4 + image.GetRowBytes() * 16u;
    ASSERT_EQ(file.size(), mask + 4 * 16u);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) {
        const RGBQUAD c = image.GetPixelColorUnchecked(x, y);
        const bool same = c.rgbRed == background.rgbRed && c.rgbGreen == background.rgbGreen &&
                          c.rgbBlue == background.rgbBlue;
        const bool bit = (file[mask + size_t(y) * 4 + size_t(x >> 3)] >> (7 - (x & 7))) & 1;
        ASSERT_EQ(bit, same) << x << "," << y;
        if (bpp == 24 && same) {
          const size_t at = palette + size_t(y) * image.GetRowBytes() + 3 * size_t(x);
          EXPECT_EQ(file[at] | file[at + 1] | file[at + 2], 0);
        }
      }
    Keep("background_bpp" + std::to_string(bpp), file, image);
  }
}

TEST_F(IcoEncode, LargeImagesGoInAsPng) {
  CRaster image(300, 300, 24);
  FillRandom(image, 300);
  const std::vector<uint8_t> file = EncodeWithToBytes<CRasterICO>(image);
  ASSERT_GT(file.size(), 30u);
  EXPECT_EQ(file[6], 0);
  EXPECT_EQ(file[7], 0);
  EXPECT_EQ(ReadLe32(&file[14]), file.size() - 22);
  EXPECT_EQ(file[22], 0x89);
  CRasterICO back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_EQ(back.GetType(), RASTER_FORMAT_ICO);
  EXPECT_TRUE(SameRgb(back, RgbRows(image), 300, 300));
  Keep("png_300", file, image);
}

TEST_F(IcoEncode, RefusedWriteFails) {
  CRaster image(32, 32, 8);
  FillRandom(image, 4);
  const std::vector<uint8_t> before = Snapshot(image);
  std::string error;
  EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterICO>(image, "read_only.ico", &error));
  EXPECT_EQ(error, "Error writing file");
  EXPECT_EQ(Snapshot(image), before);
}

}  // namespace
