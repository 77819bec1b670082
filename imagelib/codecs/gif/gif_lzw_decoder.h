#pragma once
// The variable-length-code LZW decoder of GIF image data: the minimum code
// size byte, then data sub-blocks (a count byte and that many bytes) up to an
// empty one. Codes come least significant bit first.
//
// Damaged data is decoded as far as it goes: a code past the next free
// table slot ("bad code") is counted and decoded as the previous string plus
// its first character; strings are cut at 4094 entries, so neither the
// string stack nor the line is ever overrun, whatever the prefix table holds.
#include <cstdint>

class CRasterReadBuffer;
class CGifRowWriter;

// One LZW code string expands to at most this many pixels (the stack limit
// plus two), and a code is at least 3 bits long: no GIF data byte can give
// more pixels than this.
constexpr int64_t kGifMaxPixelsPerByte = 4095 * 8 / 3;

class CGifLzwDecoder {
 public:
  CGifLzwDecoder();
  CGifLzwDecoder(const CGifLzwDecoder&) = delete;
  CGifLzwDecoder& operator=(const CGifLzwDecoder&) = delete;

  // Decodes one image's data from the reader's position and hands every
  // line of lineWidth indices to rows (a short last line too). Ends at the
  // end code, an empty sub-block, a read failure, a bad minimum code size or
  // when rows refuses a line; the reader is then behind the last sub-block
  // it used. Returns the number of bad codes.
  int Decode(CRasterReadBuffer* in, int32_t lineWidth, CGifRowWriter* rows);

  // Passes over one image's data, following only the code widths (no
  // strings), to the same end as Decode for sound data. Stops at the first
  // bad code, after which the caller searches for the next image anyway.
  // Returns the number of bad codes (0 or 1).
  static int Skip(CRasterReadBuffer* in);

 private:
  static constexpr int kTableSize = 4096;
  static constexpr int kStackLimit = 4094;

  uint8_t mStack[kTableSize];
  uint8_t mSuffix[kTableSize];
  uint16_t mPrefix[kTableSize];
  uint16_t mLength[kTableSize];  // of each slot's string while the table is sound
};
