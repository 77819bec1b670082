// TIFF decoding: tiffcp's compressions, tiles, planes and pages, grey and
// palette pages of every width, 16-bit scaling, L*a*b*, colour pages through
// libtiff's RGBA reader, the orientations, and damaged files, each against
// tif_fixtures.py's reference pixels and expectations.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imagelib/codecs/tif/raster_tif.h"
#include "imagelib/raster_io_file.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"
#include "tests/imagelib/codecs/frame_raster.h"

namespace {

struct Meta {
  int32_t frame = 0, frames = -1, bpp = 0, tolerance = 0;
  int64_t option = -1;
  int32_t dpiX = 0, dpiY = 0, offsetX = 0, offsetY = 0;
  bool hasOffset = false;
  std::string error;
};

Meta ReadMeta(const std::string& name) {
  Meta m;
  std::ifstream in(FixturePath(name + ".meta"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string key;
    f >> key;
    if (key == "frame") f >> m.frame;
    else if (key == "frames") f >> m.frames;
    else if (key == "bpp") f >> m.bpp;
    else if (key == "option") f >> m.option;
    else if (key == "tolerance") f >> m.tolerance;
    else if (key == "dpi") f >> m.dpiX >> m.dpiY;
    else if (key == "offset") { f >> m.offsetX >> m.offsetY; m.hasOffset = true; }
    else if (key == "error") std::getline(f >> std::ws, m.error);
    else ADD_FAILURE() << name << ": unknown meta line " << line;
  }
  return m;
}

bool Decode(CFrameRaster& image, const std::vector<uint8_t>& bytes, int32_t frame) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  image.SetFrameIndex(frame);
  return image.Decode(&file, RASTER_FORMAT_TIF);
}

testing::AssertionResult NearRgb(const CRaster& image, const std::vector<uint8_t>& expected,
                                 int32_t tolerance) {
  const std::vector<uint8_t> got = RgbRows(image);
  if (got.size() != expected.size()) return testing::AssertionFailure() << "size differs";
  for (size_t i = 0; i < got.size(); ++i)
    if (std::abs(int(got[i]) - int(expected[i])) > tolerance)
      return testing::AssertionFailure() << "byte " << i << ": " << int(got[i]) << ", expected "
                                         << int(expected[i]);
  return testing::AssertionSuccess();
}

TEST(TifDecode, FilesMatchTheirReferences) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 100u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Meta m = ReadMeta(c.name);
    CFrameRaster image;
    const bool decoded = Decode(image, ReadBytes(FixturePath(c.file)), m.frame);
    if (m.frames >= 0) {
      EXPECT_EQ(image.GetNumFrames(), m.frames);
    }
    if (c.kind == "err") {
      EXPECT_FALSE(decoded);
      EXPECT_EQ(image.GetLastError(), m.error);
      continue;
    }
    EXPECT_TRUE(decoded) << image.GetLastError();
    EXPECT_EQ(image.GetType(), RASTER_FORMAT_TIF);
    EXPECT_EQ(image.GetWidth(), c.width);
    EXPECT_EQ(image.GetHeight(), c.height);
    if (!decoded || image.GetWidth() != c.width || image.GetHeight() != c.height) continue;
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + ".rgb"));
    if (m.tolerance)
      EXPECT_TRUE(NearRgb(image, expected, m.tolerance));
    else
      EXPECT_TRUE(SameRgb(image, expected, c.width, c.height));
    if (m.bpp) {
      EXPECT_EQ(image.GetBpp(), m.bpp);
    }
    if (m.option >= 0) {
      EXPECT_EQ(image.GetCodecOption(RASTER_FORMAT_TIF), uint32_t(m.option));
    }
    if (m.dpiX) {
      EXPECT_EQ(image.GetXDpi(), m.dpiX);
      EXPECT_EQ(image.GetYDpi(), m.dpiY);
    }
  }
}

// Every prefix of a few small files: decoded or refused with a text, never
// read past the bytes given (AddressSanitizer watches natively).
TEST(TifDecode, CutFilesFailWithATextOrDecode) {
  for (const char* name : {"rgb_lzw2.tif", "palette4_tiles.tif", "grey1_g4.tif", "lab8.tif",
                           "orient6_ycbcr.tif", "pages3_frame0.tif"}) {
    const std::vector<uint8_t> whole = ReadBytes(FixturePath(name));
    ASSERT_FALSE(whole.empty()) << name;
    for (size_t size = 0; size < whole.size(); ++size) {
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
      CFrameRaster image;
      if (!Decode(image, cut, 0)) {
        ASSERT_STRNE(image.GetLastError(), "") << name << " cut at " << size;
      } else {
        ASSERT_TRUE(image.IsValid()) << name << " cut at " << size;
      }
    }
  }
}

TEST(TifDecode, SizeProbeAndCancel) {
  const std::vector<uint8_t> bytes = ReadBytes(FixturePath("pages3_frame0.tif"));
  CFrameRaster probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(Decode(probe, bytes, 1));
  EXPECT_FALSE(probe.IsValid());
  EXPECT_EQ(probe.GetWidth(), 13);
  EXPECT_EQ(probe.GetHeight(), 10);
  EXPECT_EQ(probe.GetType(), RASTER_FORMAT_TIF);
  EXPECT_STREQ(probe.GetLastError(), "output dimensions returned");

  CFrameRaster cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(Decode(cancelled, bytes, 0));
  EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

}  // namespace

namespace {

// libtiff's RGBA reader takes tiles only from memory: a disk file's tiled
// colour page must decode as the same bytes in memory do.
TEST(TifDecode, TiledColourPagesFromAFileDecodeAsFromMemory) {
  for (const char* name : {"rgb_tiled.tif", "rgba_tiled.tif"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath(name));
    ASSERT_FALSE(bytes.empty());
    CFrameRaster fromMemory;
    ASSERT_TRUE(Decode(fromMemory, bytes, 0)) << fromMemory.GetLastError();
    FILE* stream = std::fopen(FixturePath(name).c_str(), "rb");
    ASSERT_TRUE(stream);
    CRasterIOFile file(stream, true);
    CFrameRaster fromFile;
    ASSERT_TRUE(fromFile.Decode(&file, RASTER_FORMAT_TIF)) << fromFile.GetLastError();
    EXPECT_TRUE(SameRgb(fromFile, RgbRows(fromMemory), fromMemory.GetWidth(), fromMemory.GetHeight()));
  }
}

}  // namespace
