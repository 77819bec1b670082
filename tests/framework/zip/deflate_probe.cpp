#include "deflate_probe.h"

#include <cstring>
#include <functional>
#include <queue>

namespace {

struct Bits {
  const uint8_t* p;
  size_t n;
  size_t pos = 0;  // in bits
  bool bad = false;
  unsigned Get(int count) {
    unsigned v = 0;
    for (int i = 0; i < count; i++) {
      if (pos / 8 >= n) {
        bad = true;
        return 0;
      }
      v |= ((p[pos / 8] >> (pos % 8)) & 1u) << i;
      pos++;
    }
    return v;
  }
};

// Canonical Huffman decoding by code length, one bit at a time.
struct Huffman {
  int count[16] = {};
  std::vector<int> symbols;
  bool Build(const uint8_t* lengths, int n) {
    memset(count, 0, sizeof(count));
    for (int i = 0; i < n; i++) count[lengths[i]]++;
    count[0] = 0;
    int offs[16] = {};
    for (int len = 1; len < 16; len++) offs[len] = offs[len - 1] + count[len - 1];
    symbols.assign(n, 0);
    for (int i = 0; i < n; i++)
      if (lengths[i]) symbols[offs[lengths[i]]++] = i;
    return true;
  }
  int Decode(Bits& b) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; len++) {
      code |= static_cast<int>(b.Get(1));
      int c = count[len];
      if (code - c < first) return symbols[index + (code - first)];
      index += c;
      first += c;
      first <<= 1;
      code <<= 1;
      if (b.bad) return -1;
    }
    return -1;
  }
};

const int kLenBase[29] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int kDistBase[30] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Height of a Huffman tree built without a length limit.
int HuffmanHeight(const std::vector<uint64_t>& counts) {
  typedef std::pair<uint64_t, int> Node;  // weight, height
  std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
  for (uint64_t c : counts)
    if (c) heap.push(Node(c, 0));
  if (heap.size() < 2) return heap.empty() ? 0 : 1;
  while (heap.size() > 1) {
    Node a = heap.top();
    heap.pop();
    Node b = heap.top();
    heap.pop();
    heap.push(Node(a.first + b.first, std::max(a.second, b.second) + 1));
  }
  return heap.top().second;
}

std::vector<uint64_t> gLitCounts, gDistCounts;

bool Codes(Bits& b, DeflateProbe& r, const Huffman& lit, const Huffman& dist) {
  for (;;) {
    int sym = lit.Decode(b);
    if (sym < 0 || b.bad) return false;
    gLitCounts[sym]++;
    if (sym < 256) {
      r.aOut.push_back(static_cast<uint8_t>(sym));
    } else if (sym == 256) {
      return true;
    } else {
      sym -= 257;
      if (sym >= 29) return false;
      unsigned len = kLenBase[sym] + b.Get(kLenExtra[sym]);
      int ds = dist.Decode(b);
      if (ds < 0 || ds >= 30) return false;
      gDistCounts[ds]++;
      unsigned d = kDistBase[ds] + b.Get(kDistExtra[ds]);
      if (b.bad || d > r.aOut.size()) return false;
      for (unsigned i = 0; i < len; i++) r.aOut.push_back(r.aOut[r.aOut.size() - d]);
      r.uMaxDistance = d > r.uMaxDistance ? d : r.uMaxDistance;
      r.uMaxLength = len > r.uMaxLength ? len : r.uMaxLength;
      r.uMinLength = len < r.uMinLength ? len : r.uMinLength;
      r.ullMatches++;
      r.ullMatchBytes += len;
    }
  }
}

bool Dynamic(Bits& b, DeflateProbe& r) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  int nlen = b.Get(5) + 257, ndist = b.Get(5) + 1, ncode = b.Get(4) + 4;
  uint8_t lengths[320] = {};
  for (int i = 0; i < ncode; i++) lengths[kOrder[i]] = static_cast<uint8_t>(b.Get(3));
  Huffman lencode;
  lencode.Build(lengths, 19);
  memset(lengths, 0, sizeof(lengths));
  int i = 0;
  while (i < nlen + ndist) {
    int sym = lencode.Decode(b);
    if (sym < 0 || b.bad) return false;
    if (sym < 16) {
      lengths[i++] = static_cast<uint8_t>(sym);
      continue;
    }
    int len = 0, rep;
    if (sym == 16) {
      if (i == 0) return false;
      len = lengths[i - 1];
      rep = 3 + b.Get(2);
    } else if (sym == 17) {
      rep = 3 + b.Get(3);
    } else {
      rep = 11 + b.Get(7);
    }
    if (i + rep > nlen + ndist) return false;
    while (rep--) lengths[i++] = static_cast<uint8_t>(len);
  }
  for (int k = 0; k < nlen + ndist; k++)
    r.iMaxCodeLength = lengths[k] > r.iMaxCodeLength ? lengths[k] : r.iMaxCodeLength;
  Huffman lit, dist;
  lit.Build(lengths, nlen);
  dist.Build(lengths + nlen, ndist);
  gLitCounts.assign(288, 0);
  gDistCounts.assign(30, 0);
  if (!Codes(b, r, lit, dist)) return false;
  int h = std::max(HuffmanHeight(gLitCounts), HuffmanHeight(gDistCounts));
  r.iMaxOptimalDepth = std::max(r.iMaxOptimalDepth, h);
  return true;
}

}  // namespace

DeflateProbe ProbeDeflate(const uint8_t* data, size_t size) {
  DeflateProbe r;
  Bits b{data, size};
  bool last = false;
  while (!last) {
    last = b.Get(1) != 0;
    unsigned type = b.Get(2);
    if (b.bad) return r;
    if (type == 0) {
      b.pos = (b.pos + 7) & ~size_t(7);
      unsigned len = b.Get(16), nlen = b.Get(16);
      if (b.bad || (len ^ 0xFFFF) != nlen || b.pos / 8 + len > size) return r;
      r.aOut.insert(r.aOut.end(), data + b.pos / 8, data + b.pos / 8 + len);
      b.pos += size_t(len) * 8;
      r.iStored++;
    } else if (type == 1) {
      uint8_t lengths[288 + 30];
      int i = 0;
      for (; i < 144; i++) lengths[i] = 8;
      for (; i < 256; i++) lengths[i] = 9;
      for (; i < 280; i++) lengths[i] = 7;
      for (; i < 288; i++) lengths[i] = 8;
      for (; i < 318; i++) lengths[i] = 5;
      Huffman lit, dist;
      lit.Build(lengths, 288);
      dist.Build(lengths + 288, 30);
      gLitCounts.assign(288, 0);
      gDistCounts.assign(30, 0);
      if (!Codes(b, r, lit, dist)) return r;
      r.iFixed++;
    } else if (type == 2) {
      if (!Dynamic(b, r)) return r;
      r.iDynamic++;
    } else {
      return r;
    }
  }
  r.uConsumed = (b.pos + 7) / 8;
  r.bOk = true;
  return r;
}
