#pragma once
// Rounded corners of item backgrounds: the 3 x 3 corner pixels of an item are
// mixed with the same pixels of its parent's background, so the corner blends
// into whatever lies behind the item. Pure pixel maths on 32-bit DIB pixels.
#include <cstdint>

// Corner selection bits.
enum : int { kCornerTopLeft = 1, kCornerTopRight = 2, kCornerBottomLeft = 4, kCornerBottomRight = 8 };

// item and parent hold the corner's 3 x 3 pixels row by row, in screen order
// (row 0 is the top row, column 0 the left column). `corner` is one of the
// bits above. Each output pixel is, per channel,
// source + (item[g] - source) x percent / 100, with source the item's or the
// parent's pixel f as the corner's mask says. Alpha is taken from the item.
void MixCornerPixels(const uint32_t item[9], const uint32_t parent[9], int corner, uint32_t out[9]);
