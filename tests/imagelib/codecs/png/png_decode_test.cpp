// PNG decoding: every colour type and depth ImageMagick writes, interlaced
// twins, PIL's transparency forms and resolutions, the size probe, and
// damaged files that must fail with a text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imagelib/codecs/png/raster_png.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool DecodeBytes(CRasterPNG& png, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return png.Decode(&file);
}

// Checks the lines of <name>.meta against the decoded image.
void CheckMeta(const CRaster& image, const std::string& name) {
  std::ifstream in(FixturePath(name + ".meta"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    fields >> key;
    if (key == "interlaced") {
      uint32_t bit = 0;
      fields >> bit;
      EXPECT_EQ(image.GetCodecOption(RASTER_FORMAT_PNG) & 1, bit);
    } else if (key == "bpp") {
      int bpp = 0;
      fields >> bpp;
      EXPECT_EQ(image.GetBpp(), bpp);
    } else if (key == "bkgnd") {
      int32_t index = 0;
      fields >> index;
      EXPECT_EQ(image.GetBkgndIndex(), index);
    } else if (key == "colour") {
      std::string hex;
      fields >> hex;
      const RGBQUAD c = image.GetBkgndColor();
      EXPECT_EQ(uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | c.rgbBlue,
                std::stoul(hex, nullptr, 16));
    } else if (key == "alpha") {
      for (int i = 0; i < 256; ++i) {
        int alpha = 0;
        fields >> alpha;
        ASSERT_EQ(image.GetPaletteColor(BYTE(i)).rgbReserved, alpha) << "entry " << i;
      }
    } else if (key == "dpi") {
      int32_t x = 0, y = 0;
      fields >> x >> y;
      EXPECT_EQ(image.GetXDpi(), x);
      EXPECT_EQ(image.GetYDpi(), y);
    } else {
      ADD_FAILURE() << "unknown meta line " << line;
    }
  }
}

TEST(PngDecode, ForeignFilesMatchImageMagickAndPil) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 38u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + "." + c.kind));
    CRasterPNG png;
    ASSERT_TRUE(DecodeBytes(png, ReadBytes(FixturePath(c.file)))) << png.GetLastError();
    EXPECT_EQ(png.GetType(), RASTER_FORMAT_PNG);
    if (c.kind == "idx")
      EXPECT_TRUE(SameIndices(png, expected));
    else
      EXPECT_TRUE(SameRgb(png, expected, c.width, c.height));
    CheckMeta(png, c.name);
  }
}

TEST(PngDecode, DamagedFilesFailWithAText) {
  std::ifstream list(FixturePath("errors.txt"));
  std::string file;
  int count = 0;
  while (std::getline(list, file)) {
    if (file.empty()) continue;
    ++count;
    CRasterPNG png;
    EXPECT_FALSE(DecodeBytes(png, ReadBytes(FixturePath(file)))) << file;
    EXPECT_STRNE(png.GetLastError(), "") << file;
    if (file == "ihdr_100000_square.png") {
      EXPECT_STREQ(png.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    }
    if (file == "bad_ihdr_crc.png") {
      EXPECT_NE(std::string(png.GetLastError()).find("CRC"), std::string::npos) << png.GetLastError();
    }
  }
  EXPECT_GE(count, 12);
}

// Deflate inflates at most about 1032:1. A blank image at zlib's highest
// level comes close to that and must still decode; cut short, the same file
// is refused by its header before anything is allocated.
TEST(PngDecode, HeaderCheckedAgainstWhatTheStreamCanHold) {
  CRaster blank(4096, 1024, 8);
  blank.SetGrayPalette();
  blank.Clear(0);
  blank.SetCodecOption(6, RASTER_FORMAT_PNG);
  CRasterMemFile out;
  ASSERT_TRUE(out.Open());
  ASSERT_TRUE(blank.Encode(&out, RASTER_FORMAT_PNG));
  const std::vector<uint8_t> file(out.GetBuffer(), out.GetBuffer() + out.Size());
  ASSERT_LT(file.size(), 4096u * 1024 / 900) << "not compressed near the limit";

  CRasterPNG whole;
  ASSERT_TRUE(DecodeBytes(whole, file)) << whole.GetLastError();
  EXPECT_EQ(whole.GetPixelIndex(4095, 1023), 0);

  CRasterPNG cut;
  EXPECT_FALSE(DecodeBytes(cut, std::vector<uint8_t>(file.begin(), file.begin() + long(file.size()) / 2)));
  EXPECT_STREQ(cut.GetLastError(), "Error reading PNG file");
  EXPECT_FALSE(cut.IsValid());
}

TEST(PngDecode, SizeProbeAndCancel) {
  const std::vector<uint8_t> bytes = ReadBytes(FixturePath("im_type2_depth8.png"));
  ASSERT_FALSE(bytes.empty());
  CRasterPNG probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(DecodeBytes(probe, bytes));
  EXPECT_EQ(probe.GetWidth(), 53);
  EXPECT_EQ(probe.GetType(), RASTER_FORMAT_PNG);
  EXPECT_FALSE(probe.IsValid());

  CRasterPNG cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(DecodeBytes(cancelled, bytes));
}

}  // namespace
