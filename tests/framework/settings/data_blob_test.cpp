#include "framework/settings/data_blob.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Encodes one record of the older layout with the given byte widths.
void AddRecord(std::vector<uint8_t>* blob, int keyWidth, int subKeyWidth, int lengthWidth,
               uint32_t key, uint32_t subKey, const std::vector<uint8_t>& value,
               uint64_t declaredLength = UINT64_MAX) {
  uint64_t length = declaredLength == UINT64_MAX ? value.size() : declaredLength;
  blob->push_back(static_cast<uint8_t>(keyWidth | (subKeyWidth << 2) | (lengthWidth << 4)));
  auto put = [blob](uint64_t v, int width) {
    for (int i = 0; i < width; ++i) blob->push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  put(key, keyWidth);
  put(subKey, subKeyWidth);
  put(length, lengthWidth);
  blob->insert(blob->end(), value.begin(), value.end());
}

void Fill(CDataBlob* blob, const std::vector<uint8_t>& bytes) {
  blob->Free();
  if (!bytes.empty()) blob->Append(bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::vector<uint8_t> Bytes(const char* text) {
  return std::vector<uint8_t>(text, text + strlen(text));
}

TEST(DataBlob, EveryWidthCombinationDecodes) {
  std::vector<uint8_t> bytes;
  int n = 0;
  for (int kw = 0; kw <= 3; ++kw)
    for (int sw = 0; sw <= 3; ++sw)
      for (int lw = 1; lw <= 4; ++lw, ++n) {
        uint32_t key = kw ? (n & ((1u << (8 * kw)) - 1)) : 0;
        uint32_t sub = sw ? (n * 3 & ((1u << (8 * sw)) - 1)) : 0;
        AddRecord(&bytes, kw, sw, lw, key, sub, {uint8_t(n), uint8_t(kw), uint8_t(sw)});
      }
  CDataBlob blob;
  Fill(&blob, bytes);
  n = 0;
  for (int kw = 0; kw <= 3; ++kw)
    for (int sw = 0; sw <= 3; ++sw)
      for (int lw = 1; lw <= 4; ++lw, ++n) {
        uint32_t key = kw ? (n & ((1u << (8 * kw)) - 1)) : 0;
        uint32_t sub = sw ? (n * 3 & ((1u << (8 * sw)) - 1)) : 0;
        uint8_t out[3] = {0xEE, 0xEE, 0xEE};
        // Keys 0/0 repeat (widths 0); the first record with those numbers wins
        // in stored order, so only look up records that are unique.
        if (kw == 0 && sw == 0 && lw > 1) continue;
        blob.iReadPos = 0;
        ASSERT_EQ(3, ReadBlobRecord(&blob, key, sub, out, 3)) << kw << sw << lw;
        EXPECT_EQ(n, out[0]);
        EXPECT_EQ(kw, out[1]);
        EXPECT_EQ(sw, out[2]);
      }
}

TEST(DataBlob, CopiesAtMostOutSizeAndZeroFillsTheRest) {
  std::vector<uint8_t> bytes;
  AddRecord(&bytes, 2, 1, 1, 7, 1, Bytes("hello"));
  CDataBlob blob;
  Fill(&blob, bytes);
  uint8_t small[3];
  EXPECT_EQ(3, ReadBlobRecord(&blob, 7, 1, small, 3));
  EXPECT_EQ(0, memcmp("hel", small, 3));
  uint8_t big[8];
  memset(big, 0xEE, sizeof big);
  EXPECT_EQ(5, ReadBlobRecord(&blob, 7, 1, big, 8));
  const uint8_t expected[8] = {'h', 'e', 'l', 'l', 'o', 0, 0, 0};
  EXPECT_EQ(0, memcmp(expected, big, 8));
}

TEST(DataBlob, KeysCompareAsSixteenBitNumbers) {
  std::vector<uint8_t> bytes;
  AddRecord(&bytes, 3, 3, 1, 0x10005, 0x20001, Bytes("x"));
  CDataBlob blob;
  Fill(&blob, bytes);
  uint8_t out = 0;
  EXPECT_EQ(1, ReadBlobRecord(&blob, 5, 1, &out, 1));
  EXPECT_EQ('x', out);
  EXPECT_EQ(-1, ReadBlobRecord(&blob, 6, 1, &out, 1));
}

TEST(DataBlob, SearchContinuesBehindTheLastRecordAndWrapsOnce) {
  std::vector<uint8_t> bytes;
  for (int field = 0; field < 6; ++field)
    AddRecord(&bytes, 1, 1, 1, 0, field, {uint8_t(100 + field)});
  CDataBlob blob;
  Fill(&blob, bytes);
  uint8_t out = 0;
  ASSERT_EQ(1, ReadBlobRecord(&blob, 0, 3, &out, 1));
  EXPECT_EQ(103, out);
  EXPECT_EQ(4 * 5, blob.iReadPos);  // behind the record of field 3 (5 bytes each)
  ASSERT_EQ(1, ReadBlobRecord(&blob, 0, 1, &out, 1));  // before it: wraps
  EXPECT_EQ(101, out);
  ASSERT_EQ(1, ReadBlobRecord(&blob, 0, 5, &out, 1));
  EXPECT_EQ(105, out);
  EXPECT_EQ(0, blob.iReadPos);  // the last record: the next search starts over
  ASSERT_EQ(1, ReadBlobRecord(&blob, 0, 0, &out, 1));
  EXPECT_EQ(100, out);
  blob.iReadPos = 10;
  EXPECT_EQ(-1, ReadBlobRecord(&blob, 0, 9, &out, 1));
  EXPECT_EQ(10, blob.iReadPos);  // a miss leaves the start where it was
}

TEST(DataBlob, DamagedBlobsGiveMinusOne) {
  std::vector<uint8_t> good;
  AddRecord(&good, 2, 2, 2, 1, 2, Bytes("value"));
  AddRecord(&good, 2, 2, 2, 3, 4, Bytes("other"));
  CDataBlob blob;
  uint8_t out[16];
  // Every truncation of the second record fails for it (it lies at or past the cut).
  for (size_t cut = 1; cut < good.size(); ++cut) {
    Fill(&blob, std::vector<uint8_t>(good.begin(), good.begin() + cut));
    EXPECT_EQ(-1, ReadBlobRecord(&blob, 3, 4, out, sizeof out)) << cut;
  }
  // A declared value length past the end, also one near 2^32.
  for (uint64_t declared : {6ull, 0xFFFFFFFFull, 0xFFFFFFF0ull}) {
    std::vector<uint8_t> bytes;
    AddRecord(&bytes, 1, 1, 4, 1, 1, Bytes("abc"), declared);
    Fill(&blob, bytes);
    EXPECT_EQ(-1, ReadBlobRecord(&blob, 1, 1, out, 2)) << declared;
  }
  // Value-length widths of 5 to 7 bytes cannot be read.
  for (int width = 5; width <= 7; ++width) {
    std::vector<uint8_t> bytes;
    AddRecord(&bytes, 1, 1, width, 1, 1, Bytes("abc"));
    Fill(&blob, bytes);
    EXPECT_EQ(-1, ReadBlobRecord(&blob, 1, 1, out, 3)) << width;
  }
  // Empty blob, read position past the end, negative out size.
  Fill(&blob, {});
  EXPECT_EQ(-1, ReadBlobRecord(&blob, 1, 2, out, 4));
  Fill(&blob, good);
  blob.iReadPos = blob.count;
  EXPECT_EQ(-1, ReadBlobRecord(&blob, 1, 2, out, 4));
  blob.iReadPos = 0;
  EXPECT_EQ(-1, ReadBlobRecord(&blob, 1, 2, out, -1));
  EXPECT_EQ(5, ReadBlobRecord(&blob, 1, 2, out, 5));
}

}  // namespace
