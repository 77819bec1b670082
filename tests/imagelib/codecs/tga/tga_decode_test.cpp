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
#include "tests/imagelib/codecs/codec_decode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

TEST(TgaDecode, ForeignFilesMatchImageMagick) {
  ExpectManifestDecodes<CRasterTGA>(RASTER_FORMAT_TGA, 60u);
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
