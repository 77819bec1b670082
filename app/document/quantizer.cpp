#include "app/document/quantizer.h"

#include <cstring>
#include <new>

// Counts and sums are 64-bit: a page of tens of millions of white pixels
// would wrap 32-bit sums and turn white into grey.
struct CQuantizer::Node {
  bool bIsLeaf = false;
  uint64_t nPixelCount = 0;
  uint64_t nRedSum = 0;
  uint64_t nGreenSum = 0;
  uint64_t nBlueSum = 0;
  uint64_t nAlphaSum = 0;
  Node* pChild[8] = {};
  Node* pNext = nullptr;  // next reducible node of the same level
};

struct CQuantizer::Leaf {
  uint64_t count;
  BYTE red, green, blue, alpha;
};

namespace {

BYTE MeanByte(double sum, double count) {
  const double value = sum / count + 0.5;
  return value >= 255.0 ? BYTE(255) : BYTE(value);
}

}  // namespace

CQuantizer::CQuantizer(int32_t colors, int32_t colorBits) {
  // The caller's table has 256 entries; a tree deeper than 8 has no bits left.
  if (colors < 1) colors = 1;
  if (colors > 256) colors = 256;
  if (colorBits < 1) colorBits = 1;
  if (colorBits > 8) colorBits = 8;
  nColorBits = colorBits;
  nOutputMaxColors = colors;
  nMaxColors = colors < 16 ? 16 : colors;
}

CQuantizer::~CQuantizer() { FreeTree(pTree); }

void CQuantizer::FreeTree(Node* node) {
  if (!node) return;
  for (Node* child : node->pChild) FreeTree(child);
  delete node;
}

CQuantizer::Node* CQuantizer::CreateNode(int32_t level) {
  Node* node = new (std::nothrow) Node;
  if (!node) return nullptr;
  if (level == nColorBits) {
    node->bIsLeaf = true;
    ++nLeafCount;
  } else {
    node->pNext = pReducibleNodes[level];
    pReducibleNodes[level] = node;
  }
  return node;
}

bool CQuantizer::ProcessImage(const void* packedDib) {
  if (!packedDib) return false;
  const BYTE* dib = static_cast<const BYTE*>(packedDib);
  BITMAPINFOHEADER header;
  memcpy(&header, dib, sizeof(header));
  const int32_t bpp = header.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
  const int64_t width = header.biWidth;
  const int64_t height = header.biHeight;
  const int64_t rowLength = ((int64_t(bpp) * width + 31) / 32) * 4;
  int64_t entries = header.biClrUsed;
  if (entries == 0 && bpp <= 8) entries = int64_t(1) << bpp;
  const BYTE* palette = dib + header.biSize;
  const BYTE* rows = palette + entries * 4;

  // Palette colours by index; indices past the entries read as black.
  uint32_t colours[256] = {};
  for (int64_t i = 0; i < entries && i < 256 && bpp <= 8; ++i) {
    memcpy(&colours[i], palette + 4 * i, 4);
  }
  for (int64_t y = 0; y < height; ++y) {
    const BYTE* row = rows + y * rowLength;
    for (int64_t x = 0; x < width; ++x) {
      uint32_t value;
      if (bpp == 24) {
        value = uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 |
                uint32_t(row[3 * x + 2]) << 16;
      } else {
        BYTE index;
        if (bpp == 8) {
          index = row[x];
        } else if (bpp == 4) {
          index = BYTE((row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F);
        } else {
          index = BYTE((row[x / 8] >> (7 - (x & 7))) & 1);
        }
        value = colours[index];
      }
      AddColor(BYTE(value >> 16), BYTE(value >> 8), BYTE(value), BYTE(value >> 24));
      if (bOutOfMemory) return false;
    }
  }
  return true;
}

void CQuantizer::AddColor(BYTE red, BYTE green, BYTE blue, BYTE alphaByte) {
  const uint32_t value = uint32_t(blue) | uint32_t(green) << 8 | uint32_t(red) << 16 |
                         uint32_t(alphaByte) << 24;
  Node* leaf = (pLastLeaf && value == nLastColor) ? pLastLeaf : nullptr;
  const int32_t leavesBefore = nLeafCount;
  if (!leaf) {
    Node** slot = &pTree;
    for (int32_t level = 0;; ++level) {
      if (!*slot && !(*slot = CreateNode(level))) {
        bOutOfMemory = true;
        return;
      }
      if ((*slot)->bIsLeaf) break;
      const int32_t shift = 7 - level;
      const int32_t index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) |
                            ((blue >> shift) & 1);
      slot = &(*slot)->pChild[index];
    }
    leaf = *slot;
  }
  ++leaf->nPixelCount;
  leaf->nRedSum += red;
  leaf->nGreenSum += green;
  leaf->nBlueSum += blue;
  leaf->nAlphaSum += alphaByte;
  pLastLeaf = leaf;
  nLastColor = value;
  if (nLeafCount != leavesBefore) {
    while (nLeafCount > nMaxColors && ReduceTree()) {
    }
  }
}

bool CQuantizer::ReduceTree() {
  int32_t level = nColorBits - 1;
  while (level > 0 && !pReducibleNodes[level]) --level;
  Node* node = pReducibleNodes[level];
  if (!node) return false;
  pReducibleNodes[level] = node->pNext;
  int32_t children = 0;
  for (Node*& child : node->pChild) {
    if (!child) continue;
    node->nPixelCount += child->nPixelCount;
    node->nRedSum += child->nRedSum;
    node->nGreenSum += child->nGreenSum;
    node->nBlueSum += child->nBlueSum;
    node->nAlphaSum += child->nAlphaSum;
    delete child;  // the deepest reducible level has only leaves below it
    child = nullptr;
    ++children;
  }
  node->bIsLeaf = true;
  nLeafCount -= children - 1;
  pLastLeaf = nullptr;  // it may have been one of the freed children
  return true;
}

void CQuantizer::CollectLeaves(const Node* node, Leaf* leaves, int32_t capacity, int32_t* count) {
  if (!node || *count >= capacity) return;
  if (node->bIsLeaf) {
    const double n = double(node->nPixelCount);
    Leaf& leaf = leaves[(*count)++];
    leaf.count = node->nPixelCount;
    leaf.red = MeanByte(double(node->nRedSum), n);
    leaf.green = MeanByte(double(node->nGreenSum), n);
    leaf.blue = MeanByte(double(node->nBlueSum), n);
    leaf.alpha = MeanByte(double(node->nAlphaSum), n);
    return;
  }
  for (const Node* child : node->pChild) CollectLeaves(child, leaves, capacity, count);
}

void CQuantizer::SetColorTable(RGBQUAD* table) const {
  if (!table) return;
  // At most 256 leaves once a pixel's reductions are done.
  Leaf leaves[256];
  int32_t count = 0;
  CollectLeaves(pTree, leaves, 256, &count);
  auto put = [table](int32_t i, BYTE red, BYTE green, BYTE blue, BYTE alphaByte) {
    table[i].rgbRed = red;
    table[i].rgbGreen = green;
    table[i].rgbBlue = blue;
    table[i].rgbReserved = alphaByte;
  };
  if (nOutputMaxColors >= 16 || count <= nOutputMaxColors) {
    for (int32_t i = 0; i < count; ++i) {
      put(i, leaves[i].red, leaves[i].green, leaves[i].blue, leaves[i].alpha);
    }
    return;
  }
  // Fewer than 16 colours: merge runs of neighbouring leaves (in tree order),
  // each weighted by its pixel count.
  for (int32_t j = 0; j < nOutputMaxColors; ++j) {
    const int32_t first = j * count / nOutputMaxColors;
    const int32_t last = (j + 1) * count / nOutputMaxColors;
    double n = 0, red = 0, green = 0, blue = 0, alphaSum = 0;
    for (int32_t i = first; i < last; ++i) {
      const double weight = double(leaves[i].count);
      n += weight;
      red += weight * leaves[i].red;
      green += weight * leaves[i].green;
      blue += weight * leaves[i].blue;
      alphaSum += weight * leaves[i].alpha;
    }
    if (n > 0) put(j, MeanByte(red, n), MeanByte(green, n), MeanByte(blue, n), MeanByte(alphaSum, n));
  }
}
