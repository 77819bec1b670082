// The LZW and literal-code GIF encoders, and the index rows they read.
#include <cstdlib>

#include "imagelib/codecs/gif/gif_encoders.h"
#include "imagelib/codecs/gif/gif_output.h"
#include "imagelib/raster.h"

namespace {

constexpr int kMaxCodes = 4096;  // 12-bit codes
constexpr int kHashSize = 5003;  // open addressing over a prime
constexpr int kHashShift = 4;    // 8 less the doublings that lift 5003 to 65536

// Codes of the current width into 254-byte sub-blocks, with the table's
// next free code deciding when the width grows or returns after a clear.
class CLzwCodeStream {
 public:
  CLzwCodeStream(int initialWidth, CGifOutput* out)
      : clear(1 << (initialWidth - 1)),
        end(clear + 1),
        mWriter(out, 254),
        mInitialWidth(initialWidth),
        mNextFree(clear + 2),
        mWidth(initialWidth),
        mMaxCode((1 << initialWidth) - 1) {}

  void Output(int code) {
    mWriter.Put(uint32_t(code), mWidth);
    if (mNextFree > mMaxCode || mClearFlag) {
      if (mClearFlag) {
        mWidth = mInitialWidth;
        mClearFlag = false;
      } else {
        ++mWidth;
      }
      mMaxCode = mWidth == 12 ? kMaxCodes : (1 << mWidth) - 1;
    }
    if (code == end) mWriter.Finish();
  }

  // One more table entry after a code: its number, or -1 when the table
  // was full and a clear code went out instead.
  int AddEntry() {
    if (mNextFree < kMaxCodes) return mNextFree++;
    mNextFree = clear + 2;
    mClearFlag = true;
    Output(clear);
    return -1;
  }

  const int clear;
  const int end;

 private:
  CGifCodeWriter mWriter;
  int mInitialWidth;
  int mNextFree;
  int mWidth;
  int mMaxCode;
  bool mClearFlag = false;
};

void ClearHash(int32_t* hash) {
  for (int i = 0; i < kHashSize; ++i) hash[i] = -1;
}

}  // namespace

CGifIndexRows::CGifIndexRows(const CRaster* image)
    : mImage(image), mWidth(image->GetWidth()), mHeight(image->GetHeight()) {
  if (image->GetBpp() < 8) mScratch = static_cast<uint8_t*>(std::malloc(size_t(mWidth)));
}

CGifIndexRows::CGifIndexRows(const uint8_t* indices, int32_t width, int32_t height)
    : mIndices(indices), mWidth(width), mHeight(height) {}

CGifIndexRows::~CGifIndexRows() { std::free(mScratch); }

bool CGifIndexRows::IsUsable() const {
  return mIndices || (mImage && (mImage->GetBpp() == 8 || mScratch));
}

const uint8_t* CGifIndexRows::Row(int32_t y) {
  if (mIndices) return mIndices + size_t(y) * size_t(mWidth);
  const BYTE* row = mImage->GetBits(mHeight - 1 - y);
  if (mImage->GetBpp() == 8) return row;
  if (mImage->GetBpp() == 4) {
    for (int32_t x = 0; x < mWidth; ++x)
      mScratch[x] = (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4;
  } else {
    for (int32_t x = 0; x < mWidth; ++x) mScratch[x] = (row[x / 8] >> (7 - (x & 7))) & 1;
  }
  return mScratch;
}

bool GifWriteLzw(CGifIndexRows* rows, int initialWidth, CGifOutput* out) {
  int32_t* hash = static_cast<int32_t*>(std::malloc(kHashSize * sizeof(int32_t)));
  uint16_t* codes = static_cast<uint16_t*>(std::malloc(kHashSize * sizeof(uint16_t)));
  if (!hash || !codes) {
    std::free(hash);
    std::free(codes);
    return false;
  }
  ClearHash(hash);
  CLzwCodeStream stream(initialWidth, out);
  stream.Output(stream.clear);
  int prefix = -1;
  for (int32_t y = 0; y < rows->Height(); ++y) {
    const uint8_t* row = rows->Row(y);
    for (int32_t x = 0; x < rows->Width(); ++x) {
      const int c = row[x];
      if (prefix < 0) {
        prefix = c;
        continue;
      }
      const int32_t key = (int32_t(c) << 12) + prefix;
      int slot = (c << kHashShift) ^ prefix;
      if (hash[slot] == key) {
        prefix = codes[slot];
        continue;
      }
      if (hash[slot] >= 0) {
        const int step = slot == 0 ? 1 : kHashSize - slot;
        bool found = false;
        do {
          slot -= step;
          if (slot < 0) slot += kHashSize;
          if (hash[slot] == key) {
            prefix = codes[slot];
            found = true;
            break;
          }
        } while (hash[slot] > 0);
        if (found) continue;
      }
      stream.Output(prefix);
      prefix = c;
      const int code = stream.AddEntry();
      if (code >= 0) {
        codes[slot] = uint16_t(code);
        hash[slot] = key;
      } else {
        ClearHash(hash);
      }
    }
  }
  stream.Output(prefix);
  stream.Output(stream.end);
  std::free(hash);
  std::free(codes);
  return true;
}

void GifWriteLiteral(CGifIndexRows* rows, int initialWidth, CGifOutput* out) {
  CLzwCodeStream stream(initialWidth, out);
  stream.Output(stream.clear);
  for (int32_t y = 0; y < rows->Height(); ++y) {
    const uint8_t* row = rows->Row(y);
    for (int32_t x = 0; x < rows->Width(); ++x) {
      stream.Output(row[x]);
      stream.AddEntry();
    }
  }
  stream.Output(stream.end);
}
