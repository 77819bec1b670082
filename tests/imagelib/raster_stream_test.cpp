// File streams: the memory stream's own rules, and agreement between the
// memory stream and the stdio stream on long random operation sequences.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imagelib/raster_io_file.h"
#include "imagelib/raster_mem_file.h"

namespace {

TEST(MemFile, WithoutBufferRefusesUntilOpened) {
  CRasterMemFile file;
  char byte = 'x';
  EXPECT_EQ(file.Write(&byte, 1, 1), 0u);
  EXPECT_EQ(file.Read(&byte, 1, 1), 0u);
  EXPECT_FALSE(file.PutC('a'));
  EXPECT_EQ(file.Tell(), -1);
  EXPECT_EQ(file.Size(), -1);
  EXPECT_EQ(file.Error(), -1);
  EXPECT_TRUE(file.Eof());
  EXPECT_FALSE(file.Seek(0, 0));
  ASSERT_TRUE(file.Open());
  EXPECT_FALSE(file.Open());
  EXPECT_EQ(file.Write("abc", 1, 3), 3u);
  EXPECT_EQ(file.Size(), 3);
  EXPECT_EQ(file.Tell(), 3);
}

TEST(MemFile, CallerBufferIsReadInPlaceAndNeverFreed) {
  // A heap block that the test frees itself: a free() by the stream would
  // show up as a double free.
  unsigned char* block = static_cast<unsigned char*>(malloc(100));
  for (int i = 0; i < 100; ++i) block[i] = static_cast<unsigned char>(i);
  {
    CRasterMemFile file(block, 100);
    unsigned char all[120];
    EXPECT_EQ(file.Read(all, 1, 120), 100u);
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(0, memcmp(all, block, 100));
    // Writing inside it writes in place.
    ASSERT_TRUE(file.Seek(10, 0));
    EXPECT_TRUE(file.PutC(0xEE));
    EXPECT_EQ(block[10], 0xEE);
    // Growing moves the data to a buffer of the stream's own.
    ASSERT_TRUE(file.Seek(0, 2));
    EXPECT_EQ(file.Write("zz", 1, 2), 2u);
    EXPECT_NE(file.GetBuffer(), block);
    EXPECT_EQ(file.GetBuffer()[10], 0xEE);
    EXPECT_EQ(file.GetBuffer()[101], 'z');
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ(block[99], 99);
  free(block);
}

TEST(MemFile, ReadOnlyBufferIsCopiedBeforeAnyWrite) {
  static const unsigned char constant[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  CRasterMemFile file(static_cast<const void*>(constant), sizeof(constant));
  ASSERT_TRUE(file.Seek(2, 0));
  EXPECT_EQ(file.Write("\x09", 1, 1), 1u);
  EXPECT_EQ(constant[2], 3);
  EXPECT_EQ(file.Size(), 8);
  ASSERT_TRUE(file.Seek(0, 0));
  unsigned char back[8];
  EXPECT_EQ(file.Read(back, 1, 8), 8u);
  EXPECT_EQ(back[2], 9);
  EXPECT_EQ(back[7], 8);
}

TEST(MemFile, SeekPositionsErrorAndEndOfFile) {
  CRasterMemFile file;
  ASSERT_TRUE(file.Open());
  file.Write("0123456789", 1, 10);
  EXPECT_TRUE(file.Seek(-10, 0));
  EXPECT_EQ(file.Tell(), 0);
  EXPECT_TRUE(file.Seek(50, 2));
  EXPECT_EQ(file.Tell(), 60);
  EXPECT_EQ(file.Error(), 1);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, 1, 1), 0u);
  EXPECT_TRUE(file.Eof());
  EXPECT_FALSE(file.Seek(0, 3));
  EXPECT_TRUE(file.Seek(-5, 1));
  EXPECT_EQ(file.Tell(), 55);

  // Item reads: 4 x 3 bytes asked, 5 left, 5 copied, 1 whole item.
  ASSERT_TRUE(file.Seek(5, 0));
  EXPECT_EQ(file.Read(buffer, 4, 3), 1u);
  EXPECT_EQ(file.Tell(), 10);
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Read(buffer, 0, 3), 0u);
}

TEST(MemFile, WritePastEndZeroFillsTheGap) {
  CRasterMemFile file;
  ASSERT_TRUE(file.Open());
  file.Write("ab", 1, 2);
  ASSERT_TRUE(file.Seek(70000, 0));  // past the first 64 KiB block
  EXPECT_EQ(file.Write("c", 1, 1), 1u);
  EXPECT_EQ(file.Size(), 70001);
  EXPECT_EQ(file.Error(), 0);
  const unsigned char* data = file.GetBuffer();
  for (int i = 2; i < 70000; ++i) ASSERT_EQ(data[i], 0) << i;
  EXPECT_EQ(data[70000], 'c');
}

TEST(MemFile, CapacityStopsAtTwoGigabytes) {
  CRasterMemFile file;
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Seek(0x7FFFFFFF, 0));
  EXPECT_EQ(file.Write("x", 1, 1), 0u);
  EXPECT_EQ(file.Write("x", SIZE_MAX, 2), 0u);
  ASSERT_TRUE(file.Seek(0, 0));
  EXPECT_EQ(file.Write("x", 1, 1), 1u);
}

TEST(MemFile, DetachedBufferBelongsToTheCaller) {
  unsigned char* data;
  {
    CRasterMemFile file;
    ASSERT_TRUE(file.Open());
    file.Write("hello", 1, 5);
    data = file.GetBuffer(true);
    // The stream keeps working on the detached block but never frees it.
    file.Write("!", 1, 1);
    data = file.GetBuffer();
    ASSERT_EQ(0, memcmp(data, "hello!", 6));
    file.GetBuffer(true);
  }
  free(data);
}

TEST(MemFile, LinesAndCharacters) {
  static const char text[] = "one\ntwo\nlast";
  CRasterMemFile file(static_cast<const void*>(text), strlen(text));
  char line[16];
  memset(line, 'x', sizeof(line));
  EXPECT_EQ(file.GetS(line, 0), nullptr);
  EXPECT_EQ(file.GetS(line, -3), nullptr);
  EXPECT_EQ(line[0], 'x');
  EXPECT_EQ(file.GetS(line, 1), line);
  EXPECT_EQ(line[0], '\0');
  EXPECT_STREQ(file.GetS(line, 16), "one\n");
  EXPECT_STREQ(file.GetS(line, 3), "tw");
  EXPECT_STREQ(file.GetS(line, 16), "o\n");
  EXPECT_STREQ(file.GetS(line, 16), "last");
  EXPECT_EQ(file.GetS(line, 16), nullptr);
  EXPECT_EQ(file.GetC(), -1);
  EXPECT_TRUE(file.Eof());
  ASSERT_TRUE(file.Seek(-1, 2));
  EXPECT_EQ(file.GetC(), 't');
  int value = 0;
  EXPECT_EQ(file.Scanf("%d", &value), 0);
}

TEST(IOFile, WithoutStreamGivesNeutralValues) {
  CRasterIOFile file;
  char byte;
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(file.Read(&byte, 1, 1), 0u);
  EXPECT_FALSE(file.Seek(0, 0));
  EXPECT_EQ(file.Tell(), 0);
  EXPECT_EQ(file.Size(), -1);
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Error(), -1);
  EXPECT_FALSE(file.PutC(1));
  EXPECT_EQ(file.GetC(), -1);
  EXPECT_EQ(file.GetS(&byte, 1), nullptr);
  int value;
  EXPECT_EQ(file.Scanf("%d", &value), -1);
}

TEST(IOFile, HighBytesAndFormattedInput) {
  FILE* stream = tmpfile();
  ASSERT_NE(stream, nullptr);
  CRasterIOFile file(stream, true);
  EXPECT_TRUE(file.PutC(0xFF));  // fputc returns 255, not -1
  EXPECT_TRUE(file.PutC(0x80));
  EXPECT_EQ(file.Write(" 42 x", 1, 5), 5u);
  EXPECT_EQ(file.Size(), 7);
  EXPECT_EQ(file.Tell(), 7);
  ASSERT_TRUE(file.Seek(0, 0));
  EXPECT_EQ(file.GetC(), 0xFF);
  EXPECT_EQ(file.GetC(), 0x80);
  int value = 0;
  EXPECT_EQ(file.Scanf("%d", &value), 1);
  EXPECT_EQ(value, 42);
  char line[4];
  EXPECT_EQ(file.GetS(line, 0), nullptr);
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(file.Close());
}

TEST(IOFile, StreamHandedInStaysOpen) {
  FILE* stream = tmpfile();
  ASSERT_NE(stream, nullptr);
  {
    CRasterIOFile file(stream, false);
    file.Write("abc", 1, 3);
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ(fseek(stream, 0, SEEK_SET), 0);
  EXPECT_EQ(fgetc(stream), 'a');
  EXPECT_EQ(fclose(stream), 0);
}

// Runs the same random operations on both stream kinds and compares every
// result. stdio needs a seek between reading and writing, so both get one.
class StreamPair {
 public:
  explicit StreamPair(FILE* stream) : mDisk(stream, true) { mMemory.Open(); }

  void Step(std::mt19937& random) {
    const int op = int(random() % 8);
    const bool writing = op == 0 || op == 1;
    if (writing != mLastWasWrite) Sync();
    mLastWasWrite = writing;
    switch (op) {
      case 0: WriteItems(random); break;
      case 1: PutByte(random); break;
      case 2: ReadItems(random); break;
      case 3: ASSERT_EQ(mMemory.GetC(), mDisk.GetC()); break;
      case 4: SeekSomewhere(random); break;
      case 5: GetLine(random); break;
      case 6:
        // Measuring a stdio stream seeks, which clears its end-of-file flag.
        ASSERT_EQ(mMemory.Size(), mDisk.Size());
        Sync();
        break;
      case 7: ASSERT_EQ(mMemory.Eof(), mDisk.Eof()); break;
    }
    ASSERT_EQ(mMemory.Tell(), mDisk.Tell());
  }

  void CompareContents() {
    const int32_t size = mMemory.Size();
    ASSERT_EQ(size, mDisk.Size());
    std::vector<unsigned char> disk(size_t(size) + 1);
    ASSERT_TRUE(mDisk.Seek(0, 0));
    ASSERT_EQ(mDisk.Read(disk.data(), 1, size_t(size)), size_t(size));
    ASSERT_EQ(0, memcmp(disk.data(), mMemory.GetBuffer(), size_t(size)));
  }

 private:
  void Sync() {
    ASSERT_EQ(mMemory.Seek(0, 1), mDisk.Seek(0, 1));
  }
  void WriteItems(std::mt19937& random) {
    const size_t size = 1 + random() % 4, count = random() % 40;
    std::vector<unsigned char> data(size * count + 1);
    for (unsigned char& b : data) b = static_cast<unsigned char>(random());
    ASSERT_EQ(mMemory.Write(data.data(), size, count), mDisk.Write(data.data(), size, count));
  }
  void PutByte(std::mt19937& random) {
    const unsigned char byte = static_cast<unsigned char>(random() % 3 == 0 ? 10 : random());
    ASSERT_EQ(mMemory.PutC(byte), mDisk.PutC(byte));
  }
  void ReadItems(std::mt19937& random) {
    const size_t size = 1 + random() % 4, count = random() % 40;
    std::vector<unsigned char> a(size * count + 1), b(size * count + 1);
    const size_t got = mMemory.Read(a.data(), size, count);
    ASSERT_EQ(got, mDisk.Read(b.data(), size, count));
    ASSERT_EQ(0, memcmp(a.data(), b.data(), got * size));
    ASSERT_EQ(mMemory.Eof(), mDisk.Eof());
  }
  void SeekSomewhere(std::mt19937& random) {
    // Positions before the start behave differently by design (the memory
    // stream clamps, stdio refuses), so only reachable targets are used.
    const int32_t size = mMemory.Size(), here = mMemory.Tell();
    const int origin = int(random() % 3);
    const int32_t base = origin == 0 ? 0 : origin == 1 ? here : size;
    const int32_t target = int32_t(random() % uint32_t(size + 20));
    ASSERT_EQ(mMemory.Seek(target - base, origin), mDisk.Seek(target - base, origin));
    if (target <= size) {
      ASSERT_EQ(mMemory.Error(), mDisk.Error());
    }
  }
  void GetLine(std::mt19937& random) {
    // From 2: fgets with a size of 1 returns null on some C runtimes.
    const int32_t n = int32_t(2 + random() % 29);
    char a[32], b[32];
    const char* ra = mMemory.GetS(a, n);
    const char* rb = mDisk.GetS(b, n);
    ASSERT_EQ(ra == nullptr, rb == nullptr);
    if (ra) {
      ASSERT_STREQ(a, b);
    }
    ASSERT_EQ(mMemory.Eof(), mDisk.Eof());
  }

  CRasterMemFile mMemory;
  CRasterIOFile mDisk;
  bool mLastWasWrite = false;
};

TEST(StreamAgreement, TenThousandRandomOperations) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    FILE* stream = tmpfile();
    ASSERT_NE(stream, nullptr);
    StreamPair pair(stream);
    std::mt19937 random(seed);
    for (int i = 0; i < 10000; ++i) {
      pair.Step(random);
      if (::testing::Test::HasFatalFailure()) FAIL() << "seed " << seed << " step " << i;
    }
    pair.CompareContents();
  }
}

}  // namespace
