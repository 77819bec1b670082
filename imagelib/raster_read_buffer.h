#pragma once
// Buffered reading over a CRasterFile for the decoders that take their input
// a byte or a few bytes at a time (GIF, TGA, PCX): one Read of the file per
// 16 KiB, and a position of its own that can be put back. The file itself
// runs ahead of that position; SyncFile() puts it right behind the last byte
// used.
#include <cstddef>
#include <cstdint>

class CRasterFile;

class CRasterReadBuffer {
 public:
  static constexpr size_t kSize = 16384;

  // Starts at the file's current position.
  explicit CRasterReadBuffer(CRasterFile* file);
  CRasterReadBuffer(const CRasterReadBuffer&) = delete;
  CRasterReadBuffer& operator=(const CRasterReadBuffer&) = delete;

  // The next byte as 0..255, or -1 at the end of the file or on a read error.
  int GetByte() { return mIndex < mFill ? mBuffer[mIndex++] : Refill(); }
  // Exactly count bytes, or false (the position is then unspecified).
  bool Read(void* out, size_t count);
  // Passes over count bytes; false when the file ends first.
  bool Skip(int64_t count);
  int64_t Tell() const { return mStart + int64_t(mIndex); }
  // Moves to an absolute position; inside the buffered block no file call.
  bool Seek(int64_t position);
  // Bytes from the position to the end of the file, -1 when unknown.
  int64_t BytesLeft();
  // Puts the file at Tell(), so the caller's next read starts there.
  bool SyncFile();
  // False when the start position could not be found.
  bool IsUsable() const { return mStart >= 0; }

 private:
  int Refill();

  CRasterFile* mFile;
  int64_t mStart;     // file offset of mBuffer[0]
  size_t mIndex = 0;  // next byte in mBuffer
  size_t mFill = 0;   // bytes held in mBuffer
  bool mAtEnd = false;
  uint8_t mBuffer[kSize];
};
