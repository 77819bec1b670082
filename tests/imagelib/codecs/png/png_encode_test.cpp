// PNG encoding: round trips at every depth, interlaced and not, the zlib
// level options, the background entry moved to entry 0 only in the file,
// the palette length, and failures that leave the image alone. The files go
// to the oracle script (pngcheck and PIL).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imagelib/codecs/png/raster_png.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool EncodeTo(const CRaster& image, CRasterFile* file, std::string* error = nullptr) {
  return EncodeWith<CRasterPNG>(image, file, error);
}

std::vector<uint8_t> EncodeToBytes(const CRaster& image) { return EncodeWithToBytes<CRasterPNG>(image); }

bool DecodeBytes(CRasterPNG& png, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return png.Decode(&file);
}

// Header, palette and pixels of an image, to prove it was not touched.
std::vector<uint8_t> Snapshot(const CRaster& image) {
  std::vector<uint8_t> bytes(image.GetDib(), image.GetDib() + image.GetSize());
  const int32_t extra[] = {image.GetBkgndIndex(), int32_t(image.GetClrImportant()),
                           image.GetWidth(), image.GetBpp()};
  bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(extra),
               reinterpret_cast<const uint8_t*>(extra) + sizeof extra);
  return bytes;
}

class PngEncode : public testing::Test {
 protected:
  static CWrittenCases* sWritten;
  static void SetUpTestSuite() { sWritten = new CWrittenCases("written"); }
  static void TearDownTestSuite() {
    EXPECT_TRUE(sWritten->Finish());
    delete sWritten;
  }
  // Writes the file for the oracle, with extra lines for <name>.meta.
  static void Keep(const std::string& name, const std::vector<uint8_t>& file, const CRaster& image,
                   const std::string& meta = "") {
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".png"), file));
    sWritten->Add(name, name + ".png", image);
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".meta"),
                           std::vector<uint8_t>(meta.begin(), meta.end())));
  }
};
CWrittenCases* PngEncode::sWritten = nullptr;

TEST_F(PngEncode, RoundTripsAtEveryDepth) {
  struct Kind {
    int bpp;
    bool grey;
  };
  for (Kind kind : {Kind{1, false}, Kind{4, false}, Kind{8, false}, Kind{8, true}, Kind{24, false}}) {
    for (uint32_t interlaced : {0u, 1u}) {
      for (int32_t width : {1, 3, 33, 65}) {
        const std::string name = "bpp" + std::to_string(kind.bpp) + (kind.grey ? "_grey" : "") +
                                 "_w" + std::to_string(width) + (interlaced ? "_interlaced" : "");
        SCOPED_TRACE(name);
        CRaster image(width, 9, kind.bpp);
        FillRandom(image, uint32_t(width * 31 + kind.bpp), kind.grey);
        image.SetCodecOption(interlaced, RASTER_FORMAT_PNG);
        image.SetXDpi(300);
        const std::vector<uint8_t> file = EncodeToBytes(image);
        CRasterPNG back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), kind.bpp);
        EXPECT_EQ(back.GetXDpi(), 300);
        EXPECT_EQ(back.GetYDpi(), 96);
        EXPECT_EQ(back.GetCodecOption(RASTER_FORMAT_PNG) & 1, interlaced);
        EXPECT_TRUE(SameRgb(back, RgbRows(image), width, 9));
        Keep(name, file, image,
             "interlaced " + std::to_string(interlaced) + "\ncolortype " +
                 std::to_string(kind.bpp == 24 ? 2 : kind.grey ? 0 : 3) + "\n");
      }
    }
  }
}

TEST_F(PngEncode, OptionBitsChooseTheZlibLevel) {
  CRaster image(64, 64, 24);
  FillRandom(image, 77);
  // zlib's header level field: 0 fastest, 2 default, 3 maximum.
  const struct {
    uint32_t option;
    int flevel;
  } cases[] = {{0, 2}, {6, 3}, {7, 3}, {4, 0}, {2, 0}, {8, 2}};
  for (const auto& c : cases) {
    image.SetCodecOption(c.option, RASTER_FORMAT_PNG);
    Keep("option" + std::to_string(c.option), EncodeToBytes(image), image,
         "flevel " + std::to_string(c.flevel) + "\n");
  }
}

TEST_F(PngEncode, BackgroundEntryBecomesEntryZeroOnlyInTheFile) {
  CRaster image(10, 4, 8);
  for (int i = 0; i < 256; ++i) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(255 - i), BYTE(i * 7), 0);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 10; ++x) image.SetPixelIndexUnchecked(x, y, BYTE((x + y) % 10));
  image.SetBkgndIndex(5);
  const std::vector<uint8_t> before = Snapshot(image);
  const std::vector<uint8_t> file = EncodeToBytes(image);
  EXPECT_EQ(Snapshot(image), before);

  CRasterPNG back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_EQ(back.GetBkgndIndex(), 0);
  EXPECT_EQ(back.GetPaletteColor(0).rgbRed, 5);
  EXPECT_EQ(back.GetPaletteColor(5).rgbRed, 0);
  EXPECT_EQ(back.GetPixelIndexUnchecked(5, 0), 0);
  EXPECT_EQ(back.GetPixelIndexUnchecked(0, 0), 5);
  EXPECT_TRUE(SameRgb(back, RgbRows(image), 10, 4));
  Keep("background5", file, image, "entry0 05FA23\ntrns 0\nplte 256\n");

  // A write that fails half way leaves the image as it was, too.
  std::string error;
  EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterPNG>(image, "read_only.png", &error));
  EXPECT_EQ(error, "Error saving PNG file");
  EXPECT_EQ(Snapshot(image), before);
}

TEST_F(PngEncode, PaletteCoversEveryIndexInUse) {
  CRaster image(6, 2, 8);
  FillRandom(image, 5);
  for (int32_t x = 0; x < 6; ++x) {
    image.SetPixelIndexUnchecked(x, 0, BYTE(x % 3));
    image.SetPixelIndexUnchecked(x, 1, 1);
  }
  image.SetPixelIndexUnchecked(4, 1, 10);
  image.SetClrImportant(4);
  const std::vector<uint8_t> file = EncodeToBytes(image);
  CRasterPNG back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_TRUE(SameRgb(back, RgbRows(image), 6, 2));
  Keep("important4_index10", file, image, "plte 11\n");

  image.SetPixelIndexUnchecked(4, 1, 2);
  Keep("important4", EncodeToBytes(image), image, "plte 4\n");
}

TEST_F(PngEncode, NothingToWrite) {
  CRaster empty;
  CRasterMemFile sink;
  sink.Open();
  std::string error;
  EXPECT_FALSE(EncodeTo(empty, &sink, &error));
  EXPECT_EQ(error, "null image!!!");
  CRaster image(2, 2, 24);
  EXPECT_FALSE(EncodeTo(image, nullptr, &error));
  EXPECT_EQ(error, "null file handler");
}

}  // namespace
