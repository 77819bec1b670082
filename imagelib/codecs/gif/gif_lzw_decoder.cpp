#include "imagelib/codecs/gif/gif_lzw_decoder.h"

#include <cstdlib>
#include <cstring>

#include "imagelib/codecs/gif/gif_row_writer.h"
#include "imagelib/raster_read_buffer.h"

namespace {

constexpr int kMaxCodeSize = 12;

// Codes from the data sub-blocks, least significant bit first.
class CCodeReader {
 public:
  explicit CCodeReader(CRasterReadBuffer* in) : mIn(in) {}

  // The next code of size bits; endCode when the sub-blocks end, -1 when
  // the file does.
  int Next(int size, int endCode) {
    while (mBitCount < size) {
      if (mBlockLeft == 0) {
        const int count = mIn->GetByte();
        if (count <= 0) return count < 0 ? -1 : endCode;
        mBlockLeft = count;
      }
      const int byte = mIn->GetByte();
      if (byte < 0) return -1;
      --mBlockLeft;
      mBits |= uint32_t(byte) << mBitCount;
      mBitCount += 8;
    }
    const int code = int(mBits & ((1u << size) - 1));
    mBits >>= size;
    mBitCount -= size;
    return code;
  }

  // A sub-block is taken whole: what the last code left of it is passed over.
  void FinishBlock() {
    mIn->Skip(mBlockLeft);
    mBlockLeft = 0;
  }

 private:
  CRasterReadBuffer* mIn;
  int mBlockLeft = 0;
  uint32_t mBits = 0;
  int mBitCount = 0;
};

// The code width and table slots as they grow after each clear code.
struct CodeTable {
  explicit CodeTable(int minSize)
      : clear(1 << minSize), end(clear + 1), firstFree(clear + 2), minimum(minSize) {
    Reset();
  }
  void Reset() {
    size = minimum + 1;
    topSlot = 1 << size;
    slot = firstFree;
  }
  // After a slot was (or could not be) added: a full width grows.
  void Grow() {
    if (slot >= topSlot && size < kMaxCodeSize) {
      topSlot <<= 1;
      ++size;
    }
  }
  const int clear, end, firstFree, minimum;
  int size = 0, topSlot = 0, slot = 0;
};

bool ValidMinimumSize(int size) { return size >= 2 && size <= 9; }

}  // namespace

CGifLzwDecoder::CGifLzwDecoder() {
  std::memset(mStack, 0, sizeof mStack);
}

int CGifLzwDecoder::Decode(CRasterReadBuffer* in, int32_t lineWidth, CGifRowWriter* rows) {
  const int minSize = in->GetByte();
  if (lineWidth <= 0 || !ValidMinimumSize(minSize)) return 0;
  uint8_t* line = static_cast<uint8_t*>(std::malloc(size_t(lineWidth) + 1));
  if (!line) return 0;
  // Slots a damaged stream points at before they are filled read as 0.
  std::memset(mSuffix, 0, sizeof mSuffix);
  std::memset(mPrefix, 0, sizeof mPrefix);
  CodeTable table(minSize);
  CCodeReader codes(in);
  // The data is read as if a clear code came first, whether or not it does.
  // While the table is sound (nothing odd since the last clear) every slot
  // holds a string of known length, and one that fits in the line is
  // written there directly instead of through the stack.
  bool fresh = true, sound = true, stopped = false;
  int oldCode = 0, firstChar = 0, badCodes = 0;
  int32_t filled = 0;
  while (!stopped) {
    int code = codes.Next(table.size, table.end);
    if (code < 0 || code == table.end) break;
    if (code == table.clear) {
      table.Reset();
      fresh = sound = true;
      continue;
    }
    const int received = code;
    int top = 0;
    if (fresh) {
      fresh = false;
      if (code >= table.slot) {
        code = 0;
        sound = false;
      }
      oldCode = firstChar = code;
      line[filled++] = uint8_t(code);
    } else {
      const int length = code >= table.firstFree && code < table.slot ? mLength[code] : 1;
      if (sound && code < table.slot && filled + length <= lineWidth) {
        uint8_t* to = line + filled + length - 1;
        for (; code >= table.firstFree; code = mPrefix[code]) *to-- = mSuffix[code];
        *to = uint8_t(code);
        filled += length;
      } else {
        if (code >= table.slot) {
          if (code > table.slot) {
            ++badCodes;
            sound = false;
          }
          code = oldCode;
          mStack[top++] = uint8_t(firstChar);
        }
        while (code >= table.firstFree && top < kStackLimit) {
          mStack[top++] = mSuffix[code];
          code = mPrefix[code];
        }
        mStack[top++] = uint8_t(code);
      }
      if (table.slot < table.topSlot) {
        firstChar = code;
        mSuffix[table.slot] = uint8_t(code);
        mPrefix[table.slot] = uint16_t(oldCode);
        mLength[table.slot] = uint16_t((oldCode >= table.firstFree ? mLength[oldCode] : 1) + 1);
        ++table.slot;
        oldCode = received;
      }
      table.Grow();
    }
    // The stack holds the string last pixel first.
    for (;;) {
      const int32_t n = lineWidth - filled < top ? lineWidth - filled : top;
      uint8_t* to = line + filled;
      for (int32_t k = 0; k < n; ++k) to[k] = mStack[top - 1 - k];
      top -= n;
      filled += n;
      if (filled < lineWidth) break;
      filled = 0;
      if (!rows->Put(line)) {
        stopped = true;
        break;
      }
    }
  }
  if (!stopped && filled > 0) rows->Put(line);
  codes.FinishBlock();
  std::free(line);
  return badCodes;
}

int CGifLzwDecoder::Skip(CRasterReadBuffer* in) {
  const int minSize = in->GetByte();
  if (!ValidMinimumSize(minSize)) return 0;
  CodeTable table(minSize);
  CCodeReader codes(in);
  bool fresh = true;
  int badCodes = 0;
  for (;;) {
    const int code = codes.Next(table.size, table.end);
    if (code < 0 || code == table.end) break;
    if (code == table.clear) {
      table.Reset();
      fresh = true;
      continue;
    }
    if (fresh) {
      fresh = false;
      continue;
    }
    if (code > table.slot) {
      badCodes = 1;
      break;
    }
    if (table.slot < table.topSlot) ++table.slot;
    table.Grow();
  }
  codes.FinishBlock();
  return badCodes;
}
