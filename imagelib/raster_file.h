#pragma once
// CRasterFile: the byte stream every codec reads and writes through, so the
// same codec works on a stdio file (CRasterIOFile) or on memory
// (CRasterMemFile). Failures are return values: 0, false, null or -1.
// Codecs treat a Size() or Tell() of -1 as an error.
#include <cstddef>
#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#if defined(__MINGW32__)
#define RASTER_SCANF_FORMAT(f, a) __attribute__((format(gnu_scanf, f, a)))
#else
#define RASTER_SCANF_FORMAT(f, a) __attribute__((format(scanf, f, a)))
#endif
#else
#define RASTER_SCANF_FORMAT(f, a)
#endif

class CRasterFile {
 public:
  virtual ~CRasterFile();
  virtual bool Close() = 0;
  // Item-wise like fread/fwrite: returns whole items transferred.
  virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
  // origin: 0 start, 1 current position, 2 end.
  virtual bool Seek(int32_t offset, int32_t origin) = 0;
  virtual int32_t Tell() = 0;
  virtual int32_t Size() = 0;
  virtual bool Flush() = 0;
  virtual bool Eof() = 0;
  virtual int32_t Error() = 0;
  virtual bool PutC(unsigned char byte);
  virtual int32_t GetC() = 0;  // 0..255, or -1
  // Reads a line of at most n - 1 bytes (the line feed kept) and terminates it.
  virtual char* GetS(char* buffer, int32_t n) = 0;
  virtual int32_t Scanf(const char* format, ...) RASTER_SCANF_FORMAT(2, 3) = 0;
};
