#pragma once
// A profile's text overlay: its text rendered as a mask and blended into the
// current state in place, at one of nine reference points.
#include <cstdint>

struct ProfileRecord;

// The overlay's anchor point and StampTextMask alignment for the reference
// position (0 top left ... 8 bottom right, row by row; others count as 8) on
// an image of width x height, moved by (dx, dy).
int32_t TextOverlayPlacement(int32_t position, int32_t width, int32_t height, int32_t dx,
                             int32_t dy, int32_t* x, int32_t* y);

#ifdef _WIN32
// Draws the overlay of pprf on the current state: 0, 1 when the font cannot
// be made, 0x180001 when the mask cannot be rendered (nothing is stamped),
// 0x180002 without a current image.
uint32_t ApplyTextOverlay(const ProfileRecord* pprf);
#endif
