// Hue and saturation through the library's packed HSL (hue in the red byte,
// saturation in the green byte, lightness in the blue byte).
#include <cmath>

#include "app/document/image.h"

namespace {

class CHslChange {
 public:
  CHslChange(int32_t hueShift, float factor) : mHueShift(hueShift), mFactor(factor) {}

  RGBQUAD operator()(RGBQUAD color) const {
    RGBQUAD hsl = CRaster::RgbToHsl(color);
    hsl.rgbRed = BYTE((hsl.rgbRed + mHueShift) & 0xFF);
    const float saturation = float(hsl.rgbGreen) * mFactor;
    // Limited before the cast; NaN counts as 0.
    hsl.rgbGreen = saturation >= 255.0f ? 255 : (saturation > 0.0f ? BYTE(saturation) : 0);
    RGBQUAD out = CRaster::HslToRgb(hsl);
    out.rgbReserved = color.rgbReserved;
    return out;
  }

 private:
  int32_t mHueShift;
  float mFactor;
};

}  // namespace

bool AdjustHueSaturation(int32_t hueShift, CImage* image, float saturationFactor) {
  if (!image || !image->IsValid()) return false;
  const CHslChange change(hueShift, saturationFactor);
  if (image->IsIndexed()) {
    const DWORD entries = image->GetNumColors() < 256 ? image->GetNumColors() : 256;
    for (DWORD i = 0; i < entries; ++i)
      image->SetPaletteColor(BYTE(i), change(image->GetPaletteColor(BYTE(i))));
    return true;
  }
  // The selection box counts rows from the bottom, top above bottom; x from
  // left to right - 1, rows from bottom to top - 1, cut to the image.
  int32_t x0 = 0, x1 = image->GetWidth(), y0 = 0, y1 = image->GetHeight();
  if (image->selection) {
    const RECT box = image->info.selectionBox;
    auto cut = [](LONG v, int32_t high) { return v < 0 ? 0 : (v > high ? high : int32_t(v)); };
    x0 = cut(box.left, x1);
    x1 = cut(box.right, x1);
    y0 = cut(box.bottom, y1);
    y1 = cut(box.top, y1);
  }
  for (int32_t y = y0; y < y1; ++y) {
    image->SetProgress(int32_t(int64_t(y - y0) * 100 / (y1 - y0)));
    if (image->GetEscape()) break;
    for (int32_t x = x0; x < x1; ++x)
      image->SetPixelColorUnchecked(x, y, change(image->GetPixelColorUnchecked(x, y)));
  }
  return true;
}
