#pragma once
// The stamp buffer shared by every state: the text mask that the text tool
// and the text overlay blend in, and the stamp pixels that the copy command
// leaves for the stamp tool. Plain global, user interface thread or the one
// operation worker, never both at once.
#include <cstddef>
#include <cstdint>

#include "imagelib/raster_wintypes.h"

// Masks and stamps above this many bytes are refused, as the image library
// refuses such images.
constexpr size_t kMaxStampBytes = size_t(1) << 30;

struct StampBuffer {
  // Grey text mask, one byte per pixel, rows top-down: 0 ink, 255 paper.
  uint8_t* pMask;
  int32_t iMaskWidth;
  int32_t iMaskHeight;
  // Stamp pixels, rows top-down: one byte (palette index) per pixel when the
  // source had 8 bits per pixel or fewer, else four (0xAARRGGBB).
  uint8_t* pPixels;
  int32_t iWidth;
  int32_t iHeight;
  int32_t iBytesPerPixel;
  // An index stamp keeps its source's palette, so that it can be pasted by
  // colour into an image with another palette.
  int32_t nPaletteEntries;
  RGBQUAD aPalette[256];
};

extern StampBuffer gStampBuffer;

// Frees the old mask and allocates width x height bytes for a new one; null
// (and no mask) when the size is not positive, too large or not available.
uint8_t* AllocateTextMask(int32_t width, int32_t height);
void FreeTextMask();
// The same for the stamp pixels (bytesPerPixel 1 or 4); the palette is cleared.
uint8_t* AllocateStampPixels(int32_t width, int32_t height, int32_t bytesPerPixel);
void FreeStampPixels();
// Frees the mask and the stamp (at exit).
void FreeStampBuffer();
