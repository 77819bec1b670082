#include "app/document/stamp_buffer.h"

#include <cstdlib>

StampBuffer gStampBuffer = {};

namespace {

// width x height x bytes as a size, or 0 when not positive or above the limit.
size_t BlockSize(int32_t width, int32_t height, size_t bytesPerPixel) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * bytesPerPixel;
  return bytes > kMaxStampBytes ? 0 : size_t(bytes);
}

}  // namespace

uint8_t* AllocateTextMask(int32_t width, int32_t height) {
  FreeTextMask();
  const size_t bytes = BlockSize(width, height, 1);
  if (!bytes) return nullptr;
  gStampBuffer.pMask = static_cast<uint8_t*>(malloc(bytes));
  if (!gStampBuffer.pMask) return nullptr;
  gStampBuffer.iMaskWidth = width;
  gStampBuffer.iMaskHeight = height;
  return gStampBuffer.pMask;
}

void FreeTextMask() {
  free(gStampBuffer.pMask);
  gStampBuffer.pMask = nullptr;
  gStampBuffer.iMaskWidth = 0;
  gStampBuffer.iMaskHeight = 0;
}

uint8_t* AllocateStampPixels(int32_t width, int32_t height, int32_t bytesPerPixel) {
  FreeStampPixels();
  const size_t bytes = BlockSize(width, height, size_t(bytesPerPixel));
  if (!bytes) return nullptr;
  gStampBuffer.pPixels = static_cast<uint8_t*>(malloc(bytes));
  if (!gStampBuffer.pPixels) return nullptr;
  gStampBuffer.iWidth = width;
  gStampBuffer.iHeight = height;
  gStampBuffer.iBytesPerPixel = bytesPerPixel;
  return gStampBuffer.pPixels;
}

void FreeStampPixels() {
  free(gStampBuffer.pPixels);
  gStampBuffer.pPixels = nullptr;
  gStampBuffer.iWidth = 0;
  gStampBuffer.iHeight = 0;
  gStampBuffer.iBytesPerPixel = 0;
  gStampBuffer.nPaletteEntries = 0;
}

void FreeStampBuffer() {
  FreeTextMask();
  FreeStampPixels();
}
