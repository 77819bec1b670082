#include "app/operations/image_compute.h"

#include <cstdlib>

namespace {

// A palette of the clone's own colours, freed whatever happens; empty when
// the Windows palette is asked for (the library's standard one).
class CPaletteHolder {
 public:
  CPaletteHolder(const CImage& image, int32_t colors, bool windowsPalette)
      : mWanted(!windowsPalette),
        mPalette(windowsPalette ? nullptr : image.CreateOptimalPalette(colors)) {}
  ~CPaletteHolder() { free(mPalette); }
  CPaletteHolder(const CPaletteHolder&) = delete;
  CPaletteHolder& operator=(const CPaletteHolder&) = delete;
  // A palette that was asked for but could not be made: converting without
  // it would give a black image.
  bool Failed() const { return mWanted && !mPalette; }
  const RGBQUAD* Get() const { return mPalette; }

 private:
  bool mWanted;
  RGBQUAD* mPalette;
};

bool ToBlackAndWhite(CImage* image, bool dither) {
  return dither ? image->Dither(0) : image->DecreaseBpp(1, false, nullptr);
}

bool ToPaletteDepth(CImage* image, int32_t bpp, bool dither, bool windowsPalette) {
  const CPaletteHolder palette(*image, bpp == 4 ? 16 : 256, windowsPalette);
  if (palette.Failed()) return false;
  // The 256-colour palette comes from the image before its depth is raised.
  if (bpp == 8 && image->GetBpp() < 24 && !image->IncreaseBpp(24)) return false;
  return image->DecreaseBpp(bpp, dither, palette.Get());
}

bool Convert(CImage* image, int32_t from, int32_t to, bool dither, bool windowsPalette) {
  switch (to) {
    case kColorClassBlackWhite: return ToBlackAndWhite(image, dither);
    case kColorClassGray: return image->GrayScale();
    case kColorClass16:
      if (from == kColorClassBlackWhite) return image->IncreaseBpp(4);
      return ToPaletteDepth(image, 4, dither, windowsPalette);
    case kColorClass256:
      if (from == kColorClassBlackWhite) return image->IncreaseBpp(8);
      return ToPaletteDepth(image, 8, dither, windowsPalette);
    default: return image->IncreaseBpp(24);
  }
}

bool IsColorClass(int32_t value) {
  return value >= kColorClassBlackWhite && value <= kColorClassTrueColor;
}

// rcSelection keeps inclusive corners; the library's rectangles end outside.
bool SelectionIsInside(const CImage& image, const RECT& r) {
  return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom &&
         r.right < image.GetWidth() && r.bottom < image.GetHeight();
}

}  // namespace

OperationError ConvertColorClass(CImage* image, int32_t from, int32_t to, bool dither,
                                 bool windowsPalette) {
  if (!IsColorClass(from) || !IsColorClass(to) || from == to) return 0;
  if (!Convert(image, from, to, dither, windowsPalette))
    return OperationCode(OpConvert, ErrFunctionFailed);
  return 0;
}

OperationError ApplyColorAdjustment(CImage* image, const ColorAdjustment& a) {
  const OperationError failed = OperationCode(OpAdjustColors, ErrFunctionFailed);
  if ((a.brightness != 0 || a.contrast != 0) && !image->BrightnessContrast(a.brightness, a.contrast))
    return failed;
  if (a.gamma != 1.0f && !image->Gamma(a.gamma)) return failed;
  if ((a.hue != 0 || a.saturation != 1.0f) && !AdjustHueSaturation(a.hue, image, a.saturation))
    return failed;
  return 0;
}

OperationError FlipByMode(CImage* image, int32_t mode) {
  bool done = true;
  if (mode == 0) done = image->Mirror(false, true);
  if (mode == 1) done = image->Flip(false, true);
  return done ? 0 : OperationCode(OpFlip, ErrFunctionFailed);
}

OperationError RotateByAngle(CImage* image, float angle, bool backFill, uint32_t backColor) {
  if (!IsUsableMeasure(angle, true)) return OperationCode(OpRotate, ErrFunctionFailed);
  const RGBQUAD fill = RgbQuadFromValue(backColor);
  const bool turned = image->Rotate(angle, nullptr, InterpBilinear,
                                    backFill ? OverflowColor : OverflowTransparent, &fill, true,
                                    false);
  return turned ? 0 : OperationCode(OpRotate, ErrFunctionFailed);
}

OperationError FilterByMode(CImage* image, int32_t mode) {
  static const int32_t kSharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
  static const int32_t kSoften[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};
  const bool sharpen = mode == 1;
  const bool done = image->Filter(sharpen ? kSharpen : kSoften, 3, sharpen ? 7 : 16, 0);
  return done ? 0 : OperationCode(OpProcess, ErrFunctionFailed);
}

OperationError ResampleTo(CImage* image, int32_t width, int32_t height, bool antiAlias) {
  if (width < 1 || height < 1) return OperationCode(OpResize, ErrFunctionFailed);
  const bool done = image->Resample(width, height, antiAlias ? InterpBilinear : InterpNearest,
                                    OverflowRepeat, nullptr, !antiAlias);
  return done ? 0 : OperationCode(OpResize, ErrFunctionFailed);
}

OperationError ReplaceColorsIn(CImage* image, const ProfileRecord& profile, RECT selection) {
  const OperationError failed = OperationCode(OpReplaceColors, ErrFunctionFailed);
  const int32_t count = profile.iICNumRCol;
  if (image->iColorClass < kColorClassTrueColor) {
    // Palette images change their palette, whatever the selection.
    if (!image->IsIndexed()) return failed;
    for (DWORD i = 0; i < image->GetNumColors(); ++i) {
      RGBQUAD c = image->GetPaletteColor(BYTE(i));
      uint8_t rgb[3] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
      if (!ReplaceThroughPairs(rgb, profile.rgbICCol1, profile.rgbICCol2, count)) continue;
      image->SetPaletteColor(BYTE(i), rgb[0], rgb[1], rgb[2], c.rgbReserved);
    }
    return 0;
  }
  if (!SelectionIsInside(*image, selection)) return failed;
  const int32_t rows = selection.bottom - selection.top + 1;
  const int32_t height = image->GetHeight();
  for (int32_t y = selection.top; y <= selection.bottom; ++y) {
    if (image->GetEscape() > 0) return failed;
    image->SetProgress(int32_t(int64_t(y - selection.top) * 100 / rows));
    const int32_t row = height - 1 - y;
    for (int32_t x = selection.left; x <= selection.right; ++x) {
      RGBQUAD c = image->GetPixelColorUnchecked(x, row);
      uint8_t rgb[3] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
      if (!ReplaceThroughPairs(rgb, profile.rgbICCol1, profile.rgbICCol2, count)) continue;
      c.rgbRed = rgb[0];
      c.rgbGreen = rgb[1];
      c.rgbBlue = rgb[2];
      image->SetPixelColor(x, row, c);
    }
  }
  return 0;
}

OperationError InvertSelection(CImage* image, RECT selection) {
  image->PrepareDrawing();
  image->InvertRect(selection);
  return 0;
}

OperationError HighlightOutside(CImage* image, RECT selection) {
  image->PrepareDrawing();
  image->DarkenOutsideSelection(selection, 0.8);
  return 0;
}

OperationError ClearArea(CImage* image, RECT s, uint32_t color) {
  const bool done =
      image->FillRectColor(s.left, s.top, s.right + 1, s.bottom + 1, RgbQuadFromValue(color));
  return done ? 0 : OperationCode(OpClear, ErrFunctionFailed);
}

bool CropSelection(CRaster& source, RECT s, CRaster* out) {
  return source.Crop(s.left, s.top, s.right + 1, s.bottom + 1, out);
}
