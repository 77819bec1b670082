#include "imagelib/raster_mem_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kGrowStep = 65536;
constexpr int64_t kMaxCapacity = INT32_MAX;

int64_t ClampSize(size_t size) {
  return size > size_t(kMaxCapacity) ? kMaxCapacity : int64_t(size);
}

// size x count in bytes, or -1 when the product cannot be represented.
int64_t RequestBytes(size_t size, size_t count) {
  if (size != 0 && count > size_t(INT64_MAX) / size) return -1;
  const uint64_t bytes = uint64_t(size) * uint64_t(count);
  return bytes > uint64_t(INT64_MAX) ? -1 : int64_t(bytes);
}

}  // namespace

CRasterMemFile::CRasterMemFile() : mOwnsBuffer(true) {}

CRasterMemFile::CRasterMemFile(void* buffer, size_t size)
    : mBuffer(static_cast<unsigned char*>(buffer)),
      mDataSize(buffer ? ClampSize(size) : 0),
      mOwnsBuffer(buffer == nullptr),
      mCapacity(mDataSize) {}

CRasterMemFile::CRasterMemFile(const void* buffer, size_t size)
    : CRasterMemFile(const_cast<void*>(buffer), size) {
  mReadOnly = buffer != nullptr;
}

CRasterMemFile::~CRasterMemFile() { Close(); }

bool CRasterMemFile::Open() {
  if (mBuffer) return false;
  mBuffer = static_cast<unsigned char*>(malloc(1));
  mOwnsBuffer = true;
  mReadOnly = false;
  mPosition = mDataSize = mCapacity = 0;
  mEof = false;
  return mBuffer != nullptr;
}

unsigned char* CRasterMemFile::GetBuffer(bool detach) {
  if (detach) mOwnsBuffer = false;
  return mBuffer;
}

bool CRasterMemFile::Close() {
  if (mOwnsBuffer) free(mBuffer);
  mBuffer = nullptr;
  mDataSize = mPosition = mCapacity = 0;
  return true;
}

bool CRasterMemFile::Grow(int64_t needed) {
  if (needed <= mCapacity && !mReadOnly) return mBuffer != nullptr;
  if (!mBuffer || needed > kMaxCapacity) return false;
  if (needed < mDataSize) needed = mDataSize;  // a copy keeps all the data
  int64_t capacity = (needed / kGrowStep) * kGrowStep + kGrowStep;
  if (capacity > kMaxCapacity) capacity = kMaxCapacity;
  unsigned char* grown;
  if (mOwnsBuffer) {
    grown = static_cast<unsigned char*>(realloc(mBuffer, size_t(capacity)));
  } else {
    // Never realloc (or write to) a caller's buffer: move to a copy.
    grown = static_cast<unsigned char*>(malloc(size_t(capacity)));
    if (grown) memcpy(grown, mBuffer, size_t(mDataSize));
  }
  if (!grown) return false;  // the old buffer stays valid and owned as before
  mBuffer = grown;
  mCapacity = capacity;
  mOwnsBuffer = true;
  mReadOnly = false;
  return true;
}

size_t CRasterMemFile::Read(void* buffer, size_t size, size_t count) {
  if (!buffer || !mBuffer) return 0;
  const int64_t wanted = RequestBytes(size, count);
  if (wanted == 0) return 0;
  if (mPosition >= mDataSize) {
    mEof = true;
    return 0;
  }
  const int64_t available = mDataSize - mPosition;
  int64_t copied = wanted;
  if (wanted < 0 || wanted > available) {
    copied = available;
    mEof = true;
  }
  memcpy(buffer, mBuffer + mPosition, size_t(copied));
  mPosition += copied;
  return size_t(copied) / size;
}

size_t CRasterMemFile::Write(const void* buffer, size_t size, size_t count) {
  mEof = false;
  if (!buffer || !mBuffer) return 0;
  const int64_t bytes = RequestBytes(size, count);
  if (bytes <= 0) return 0;
  if (bytes > kMaxCapacity - mPosition) return 0;
  const int64_t end = mPosition + bytes;
  if (!Grow(end)) return 0;
  // Bytes between the old end and a position sought past it read as zeros.
  if (mPosition > mDataSize) memset(mBuffer + mDataSize, 0, size_t(mPosition - mDataSize));
  memcpy(mBuffer + mPosition, buffer, size_t(bytes));
  mPosition = end;
  if (mPosition > mDataSize) mDataSize = mPosition;
  return count;
}

bool CRasterMemFile::Seek(int32_t offset, int32_t origin) {
  mEof = false;
  if (!mBuffer) return false;
  int64_t position;
  switch (origin) {
    case 0: position = offset; break;
    case 1: position = mPosition + offset; break;
    case 2: position = mDataSize + offset; break;
    default: return false;
  }
  if (position < 0) position = 0;
  if (position > kMaxCapacity) return false;
  mPosition = position;
  return true;
}

int32_t CRasterMemFile::Tell() { return mBuffer ? int32_t(mPosition) : -1; }

int32_t CRasterMemFile::Size() { return mBuffer ? int32_t(mDataSize) : -1; }

bool CRasterMemFile::Flush() { return mBuffer != nullptr; }

bool CRasterMemFile::Eof() { return !mBuffer || mEof; }

int32_t CRasterMemFile::Error() {
  if (!mBuffer) return -1;
  return mPosition > mDataSize ? 1 : 0;
}

bool CRasterMemFile::PutC(unsigned char byte) {
  mEof = false;
  if (!mBuffer) return false;
  return Write(&byte, 1, 1) == 1;
}

int32_t CRasterMemFile::GetC() {
  if (mBuffer && mPosition < mDataSize) return mBuffer[mPosition++];
  mEof = true;
  return -1;
}

char* CRasterMemFile::GetS(char* buffer, int32_t n) {
  if (!buffer || n <= 0) return nullptr;
  int32_t stored = 0;
  while (stored < n - 1) {
    const int32_t c = GetC();
    if (c < 0) {
      // Like fgets: a last line without a line feed still counts.
      if (stored == 0) return nullptr;
      break;
    }
    buffer[stored++] = char(c);
    if (c == '\n') break;
  }
  buffer[stored] = '\0';
  return buffer;
}

int32_t CRasterMemFile::Scanf(const char* format, ...) {
  (void)format;
  return 0;
}
