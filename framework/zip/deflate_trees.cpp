// Block coder of the deflate compressor: symbol statistics, Huffman trees
// with length limiting, the choice between stored, fixed and dynamic blocks,
// and the bit writer.
#include <cstring>

#include "framework/zip/deflate_state.h"

namespace deflate_internal {
namespace {

constexpr int kStoredBlock = 0;
constexpr int kStaticTrees = 1;
constexpr int kDynTrees = 2;
constexpr int kRep3To6 = 16;
constexpr int kRepZ3To10 = 17;
constexpr int kRepZ11To138 = 18;

const uint8_t kExtraLBits[kLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint8_t kExtraDBits[kDCodes] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kExtraBLBits[kBLCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
// Order in which the bit-length code lengths are sent: most likely unused last.
const uint8_t kBLOrder[kBLCodes] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

unsigned ReverseBits(unsigned code, int len) {
  unsigned res = 0;
  do {
    res = (res << 1) | (code & 1);
    code >>= 1;
  } while (--len > 0);
  return res;
}

// --- Bit writer ---

void PutByte(DeflateState* s, uint8_t c) {
  s->aOut[s->uOutCount++] = c;
  if (s->uOutCount == kOutBufSize) FlushOutput(s);
}

void SendBits(DeflateState* s, unsigned value, int length) {
  if (length <= 0 || length > 15) {
    SetError(s, "invalid length");
    return;
  }
  s->ullBitsSent += static_cast<unsigned>(length);
  s->ulBitBuf |= (value & ((1u << length) - 1)) << s->iBitValid;
  s->iBitValid += length;
  if (s->iBitValid > 16) {
    PutByte(s, static_cast<uint8_t>(s->ulBitBuf));
    PutByte(s, static_cast<uint8_t>(s->ulBitBuf >> 8));
    s->ulBitBuf >>= 16;
    s->iBitValid -= 16;
  }
}

void SendCode(DeflateState* s, int c, const TreeNode* tree) {
  SendBits(s, tree[c].usCode, tree[c].usLen);
}

// Writes out the pending bits up to the next byte boundary and hands the
// buffered output to the write function.
void AlignToByte(DeflateState* s) {
  if (s->iBitValid > 8) {
    PutByte(s, static_cast<uint8_t>(s->ulBitBuf));
    PutByte(s, static_cast<uint8_t>(s->ulBitBuf >> 8));
  } else if (s->iBitValid > 0) {
    PutByte(s, static_cast<uint8_t>(s->ulBitBuf));
  }
  s->ulBitBuf = 0;
  s->iBitValid = 0;
  s->ullBitsSent = (s->ullBitsSent + 7) & ~uint64_t(7);
  FlushOutput(s);
}

void CopyStored(DeflateState* s, const uint8_t* data, unsigned len) {
  AlignToByte(s);
  // LEN and NLEN are plain bytes here: the bit sender takes at most 15 bits.
  uint8_t header[4] = {static_cast<uint8_t>(len), static_cast<uint8_t>(len >> 8),
                       static_cast<uint8_t>(~len), static_cast<uint8_t>(~len >> 8)};
  s->pfnWrite(s->pUser, header, 4);
  s->ullBytesOut += 4;
  if (len) s->pfnWrite(s->pUser, data, len);
  s->ullBytesOut += len;
  s->ullBitsSent += (uint64_t(len) + 4) * 8;
}

// --- Trees ---

// Lower frequency first; equal frequencies: the shallower subtree first.
bool Smaller(const TreeNode* tree, int n, int m, const uint8_t* depth) {
  return tree[n].usFreq < tree[m].usFreq ||
         (tree[n].usFreq == tree[m].usFreq && depth[n] <= depth[m]);
}

void SiftDown(DeflateState* s, const TreeNode* tree, int k) {
  int v = s->aHeap[k];
  int j = k << 1;
  while (j <= s->iHeapLen) {
    if (j < s->iHeapLen && Smaller(tree, s->aHeap[j + 1], s->aHeap[j], s->aDepth)) j++;
    if (Smaller(tree, v, s->aHeap[j], s->aDepth)) break;
    s->aHeap[k] = s->aHeap[j];
    k = j;
    j <<= 1;
  }
  s->aHeap[k] = v;
}

// Code lengths from the tree depths, limited to the descriptor's maximum.
// Each pair of leaves past the limit is made room for by moving a leaf of the
// deepest non-full level one down, where it takes two siblings.
void GenBitLengths(DeflateState* s, TreeDesc* desc) {
  TreeNode* tree = desc->pDyn;
  const int maxLength = desc->iMaxLength;
  int overflow = 0;
  for (int bits = 0; bits <= kMaxBits; bits++) s->aBLCount[bits] = 0;

  tree[s->aHeap[s->iHeapMax]].usLen = 0;  // root
  int h;
  for (h = s->iHeapMax + 1; h < kHeapSize; h++) {
    int n = s->aHeap[h];
    int bits = tree[tree[n].usDad].usLen + 1;
    if (bits > maxLength) {
      bits = maxLength;
      overflow++;
    }
    tree[n].usLen = static_cast<uint16_t>(bits);
    if (n > desc->iMaxCode) continue;  // not a leaf
    s->aBLCount[bits]++;
    int xbits = n >= desc->iExtraBase ? desc->pExtraBits[n - desc->iExtraBase] : 0;
    int64_t f = tree[n].usFreq;
    s->llOptLen += f * (bits + xbits);
    if (desc->pStatic) s->llStaticLen += f * (desc->pStatic[n].usLen + xbits);
  }
  if (overflow == 0) return;

  do {
    int bits = maxLength - 1;
    while (s->aBLCount[bits] == 0) bits--;
    s->aBLCount[bits]--;
    s->aBLCount[bits + 1] += 2;
    s->aBLCount[maxLength]--;
    overflow -= 2;
  } while (overflow > 0);

  // Hand the corrected lengths out again, longest first, in heap order
  // (which is by frequency).
  h = kHeapSize;
  for (int bits = maxLength; bits != 0; bits--) {
    int n = s->aBLCount[bits];
    while (n != 0) {
      int m = s->aHeap[--h];
      if (m > desc->iMaxCode) continue;
      if (tree[m].usLen != bits) {
        s->llOptLen += (int64_t(bits) - tree[m].usLen) * tree[m].usFreq;
        tree[m].usLen = static_cast<uint16_t>(bits);
      }
      n--;
    }
  }
}

// Canonical codes, stored bit-reversed since bits go out LSB first.
void GenCodes(DeflateState* s, TreeNode* tree, int maxCode, const uint16_t* blCount) {
  uint16_t nextCode[kMaxBits + 1];
  unsigned code = 0;
  for (int bits = 1; bits <= kMaxBits; bits++) {
    code = (code + blCount[bits - 1]) << 1;
    nextCode[bits] = static_cast<uint16_t>(code);
  }
  if (code + blCount[kMaxBits] - 1 != (1u << kMaxBits) - 1)
    SetError(s, "inconsistent bit counts");
  for (int n = 0; n <= maxCode; n++) {
    int len = tree[n].usLen;
    if (len == 0) continue;
    tree[n].usCode = static_cast<uint16_t>(ReverseBits(nextCode[len]++, len));
  }
}

void BuildTree(DeflateState* s, TreeDesc* desc) {
  TreeNode* tree = desc->pDyn;
  const int elems = desc->iElems;
  int maxCode = -1;
  s->iHeapLen = 0;
  s->iHeapMax = kHeapSize;
  for (int n = 0; n < elems; n++) {
    if (tree[n].usFreq != 0) {
      s->aHeap[++s->iHeapLen] = maxCode = n;
      s->aDepth[n] = 0;
    } else {
      tree[n].usLen = 0;
    }
  }
  // Every tree gets at least two codes, even a block of one symbol.
  while (s->iHeapLen < 2) {
    int node = s->aHeap[++s->iHeapLen] = (maxCode < 2 ? ++maxCode : 0);
    tree[node].usFreq = 1;
    s->aDepth[node] = 0;
    s->llOptLen--;
    if (desc->pStatic) s->llStaticLen -= desc->pStatic[node].usLen;
  }
  desc->iMaxCode = maxCode;

  for (int n = s->iHeapLen / 2; n >= 1; n--) SiftDown(s, tree, n);

  int node = elems;
  do {
    int n = s->aHeap[1];
    s->aHeap[1] = s->aHeap[s->iHeapLen--];
    SiftDown(s, tree, 1);
    int m = s->aHeap[1];
    s->aHeap[--s->iHeapMax] = n;
    s->aHeap[--s->iHeapMax] = m;
    tree[node].usFreq = static_cast<uint16_t>(tree[n].usFreq + tree[m].usFreq);
    s->aDepth[node] =
        static_cast<uint8_t>((s->aDepth[n] >= s->aDepth[m] ? s->aDepth[n] : s->aDepth[m]) + 1);
    tree[n].usDad = tree[m].usDad = static_cast<uint16_t>(node);
    s->aHeap[1] = node++;
    SiftDown(s, tree, 1);
  } while (s->iHeapLen >= 2);
  s->aHeap[--s->iHeapMax] = s->aHeap[1];

  GenBitLengths(s, desc);
  GenCodes(s, tree, maxCode, s->aBLCount);
}

// Run-length limits after a run of `curlen` when the next run has `nextlen`.
void RunLimits(int curlen, int nextlen, int* maxCount, int* minCount) {
  if (nextlen == 0) {
    *maxCount = 138;
    *minCount = 3;
  } else if (curlen == nextlen) {
    *maxCount = 6;
    *minCount = 3;
  } else {
    *maxCount = 7;
    *minCount = 4;
  }
}

// Counts the run-length coded lengths of `tree` into the bit-length tree.
void ScanTree(DeflateState* s, TreeNode* tree, int maxCode) {
  int prevlen = -1;
  int nextlen = tree[0].usLen;
  int count = 0;
  int maxCount = nextlen == 0 ? 138 : 7;
  int minCount = nextlen == 0 ? 3 : 4;
  tree[maxCode + 1].usLen = 0xFFFF;  // guard, ends the last run
  for (int n = 0; n <= maxCode; n++) {
    int curlen = nextlen;
    nextlen = tree[n + 1].usLen;
    if (++count < maxCount && curlen == nextlen) continue;
    if (count < minCount) {
      s->aBLTree[curlen].usFreq = static_cast<uint16_t>(s->aBLTree[curlen].usFreq + count);
    } else if (curlen != 0) {
      if (curlen != prevlen) s->aBLTree[curlen].usFreq++;
      s->aBLTree[kRep3To6].usFreq++;
    } else if (count <= 10) {
      s->aBLTree[kRepZ3To10].usFreq++;
    } else {
      s->aBLTree[kRepZ11To138].usFreq++;
    }
    count = 0;
    prevlen = curlen;
    RunLimits(curlen, nextlen, &maxCount, &minCount);
  }
}

// Sends the lengths of `tree` in the run-length coding that ScanTree counted.
void SendTree(DeflateState* s, TreeNode* tree, int maxCode) {
  int prevlen = -1;
  int nextlen = tree[0].usLen;
  int count = 0;
  int maxCount = nextlen == 0 ? 138 : 7;
  int minCount = nextlen == 0 ? 3 : 4;
  for (int n = 0; n <= maxCode; n++) {
    int curlen = nextlen;
    nextlen = tree[n + 1].usLen;
    if (++count < maxCount && curlen == nextlen) continue;
    if (count < minCount) {
      do SendCode(s, curlen, s->aBLTree);
      while (--count != 0);
    } else if (curlen != 0) {
      if (curlen != prevlen) {
        SendCode(s, curlen, s->aBLTree);
        count--;
      }
      if (count < 3 || count > 6) SetError(s, " 3_6?");
      SendCode(s, kRep3To6, s->aBLTree);
      SendBits(s, count - 3, 2);
    } else if (count <= 10) {
      SendCode(s, kRepZ3To10, s->aBLTree);
      SendBits(s, count - 3, 3);
    } else {
      SendCode(s, kRepZ11To138, s->aBLTree);
      SendBits(s, count - 11, 7);
    }
    count = 0;
    prevlen = curlen;
    RunLimits(curlen, nextlen, &maxCount, &minCount);
  }
}

// Builds the bit-length tree; returns the index in kBLOrder of the last
// code length that must be sent.
int BuildBLTree(DeflateState* s) {
  ScanTree(s, s->aDynLTree, s->lDesc.iMaxCode);
  ScanTree(s, s->aDynDTree, s->dDesc.iMaxCode);
  BuildTree(s, &s->blDesc);
  int maxIndex;
  for (maxIndex = kBLCodes - 1; maxIndex >= 3; maxIndex--) {
    if (s->aBLTree[kBLOrder[maxIndex]].usLen != 0) break;
  }
  s->llOptLen += 3 * (int64_t(maxIndex) + 1) + 5 + 5 + 4;
  return maxIndex;
}

void SendAllTrees(DeflateState* s, int lcodes, int dcodes, int blcodes) {
  if (lcodes < 257 || dcodes < 1 || blcodes < 4) SetError(s, "not enough codes");
  if (lcodes > kLCodes || dcodes > kDCodes || blcodes > kBLCodes) SetError(s, "too many codes");
  SendBits(s, lcodes - 257, 5);
  SendBits(s, dcodes - 1, 5);
  SendBits(s, blcodes - 4, 4);
  for (int rank = 0; rank < blcodes; rank++) SendBits(s, s->aBLTree[kBLOrder[rank]].usLen, 3);
  SendTree(s, s->aDynLTree, lcodes - 1);
  SendTree(s, s->aDynDTree, dcodes - 1);
}

unsigned DistCode(const DeflateState* s, unsigned dist) {
  return dist < 256 ? s->aDistCode[dist] : s->aDistCode[256 + (dist >> 7)];
}

void CompressBlock(DeflateState* s, const TreeNode* ltree, const TreeNode* dtree) {
  unsigned lx = 0, dx = 0, fx = 0;
  unsigned flag = 0;
  while (lx < s->uLastLit) {
    if ((lx & 7) == 0) flag = s->aFlagBuf[fx++];
    unsigned lc = s->aLitBuf[lx++];
    if ((flag & 1) == 0) {
      SendCode(s, static_cast<int>(lc), ltree);
    } else {
      unsigned code = s->aLengthCode[lc];
      SendCode(s, static_cast<int>(code + kLiterals + 1), ltree);
      if (kExtraLBits[code]) SendBits(s, lc - static_cast<unsigned>(s->aBaseLength[code]), kExtraLBits[code]);
      unsigned dist = s->aDistBuf[dx++];
      code = DistCode(s, dist);
      SendCode(s, static_cast<int>(code), dtree);
      if (kExtraDBits[code]) SendBits(s, dist - static_cast<unsigned>(s->aBaseDist[code]), kExtraDBits[code]);
    }
    flag >>= 1;
  }
  SendCode(s, kEndBlock, ltree);
}

void InitStaticTrees(DeflateState* s) {
  uint16_t counts[kMaxBits + 1] = {};
  int n = 0;
  for (; n <= 143; n++) s->aStaticLTree[n].usLen = 8;
  for (; n <= 255; n++) s->aStaticLTree[n].usLen = 9;
  for (; n <= 279; n++) s->aStaticLTree[n].usLen = 7;
  for (; n <= 287; n++) s->aStaticLTree[n].usLen = 8;
  counts[7] = 24;
  counts[8] = 144 + 8;
  counts[9] = 112;
  GenCodes(s, s->aStaticLTree, kLCodes + 1, counts);
  for (n = 0; n < kDCodes; n++) {
    s->aStaticDTree[n].usLen = 5;
    s->aStaticDTree[n].usCode = static_cast<uint16_t>(ReverseBits(static_cast<unsigned>(n), 5));
  }
}

}  // namespace

void FlushOutput(DeflateState* s) {
  if (s->uOutCount == 0) return;
  s->pfnWrite(s->pUser, s->aOut, s->uOutCount);
  s->ullBytesOut += s->uOutCount;
  s->uOutCount = 0;
}

void InitTables(DeflateState* s) {
  int length = 0;
  int code;
  for (code = 0; code < kLengthCodes - 1; code++) {
    s->aBaseLength[code] = length;
    for (int n = 0; n < (1 << kExtraLBits[code]); n++)
      s->aLengthCode[length++] = static_cast<uint8_t>(code);
  }
  if (length != 256) SetError(s, "ct_init: length != 256");
  // Length 258 has a code of its own; it replaces the last entry of code 27.
  s->aBaseLength[kLengthCodes - 1] = 255;
  s->aLengthCode[255] = static_cast<uint8_t>(kLengthCodes - 1);

  int dist = 0;
  for (code = 0; code < 16; code++) {
    s->aBaseDist[code] = dist;
    for (int n = 0; n < (1 << kExtraDBits[code]); n++)
      s->aDistCode[dist++] = static_cast<uint8_t>(code);
  }
  if (dist != 256) SetError(s, "ct_init: dist != 256");
  dist >>= 7;  // from here distances are counted in steps of 128
  for (; code < kDCodes; code++) {
    s->aBaseDist[code] = dist << 7;
    for (int n = 0; n < (1 << (kExtraDBits[code] - 7)); n++)
      s->aDistCode[256 + dist++] = static_cast<uint8_t>(code);
  }
  if (dist != 256) SetError(s, "ct_init: 256+dist != 512");

  InitStaticTrees(s);
  s->lDesc = {s->aDynLTree, s->aStaticLTree, kExtraLBits, kLiterals + 1, kLCodes, kMaxBits, 0};
  s->dDesc = {s->aDynDTree, s->aStaticDTree, kExtraDBits, 0, kDCodes, kMaxBits, 0};
  s->blDesc = {s->aBLTree, nullptr, kExtraBLBits, 0, kBLCodes, kMaxBLBits, 0};
}

void InitBlock(DeflateState* s) {
  for (int n = 0; n < kLCodes; n++) s->aDynLTree[n].usFreq = 0;
  for (int n = 0; n < kDCodes; n++) s->aDynDTree[n].usFreq = 0;
  for (int n = 0; n < kBLCodes; n++) s->aBLTree[n].usFreq = 0;
  s->aDynLTree[kEndBlock].usFreq = 1;
  s->llOptLen = 0;
  s->llStaticLen = 0;
  s->uLastLit = 0;
  s->uLastDist = 0;
  s->uLastFlags = 0;
  s->ucFlags = 0;
  s->ucFlagBit = 1;
}

void ResetBitWriter(DeflateState* s) {
  s->ulBitBuf = 0;
  s->iBitValid = 0;
  s->uOutCount = 0;
  s->ullBytesOut = 0;
  s->ullBitsSent = 0;
  s->ullCompressedBits = 0;
}

bool Tally(DeflateState* s, unsigned dist, unsigned lc) {
  s->aLitBuf[s->uLastLit++] = static_cast<uint8_t>(lc);
  if (dist == 0) {
    s->aDynLTree[lc].usFreq++;
  } else {
    dist--;
    if (lc > kMaxMatch - kMinMatch || dist >= kMaxDist) SetError(s, "ct_tally: bad match");
    s->aDynLTree[s->aLengthCode[lc & 0xFF] + kLiterals + 1].usFreq++;
    s->aDynDTree[DistCode(s, dist & 0x7FFF)].usFreq++;
    s->aDistBuf[s->uLastDist++] = static_cast<uint16_t>(dist);
    s->ucFlags |= s->ucFlagBit;
  }
  s->ucFlagBit = static_cast<uint8_t>(s->ucFlagBit << 1);
  if ((s->uLastLit & 7) == 0) {
    s->aFlagBuf[s->uLastFlags++] = s->ucFlags;
    s->ucFlags = 0;
    s->ucFlagBit = 1;
  }
  // Every 4,096 symbols: end the block early when it is mostly literals and
  // already codes to less than half its input, so the next data, which may
  // look different, gets trees of its own.
  if ((s->uLastLit & 0xFFF) == 0) {
    uint64_t outLength = uint64_t(s->uLastLit) * 8;
    uint64_t inLength = static_cast<uint64_t>(int64_t(s->uStrStart) - s->llBlockStart);
    for (int dcode = 0; dcode < kDCodes; dcode++)
      outLength += uint64_t(s->aDynDTree[dcode].usFreq) * (5 + kExtraDBits[dcode]);
    outLength >>= 3;
    if (s->uLastDist < s->uLastLit / 2 && outLength < inLength / 2) return true;
  }
  return s->uLastLit == kLitBufSize - 1 || s->uLastDist == kDistBufSize;
}

void FlushBlock(DeflateState* s, const uint8_t* data, uint64_t storedLen, bool last) {
  s->aFlagBuf[s->uLastFlags] = s->ucFlags;  // the flag byte being built

  BuildTree(s, &s->lDesc);
  BuildTree(s, &s->dDesc);
  int maxBLIndex = BuildBLTree(s);

  uint64_t optBytes = (static_cast<uint64_t>(s->llOptLen) + 3 + 7) >> 3;
  uint64_t staticBytes = (static_cast<uint64_t>(s->llStaticLen) + 3 + 7) >> 3;
  if (staticBytes <= optBytes) optBytes = staticBytes;

  const unsigned lastBit = last ? 1 : 0;
  if (storedLen + 4 <= optBytes && data != nullptr && storedLen <= 0xFFFF) {
    SendBits(s, (kStoredBlock << 1) + lastBit, 3);
    s->ullCompressedBits = ((s->ullCompressedBits + 3 + 7) & ~uint64_t(7)) + (storedLen + 4) * 8;
    CopyStored(s, data, static_cast<unsigned>(storedLen));
  } else if (staticBytes == optBytes) {
    SendBits(s, (kStaticTrees << 1) + lastBit, 3);
    CompressBlock(s, s->aStaticLTree, s->aStaticDTree);
    s->ullCompressedBits += 3 + static_cast<uint64_t>(s->llStaticLen);
  } else {
    SendBits(s, (kDynTrees << 1) + lastBit, 3);
    SendAllTrees(s, s->lDesc.iMaxCode + 1, s->dDesc.iMaxCode + 1, maxBLIndex + 1);
    CompressBlock(s, s->aDynLTree, s->aDynDTree);
    s->ullCompressedBits += 3 + static_cast<uint64_t>(s->llOptLen);
  }
  // The predicted size must be exactly what went out.
  if (s->ullCompressedBits != s->ullBitsSent) SetError(s, "bad compressed size");
  InitBlock(s);
  if (last) {
    AlignToByte(s);
    s->ullCompressedBits = s->ullBitsSent;
  }
}

}  // namespace deflate_internal
