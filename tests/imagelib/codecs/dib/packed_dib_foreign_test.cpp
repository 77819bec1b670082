// Packed DIBs written by PIL and ImageMagick (their BMP files without the
// 14-byte file header) and hand-made ones import with PIL's pixels.
#include <gtest/gtest.h>

#include "imagelib/raster.h"
#include "tests/imagelib/codecs/codec_test_util.h"

TEST(PackedDibForeign, EveryFixtureMatchesPil) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 20u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> dib = ReadBytes(FixturePath(c.file));
    ASSERT_FALSE(dib.empty());
    CRaster image;
    ASSERT_TRUE(image.CreateFromPackedDib(dib.data(), dib.size()));
    EXPECT_TRUE(SameRgb(image, ReadBytes(FixturePath(c.name + ".rgb")), c.width, c.height));
  }
}
