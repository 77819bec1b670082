#pragma once
// Checks shared by the decoder tests: the fixture manifest decoded under the
// codec's own type and under type 0, the list of files that must fail with
// an exact text, and every prefix of a sound file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"

template <class TCodec>
bool DecodeWithBytes(TCodec& codec, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return codec.Decode(&file);
}

// Every case of the manifest (rgb kind) decodes to its pixels at the depth
// of its "<name>.meta" line "bpp B", also under type 0: the decoders before
// this one in the try order turn the file down.
template <class TCodec>
void ExpectManifestDecodes(int32_t type, size_t minimum) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), minimum) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath(c.file));
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + ".rgb"));
    std::ifstream meta(FixturePath(c.name + ".meta"));
    std::string key;
    int bpp = 0;
    meta >> key >> bpp;
    TCodec codec;
    ASSERT_TRUE(DecodeWithBytes(codec, bytes)) << codec.GetLastError();
    EXPECT_TRUE(SameRgb(codec, expected, c.width, c.height));
    EXPECT_EQ(codec.GetBpp(), bpp);
    EXPECT_EQ(codec.GetType(), type);
    CRaster any;
    CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
    ASSERT_TRUE(any.Decode(&file, RASTER_FORMAT_UNKNOWN)) << any.GetLastError();
    EXPECT_EQ(any.GetType(), type);
    EXPECT_TRUE(SameRgb(any, expected, c.width, c.height));
  }
}

// errors.txt lines "<file> <text>": each file fails with exactly that text.
// Returns the number of files.
template <class TCodec>
int ExpectListedFailures() {
  std::ifstream list(FixturePath("errors.txt"));
  std::string file, text;
  int count = 0;
  while (list >> file && std::getline(list, text)) {
    ++count;
    TCodec codec;
    EXPECT_FALSE(DecodeWithBytes(codec, ReadBytes(FixturePath(file)))) << file;
    EXPECT_EQ(codec.GetLastError(), text.substr(1)) << file;
  }
  return count;
}

// Every prefix of the fixture file: the decode ends, a success has an image
// and a failure a text.
template <class TCodec>
void ExpectEveryCutEnds(const char* name) {
  const std::vector<uint8_t> whole = ReadBytes(FixturePath(name));
  ASSERT_FALSE(whole.empty()) << name;
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    TCodec codec;
    if (DecodeWithBytes(codec, std::vector<uint8_t>(whole.begin(), whole.begin() + cut)))
      ASSERT_TRUE(codec.IsValid()) << name << " cut at " << cut;
    else
      ASSERT_STRNE(codec.GetLastError(), "") << name << " cut at " << cut;
  }
}
