#pragma once
// Internal state of the deflate compressor, shared by the matcher
// (deflate.cpp) and the block coder (deflate_trees.cpp).
#include <cstdint>

#include "framework/zip/deflate.h"

namespace deflate_internal {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr unsigned kWSize = 32768;
constexpr unsigned kWMask = kWSize - 1;
constexpr unsigned kWindowSize = 2 * kWSize;
constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;  // 262
constexpr unsigned kMaxDist = kWSize - kMinLookahead;          // 32506
constexpr unsigned kTooFar = 4096;
// The 8-byte match compare may look up to 266 bytes past the current
// position; the slack keeps it inside the (zeroed) allocation.
constexpr unsigned kWindowAlloc = kWindowSize + kMaxMatch + 8 + 8;
constexpr unsigned kHashBits = 15;
constexpr unsigned kHashSize = 1u << kHashBits;
constexpr unsigned kHashMask = kHashSize - 1;
constexpr unsigned kHashShift = 5;

constexpr unsigned kGoodLength = 32;
constexpr unsigned kMaxLazy = 128;
constexpr unsigned kNiceLength = 258;
constexpr unsigned kMaxChain = 1024;

constexpr unsigned kLitBufSize = 0x8000;
constexpr unsigned kDistBufSize = 0x8000;
constexpr unsigned kOutBufSize = 16384;

constexpr int kLengthCodes = 29;
constexpr int kLiterals = 256;
constexpr int kEndBlock = 256;
constexpr int kLCodes = kLiterals + 1 + kLengthCodes;  // 286
constexpr int kDCodes = 30;
constexpr int kBLCodes = 19;
constexpr int kHeapSize = 2 * kLCodes + 1;  // 573
constexpr int kMaxBits = 15;
constexpr int kMaxBLBits = 7;

struct TreeNode {
  uint16_t usFreq;
  uint16_t usCode;
  uint16_t usLen;
  uint16_t usDad;
};

struct TreeDesc {
  TreeNode* pDyn;
  const TreeNode* pStatic;  // null for the bit-length tree
  const uint8_t* pExtraBits;
  int iExtraBase;
  int iElems;
  int iMaxLength;
  int iMaxCode;
};

}  // namespace deflate_internal

struct DeflateState {
  // Input window and matcher.
  uint8_t* pWindow;  // kWindowAlloc bytes
  uint16_t aHead[deflate_internal::kHashSize];
  uint16_t aPrev[deflate_internal::kWSize];
  unsigned uInsH;
  unsigned uStrStart;
  unsigned uLookahead;
  int64_t llBlockStart;
  unsigned uMatchStart;
  unsigned uPrevLength;
  unsigned uNiceMatch;
  bool bEof;

  // Symbols of the current block.
  uint8_t aLitBuf[deflate_internal::kLitBufSize];
  uint16_t aDistBuf[deflate_internal::kDistBufSize];
  uint8_t aFlagBuf[deflate_internal::kLitBufSize / 8];
  unsigned uLastLit;
  unsigned uLastDist;
  unsigned uLastFlags;
  uint8_t ucFlags;
  uint8_t ucFlagBit;

  // Trees.
  deflate_internal::TreeNode aDynLTree[deflate_internal::kHeapSize];
  deflate_internal::TreeNode aDynDTree[2 * deflate_internal::kDCodes + 1];
  deflate_internal::TreeNode aBLTree[2 * deflate_internal::kBLCodes + 1];
  deflate_internal::TreeNode aStaticLTree[deflate_internal::kLCodes + 2];
  deflate_internal::TreeNode aStaticDTree[deflate_internal::kDCodes];
  deflate_internal::TreeDesc lDesc;
  deflate_internal::TreeDesc dDesc;
  deflate_internal::TreeDesc blDesc;
  uint8_t aLengthCode[256];
  uint8_t aDistCode[512];
  int aBaseLength[deflate_internal::kLengthCodes];
  int aBaseDist[deflate_internal::kDCodes];
  int aHeap[deflate_internal::kHeapSize];
  int iHeapLen;
  int iHeapMax;
  uint8_t aDepth[deflate_internal::kHeapSize];
  uint16_t aBLCount[deflate_internal::kMaxBits + 1];

  // Block statistics, in bits.
  int64_t llOptLen;
  int64_t llStaticLen;
  uint64_t ullCompressedBits;
  uint64_t ullBitsSent;

  // Bit writer and output buffer.
  uint32_t ulBitBuf;  // holds at most 16 pending bits
  int iBitValid;
  uint8_t aOut[deflate_internal::kOutBufSize];
  unsigned uOutCount;
  uint64_t ullBytesOut;

  DeflateReadFn pfnRead;
  DeflateWriteFn pfnWrite;
  void* pUser;
  const char* pszError;
  const char* pszInitError;  // a failed self-check of the table set-up
};

namespace deflate_internal {

// Block coder (deflate_trees.cpp).
void InitTables(DeflateState* s);  // once per state
void InitBlock(DeflateState* s);
void ResetBitWriter(DeflateState* s);
// Records a literal (dist 0) or a match (dist >= 1, lc = length - 3);
// true when the block should be ended.
bool Tally(DeflateState* s, unsigned dist, unsigned lc);
// Ends the block [block start, strstart); `data` is null when it left the window.
void FlushBlock(DeflateState* s, const uint8_t* data, uint64_t storedLen, bool last);
void FlushOutput(DeflateState* s);

inline void SetError(DeflateState* s, const char* text) {
  if (!s->pszError) s->pszError = text;
}

}  // namespace deflate_internal
