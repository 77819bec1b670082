#include "imagelib/raster_read_buffer.h"

#include <cstring>

#include "imagelib/raster_file.h"

CRasterReadBuffer::CRasterReadBuffer(CRasterFile* file)
    : mFile(file), mStart(file ? file->Tell() : -1) {}

int CRasterReadBuffer::Refill() {
  if (mAtEnd || mStart < 0) return -1;
  mStart += int64_t(mFill);
  mIndex = 0;
  mFill = mFile->Read(mBuffer, 1, kSize);
  if (mFill == 0) {
    mAtEnd = true;
    return -1;
  }
  return mBuffer[mIndex++];
}

bool CRasterReadBuffer::Read(void* out, size_t count) {
  uint8_t* to = static_cast<uint8_t*>(out);
  while (count > 0) {
    if (mIndex == mFill) {
      const int first = Refill();
      if (first < 0) return false;
      *to++ = uint8_t(first);
      --count;
      continue;
    }
    const size_t n = mFill - mIndex < count ? mFill - mIndex : count;
    std::memcpy(to, mBuffer + mIndex, n);
    mIndex += n;
    to += n;
    count -= n;
  }
  return true;
}

bool CRasterReadBuffer::Skip(int64_t count) {
  if (count < 0) return false;
  if (uint64_t(count) <= mFill - mIndex) {
    mIndex += size_t(count);
    return true;
  }
  const int64_t left = BytesLeft();
  if (left >= 0 && count > left) return false;
  if (left >= 0) return Seek(Tell() + count);
  for (; count > 0; --count) {
    if (GetByte() < 0) return false;
  }
  return true;
}

bool CRasterReadBuffer::Seek(int64_t position) {
  if (mStart < 0 || position < 0 || position > INT32_MAX) return false;
  if (position >= mStart && position <= mStart + int64_t(mFill)) {
    mIndex = size_t(position - mStart);
    return true;
  }
  if (!mFile->Seek(int32_t(position), 0) || mFile->Tell() != position) return false;
  mStart = position;
  mIndex = mFill = 0;
  mAtEnd = false;
  return true;
}

int64_t CRasterReadBuffer::BytesLeft() {
  const int32_t size = mFile ? mFile->Size() : -1;
  if (size < 0 || mStart < 0) return -1;
  return size > Tell() ? int64_t(size) - Tell() : 0;
}

bool CRasterReadBuffer::SyncFile() {
  if (mStart < 0 || Tell() > INT32_MAX) return false;
  return mFile->Seek(int32_t(Tell()), 0);
}
