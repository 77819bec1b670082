#include "imagelib/raster_io_file.h"

#include <cstdarg>
#include <cstdint>

namespace {

int32_t ToPosition(long position) {
  if (position < 0 || position > long(INT32_MAX)) return -1;
  return int32_t(position);
}

}  // namespace

CRasterIOFile::CRasterIOFile(FILE* stream, bool closeOnDestroy)
    : mStream(stream), mCloseOnDestroy(closeOnDestroy) {}

CRasterIOFile::~CRasterIOFile() { Close(); }

bool CRasterIOFile::Close() {
  if (!mStream || !mCloseOnDestroy) return true;
  const bool closed = fclose(mStream) == 0;
  mStream = nullptr;
  return closed;
}

size_t CRasterIOFile::Read(void* buffer, size_t size, size_t count) {
  if (!mStream || !buffer) return 0;
  return fread(buffer, size, count, mStream);
}

size_t CRasterIOFile::Write(const void* buffer, size_t size, size_t count) {
  if (!mStream || !buffer) return 0;
  return fwrite(buffer, size, count, mStream);
}

bool CRasterIOFile::Seek(int32_t offset, int32_t origin) {
  if (!mStream || origin < SEEK_SET || origin > SEEK_END) return false;
  return fseek(mStream, offset, origin) == 0;
}

int32_t CRasterIOFile::Tell() {
  if (!mStream) return 0;
  return ToPosition(ftell(mStream));
}

int32_t CRasterIOFile::Size() {
  if (!mStream) return -1;
  const long position = ftell(mStream);
  if (position < 0 || fseek(mStream, 0, SEEK_END) != 0) return -1;
  const long end = ftell(mStream);
  if (fseek(mStream, position, SEEK_SET) != 0) return -1;
  return ToPosition(end);
}

bool CRasterIOFile::Flush() { return mStream && fflush(mStream) == 0; }

bool CRasterIOFile::Eof() { return !mStream || feof(mStream) != 0; }

int32_t CRasterIOFile::Error() { return mStream ? ferror(mStream) : -1; }

bool CRasterIOFile::PutC(unsigned char byte) {
  return mStream && fputc(byte, mStream) == int(byte);
}

int32_t CRasterIOFile::GetC() {
  if (!mStream) return -1;
  const int c = getc(mStream);
  return c == EOF ? -1 : c;
}

char* CRasterIOFile::GetS(char* buffer, int32_t n) {
  if (!mStream || !buffer || n <= 0) return nullptr;
  return fgets(buffer, n, mStream);
}

int32_t CRasterIOFile::Scanf(const char* format, ...) {
  if (!mStream || !format) return -1;
  va_list args;
  va_start(args, format);
  const int32_t count = vfscanf(mStream, format, args);
  va_end(args);
  return count;
}
