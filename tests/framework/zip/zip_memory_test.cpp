// The writer and reader on memory blocks: header layout, encryption, the
// block-size rule, piecewise extraction, handle and argument checks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/zip/zip.h"
#include "framework/zip/zip_platform.h"
#include "framework/zip/zip_time.h"

namespace {

typedef std::vector<uint8_t> Bytes;

uint16_t Get16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t Get32(const Bytes& b, size_t at) { return Get16(b, at) | (uint32_t(Get16(b, at + 2)) << 16); }

struct Entry {
  std::string sName;
  Bytes aData;
};

Bytes Text(size_t n) {
  std::string s;
  while (s.size() < n) s += "Brightwarden keeps its settings in zip archives. ";
  return Bytes(s.begin(), s.begin() + static_cast<long>(n));
}

Bytes Random(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

// Builds an archive in a block of `blockSize` bytes and returns its image.
Bytes BuildArchive(const std::vector<Entry>& entries, const char* password, uint32_t blockSize = 1 << 22) {
  Bytes block(blockSize);
  ZipHandle z = ZipCreateMemory(block.data(), blockSize, password);
  EXPECT_NE(nullptr, z);
  if (!z) return Bytes();
  for (const Entry& e : entries)
    EXPECT_EQ(ZIP_OK, ZipAddMemory(z, e.sName.c_str(), e.aData.data(), static_cast<uint32_t>(e.aData.size())))
        << e.sName;
  void* image = nullptr;
  uint32_t length = 0;
  EXPECT_EQ(ZIP_OK, ZipGetImage(z, &image, &length));
  EXPECT_EQ(block.data(), image);
  EXPECT_EQ(ZIP_OK, ZipCloseWriter(z));
  return Bytes(block.begin(), block.begin() + length);
}

ZipResult ExtractAll(ZipHandle z, int32_t index, Bytes* out) {
  ZipEntryInfo info;
  ZipResult r = ZipGetEntry(z, index, &info);
  if (r != ZIP_OK) return r;
  out->assign(info.ulUncompressedSize + 1, 0xAA);
  return ZipExtractToMemory(z, index, out->data(), static_cast<uint32_t>(out->size()));
}

// Offsets of the central headers, from the end record.
std::vector<size_t> CentralHeaders(const Bytes& a) {
  size_t end = a.size() - 22;
  EXPECT_EQ(0x06054B50u, Get32(a, end));
  std::vector<size_t> at;
  size_t p = Get32(a, end + 16);
  for (unsigned i = 0; i < Get16(a, end + 10); i++) {
    at.push_back(p);
    p += 46 + Get16(a, p + 28) + Get16(a, p + 30) + Get16(a, p + 32);
  }
  return at;
}

const std::vector<Entry> kMixed = {{"notes.txt", Text(30000)},
                                   {"data.zip", Text(5000)},
                                   {"folder\\x.GZ", Random(3000, 1)},
                                   {"report", Random(70000, 2)}};

TEST(ZipMemory, HeadersOfUnencryptedEntries) {
  Bytes a = BuildArchive(kMixed, nullptr);
  std::vector<size_t> cds = CentralHeaders(a);
  ASSERT_EQ(4u, cds.size());
  const uint16_t methods[4] = {8, 0, 0, 8};
  for (size_t i = 0; i < 4; i++) {
    size_t c = cds[i];
    EXPECT_EQ(0x0B17, Get16(a, c + 4)) << i;  // NTFS, 2.3
    EXPECT_EQ(20, Get16(a, c + 6));
    EXPECT_EQ(methods[i] == 8 ? 2 : 0, Get16(a, c + 8)) << i;
    EXPECT_EQ(methods[i], Get16(a, c + 10)) << i;
    EXPECT_EQ(9, Get16(a, c + 30));
    EXPECT_EQ(0x80000000u, Get32(a, c + 38));
    size_t nameLen = Get16(a, c + 28);
    size_t extra = c + 46 + nameLen;
    EXPECT_EQ('U', a[extra]);
    EXPECT_EQ('T', a[extra + 1]);
    EXPECT_EQ(5, Get16(a, extra + 2));
    EXPECT_EQ(7, a[extra + 4]);

    // The local header was rewritten: no descriptor, real CRC and sizes.
    size_t l = Get32(a, c + 42);
    EXPECT_EQ(0x04034B50u, Get32(a, l));
    EXPECT_EQ(Get16(a, c + 8), Get16(a, l + 6)) << "local flags equal the central ones";
    EXPECT_EQ(Get32(a, c + 16), Get32(a, l + 14));
    EXPECT_EQ(Get32(a, c + 20), Get32(a, l + 18));
    EXPECT_EQ(Get32(a, c + 24), Get32(a, l + 22));
    EXPECT_EQ(17, Get16(a, l + 28));
    EXPECT_EQ(13, Get16(a, l + 30 + nameLen + 2));
    size_t next = l + 30 + nameLen + 17 + Get32(a, c + 20);
    EXPECT_EQ(i + 1 < 4 ? 0x04034B50u : 0x02014B50u, Get32(a, next)) << "no data descriptor";
  }
  EXPECT_EQ("folder/x.GZ", std::string(reinterpret_cast<const char*>(&a[cds[2] + 46]), 11));
}

TEST(ZipMemory, RoundTripOfMixedEntries) {
  Bytes a = BuildArchive(kMixed, nullptr);
  ZipHandle z = ZipOpenMemory(a.data(), static_cast<uint32_t>(a.size()), nullptr);
  ASSERT_NE(nullptr, z);
  ASSERT_TRUE(ZipIsReader(z));
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, -1, &info));
  EXPECT_EQ(4, info.iIndex);
  EXPECT_STREQ("", info.szName);
  const uint64_t now = ZipPlatformNow();
  for (int32_t i = 0; i < 4; i++) {
    ASSERT_EQ(ZIP_OK, ZipGetEntry(z, i, &info));
    EXPECT_EQ(i, info.iIndex);
    std::string want = kMixed[i].sName;
    for (char& c : want)
      if (c == '\\') c = '/';
    EXPECT_EQ(want, info.szName);
    EXPECT_EQ(kMixed[i].aData.size(), info.ulUncompressedSize);
    EXPECT_EQ(0u, info.ulAttributes) << "memory entries carry no Windows attributes";
    // "UT" times: now, to the second.
    EXPECT_LE(info.ftModification, now + kFileTimePerSecond);
    EXPECT_GE(info.ftModification + 10 * kFileTimePerSecond, now);
    Bytes out;
    ASSERT_EQ(ZIP_OK, ExtractAll(z, i, &out)) << i;
    EXPECT_TRUE(std::equal(kMixed[i].aData.begin(), kMixed[i].aData.end(), out.begin())) << i;
    EXPECT_EQ(0xAA, out.back()) << "nothing past the entry's end";
  }
  EXPECT_EQ(ZIP_OK, ZipCloseReader(z));
}

TEST(ZipMemory, EncryptedEntriesUseDescriptorsAndCheckThePassword) {
  const std::vector<Entry> entries = {{"1", Text(5000)}, {"packed.zip", Random(2000, 3)}};
  Bytes a = BuildArchive(entries, "Kq7vRtp2WzLm9e");
  std::vector<size_t> cds = CentralHeaders(a);
  for (size_t i = 0; i < 2; i++) {
    size_t c = cds[i];
    EXPECT_EQ(9, Get16(a, c + 8)) << i;
    size_t l = Get32(a, c + 42);
    EXPECT_EQ(9, Get16(a, l + 6));
    EXPECT_EQ(0u, Get32(a, l + 14)) << "CRC unknown when the header was written";
    size_t d = l + 30 + Get16(a, l + 26) + 17 + Get32(a, c + 20);
    EXPECT_EQ(0x08074B50u, Get32(a, d));
    EXPECT_EQ(Get32(a, c + 16), Get32(a, d + 4));
    EXPECT_EQ(Get32(a, c + 20), Get32(a, d + 8));
    EXPECT_EQ(Get32(a, c + 24), Get32(a, d + 12));
  }
  EXPECT_EQ(2000u + 12, Get32(a, cds[1] + 20)) << "stored size includes the encryption header";

  ZipHandle z = ZipOpenMemory(a.data(), static_cast<uint32_t>(a.size()), "Kq7vRtp2WzLm9e");
  ASSERT_NE(nullptr, z);
  for (int32_t i = 0; i < 2; i++) {
    Bytes out;
    ASSERT_EQ(ZIP_OK, ExtractAll(z, i, &out));
    EXPECT_TRUE(std::equal(entries[i].aData.begin(), entries[i].aData.end(), out.begin()));
  }
  ZipCloseReader(z);

  // A wrong password fails on the check byte before any data is handed
  // out; one in 256 passes that check, and the CRC-32 catches it.
  int refused = 0;
  for (const char* wrong : {"kq7vRtp2WzLm9e", "", "x", "Kq7vRtp2WzLm9", "a", "b", "c", "d"}) {
    ZipHandle w = ZipOpenMemory(a.data(), static_cast<uint32_t>(a.size()), wrong);
    ASSERT_NE(nullptr, w);
    Bytes out(6000, 0x55);
    ZipResult r = ZipExtractToMemory(w, 0, out.data(), static_cast<uint32_t>(out.size()));
    if (r == ZIP_ERR_PASSWORD) {
      refused++;
      EXPECT_EQ(Bytes(6000, 0x55), out) << "no bytes for a wrong password";
    } else {
      EXPECT_EQ(ZIP_ERR_DATA, r) << wrong;
    }
    ZipCloseReader(w);
  }
  EXPECT_GE(refused, 7);
}

TEST(ZipMemory, BlockOfNBytesHoldsAtMostNMinusOne) {
  const std::vector<Entry> entries = {{"1", Text(3000)}};
  const uint32_t n = static_cast<uint32_t>(BuildArchive(entries, nullptr).size());

  Bytes block(n + 1);
  ZipHandle z = ZipCreateMemory(block.data(), n + 1, nullptr);
  ASSERT_EQ(ZIP_OK, ZipAddMemory(z, "1", entries[0].aData.data(), 3000));
  void* image;
  uint32_t length;
  EXPECT_EQ(ZIP_OK, ZipGetImage(z, &image, &length));
  EXPECT_EQ(n, length);
  ZipCloseWriter(z);

  // One byte less: the end record would reach the last byte.
  z = ZipCreateMemory(block.data(), n, nullptr);
  ASSERT_EQ(ZIP_OK, ZipAddMemory(z, "1", entries[0].aData.data(), 3000));
  EXPECT_EQ(ZIP_ERR_WRITE, ZipGetImage(z, &image, &length));
  EXPECT_EQ(nullptr, image);
  EXPECT_EQ(ZIP_ERR_WRITE, ZipCloseWriter(z));

  // Far too small: the add itself fails, and stays failed.
  Bytes noise = Random(3000, 9);
  z = ZipCreateMemory(block.data(), 200, nullptr);
  EXPECT_EQ(ZIP_ERR_TOO_SMALL, ZipAddMemory(z, "1", noise.data(), 3000));
  EXPECT_EQ(ZIP_ERR_FAILED_EARLIER, ZipAddMemory(z, "2", "x", 1));
  ZipCloseWriter(z);

  EXPECT_EQ(nullptr, ZipCreateMemory(block.data(), 0, nullptr));
  EXPECT_EQ(ZIP_ERR_TOO_SMALL, gZipWriterResult);
}

TEST(ZipMemory, ExtractionInPiecesContinuesWhereItStopped) {
  const std::vector<Entry> entries = {{"big.txt", Text(100000)}, {"raw.zip", Random(50000, 4)}};
  Bytes a = BuildArchive(entries, "pw");
  ZipHandle z = ZipOpenMemory(a.data(), static_cast<uint32_t>(a.size()), "pw");
  ASSERT_NE(nullptr, z);
  for (int32_t i = 0; i < 2; i++) {
    Bytes got, piece(4096);
    ZipResult r;
    int calls = 0;
    do {
      r = ZipExtractToMemory(z, i, piece.data(), static_cast<uint32_t>(piece.size()));
      ASSERT_TRUE(r == ZIP_OK || r == ZIP_ERR_MORE_DATA) << std::hex << r;
      size_t n = std::min(piece.size(), entries[i].aData.size() - got.size());
      got.insert(got.end(), piece.begin(), piece.begin() + static_cast<long>(n));
      calls++;
    } while (r == ZIP_ERR_MORE_DATA && calls < 1000);
    EXPECT_EQ(entries[i].aData, got);
    EXPECT_EQ((entries[i].aData.size() + 4095) / 4096, size_t(calls));
  }
  // Reading entry information closes the open entry: the next extraction
  // starts from the beginning.
  Bytes piece(100);
  EXPECT_EQ(ZIP_ERR_MORE_DATA, ZipExtractToMemory(z, 0, piece.data(), 100));
  ZipEntryInfo info;
  ZipGetEntry(z, 1, &info);
  EXPECT_EQ(ZIP_ERR_MORE_DATA, ZipExtractToMemory(z, 0, piece.data(), 100));
  EXPECT_TRUE(std::equal(piece.begin(), piece.end(), entries[0].aData.begin()));
  ZipCloseReader(z);
}

TEST(ZipMemory, HandleAndArgumentChecks) {
  void* image = &image;
  uint32_t length = 5;
  EXPECT_EQ(ZIP_ERR_ARGS, ZipGetImage(nullptr, &image, &length));
  EXPECT_EQ(nullptr, image);
  EXPECT_EQ(0u, length);
  EXPECT_EQ(ZIP_ERR_ARGS, ZipAddMemory(nullptr, "a", "b", 1));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipCloseWriter(nullptr));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipCloseReader(nullptr));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipGetEntry(nullptr, 0, nullptr));
  EXPECT_FALSE(ZipIsReader(nullptr));

  Bytes block(4096);
  ZipHandle w = ZipCreateMemory(block.data(), 4096, nullptr);
  Bytes a = BuildArchive({{"a", Text(10)}}, nullptr);
  ZipHandle r = ZipOpenMemory(a.data(), static_cast<uint32_t>(a.size()), nullptr);
  ASSERT_TRUE(w && r);
  EXPECT_FALSE(ZipIsReader(w));
  ZipEntryInfo info;
  EXPECT_EQ(ZIP_ERR_WRONG_MODE, ZipGetEntry(w, 0, &info));
  EXPECT_EQ(ZIP_ERR_WRONG_MODE, ZipCloseReader(w));
  EXPECT_EQ(ZIP_ERR_WRONG_MODE, ZipAddMemory(r, "a", "b", 1));
  EXPECT_EQ(ZIP_ERR_WRONG_MODE, ZipCloseWriter(r));
  EXPECT_EQ(ZIP_ERR_WRONG_MODE, gZipWriterResult);

  // Bad arguments fail only that add.
  EXPECT_EQ(ZIP_ERR_ARGS, ZipAddMemory(w, "", "b", 1));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipAddMemory(w, "a", nullptr, 1));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipAddMemory(w, "a", "b", 0));
  EXPECT_EQ(ZIP_OK, ZipAddMemory(w, "a", "b", 1));
  EXPECT_EQ(ZIP_OK, ZipGetImage(w, &image, &length));
  EXPECT_EQ(ZIP_ERR_FINISHED, ZipAddMemory(w, "c", "d", 1));
  EXPECT_EQ(ZIP_OK, ZipCloseWriter(w));

  EXPECT_EQ(ZIP_ERR_ARGS, ZipGetEntry(r, -2, &info));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipGetEntry(r, 1, &info));
  Bytes out(10);
  EXPECT_EQ(ZIP_ERR_ARGS, ZipExtractToMemory(r, 1, out.data(), 10));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipExtractToMemory(r, 0, nullptr, 10));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipExtractToMemory(r, 0, out.data(), 0));
  EXPECT_EQ(ZIP_OK, ZipCloseReader(r));

  EXPECT_EQ(nullptr, ZipOpenMemory(nullptr, 10, nullptr));
  EXPECT_EQ(ZIP_ERR_ARGS, gZipReaderResult);
  Bytes junk = Random(3000, 5);
  EXPECT_EQ(nullptr, ZipOpenMemory(junk.data(), 3000, nullptr));
}

TEST(ZipMemory, FindEntryByName) {
  std::string longName(256, 'n'), shorter(255, 'n');
  Bytes a = BuildArchive({{"Options.kzc", Text(10)}, {"sub/File.TXT", Text(20)}, {longName, Text(5)},
                          {shorter, Text(6)}},
                         nullptr);
  ZipHandle z = ZipOpenMemory(a.data(), static_cast<uint32_t>(a.size()), nullptr);
  ASSERT_NE(nullptr, z);
  int32_t index = 7;
  ZipEntryInfo info;
  EXPECT_EQ(ZIP_OK, ZipFindEntry(z, "sub/file.txt", true, &index, &info));
  EXPECT_EQ(1, index);
  EXPECT_EQ(20u, info.ulUncompressedSize);
  EXPECT_EQ(ZIP_ERR_NOT_FOUND, ZipFindEntry(z, "sub/file.txt", false, &index, &info));
  EXPECT_EQ(-1, index);
  EXPECT_EQ(-1, info.iIndex);
  EXPECT_EQ(0u, info.ulUncompressedSize);
  EXPECT_EQ(ZIP_OK, ZipFindEntry(z, "Options.kzc", false, &index, nullptr));
  EXPECT_EQ(0, index);
  EXPECT_EQ(ZIP_ERR_NOT_FOUND, ZipFindEntry(z, "Options.kz", false, &index, nullptr));
  EXPECT_EQ(ZIP_OK, ZipFindEntry(z, shorter.c_str(), false, &index, nullptr));
  EXPECT_EQ(3, index);
  EXPECT_EQ(ZIP_ERR_NOT_FOUND, ZipFindEntry(z, longName.c_str(), false, &index, nullptr));
  EXPECT_EQ(ZIP_ERR_ARGS, ZipFindEntry(z, "", false, &index, nullptr));
  ZipCloseReader(z);
}

TEST(ZipMemory, EmptyArchiveAndPagingFileMapping) {
  Bytes block(100);
  ZipHandle w = ZipCreateMemory(block.data(), 100, nullptr);
  void* image;
  uint32_t length;
  ASSERT_EQ(ZIP_OK, ZipGetImage(w, &image, &length));
  EXPECT_EQ(22u, length);
  ZipHandle r = ZipOpenMemory(image, length, nullptr);
  ASSERT_NE(nullptr, r);
  ZipEntryInfo info;
  EXPECT_EQ(ZIP_OK, ZipGetEntry(r, -1, &info));
  EXPECT_EQ(0, info.iIndex);
  ZipCloseReader(r);
  ZipCloseWriter(w);

  // No block given: the writer maps the paging file itself.
  Bytes text = Text(50000);
  w = ZipCreateMemory(nullptr, 1 << 20, "secret");
  ASSERT_NE(nullptr, w);
  ASSERT_EQ(ZIP_OK, ZipAddMemory(w, "1", text.data(), 50000));
  ASSERT_EQ(ZIP_OK, ZipGetImage(w, &image, &length));
  ASSERT_NE(nullptr, image);
  Bytes copy(static_cast<uint8_t*>(image), static_cast<uint8_t*>(image) + length);
  EXPECT_EQ(ZIP_OK, ZipCloseWriter(w));
  r = ZipOpenMemory(copy.data(), length, "secret");
  Bytes out;
  ASSERT_EQ(ZIP_OK, ExtractAll(r, 0, &out));
  EXPECT_TRUE(std::equal(text.begin(), text.end(), out.begin()));
  ZipCloseReader(r);
}

TEST(ZipMemory, EntryCountIsCappedWithoutZip64) {
  const uint32_t size = 10 << 20;
  Bytes block(size);
  ZipHandle w = ZipCreateMemory(block.data(), size, nullptr);
  char name[16];
  for (uint32_t i = 0; i < 65535; i++) {
    snprintf(name, sizeof(name), "%u.gz", i);
    ASSERT_EQ(ZIP_OK, ZipAddMemory(w, name, "z", 1)) << i;
  }
  EXPECT_EQ(ZIP_ERR_WRITE, ZipAddMemory(w, "one-too-many.gz", "z", 1));
  void* image;
  uint32_t length;
  ASSERT_EQ(ZIP_OK, ZipGetImage(w, &image, &length)) << "the refused add was not fatal";
  ZipHandle r = ZipOpenMemory(image, length, nullptr);
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(r, -1, &info));
  EXPECT_EQ(65535, info.iIndex);
  ASSERT_EQ(ZIP_OK, ZipGetEntry(r, 65534, &info));
  EXPECT_STREQ("65534.gz", info.szName);
  ZipCloseReader(r);
  ZipCloseWriter(w);
}

TEST(ZipMemory, DamagedDataIsReportedNotDelivered) {
  Bytes text = Text(20000);
  Bytes a = BuildArchive({{"d.txt", text}, {"s.zip", text}}, nullptr);
  std::vector<size_t> cds = CentralHeaders(a);
  for (int32_t i = 0; i < 2; i++) {
    Bytes bad = a;
    size_t l = Get32(a, cds[i] + 42);
    bad[l + 30 + 5 + 17 + 100] ^= 0x01;  // inside the data
    ZipHandle z = ZipOpenMemory(bad.data(), static_cast<uint32_t>(bad.size()), nullptr);
    ASSERT_NE(nullptr, z);
    Bytes out;
    EXPECT_EQ(ZIP_ERR_DATA, ExtractAll(z, i, &out)) << i;
    ZipCloseReader(z);
  }
  // Cut short: the directory is gone.
  Bytes cut(a.begin(), a.begin() + static_cast<long>(a.size() / 2));
  EXPECT_EQ(nullptr, ZipOpenMemory(cut.data(), static_cast<uint32_t>(cut.size()), nullptr));
}

}  // namespace
