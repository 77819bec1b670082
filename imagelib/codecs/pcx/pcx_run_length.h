#pragma once
// PCX run-length code: a byte of 0xC0 or more carries a repeat count in its
// low 6 bits and is followed by the value; a smaller byte is one value.
#include <cstddef>
#include <cstdint>

class CRasterReadBuffer;

// Decodes the image data line by line; a run may go on into the next line.
class CPcxRunReader {
 public:
  // total: the bytes the whole image holds (bytes per line x planes x rows).
  CPcxRunReader(CRasterReadBuffer* in, uint64_t total) : mIn(in), mLeft(total) {}
  // Fills count bytes; null when they are all there, else the error text.
  const char* ReadLine(uint8_t* line, size_t count);

 private:
  CRasterReadBuffer* mIn;
  uint64_t mLeft;          // bytes of the image not decoded yet
  size_t mRunLeft = 0;     // of the current run, still to be written
  uint8_t mRunValue = 0;
};

// Packs a line value by value, as the 8 and 24-bit rows are written.
class CPcxRunPacker {
 public:
  explicit CPcxRunPacker(uint8_t* out) : mOut(out) {}
  void Add(uint8_t value) {
    if (mRun > 0 && (value != mLast || mRun == 63)) WriteRun();
    mLast = value;
    ++mRun;
  }
  // Writes the open run and pad zero bytes; returns the bytes written
  // since construction.
  size_t Close(size_t pad);

 private:
  void WriteRun();
  uint8_t* mOut;
  size_t mUsed = 0;
  uint8_t mLast = 0;
  int mRun = 0;
};

// Packs a whole plane line of a 1 or 4-bit row: runs of equal bytes up to 63
// long. Returns the bytes written to out (at most 2 x count).
size_t PcxPackLine(const uint8_t* line, size_t count, uint8_t* out);
