#include "app/document/text_mask.h"

#include <cstdlib>

#include "app/document/stamp_buffer.h"

bool TextMaskSize(int32_t textWidth, int32_t textHeight, int32_t frameWidth, int32_t fontHeight,
                  int32_t* maskWidth, int32_t* maskHeight) {
  const int64_t h = std::llabs(int64_t(fontHeight));
  if (h > kMaxTextMaskFontHeight || frameWidth < 0 || frameWidth > kMaxTextMaskFontHeight ||
      textWidth < 0 || textHeight < 0)
    return false;
  const int64_t w = int64_t(textWidth) + 2 * int64_t(frameWidth) + h;
  const int64_t ht = int64_t(textHeight) + 2 * int64_t(frameWidth) + h / 2;
  if (w < 1 || ht < 1 || uint64_t(w) * uint64_t(ht) > kMaxStampBytes) return false;
  *maskWidth = int32_t(w);
  *maskHeight = int32_t(ht);
  return true;
}

void GreyFromBgr(const uint8_t* bgr, int32_t n, uint8_t* out) {
  for (int32_t i = 0; i < n; ++i, bgr += 3)
    out[i] = uint8_t((299 * uint32_t(bgr[2]) + 587 * uint32_t(bgr[1]) + 114 * uint32_t(bgr[0])) / 1000);
}
