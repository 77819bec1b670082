#include "framework/draw/corner_mix.h"

namespace {

struct MaskEntry {
  int percent;
  bool fromItem;  // source pixel from the item (else from the parent)
  int f;          // source pixel index
  int g;          // target pixel index
};

// The top-left corner; the other corners are its mirror images.
const MaskEntry kTopLeft[9] = {
    {5, false, 0, 0},  {30, false, 1, 1}, {55, false, 2, 2},
    {30, false, 3, 3}, {45, true, 4, 3},  {20, true, 5, 2},
    {55, false, 6, 6}, {20, true, 7, 6},  {0, true, 8, 8},
};

// Index of the pixel that `index` of the top-left layout becomes in `corner`.
int Mirror(int index, int corner) {
  int row = index / 3;
  int column = index % 3;
  if (corner == kCornerTopRight || corner == kCornerBottomRight) column = 2 - column;
  if (corner == kCornerBottomLeft || corner == kCornerBottomRight) row = 2 - row;
  return row * 3 + column;
}

uint32_t MixChannel(uint32_t source, uint32_t target, int shift, int percent) {
  int s = int((source >> shift) & 0xFF);
  int t = int((target >> shift) & 0xFF);
  return uint32_t(s + (t - s) * percent / 100) << shift;
}

}  // namespace

void MixCornerPixels(const uint32_t item[9], const uint32_t parent[9], int corner,
                     uint32_t out[9]) {
  for (int i = 0; i < 9; ++i) {
    const MaskEntry& entry = kTopLeft[i];
    int at = Mirror(i, corner);
    int f = Mirror(entry.f, corner);
    uint32_t source = entry.fromItem ? item[f] : parent[f];
    uint32_t target = item[Mirror(entry.g, corner)];
    out[at] = (item[at] & 0xFF000000u) | MixChannel(source, target, 0, entry.percent) |
              MixChannel(source, target, 8, entry.percent) |
              MixChannel(source, target, 16, entry.percent);
  }
}
