// PCX decoding: PIL, netpbm, ImageMagick and struct-made files against their
// source pictures, under the PCX type and under type 0; damaged files with
// their exact texts; files cut at every length; the size probe and cancel.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "imagelib/codecs/pcx/raster_pcx.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_decode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

TEST(PcxDecode, ForeignFilesMatchTheirSources) {
  ExpectManifestDecodes<CRasterPCX>(RASTER_FORMAT_PCX, 40u);
}

TEST(PcxDecode, DamagedFilesFailWithTheirTexts) { EXPECT_GE(ExpectListedFailures<CRasterPCX>(), 14); }

TEST(PcxDecode, FilesCutAtEveryLength) {
  for (const char* name : {"ppmtopcx-8bit_200_w17.pcx", "ppmtopcx-planes=4_16_w17.pcx", "pil_RGB_w7.pcx"}) {
    ExpectEveryCutEnds<CRasterPCX>(name);
  }
}

TEST(PcxDecode, SizeProbeResolutionAndCancel) {
  const std::vector<uint8_t> bytes = ReadBytes(FixturePath("ppmtopcx-24bit_0_w40.pcx"));
  ASSERT_FALSE(bytes.empty());
  CRasterPCX probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(DecodeWithBytes(probe, bytes));
  EXPECT_EQ(probe.GetWidth(), 40);
  EXPECT_EQ(probe.GetHeight(), 5);
  EXPECT_EQ(probe.GetType(), RASTER_FORMAT_PCX);
  EXPECT_FALSE(probe.IsValid());

  CRasterPCX pcx;
  ASSERT_TRUE(DecodeWithBytes(pcx, ReadBytes(FixturePath("struct_2bit.pcx"))));
  EXPECT_EQ(pcx.GetXDpi(), 72);
  EXPECT_EQ(pcx.GetYDpi(), 72);

  CRasterPCX cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(DecodeWithBytes(cancelled, bytes));
  EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

}  // namespace
