#pragma once
// An image whose frame index a test can set, as the application's own image
// class does before it decodes a page of a multi-page file.
#include <cstdint>

#include "imagelib/raster.h"

class CFrameRaster : public CRaster {
 public:
  void SetFrameIndex(int32_t index) { info.frameIndex = index; }
};
