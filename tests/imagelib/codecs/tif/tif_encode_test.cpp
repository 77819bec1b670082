// TIFF encoding: every depth and compression read back by the decoder, the
// compression chosen by depth and the fallback for one libtiff cannot write
// at that depth, the 1-bit image written white-is-zero without touching the
// caller's pixels, and a refused write. The files go to tif_oracle.py
// (tiffinfo and PIL).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "imagelib/codecs/tif/raster_tif.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

std::vector<uint8_t> Snapshot(const CRaster& image) {
  std::vector<uint8_t> bytes(image.GetDib(), image.GetDib() + image.GetSize());
  return bytes;
}

// Peak signal to noise ratio of two RGB pictures, in dB.
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += double(int(a[i]) - int(b[i])) * (int(a[i]) - int(b[i]));
  if (sum == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * double(a.size()) / sum);
}

// A smooth picture, as JPEG is meant for (noise would measure the
// quantizer, not the encoder).
void FillSmooth(CRaster& image) {
  for (int32_t y = 0; y < image.GetHeight(); ++y)
    for (int32_t x = 0; x < image.GetWidth(); ++x)
      image.SetPixelColorUnchecked(x, y, RgbQuadFromValue(uint32_t(x * 3) << 16 | uint32_t(y * 5) << 8 | 128));
}

struct Case {
  const char* name;
  int bpp;
  bool grey;
  uint32_t option;
  int photometric, compression, predictor;
};

class TifEncode : public testing::Test {
 protected:
  static CWrittenCases* sWritten;
  static void SetUpTestSuite() { sWritten = new CWrittenCases("written"); }
  static void TearDownTestSuite() {
    EXPECT_TRUE(sWritten->Finish());
    delete sWritten;
  }
  static void Keep(const std::string& name, const std::vector<uint8_t>& file, const CRaster& image,
                   const std::string& meta) {
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".tif"), file));
    sWritten->Add(name, name + ".tif", image);
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".meta"), std::vector<uint8_t>(meta.begin(), meta.end())));
  }
};
CWrittenCases* TifEncode::sWritten = nullptr;

TEST_F(TifEncode, DepthsAndCompressionsReadBack) {
  const Case cases[] = {
      {"bpp1_g4", 1, true, 0, 0, 4, 1},
      {"bpp1_none", 1, true, 1, 0, 1, 1},
      {"bpp1_g3", 1, true, 3, 0, 3, 1},
      {"bpp4_lzw", 4, false, 0, 3, 5, 1},
      {"bpp4_grey", 4, true, 0, 1, 5, 1},
      {"bpp4_jpeg_falls_back", 4, false, 7, 3, 5, 1},
      {"bpp8_lzw", 8, false, 0, 3, 5, 2},
      {"bpp8_grey", 8, true, 0, 1, 5, 2},
      {"bpp8_packbits", 8, false, 32773, 3, 32773, 1},
      {"bpp8_deflate", 8, true, 8, 1, 8, 1},
      {"bpp8_g4_falls_back", 8, false, 4, 3, 5, 2},
      {"bpp8_jpeg_palette_falls_back", 8, false, 7, 3, 5, 2},
      {"bpp24_jpeg", 24, false, 0, 2, 7, 1},
      {"bpp24_lzw", 24, false, 5, 2, 5, 2},
      {"bpp24_none", 24, false, 1, 2, 1, 1},
      {"bpp24_old_jpeg_falls_back", 24, false, 6, 2, 7, 1},
      {"bpp24_unknown_falls_back", 24, false, 12345, 2, 7, 1},
  };
  for (const Case& c : cases) {
    for (int32_t width : {1, 13, 67}) {
      const std::string name = std::string(c.name) + "_w" + std::to_string(width);
      SCOPED_TRACE(name);
      CRaster image(width, 21, c.bpp);
      const bool lossy = c.compression == 7;
      if (lossy)
        FillSmooth(image);
      else
        FillRandom(image, uint32_t(width * 7 + c.bpp), c.grey);
      image.SetCodecOption(c.option, RASTER_FORMAT_TIF);
      image.SetXDpi(300);
      image.SetYDpi(150);
      image.SetJpegQuality(90);
      const std::vector<uint8_t> before = Snapshot(image);
      const std::vector<uint8_t> file = EncodeWithToBytes<CRasterTIF>(image);
      EXPECT_EQ(Snapshot(image), before);

      CRasterTIF back;
      CRasterMemFile stream(static_cast<const void*>(file.data()), file.size());
      ASSERT_TRUE(back.Decode(&stream)) << back.GetLastError();
      EXPECT_EQ(back.GetCodecOption(RASTER_FORMAT_TIF), uint32_t(c.compression));
      EXPECT_EQ(back.GetXDpi(), 300);
      EXPECT_EQ(back.GetYDpi(), 150);
      if (lossy)
        EXPECT_GE(Psnr(RgbRows(back), RgbRows(image)), 38.0);
      else
        EXPECT_TRUE(SameRgb(back, RgbRows(image), width, 21));
      Keep(name, file, image,
           "photometric " + std::to_string(c.photometric) + "\ncompression " +
               std::to_string(c.compression) + "\npredictor " + std::to_string(c.predictor) +
               "\ndpi 300 150\n" + (lossy ? "psnr 38\nrowsmultiple 8\n" : ""));
    }
  }
}

// An image whose entry 0 is the darker is written with inverted bits, so
// that 0 stays white in the file; its own bytes stay as they were.
TEST_F(TifEncode, OneBitIsWhiteIsZeroEitherWay) {
  for (bool darkFirst : {true, false}) {
    CRaster image(19, 5, 1);
    image.SetPaletteColor(0, darkFirst ? 0 : 255, darkFirst ? 0 : 255, darkFirst ? 0 : 255, 0);
    image.SetPaletteColor(1, darkFirst ? 255 : 0, darkFirst ? 255 : 0, darkFirst ? 255 : 0, 0);
    for (int32_t y = 0; y < 5; ++y)
      for (int32_t x = 0; x < 19; ++x) image.SetPixelIndexUnchecked(x, y, BYTE((x * y + x) % 3 == 0));
    const std::vector<uint8_t> before = Snapshot(image);
    const std::vector<uint8_t> file = EncodeWithToBytes<CRasterTIF>(image);
    EXPECT_EQ(Snapshot(image), before);
    Keep(darkFirst ? "bw_dark_first" : "bw_light_first", file, image,
         "photometric 0\ncompression 4\npredictor 1\n");
  }
}

TEST_F(TifEncode, RefusedWritesFailAndLeaveTheImage) {
  CRaster image(40, 30, 8);
  FillRandom(image, 9);
  const std::vector<uint8_t> before = Snapshot(image);
  std::string error;
  EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterTIF>(image, "read_only.tif", &error));
  // libtiff writes the header as it opens the handle: the open fails.
  EXPECT_EQ(error, "initialization fail");
  EXPECT_EQ(Snapshot(image), before);

  EXPECT_FALSE(EncodeWith<CRasterTIF>(image, nullptr, &error));
  EXPECT_EQ(error, "null file handler");
  CRasterMemFile file;
  file.Open();
  EXPECT_FALSE(EncodeWith<CRasterTIF>(CRaster(), &file, &error));
  EXPECT_EQ(error, "null image!!!");
}

}  // namespace
