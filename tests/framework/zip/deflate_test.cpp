// The compressor against zlib's inflate and the stream probe: exact round
// trips, block kinds, match limits, and size against zlib's own level 8.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "deflate_probe.h"
#include "framework/zip/deflate.h"
#include "framework/zip/deflate_state.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

typedef std::vector<uint8_t> Bytes;

struct Feed {
  const Bytes* pIn;
  size_t uPos;
  size_t uChunk;
  Bytes aOut;
  size_t uFailAt;  // the read after this many bytes fails
};

int ReadFeed(void* user, uint8_t* buffer, unsigned count) {
  Feed* f = static_cast<Feed*>(user);
  if (f->uPos >= f->uFailAt) return -1;
  size_t n = f->pIn->size() - f->uPos;
  if (n > count) n = count;
  if (n > f->uChunk) n = f->uChunk;
  if (n) memcpy(buffer, f->pIn->data() + f->uPos, n);
  f->uPos += n;
  return static_cast<int>(n);
}

void WriteFeed(void* user, const uint8_t* data, unsigned count) {
  Feed* f = static_cast<Feed*>(user);
  f->aOut.insert(f->aOut.end(), data, data + count);
}

Bytes Compress(CDeflater& d, const Bytes& in, size_t chunk = SIZE_MAX, size_t failAt = SIZE_MAX) {
  Feed f = {&in, 0, chunk, {}, failAt};
  uint64_t length = 0;
  EXPECT_EQ(0u, d.Compress(ReadFeed, WriteFeed, &f, &length)) << d.ErrorText();
  EXPECT_EQ(f.aOut.size(), length);
  return f.aOut;
}

bool InflatesTo(const Bytes& comp, const Bytes& expected) {
  z_stream z = {};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  Bytes out(expected.size() + 16);
  z.next_in = const_cast<uint8_t*>(comp.data());
  z.avail_in = static_cast<uInt>(comp.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int r = inflate(&z, Z_FINISH);
  bool ok = r == Z_STREAM_END && z.total_out == expected.size() && z.avail_in == 0 &&
            std::equal(expected.begin(), expected.end(), out.begin());
  inflateEnd(&z);
  return ok;
}

size_t ZlibLevel8Size(const Bytes& in) {
  z_stream z = {};
  deflateInit2(&z, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, in.size()));
  z.next_in = const_cast<uint8_t*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  size_t n = z.total_out;
  deflateEnd(&z);
  return n;
}

Bytes ReadCorpus(const char* name) {
  Bytes data;
  std::string path = TestOutputPath(std::string("fixtures/corpus/") + name);
  if (!ReadWholeFile(path, &data)) ADD_FAILURE() << "fixture missing: " << path;
  return data;
}

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

// Symbol i appears Fibonacci(i) times, in random order: the optimal code
// lengths of the rare symbols go far beyond 15 bits.
Bytes FibonacciLiterals() {
  Bytes b;
  uint32_t f0 = 1, f1 = 1;
  for (int sym = 0; sym < 24; sym++) {
    b.insert(b.end(), f0, static_cast<uint8_t>(sym * 7 + 1));
    uint32_t next = f0 + f1;
    f0 = f1;
    f1 = next;
  }
  std::shuffle(b.begin(), b.end(), std::mt19937(9));
  return b;
}

class DeflateTest : public ::testing::Test {
 protected:
  CDeflater m_deflater;
};

TEST_F(DeflateTest, EmptyInputIsOneFinalFixedBlock) {
  Bytes out = Compress(m_deflater, Bytes());
  ASSERT_EQ((Bytes{0x03, 0x00}), out);
  EXPECT_TRUE(InflatesTo(out, Bytes()));
}

TEST_F(DeflateTest, TinyInputsRoundTrip) {
  for (const Bytes& in : {Bytes{0}, Bytes{0xFF}, Bytes{'a', 'b'}, Bytes{'a', 'a', 'a'},
                          Bytes{1, 2, 3}, Bytes{'a', 'a', 'a', 'a'}}) {
    Bytes out = Compress(m_deflater, in);
    EXPECT_TRUE(InflatesTo(out, in)) << in.size() << " bytes";
    DeflateProbe p = ProbeDeflate(out.data(), out.size());
    EXPECT_TRUE(p.bOk);
    EXPECT_EQ(out.size(), p.uConsumed) << "nothing may follow the last block";
  }
}

TEST_F(DeflateTest, CorpusRoundTripsWhateverTheReadSizes) {
  std::vector<std::pair<std::string, Bytes>> corpus = {
      {"text", ReadCorpus("text.txt")},       {"source", ReadCorpus("source.cpp")},
      {"bmp", ReadCorpus("screen.bmp")},      {"program", ReadCorpus("program.bin")},
      {"random", RandomBytes(1 << 20, 1)},    {"one byte", Bytes(1 << 20, 'x')},
      {"fibonacci", FibonacciLiterals()}};
  for (const auto& c : corpus) {
    ASSERT_FALSE(c.second.empty()) << c.first;
    for (size_t chunk : {size_t(1), size_t(7), size_t(16384), size_t(65536), SIZE_MAX}) {
      if (chunk == 1 && c.second.size() > 300000) continue;  // byte by byte only on the small ones
      Bytes out = Compress(m_deflater, c.second, chunk);
      EXPECT_TRUE(InflatesTo(out, c.second)) << c.first << ", reads of " << chunk;
    }
  }
}

TEST_F(DeflateTest, SizeStaysWithinTwoPercentOfZlibLevel8) {
  for (const char* name : {"text.txt", "source.cpp", "screen.bmp", "program.bin"}) {
    Bytes in = ReadCorpus(name);
    size_t ours = Compress(m_deflater, in).size();
    size_t zlibs = ZlibLevel8Size(in);
    EXPECT_LE(ours, zlibs * 102 / 100) << name << ": " << ours << " vs zlib " << zlibs;
  }
  Bytes random = RandomBytes(1 << 20, 2);
  EXPECT_LE(Compress(m_deflater, random).size(), ZlibLevel8Size(random) * 102 / 100);
}

TEST_F(DeflateTest, IncompressibleInputGoesIntoStoredBlocks) {
  Bytes in = RandomBytes(1 << 20, 3);
  Bytes out = Compress(m_deflater, in);
  DeflateProbe p = ProbeDeflate(out.data(), out.size());
  ASSERT_TRUE(p.bOk);
  EXPECT_EQ(in, p.aOut);
  EXPECT_GE(p.iStored, 32);
  EXPECT_EQ(0, p.iDynamic);
  // Five header bytes per block at most.
  EXPECT_LE(out.size(), in.size() + 5 * size_t(p.iStored + p.iFixed));
}

TEST_F(DeflateTest, OneRepeatedByteGivesMaximalMatches) {
  Bytes in(1 << 20, 'x');
  Bytes out = Compress(m_deflater, in);
  DeflateProbe p = ProbeDeflate(out.data(), out.size());
  ASSERT_TRUE(p.bOk);
  EXPECT_EQ(in, p.aOut);
  EXPECT_EQ(258u, p.uMaxLength);
  EXPECT_EQ(1u, p.uMaxDistance);
  EXPECT_GE(p.ullMatchBytes, in.size() - 258);
  EXPECT_LT(out.size(), 1200u);
}

TEST_F(DeflateTest, SlidingWindowNeverReachesPastTheMaximumDistance) {
  // Random data with 24-byte repeats at distances 32,505 to 32,507: the
  // last is out of reach, the others are found across several slides.
  Bytes in = RandomBytes(300000, 4);
  const size_t dists[3] = {32505, 32506, 32507};
  for (size_t p = 40000, k = 0; p + 24 < in.size(); p += 700, k++)
    memcpy(&in[p], &in[p - dists[k % 3]], 24);
  for (size_t chunk : {size_t(7), SIZE_MAX}) {
    Bytes out = Compress(m_deflater, in, chunk);
    DeflateProbe p = ProbeDeflate(out.data(), out.size());
    ASSERT_TRUE(p.bOk);
    EXPECT_EQ(in, p.aOut);
    EXPECT_EQ(32506u, p.uMaxDistance);
    EXPECT_GE(p.ullMatches, 300u);
    EXPECT_TRUE(InflatesTo(out, in));
  }
}

// The block coder alone, fed literals whose counts follow the Fibonacci
// numbers (1, 2, 3, 5, ...; with the end-of-block code's 1 a strict chain):
// an unlimited Huffman code would need 20 bits for the rarest.
TEST(DeflateBlockCoder, FibonacciCountsAreLimitedToFifteenBits) {
  DeflateState* s = static_cast<DeflateState*>(calloc(1, sizeof(DeflateState)));
  ASSERT_NE(nullptr, s);
  Feed f = {nullptr, 0, 0, {}, 0};
  s->pfnWrite = WriteFeed;
  s->pUser = &f;
  deflate_internal::InitTables(s);
  deflate_internal::InitBlock(s);
  deflate_internal::ResetBitWriter(s);
  Bytes literals;
  uint32_t f0 = 1, f1 = 2;
  for (int sym = 0; sym < 20; sym++) {
    literals.insert(literals.end(), f0, static_cast<uint8_t>('A' + sym));
    uint32_t next = f0 + f1;
    f0 = f1;
    f1 = next;
  }
  std::shuffle(literals.begin(), literals.end(), std::mt19937(9));
  for (uint8_t c : literals) ASSERT_FALSE(deflate_internal::Tally(s, 0, c));
  deflate_internal::FlushBlock(s, nullptr, 0, true);
  deflate_internal::FlushOutput(s);
  EXPECT_EQ(nullptr, s->pszError) << s->pszError;
  free(s);

  DeflateProbe p = ProbeDeflate(f.aOut.data(), f.aOut.size());
  ASSERT_TRUE(p.bOk);
  EXPECT_EQ(literals, p.aOut);
  EXPECT_EQ(1, p.iDynamic);
  EXPECT_GT(p.iMaxOptimalDepth, 15);
  EXPECT_EQ(15, p.iMaxCodeLength);
}

TEST_F(DeflateTest, MostlyCoveredBlocksEndEarly) {
  // Three fresh literals, then a 258-byte match: few symbols cover much
  // input, so the block is cut at a 4,096-symbol mark, long before the
  // symbol buffer is full.
  std::mt19937 rng(5);
  Bytes in = RandomBytes(8000, 6);
  while (in.size() < 1500000) {
    for (int i = 0; i < 3; i++) in.push_back(static_cast<uint8_t>(rng()));
    size_t from = in.size() - 4000 - rng() % 2000;
    for (int i = 0; i < 258; i++) in.push_back(in[from + i]);
  }
  Bytes out = Compress(m_deflater, in);
  DeflateProbe p = ProbeDeflate(out.data(), out.size());
  ASSERT_TRUE(p.bOk);
  EXPECT_EQ(in, p.aOut);
  // About 23,000 symbols in all: without the early end it would be one block.
  EXPECT_GE(p.iDynamic + p.iFixed + p.iStored, 5);
}

TEST_F(DeflateTest, StateIsResetBetweenInputs) {
  Bytes a = ReadCorpus("text.txt");
  Bytes b = RandomBytes(100000, 7);
  Bytes first = Compress(m_deflater, a);
  Compress(m_deflater, b);
  EXPECT_EQ(first, Compress(m_deflater, a));
}

TEST_F(DeflateTest, ReadErrorEndsTheInput) {
  // The caller records the error; the stream itself stays well formed.
  Bytes in = ReadCorpus("text.txt");
  Bytes out = Compress(m_deflater, in, 1000, 5000);
  EXPECT_TRUE(InflatesTo(out, Bytes(in.begin(), in.begin() + 5000)));
}

}  // namespace
