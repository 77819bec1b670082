#pragma once
// A CRasterFile over an open stdio stream.
#include <cstdio>

#include "imagelib/raster_file.h"

class CRasterIOFile : public CRasterFile {
 public:
  // closeOnDestroy: the object owns the stream and closes it.
  explicit CRasterIOFile(FILE* stream = nullptr, bool closeOnDestroy = false);
  ~CRasterIOFile() override;
  CRasterIOFile(const CRasterIOFile&) = delete;
  CRasterIOFile& operator=(const CRasterIOFile&) = delete;

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
  FILE* mStream;
  bool mCloseOnDestroy;
};
