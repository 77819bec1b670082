#include <cstdlib>
#include <cstring>

#include "imagelib/raster.h"

bool CRaster::Flip(bool flipSelection, bool flipAlpha) {
  (void)flipSelection;
  (void)flipAlpha;
  if (!dib) return false;
  const size_t rowBytes = size_t(info.rowBytes);
  BYTE* spare = static_cast<BYTE*>(malloc(rowBytes ? rowBytes : 1));
  if (!spare) return false;
  const int32_t height = GetHeight();
  for (int32_t k = 0; k < height / 2; ++k) {
    BYTE* low = GetBits(k);
    BYTE* high = GetBits(height - 1 - k);
    memcpy(spare, low, rowBytes);
    memcpy(low, high, rowBytes);
    memcpy(high, spare, rowBytes);
  }
  free(spare);
  return true;
}
