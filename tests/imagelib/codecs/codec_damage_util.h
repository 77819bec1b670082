#pragma once
// Damaged input for the decoder tests: the fixture list of files that must
// fail with an exact text, and every prefix of a sound file.
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
