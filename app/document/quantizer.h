#pragma once
// Octree colour quantizer: builds a palette of at most a requested number of
// colours for one packed DIB. Only reads the bitmap.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

class CQuantizer {
 public:
  // colors is limited to 1..256 and colorBits (the tree's depth) to 1..8.
  CQuantizer(int32_t colors, int32_t colorBits);
  CQuantizer(const CQuantizer&) = delete;
  CQuantizer& operator=(const CQuantizer&) = delete;
  virtual ~CQuantizer();

  // Adds every pixel of a packed DIB (header, palette, bottom-up rows). False
  // for a null block or a depth other than 1, 4, 8 or 24 bits.
  bool ProcessImage(const void* packedDib);
  // Writes the palette into table[0..255] (the caller zeroes it first):
  // blue, green, red and the averaged alpha in the reserved byte.
  void SetColorTable(RGBQUAD* table) const;

 private:
  struct Node;
  struct Leaf;

  void AddColor(BYTE red, BYTE green, BYTE blue, BYTE alphaByte);
  Node* CreateNode(int32_t level);
  bool ReduceTree();  // false when nothing is left to merge
  static void FreeTree(Node* node);
  static void CollectLeaves(const Node* node, Leaf* leaves, int32_t capacity, int32_t* count);

  Node* pTree = nullptr;
  int32_t nLeafCount = 0;
  Node* pReducibleNodes[9] = {};
  int32_t nMaxColors;        // leaf limit while building: at least 16
  int32_t nOutputMaxColors;  // colours asked for
  int32_t nColorBits;        // depth of the tree
  // The leaf the previous pixel reached: runs of one colour skip the descent.
  Node* pLastLeaf = nullptr;
  uint32_t nLastColor = 0;
  bool bOutOfMemory = false;
};
