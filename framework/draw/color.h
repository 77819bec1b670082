#pragma once
// Colour conversions for the theme and the drawing colours. COLORREF values
// hold red in the low byte, then green, then blue.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

// True when red, green and blue are equal; the fourth byte is ignored.
bool SameRgb(COLORREF a, COLORREF b);
// Red and blue exchanged.
COLORREF ColorToBgr(COLORREF color);
// 0xAARRGGBB with `alpha` on top.
uint32_t ColorToArgb(COLORREF color, uint8_t alpha);

// The HLS model: hue scaled from degrees to 0..255 in the low byte, lightness
// x 255 in the next, saturation x 255 in the third (each truncated). Grey has
// hue 0.
uint32_t RgbToHls(COLORREF color);
// Hue in degrees (0..360), lightness and saturation 0..1 (out of range inputs
// are clamped); channels 0..1.
void HlsToRgb(double hue, double lightness, double saturation, double* red, double* green,
              double* blue);

// The colour with its hue byte shifted by hueShift x 255 (wrapping) and its
// lightness and saturation bytes scaled by 1 + factor (clamped to 0..255).
COLORREF BlendThemeColor(COLORREF color, double hueShift, double lightFactor,
                         double saturationFactor);
