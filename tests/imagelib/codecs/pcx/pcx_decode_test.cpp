// PCX decoding: PIL, netpbm, ImageMagick and struct-made files against their
// source pictures, under the PCX type and under type 0; damaged files with
// their exact texts; files cut at every length; the size probe and cancel.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "imagelib/codecs/pcx/raster_pcx.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_damage_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool DecodeAs(CRaster& image, const std::vector<uint8_t>& bytes, int32_t type) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return image.Decode(&file, type);
}

int MetaBpp(const std::string& name) {
  std::ifstream in(FixturePath(name + ".meta"));
  std::string key;
  int bpp = 0;
  in >> key >> bpp;
  return bpp;
}

TEST(PcxDecode, ForeignFilesMatchTheirSources) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 40u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath(c.file));
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + ".rgb"));
    CRasterPCX pcx;
    ASSERT_TRUE(DecodeWithBytes(pcx, bytes)) << pcx.GetLastError();
    EXPECT_TRUE(SameRgb(pcx, expected, c.width, c.height));
    EXPECT_EQ(pcx.GetBpp(), MetaBpp(c.name));
    EXPECT_EQ(pcx.GetType(), RASTER_FORMAT_PCX);
    // Every decoder before PCX in the try order turns the file down.
    CRaster any;
    ASSERT_TRUE(DecodeAs(any, bytes, RASTER_FORMAT_UNKNOWN)) << any.GetLastError();
    EXPECT_EQ(any.GetType(), RASTER_FORMAT_PCX);
    EXPECT_TRUE(SameRgb(any, expected, c.width, c.height));
  }
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
