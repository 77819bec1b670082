#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "framework/text/crc32.h"
#include "tests/support/test_paths.h"

// Writes a corpus with this build's CRC-32 of each entry; check_crc32.py
// compares every line with Python's zlib.crc32 after this test has run.
TEST(Crc32, CorpusForTheZlibComparison) {
  std::mt19937 rng(20240611);
  std::vector<std::string> corpus = {"", "a", "abc", "123456789", std::string(1, '\0'),
                                     std::string(1000, '\xFF')};
  for (size_t length : {2u, 3u, 4u, 7u, 8u, 15u, 16u, 63u, 255u, 256u, 1024u, 4099u}) {
    std::string bytes;
    for (size_t i = 0; i < length; ++i) bytes.push_back(char(rng() & 0xFF));
    corpus.push_back(bytes);
  }
  std::string path = TestOutputPath("crc32_corpus.txt");
  FILE* out = fopen(path.c_str(), "w");
  ASSERT_NE(nullptr, out) << path;
  for (const std::string& bytes : corpus) {
    uint32_t crc = Crc32String(bytes.data(), int(bytes.size()));
    // The same value in uneven pieces.
    uint32_t running = 0;
    for (size_t at = 0, piece = 1; at < bytes.size(); at += piece, piece = piece * 3 % 17 + 1)
      running = Crc32Update(running, bytes.data() + at, std::min(piece, bytes.size() - at));
    EXPECT_EQ(crc, running) << bytes.size();
    for (unsigned char c : bytes) fprintf(out, "%02x", c);
    fprintf(out, " %08x\n", unsigned(crc));
  }
  EXPECT_EQ(0, fclose(out));
}
