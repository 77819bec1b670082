#pragma once
// A CRasterFile over a growable memory buffer. Over a caller's buffer it
// reads and writes in place and never frees it; when a write needs more room
// (or the buffer is read-only) the data moves to a buffer of its own.
// Capacity grows in whole 64 KiB steps and never exceeds 2^31 - 1 bytes.
#include "imagelib/raster_file.h"

class CRasterMemFile : public CRasterFile {
 public:
  CRasterMemFile();  // no buffer until Open()
  CRasterMemFile(void* buffer, size_t size);
  CRasterMemFile(const void* buffer, size_t size);  // read-only view
  ~CRasterMemFile() override;
  CRasterMemFile(const CRasterMemFile&) = delete;
  CRasterMemFile& operator=(const CRasterMemFile&) = delete;

  // Starts an empty buffer of its own; false when a buffer is present.
  bool Open();
  // With detach the caller takes over the buffer and frees it with free().
  unsigned char* GetBuffer(bool detach = false);

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(int32_t offset, int32_t origin) override;
  int32_t Tell() override;
  int32_t Size() override;
  bool Flush() override;
  bool Eof() override;
  int32_t Error() override;
  bool PutC(unsigned char byte) override;
  int32_t GetC() override;
  char* GetS(char* buffer, int32_t n) override;
  int32_t Scanf(const char* format, ...) override RASTER_SCANF_FORMAT(2, 3);

 private:
  bool Grow(int64_t needed);

  unsigned char* mBuffer = nullptr;
  int64_t mDataSize = 0;   // end of written data
  bool mOwnsBuffer = false;
  int64_t mPosition = 0;   // may lie past the data
  int64_t mCapacity = 0;
  bool mEof = false;
  bool mReadOnly = false;
};
