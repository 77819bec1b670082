#pragma once
// Text as a grey mask in the stamp buffer, for the text tool and the text
// overlay: GDI draws the text black on white with its margin and frames, and
// each pixel's luminance becomes one mask byte (0 ink, 255 paper).
#include <cstdint>

#include "imagelib/raster_wintypes.h"

class CImage;

// RenderTextMask's results.
enum : int {
  kTextMaskDone = 0,
  kTextMaskNoDc = 1,
  kTextMaskNoBitmap = 2,
  kTextMaskNoMemory = 3,
};

// Fonts taller than this are refused (a mask of such text would be huge).
constexpr int32_t kMaxTextMaskFontHeight = 1000;

// The mask's size for text measured at textWidth x textHeight: a margin of
// |fontHeight| / 2 on the left and right and |fontHeight| / 4 above and
// below, plus frameWidth on every side. False when the font height or frame
// is out of range or the mask would exceed the stamp limit.
bool TextMaskSize(int32_t textWidth, int32_t textHeight, int32_t frameWidth, int32_t fontHeight,
                  int32_t* maskWidth, int32_t* maskHeight);

// Mask bytes of n pixels of blue, green, red: (299 R + 587 G + 114 B) / 1000.
void GreyFromBgr(const uint8_t* bgr, int32_t n, uint8_t* out);

#ifdef _WIN32
// Renders text (DrawText format: DT_LEFT, DT_CENTER or DT_RIGHT) in font
// into gStampBuffer's mask; the old mask is gone on every path. Returns a
// kTextMask* code. The image is the state the mask is meant for.
int RenderTextMask(CImage* image, const char* text, HFONT font, int32_t frameWidth, UINT format,
                   int32_t fontHeight);
#endif
