// Windows outputs and sources: an adopted file handle written from its
// current position, a pipe that cannot seek (data descriptors), and a source
// file locked by another handle.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "framework/zip/zip.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

typedef std::vector<uint8_t> Bytes;

uint16_t Get16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t Get32(const Bytes& b, size_t at) { return Get16(b, at) | (uint32_t(Get16(b, at + 2)) << 16); }

Bytes Text(size_t n) {
  std::string s;
  while (s.size() < n) s += "adopted handles keep their owner. ";
  return Bytes(s.begin(), s.begin() + static_cast<long>(n));
}

void ExpectEntry(ZipHandle z, int32_t index, const Bytes& want) {
  Bytes got(want.size() + 1);
  ASSERT_EQ(ZIP_OK, ZipExtractToMemory(z, index, got.data(), static_cast<uint32_t>(got.size())));
  EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin()));
}

TEST(ZipHandles, AdoptedHandleStartsAtItsPositionAndStaysOpen) {
  std::string path = TestOutputPath("adopted.zip");
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  const char stub[] = "a stub in front of the archive, as a self-extractor has";
  DWORD done;
  ASSERT_TRUE(WriteFile(h, stub, sizeof(stub), &done, nullptr));
  Bytes text = Text(40000);
  ZipHandle z = ZipCreateHandle(h, nullptr);
  ASSERT_NE(nullptr, z);
  ASSERT_EQ(ZIP_OK, ZipAddMemory(z, "notes.txt", text.data(), 40000));
  ASSERT_EQ(ZIP_OK, ZipAddMemory(z, "raw.gz", text.data(), 1000));
  ASSERT_EQ(ZIP_OK, ZipCloseWriter(z));
  // Still ours: the writer did not close it.
  ASSERT_TRUE(WriteFile(h, "", 0, &done, nullptr));
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  CloseHandle(h);

  Bytes a = ReadWholeFile(path);
  ASSERT_EQ(size_t(size.QuadPart), a.size());
  // Offsets count from the start of the file, stub included.
  size_t end = a.size() - 22;
  size_t cd = Get32(a, end + 16);
  EXPECT_EQ(0x02014B50u, Get32(a, cd));
  EXPECT_EQ(sizeof(stub), Get32(a, cd + 42));
  EXPECT_EQ(2, Get16(a, cd + 8)) << "seekable: header rewritten, no descriptor";

  h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  ZipHandle r = ZipOpenHandle(h, nullptr);
  ASSERT_NE(nullptr, r);
  ExpectEntry(r, 0, text);
  ExpectEntry(r, 1, Bytes(text.begin(), text.begin() + 1000));
  ZipCloseReader(r);
  EXPECT_NE(0u, GetFileSize(h, nullptr)) << "the reader left the handle open";
  CloseHandle(h);
}

TEST(ZipHandles, PipeOutputUsesDataDescriptors) {
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  Bytes received;
  std::thread reader([&] {
    uint8_t buf[4096];
    DWORD got;
    while (ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got) received.insert(received.end(), buf, buf + got);
  });
  Bytes text = Text(100000);
  ZipHandle z = ZipCreateHandle(writeEnd, nullptr);
  ASSERT_NE(nullptr, z);
  EXPECT_EQ(ZIP_OK, ZipAddMemory(z, "piped.txt", text.data(), 100000));
  EXPECT_EQ(ZIP_OK, ZipAddMemory(z, "piped.zip", text.data(), 5000));
  EXPECT_EQ(ZIP_OK, ZipCloseWriter(z));
  CloseHandle(writeEnd);
  reader.join();
  CloseHandle(readEnd);

  ASSERT_GT(received.size(), 22u);
  size_t cd = Get32(received, received.size() - 22 + 16);
  EXPECT_EQ(8, Get16(received, cd + 8)) << "descriptor kept, local flags";
  ZipHandle r = ZipOpenMemory(received.data(), static_cast<uint32_t>(received.size()), nullptr);
  ASSERT_NE(nullptr, r);
  ExpectEntry(r, 0, text);
  ExpectEntry(r, 1, Bytes(text.begin(), text.begin() + 5000));
  ZipCloseReader(r);
}

TEST(ZipHandles, LockedSourceFailsOnlyItsOwnAdd) {
  std::string locked = TestOutputPath("locked-source.txt");
  std::string other = TestOutputPath("other-source.txt");
  FILE* f = fopen(other.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  fputs("the other file\r\n", f);
  fclose(f);
  HANDLE h = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);

  std::string path = TestOutputPath("backup.zip");
  ZipHandle z = ZipCreateFile(path.c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  EXPECT_EQ(ZIP_ERR_OPEN, ZipAddFile(z, "locked-source.txt", locked.c_str()));
  EXPECT_EQ(ZIP_OK, ZipAddFile(z, "other-source.txt", other.c_str()));
  EXPECT_EQ(ZIP_OK, ZipCloseWriter(z));
  CloseHandle(h);
  ZipHandle r = ZipOpenFile(path.c_str(), nullptr);
  ASSERT_NE(nullptr, r);
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(r, -1, &info));
  EXPECT_EQ(1, info.iIndex);
  ASSERT_EQ(ZIP_OK, ZipGetEntry(r, 0, &info));
  EXPECT_STREQ("other-source.txt", info.szName);
  ZipCloseReader(r);

  // The archive file itself is not shared while it is written.
  path = TestOutputPath("unshared.zip");
  z = ZipCreateFile(path.c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
  ZipCloseWriter(z);
  EXPECT_EQ(nullptr, ZipCreateHandle(INVALID_HANDLE_VALUE, nullptr));
  EXPECT_EQ(ZIP_ERR_OPEN, gZipWriterResult);
}

}  // namespace
