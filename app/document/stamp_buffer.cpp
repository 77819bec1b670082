#include "app/document/stamp_buffer.h"

#include <cstdlib>

StampBuffer gStampBuffer = {};

namespace {

// Frees *block and allocates width x height x bytesPerPixel bytes in its
// place, setting the size only on success; null when the size is not
// positive, above the limit or not available.
uint8_t* Reallocate(uint8_t** block, int32_t* blockWidth, int32_t* blockHeight, int32_t width,
                    int32_t height, size_t bytesPerPixel) {
  free(*block);
  *block = nullptr;
  *blockWidth = 0;
  *blockHeight = 0;
  if (width <= 0 || height <= 0) return nullptr;
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * bytesPerPixel;
  if (bytes > kMaxStampBytes) return nullptr;
  *block = static_cast<uint8_t*>(malloc(size_t(bytes)));
  if (!*block) return nullptr;
  *blockWidth = width;
  *blockHeight = height;
  return *block;
}

}  // namespace

uint8_t* AllocateTextMask(int32_t width, int32_t height) {
  return Reallocate(&gStampBuffer.pMask, &gStampBuffer.iMaskWidth, &gStampBuffer.iMaskHeight,
                    width, height, 1);
}

void FreeTextMask() { AllocateTextMask(0, 0); }

uint8_t* AllocateStampPixels(int32_t width, int32_t height, int32_t bytesPerPixel) {
  gStampBuffer.nPaletteEntries = 0;
  uint8_t* pixels = Reallocate(&gStampBuffer.pPixels, &gStampBuffer.iWidth,
                               &gStampBuffer.iHeight, width, height, size_t(bytesPerPixel));
  gStampBuffer.iBytesPerPixel = pixels ? bytesPerPixel : 0;
  return pixels;
}

void FreeStampPixels() { AllocateStampPixels(0, 0, 1); }

void FreeStampBuffer() {
  FreeTextMask();
  FreeStampPixels();
}
