#pragma once
// A small independent decoder of raw deflate streams for the tests: it
// decodes and also reports what the stream is made of (block types, match
// lengths and distances), which zlib does not tell.
#include <cstddef>
#include <cstdint>
#include <vector>

struct DeflateProbe {
  bool bOk = false;
  std::vector<uint8_t> aOut;
  int iStored = 0;
  int iFixed = 0;
  int iDynamic = 0;
  unsigned uMaxDistance = 0;
  unsigned uMaxLength = 0;
  unsigned uMinLength = 0xFFFF;
  uint64_t ullMatches = 0;
  uint64_t ullMatchBytes = 0;
  int iMaxCodeLength = 0;  // longest literal/length or distance code in a dynamic block
  // Height of an unlimited Huffman tree over a dynamic block's symbol counts:
  // above 15, the coder had to shorten its codes.
  int iMaxOptimalDepth = 0;
  size_t uConsumed = 0;    // bytes of input up to the end of the last block
};

DeflateProbe ProbeDeflate(const uint8_t* data, size_t size);
