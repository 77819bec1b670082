#include "imagelib/codecs/pcx/pcx_run_length.h"

#include <cstring>

#include "imagelib/raster_read_buffer.h"

namespace {

constexpr int kRunFlag = 0xC0;
constexpr int kMaxRun = 63;

}  // namespace

const char* CPcxRunReader::ReadLine(uint8_t* line, size_t count) {
  size_t filled = 0;
  while (filled < count) {
    if (mRunLeft > 0) {
      const size_t n = mRunLeft < count - filled ? mRunLeft : count - filled;
      std::memset(line + filled, mRunValue, n);
      filled += n;
      mRunLeft -= n;
      continue;
    }
    const int code = mIn->GetByte();
    if (code < 0) return "corrupted PCX";
    if (code < kRunFlag) {
      line[filled++] = uint8_t(code);
      --mLeft;
      continue;
    }
    const int value = mIn->GetByte();
    if (value < 0) return "corrupted PCX";
    const size_t run = size_t(code & kMaxRun);
    if (run > mLeft) return "repeat count spans end of image";
    mLeft -= run;
    mRunLeft = run;
    mRunValue = uint8_t(value);
  }
  return nullptr;
}

void CPcxRunPacker::WriteRun() {
  if (mRun == 1 && mLast < kRunFlag) {
    mOut[mUsed++] = mLast;
  } else {
    mOut[mUsed++] = uint8_t(kRunFlag | mRun);
    mOut[mUsed++] = mLast;
  }
  mRun = 0;
}

size_t CPcxRunPacker::Close(size_t pad) {
  if (mRun > 0) WriteRun();
  for (; pad > 0; --pad) mOut[mUsed++] = 0;
  return mUsed;
}

size_t PcxPackLine(const uint8_t* line, size_t count, uint8_t* out) {
  size_t used = 0;
  for (size_t i = 0; i < count;) {
    size_t run = 1;
    while (i + run < count && run < kMaxRun && line[i + run] == line[i]) ++run;
    if (run > 1 || line[i] >= kRunFlag) out[used++] = uint8_t(kRunFlag | run);
    out[used++] = line[i];
    i += run;
  }
  return used;
}
