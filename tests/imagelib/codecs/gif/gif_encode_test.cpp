// GIF encoding: the three code writers at every palette depth on noise and
// on runs up to past the table's end, true colour as tiles, the graphic
// control and frame position, and failures that leave the image alone. The
// files go to the oracle script (PIL, ImageMagick, gif2rgb, giftext).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/codecs/gif/raster_gif.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

class CGifState : public CRasterGIF {
 public:
  int32_t GetDelay() const { return info.frameDelay; }
};

bool DecodeBytes(CRasterGIF& gif, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return gif.Decode(&file);
}

std::vector<uint8_t> Snapshot(const CRaster& image) {
  return std::vector<uint8_t>(image.GetDib(), image.GetDib() + image.GetSize());
}

// Runs of one value of every length 1..120, then lengths around the code
// table's 4096 entries, cycling through the palette.
void FillRuns(CRaster& image) {
  std::vector<int32_t> lengths;
  for (int32_t n = 1; n <= 120; ++n) lengths.push_back(n);
  for (int32_t n : {254, 255, 256, 1000, 4093, 4094, 4095, 4096, 4097, 5000}) lengths.push_back(n);
  const int32_t colours = int32_t(image.GetNumColors());
  int32_t x = 0, y = image.GetHeight() - 1, value = 0;
  for (size_t k = 0; y >= 0; ++k) {
    value = (value + 1 + int32_t(k) % 3) % colours;
    for (int32_t n = lengths[k % lengths.size()]; n > 0 && y >= 0; --n) {
      image.SetPixelIndexUnchecked(x, y, BYTE(value));
      if (++x == image.GetWidth()) x = 0, --y;
    }
  }
}

class GifEncode : public testing::Test {
 protected:
  static CWrittenCases* sWritten;
  static void SetUpTestSuite() { sWritten = new CWrittenCases("written"); }
  static void TearDownTestSuite() {
    EXPECT_TRUE(sWritten->Finish());
    delete sWritten;
  }
  // The file for the oracle and lines for <name>.meta.
  static void Keep(const std::string& name, const std::vector<uint8_t>& file, const CRaster& image,
                   const std::string& meta = "") {
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".gif"), file));
    sWritten->Add(name, name + ".gif", image);
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".meta"), std::vector<uint8_t>(meta.begin(), meta.end())));
  }
  static std::vector<uint8_t> Encode(const CRaster& image) { return EncodeWithToBytes<CRasterGIF>(image); }
};
CWrittenCases* GifEncode::sWritten = nullptr;

TEST_F(GifEncode, EveryWriterReadsBackExactly) {
  for (uint32_t option : {0u, 1u, 2u}) {
    for (int bpp : {1, 4, 8}) {
      for (bool runs : {false, true}) {
        const std::string name = "option" + std::to_string(option) + "_bpp" + std::to_string(bpp) +
                                 (runs ? "_runs" : "_noise");
        SCOPED_TRACE(name);
        const int32_t side = runs ? 233 : 300;
        CRaster image(side, side - 1, bpp);
        FillRandom(image, uint32_t(bpp * 7 + option));
        if (runs) FillRuns(image);
        image.SetCodecOption(option, RASTER_FORMAT_GIF);
        const std::vector<uint8_t> file = Encode(image);
        CRasterGIF back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_TRUE(SameRgb(back, RgbRows(image), image.GetWidth(), image.GetHeight()));
        Keep(name, file, image);
      }
    }
  }
}

// The minimum code size is the depth, at least 2: a 1-bit file says 2.
TEST_F(GifEncode, HeaderAndDescriptorBytes) {
  CRaster image(5, 3, 1);
  FillRandom(image, 3);
  image.SetOffset(7, 9);
  const std::vector<uint8_t> file = Encode(image);
  // Header and screen (13), two colours (6), graphic control (8), then ','.
  ASSERT_GT(file.size(), 38u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
  EXPECT_EQ(file[10], 0x80);
  EXPECT_EQ(file[27], ',');
  EXPECT_EQ(file[28] | file[29] << 8, 7);
  EXPECT_EQ(file[30] | file[31] << 8, 9);
  EXPECT_EQ(file[36], 0);  // no local table, not interlaced
  EXPECT_EQ(file[37], 2);
  CRaster four(3, 3, 4);
  EXPECT_EQ(Encode(four)[10], 0xE3);
  CRaster eight(3, 3, 8);
  EXPECT_EQ(Encode(eight)[10], 0xE7);
}

TEST_F(GifEncode, GraphicControlBothWays) {
  CRaster image(31, 17, 8);
  FillRandom(image, 11);
  image.SetBkgndIndex(5);
  image.SetDisposalMethod(2);
  const std::vector<uint8_t> file = Encode(image);
  CGifState back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_EQ(back.GetBkgndIndex(), 5);
  EXPECT_EQ(back.GetDisposalMethod(), 2);
  EXPECT_EQ(back.GetDelay(), 0);
  EXPECT_TRUE(SameIndices(back, [&] {
    std::vector<uint8_t> idx;
    for (int32_t y = image.GetHeight() - 1; y >= 0; --y)
      for (int32_t x = 0; x < image.GetWidth(); ++x) idx.push_back(image.GetPixelIndexUnchecked(x, y));
    return idx;
  }()));
  Keep("transparent5", file, image, "transparency 5\n");
}

// True colour: 17 x 15 tiles with their own tables, the last column and
// band narrower; with a transparent colour entry 0 holds it.
TEST_F(GifEncode, TrueColourAsTiles) {
  struct Case {
    int32_t width, height;
    uint32_t option;
    bool transparent;
  };
  for (const Case c : {Case{40, 20, 0, false}, Case{40, 20, 1, false}, Case{40, 20, 2, false},
                       Case{103, 47, 0, true}, Case{17, 15, 2, false}}) {
    const std::string name = "tiles_" + std::to_string(c.width) + "x" + std::to_string(c.height) +
                             "_option" + std::to_string(c.option) + (c.transparent ? "_transparent" : "");
    SCOPED_TRACE(name);
    CRaster image(c.width, c.height, 24);
    FillRandom(image, uint32_t(c.width + c.option));
    // Repeated colours in a tile reuse their first entry.
    for (int32_t x = 0; x < 9; ++x) image.SetPixelColorUnchecked(x, 0, RgbQuadFromValue(0x123456));
    if (c.transparent) {
      image.SetBkgndColor(RgbQuadFromValue(0x00FF00));
      image.SetBkgndIndex(0);
    }
    image.SetCodecOption(c.option, RASTER_FORMAT_GIF);
    const std::vector<uint8_t> file = Encode(image);
    CRasterGIF back;
    ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
    // A single tile is an ordinary one-frame file.
    EXPECT_EQ(back.GetBpp(), c.width > 17 ? 24 : 8);
    EXPECT_TRUE(SameRgb(back, RgbRows(image), c.width, c.height));
    std::string tiles = "tiles";
    for (int32_t top = 0; top < c.height; top += 15)
      for (int32_t left = 0; left < c.width; left += 17)
        tiles += " " + std::to_string(std::min(17, c.width - left)) + "x" +
                 std::to_string(std::min(15, c.height - top));
    Keep(name, file, image, tiles + "\n");
  }
}

TEST_F(GifEncode, WriteFailureLeavesTheImageAlone) {
  for (int bpp : {8, 24}) {
    CRaster image(64, 40, bpp);
    FillRandom(image, 5);
    const std::vector<uint8_t> before = Snapshot(image);
    std::string error;
    EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterGIF>(image, "readonly.gif", &error));
    EXPECT_EQ(error, "Write Error in GIF file");
    EXPECT_EQ(Snapshot(image), before);
  }
}

}  // namespace
