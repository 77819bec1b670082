#include "app/document/text_overlay.h"

#include "app/document/image.h"

namespace {

int32_t Saturate(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : int32_t(v));
}

}  // namespace

int32_t TextOverlayPlacement(int32_t position, int32_t width, int32_t height, int32_t dx,
                             int32_t dy, int32_t* x, int32_t* y) {
  if (position < 0 || position > 8) position = 8;
  const int32_t column = position % 3, row = position / 3;
  // Left, centre, right of the image and the mask's matching edge or centre.
  const int64_t xs[3] = {0, width / 2, width};
  const int64_t ys[3] = {0, height / 2, height};
  const int32_t alignX[3] = {0, kStampCenterX, kStampRight};
  const int32_t alignY[3] = {0, kStampCenterY, kStampBottom};
  *x = Saturate(xs[column] + dx);
  *y = Saturate(ys[row] + dy);
  return alignX[column] | alignY[row];
}
