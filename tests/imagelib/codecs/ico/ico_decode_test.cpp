// Icon decoding: icotool's bitmap entries at every depth with their masks,
// raw PNG entries, cursors, PIL's and ImageMagick's icons, the mask rules on
// crafted icons, and hostile directories, each against ico_fixtures.py.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imagelib/codecs/ico/raster_ico.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"
#include "tests/imagelib/codecs/frame_raster.h"

namespace {

struct Meta {
  int32_t frame = 0, frames = -1, bpp = 0, bkgnd = -2;
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
    else if (key == "bkgnd") f >> m.bkgnd;
    else if (key == "error") std::getline(f >> std::ws, m.error);
    else ADD_FAILURE() << name << ": unknown meta line " << line;
  }
  return m;
}

bool Decode(CFrameRaster& image, const std::vector<uint8_t>& bytes, int32_t frame, int32_t type) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  image.SetFrameIndex(frame);
  return image.Decode(&file, type);
}

TEST(IcoDecode, FilesMatchTheirReferences) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 25u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Meta m = ReadMeta(c.name);
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath(c.file));
    CFrameRaster image;
    const bool decoded = Decode(image, bytes, m.frame, RASTER_FORMAT_ICO);
    if (c.kind == "err") {
      EXPECT_FALSE(decoded);
      EXPECT_EQ(image.GetLastError(), m.error);
      continue;
    }
    ASSERT_TRUE(decoded) << image.GetLastError();
    EXPECT_EQ(image.GetType(), RASTER_FORMAT_ICO);
    EXPECT_EQ(image.GetNumFrames(), m.frames);
    EXPECT_TRUE(SameRgb(image, ReadBytes(FixturePath(c.name + ".rgb")), c.width, c.height));
    if (m.bpp) {
      EXPECT_EQ(image.GetBpp(), m.bpp);
    }
    if (m.bkgnd != -2) {
      EXPECT_EQ(image.GetBkgndIndex(), m.bkgnd);
    }

    // The size probe gives the same size, and the type-0 decode finds the
    // icon before any other decoder takes it.
    CFrameRaster probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(Decode(probe, bytes, m.frame, RASTER_FORMAT_ICO));
    EXPECT_EQ(probe.GetWidth(), c.width);
    EXPECT_EQ(probe.GetHeight(), c.height);
    EXPECT_EQ(probe.GetType(), RASTER_FORMAT_ICO);
    CFrameRaster any;
    ASSERT_TRUE(Decode(any, bytes, m.frame, RASTER_FORMAT_UNKNOWN)) << any.GetLastError();
    EXPECT_EQ(any.GetType(), RASTER_FORMAT_ICO);
  }
}

// Every prefix of a few files: decoded or refused with a text.
TEST(IcoDecode, CutFilesFailWithATextOrDecode) {
  for (const char* name : {"icotool_b4.ico", "icotool_b32.ico", "icotool_three.ico", "pil_sizes.ico"}) {
    const std::vector<uint8_t> whole = ReadBytes(FixturePath(name));
    ASSERT_FALSE(whole.empty()) << name;
    for (size_t size = 0; size < whole.size(); size += size < 400 ? 1 : 37) {
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
      CFrameRaster image;
      if (!Decode(image, cut, 0, RASTER_FORMAT_ICO)) {
        ASSERT_STRNE(image.GetLastError(), "") << name << " cut at " << size;
      } else {
        ASSERT_TRUE(image.IsValid()) << name << " cut at " << size;
      }
    }
  }
}

TEST(IcoDecode, CancelStopsWithText) {
  CFrameRaster image;
  image.SetEscape(1);
  EXPECT_FALSE(Decode(image, ReadBytes(FixturePath("icotool_b8.ico")), 0, RASTER_FORMAT_ICO));
  EXPECT_STREQ(image.GetLastError(), "Cancelled");
}

}  // namespace
