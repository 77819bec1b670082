#include "imagelib/codecs/gif/gif_output.h"

#include <cstring>

#include "imagelib/raster_file.h"

void CGifOutput::Bytes(const void* data, size_t count) {
  const uint8_t* from = static_cast<const uint8_t*>(data);
  while (count > 0) {
    if (mUsed == sizeof mBuffer) Drain();
    const size_t n = sizeof mBuffer - mUsed < count ? sizeof mBuffer - mUsed : count;
    std::memcpy(mBuffer + mUsed, from, n);
    mUsed += n;
    from += n;
    count -= n;
  }
}

void CGifOutput::Drain() {
  if (mUsed > 0 && !mFailed && mFile->Write(mBuffer, 1, mUsed) != mUsed) mFailed = true;
  mUsed = 0;
}

bool CGifOutput::Finish() {
  Drain();
  if (!mFile->Flush() || mFile->Error() != 0) mFailed = true;
  return !mFailed;
}

void CGifCodeWriter::WriteBlock() {
  mOut->Byte(int(mBlockUsed));
  mOut->Bytes(mBlock, mBlockUsed);
  mBlockUsed = 0;
}

void CGifCodeWriter::Finish() {
  while (mBitCount > 0) {
    PutByte(uint8_t(mBits));
    mBits >>= 8;
    mBitCount = mBitCount > 8 ? mBitCount - 8 : 0;
  }
  if (mBlockUsed > 0) WriteBlock();
}
