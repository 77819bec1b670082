// The run-length GIF encoder. It never looks strings up: right after a clear
// code the decoder's table is empty, and a pixel p followed by the codes of
// the next free slots makes the decoder build the strings p, pp, ppp, ...
// in those slots. A run is written from such a table when that is cheaper
// than plain pixel codes, and the width and clear bookkeeping follow the
// decoder's table growth exactly.
#include <cstdint>

#include "imagelib/codecs/gif/gif_encoders.h"
#include "imagelib/codecs/gif/gif_output.h"

namespace {

class CRunLengthWriter {
 public:
  CRunLengthWriter(int initialWidth, CGifOutput* out)
      : mWriter(out, 255),
        mInitialWidth(initialWidth),
        mClearCode(1 << (initialWidth - 1)),
        mEndCode(mClearCode + 1),
        mBaseCode(mClearCode + 2),
        mBumpInitial(mClearCode - 1),
        mClearInitial(initialWidth <= 3 ? 9 : mClearCode - 2),
        mMaxCodes(4096 - (mClearCode + 3)) {}

  void Write(CGifIndexRows* rows) {
    DidClear();
    Output(mClearCode);
    for (int32_t y = 0; y < rows->Height(); ++y) {
      const uint8_t* row = rows->Row(y);
      for (int32_t x = 0; x < rows->Width(); ++x) {
        const int c = row[x];
        if (mRunLength > 0 && c != mRunPixel) Flush();
        if (c == mRunPixel) {
          ++mRunLength;
        } else {
          mRunPixel = c;
          mRunLength = 1;
        }
      }
    }
    if (mRunLength > 0) Flush();
    Output(mEndCode);
    mWriter.Finish();
  }

 private:
  void Output(int code) { mWriter.Put(uint32_t(code), mOutWidth); }

  void DidClear() {
    mOutWidth = mInitialWidth;
    mBump = mBumpInitial;
    mClearLimit = mClearInitial;
    mOutCount = 0;
    mTableMax = 0;
    mJustCleared = true;
  }

  void OutputClear() {
    Output(mClearCode);
    DidClear();
  }

  // A code that adds one slot to the decoder's table.
  void OutputPlain(int code) {
    mJustCleared = false;
    Output(code);
    ++mOutCount;
    if (mOutCount >= mBump) {
      ++mOutWidth;
      mBump += int64_t(1) << (mOutWidth - 1);
    }
    if (mOutCount >= mClearLimit) OutputClear();
  }

  void ResetClearLimit() {
    mClearLimit = mClearInitial;
    if (mOutCount >= mClearLimit) OutputClear();
  }

  static uint64_t IntegerSquareRoot(uint64_t x) {
    if (x < 2) return x;
    uint64_t r = 1;
    for (uint64_t v = x; v != 0; v >>= 2) r <<= 1;
    for (;;) {
      const uint64_t next = (x / r + r) / 2;
      if (next == r || next == r + 1) return r;
      r = next;
    }
  }

  // Codes a run of count pixels takes from a fresh table: strings of
  // lengths 1, 2, 3, ... up to the table's limit, then again.
  uint64_t TriangleCost(uint64_t count) const {
    const uint64_t perTable = uint64_t(mMaxCodes) * uint64_t(mMaxCodes + 1) / 2;
    uint64_t cost = (count / perTable) * uint64_t(mMaxCodes);
    count %= perTable;
    if (count > 0) {
      uint64_t n = IntegerSquareRoot(count);
      while (n > 0 && n * (n + 1) >= 2 * count) --n;
      while (n * (n + 1) < 2 * count) ++n;
      cost += n;
    }
    return cost;
  }

  void FlushFromClear(int64_t count) {
    mClearLimit = mMaxCodes;
    mTablePixel = mRunPixel;
    int64_t n = 1;
    while (count > 0) {
      if (n == 1) {
        mTableMax = 1;
        OutputPlain(mRunPixel);
        --count;
      } else if (count >= n) {
        mTableMax = n;
        OutputPlain(int(mBaseCode + n - 2));
        count -= n;
      } else if (count == 1) {
        ++mTableMax;
        OutputPlain(mRunPixel);
        count = 0;
      } else {
        ++mTableMax;
        OutputPlain(int(mBaseCode + count - 2));
        count = 0;
      }
      n = mOutCount == 0 ? 1 : n + 1;
    }
    ResetClearLimit();
  }

  void FlushClearOrRepeat(int64_t count) {
    if (1 + TriangleCost(uint64_t(count)) < uint64_t(count)) {
      OutputClear();
      FlushFromClear(count);
      return;
    }
    for (; count > 0; --count) OutputPlain(mRunPixel);
  }

  void FlushWithTable(int64_t count) {
    int64_t repeats = count / mTableMax;
    int64_t leftover = count % mTableMax;
    uint64_t leftoverCost = leftover ? 1 : 0;
    if (mOutCount + repeats + int64_t(leftoverCost) > mMaxCodes) {
      repeats = mMaxCodes - mOutCount;
      leftover = count - repeats * mTableMax;
      leftoverCost = 1 + TriangleCost(uint64_t(leftover));
    }
    if (1 + TriangleCost(uint64_t(count)) < uint64_t(repeats) + leftoverCost) {
      OutputClear();
      FlushFromClear(count);
      return;
    }
    mClearLimit = mMaxCodes;
    for (; repeats > 0; --repeats) OutputPlain(int(mBaseCode + mTableMax - 2));
    if (leftover > 0) {
      if (mJustCleared) {
        FlushFromClear(leftover);
      } else if (leftover == 1) {
        OutputPlain(mRunPixel);
      } else {
        OutputPlain(int(mBaseCode + leftover - 2));
      }
    }
    ResetClearLimit();
  }

  void Flush() {
    if (mRunLength == 1) {
      OutputPlain(mRunPixel);
    } else if (mJustCleared) {
      FlushFromClear(mRunLength);
    } else if (mTableMax < 2 || mTablePixel != mRunPixel) {
      FlushClearOrRepeat(mRunLength);
    } else {
      FlushWithTable(mRunLength);
    }
    mRunLength = 0;
  }

  CGifCodeWriter mWriter;
  const int mInitialWidth;
  const int mClearCode;
  const int mEndCode;
  const int mBaseCode;
  const int64_t mBumpInitial;
  const int64_t mClearInitial;
  const int64_t mMaxCodes;

  int mOutWidth = 0;
  int64_t mBump = 0;
  int64_t mClearLimit = 0;
  int64_t mOutCount = 0;
  int64_t mTableMax = 0;  // longest run string the decoder's table holds
  int mTablePixel = -1;   // the pixel those strings repeat
  bool mJustCleared = true;
  int mRunPixel = -1;
  int64_t mRunLength = 0;
};

}  // namespace

void GifWriteRunLength(CGifIndexRows* rows, int initialWidth, CGifOutput* out) {
  CRunLengthWriter writer(initialWidth, out);
  writer.Write(rows);
}
