#pragma once
// Output of the GIF encoders: bytes gathered into large writes to the file
// (every write checked), and codes packed least significant bit first into
// data sub-blocks.
#include <cstddef>
#include <cstdint>

class CRasterFile;

class CGifOutput {
 public:
  explicit CGifOutput(CRasterFile* file) : mFile(file) {}
  CGifOutput(const CGifOutput&) = delete;
  CGifOutput& operator=(const CGifOutput&) = delete;

  void Byte(int value) {
    if (mUsed == sizeof mBuffer) Drain();
    mBuffer[mUsed++] = uint8_t(value);
  }
  void Word(int value) {  // little-endian
    Byte(value & 0xFF);
    Byte((value >> 8) & 0xFF);
  }
  void Bytes(const void* data, size_t count);
  // Writes what is gathered and flushes the file: false when any write,
  // the flush or the file's error state failed.
  bool Finish();

 private:
  void Drain();

  CRasterFile* mFile;
  size_t mUsed = 0;
  bool mFailed = false;
  uint8_t mBuffer[65536];
};

class CGifCodeWriter {
 public:
  // blockSize: bytes per full sub-block (254 or 255).
  CGifCodeWriter(CGifOutput* out, size_t blockSize) : mOut(out), mBlockSize(blockSize) {}
  void Put(uint32_t code, int width) {
    mBits |= code << mBitCount;
    mBitCount += width;
    while (mBitCount >= 8) {
      PutByte(uint8_t(mBits));
      mBits >>= 8;
      mBitCount -= 8;
    }
  }
  // The bits left over and the last sub-block; the terminator is the caller's.
  void Finish();

 private:
  void PutByte(uint8_t value) {
    mBlock[mBlockUsed++] = value;
    if (mBlockUsed == mBlockSize) WriteBlock();
  }
  void WriteBlock();

  CGifOutput* mOut;
  size_t mBlockSize;
  size_t mBlockUsed = 0;
  uint32_t mBits = 0;
  int mBitCount = 0;
  uint8_t mBlock[255];
};
