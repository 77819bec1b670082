#include "framework/draw/color.h"

#include <algorithm>

namespace {

// Hue as a byte: 0..255 stands for 0..360 degrees.
double HueByteToDegrees(int hueByte) { return hueByte * 360.0 / 255.0; }

double HueChannel(double m1, double m2, double h) {
  if (h < 0) h += 360;
  if (h >= 360) h -= 360;
  if (h < 60) return m1 + (m2 - m1) * h / 60;
  if (h < 180) return m2;
  if (h < 240) return m1 + (m2 - m1) * (240 - h) / 60;
  return m1;
}

uint8_t ClampByte(double v) { return uint8_t(std::min(255.0, std::max(0.0, v))); }

}  // namespace

bool SameRgb(COLORREF a, COLORREF b) { return (a & 0xFFFFFFu) == (b & 0xFFFFFFu); }

COLORREF ColorToBgr(COLORREF color) {
  return (color & 0xFF00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
}

uint32_t ColorToArgb(COLORREF color, uint8_t alpha) {
  return (uint32_t(alpha) << 24) | (uint32_t(GetRValue(color)) << 16) |
         (uint32_t(GetGValue(color)) << 8) | GetBValue(color);
}

uint32_t RgbToHls(COLORREF color) {
  double r = GetRValue(color) / 255.0;
  double g = GetGValue(color) / 255.0;
  double b = GetBValue(color) / 255.0;
  double maxc = std::max(r, std::max(g, b));
  double minc = std::min(r, std::min(g, b));
  double l = (maxc + minc) / 2;
  double s = 0;
  double h = 0;  // grey has no hue: 0, never 0/0
  if (maxc != minc) {
    double span = maxc - minc;
    s = l < 0.5 ? span / (maxc + minc) : span / (2 - maxc - minc);
    double rc = (maxc - r) / span;
    double gc = (maxc - g) / span;
    double bc = (maxc - b) / span;
    if (r == maxc)
      h = 60 * (bc - gc + 6);
    else if (g == maxc)
      h = 60 * (rc - bc + 2);
    else
      h = 60 * (gc - rc + 4);
    if (h > 360) h -= 360;
  }
  uint32_t hueByte = uint32_t(h * 255.0 / 360.0);
  uint32_t lightByte = uint32_t(l * 255);
  uint32_t satByte = uint32_t(s * 255);
  return hueByte | (lightByte << 8) | (satByte << 16);
}

void HlsToRgb(double hue, double lightness, double saturation, double* red, double* green,
              double* blue) {
  double h = std::min(360.0, std::max(0.0, hue));
  double l = std::min(1.0, std::max(0.0, lightness));
  double s = std::min(1.0, std::max(0.0, saturation));
  if (s == 0) {
    *red = *green = *blue = l;
    return;
  }
  double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  double m1 = 2 * l - m2;
  *red = HueChannel(m1, m2, h + 120);
  *green = HueChannel(m1, m2, h);
  *blue = HueChannel(m1, m2, h - 120);
}

COLORREF BlendThemeColor(COLORREF color, double hueShift, double lightFactor,
                         double saturationFactor) {
  uint32_t hls = RgbToHls(color);
  int hueByte = int((hls & 0xFF) + hueShift * 255) & 0xFF;
  uint8_t lightByte = ClampByte(((hls >> 8) & 0xFF) * (1 + lightFactor));
  uint8_t satByte = ClampByte(((hls >> 16) & 0xFF) * (1 + saturationFactor));
  double r, g, b;
  HlsToRgb(HueByteToDegrees(hueByte), lightByte / 255.0, satByte / 255.0, &r, &g, &b);
  return RGB(BYTE(r * 255), BYTE(g * 255), BYTE(b * 255));
}
