// TGA decoding: ImageMagick, PIL, netpbm and struct-made files against
// ImageMagick's pixels, under the TGA type and under type 0; damaged files
// with their exact texts; packets past the image; files cut at every
// length; the size probe and cancel.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "imagelib/codecs/tga/raster_tga.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_damage_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

int MetaBpp(const std::string& name) {
  std::ifstream in(FixturePath(name + ".meta"));
  std::string key;
  int bpp = 0;
  in >> key >> bpp;
  return bpp;
}

TEST(TgaDecode, ForeignFilesMatchImageMagick) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 60u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath(c.file));
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + ".rgb"));
    CRasterTGA tga;
    ASSERT_TRUE(DecodeWithBytes(tga, bytes)) << tga.GetLastError();
    EXPECT_TRUE(SameRgb(tga, expected, c.width, c.height));
    EXPECT_EQ(tga.GetBpp(), MetaBpp(c.name));
    EXPECT_EQ(tga.GetType(), RASTER_FORMAT_TGA);
    // No signature: under type 0 the decoders before TGA turn it down.
    CRaster any;
    CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
    ASSERT_TRUE(any.Decode(&file, RASTER_FORMAT_UNKNOWN)) << any.GetLastError();
    EXPECT_EQ(any.GetType(), RASTER_FORMAT_TGA);
  }
}

TEST(TgaDecode, DamagedFilesFailWithTheirTexts) { EXPECT_GE(ExpectListedFailures<CRasterTGA>(), 12); }

// Packets reaching past the last pixel stop there.
TEST(TgaDecode, PacketsPastTheImageEndThere) {
  std::ifstream list(FixturePath("hostile.txt"));
  std::string file;
  int count = 0;
  while (list >> file) {
    ++count;
    CRasterTGA tga;
    ASSERT_TRUE(DecodeWithBytes(tga, ReadBytes(FixturePath(file)))) << file << ": " << tga.GetLastError();
    EXPECT_TRUE(tga.IsValid());
  }
  EXPECT_EQ(count, 2);
}

TEST(TgaDecode, FilesCutAtEveryLength) {
  for (const char* name : {"im_truecolor_rle.tga", "struct_map16_rle.tga", "struct_16bit_d20.tga"}) {
    ExpectEveryCutEnds<CRasterTGA>(name);
  }
}

TEST(TgaDecode, SizeProbeAndCancel) {
  const std::vector<uint8_t> bytes = ReadBytes(FixturePath("im_palette_rle.tga"));
  ASSERT_FALSE(bytes.empty());
  CRasterTGA probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(DecodeWithBytes(probe, bytes));
  EXPECT_EQ(probe.GetWidth(), 37);
  EXPECT_EQ(probe.GetHeight(), 11);
  EXPECT_EQ(probe.GetType(), RASTER_FORMAT_TGA);
  EXPECT_FALSE(probe.IsValid());

  CRasterTGA cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(DecodeWithBytes(cancelled, bytes));
  EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

}  // namespace
