// Operations that change colours without moving pixels: convolution
// filters, lookup tables (gamma, brightness and contrast), inversion, the
// mean grey level, and the conversions between RGB and packed HSL.
#include <cmath>
#include <cstring>

#include "imagelib/raster.h"
#include "imagelib/raster_numeric.h"

namespace {

// The region an operation works on: the selection box (clamped to the
// image) when the image has a selection mask, else the whole image. Columns
// left..right - 1, stored rows bottom..top - 1. False when it is empty.
bool WorkRegion(int32_t width, int32_t height, bool hasSelection, const RECT& box, RECT* region) {
  if (!hasSelection) {
    *region = RECT{0, height, width, 0};
    return true;
  }
  auto limit = [](LONG v, int32_t high) { return v < 0 ? 0 : v > high ? high : int32_t(v); };
  const int32_t x0 = limit(box.left, width), x1 = limit(box.right, width);
  const int32_t y0 = limit(box.bottom, height), y1 = limit(box.top, height);
  region->left = x0 < x1 ? x0 : x1;
  region->right = x0 < x1 ? x1 : x0;
  region->bottom = y0 < y1 ? y0 : y1;
  region->top = y0 < y1 ? y1 : y0;
  return region->left < region->right && region->bottom < region->top;
}

// a x b / (c x d) truncated toward zero, without overflow on the way; the
// products stay below 2^94.
int64_t MulDivTruncated(int64_t a, int64_t b, int64_t c, int64_t d) {
#if defined(__SIZEOF_INT128__)
  const __int128 q = __int128(a) * b / (__int128(c) * d);
  const __int128 limit = __int128(1) << 62;
  return int64_t(q > limit ? limit : q < -limit ? -limit : q);
#else
  const long double q = (long double)a * b / ((long double)c * d);
  return int64_t(LimitValue(double(std::trunc(q)), -4.6e18, 4.6e18));
#endif
}

// The filtered value of one channel from its weighted sum.
BYTE FilterResult(int64_t sum, int64_t used, int64_t total, int32_t divisor, int32_t offset) {
  int64_t value = sum;
  if (divisor != 0 && used != 0) {
    // Near the border fewer neighbours count: rescale their sum to the whole kernel.
    value = used == total ? sum / divisor : MulDivTruncated(sum, total, divisor, used);
  }
  if (value < -(int64_t(1) << 40)) value = -(int64_t(1) << 40);
  if (value > (int64_t(1) << 40)) value = int64_t(1) << 40;
  value += offset;
  return BYTE(value < 0 ? 0 : value > 255 ? 255 : value);
}

}  // namespace

bool CRaster::Filter(const int32_t* kernel, int32_t size, int32_t divisor, int32_t offset) {
  // A kernel of more than 2^31 entries cannot exist in memory.
  if (!dib || IsGhost() || !kernel || size < 1 || size > 46340) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  RECT region;
  if (!WorkRegion(width, height, selection != nullptr, info.selectionBox, &region)) return true;
  CRaster copy;
  if (!copy.Copy(*this, true, true, true) || !copy.IsValid()) {
    SetErrorText(copy.GetLastError());
    return false;
  }
  const int32_t half = size / 2, last = size - half - 1;
  int64_t total = 0;
  for (int64_t k = 0; k < int64_t(size) * size; ++k) total += kernel[k];
  const bool grayBytes = GetBpp() == 8 && IsGrayScale();
  const bool trueColor = GetBpp() == 24;
  const int32_t rows = region.top - region.bottom;

  for (int32_t y = region.bottom; y < region.top; ++y) {
    if (StopRequested(y - region.bottom, rows)) return false;
    // Kernel row j meets stored row y + j; only rows and columns inside count.
    const int32_t j0 = -y > -half ? -y : -half;
    const int32_t j1 = height - 1 - y < last ? height - 1 - y : last;
    for (int32_t x = region.left; x < region.right; ++x) {
      const int32_t i0 = -x > -half ? -x : -half;
      const int32_t i1 = width - 1 - x < last ? width - 1 - x : last;
      int64_t used = 0, sum[3] = {0, 0, 0};
      for (int32_t j = j0; j <= j1; ++j) {
        const int32_t* weights = kernel + int64_t(j + half) * size + half;
        const BYTE* row = GetBits(y + j);
        for (int32_t i = i0; i <= i1; ++i) {
          const int64_t w = weights[i];
          used += w;
          if (grayBytes) {
            sum[0] += w * row[x + i];
          } else if (trueColor) {
            const BYTE* p = row + 3 * (x + i);
            sum[0] += w * p[0];
            sum[1] += w * p[1];
            sum[2] += w * p[2];
          } else {
            const RGBQUAD c = GetPixelColorUnchecked(x + i, y + j);
            sum[0] += w * c.rgbBlue;
            sum[1] += w * c.rgbGreen;
            sum[2] += w * c.rgbRed;
          }
        }
      }
      if (grayBytes) {
        copy.GetBits(y)[x] = FilterResult(sum[0], used, total, divisor, offset);
        continue;
      }
      RGBQUAD c = {};
      c.rgbBlue = FilterResult(sum[0], used, total, divisor, offset);
      c.rgbGreen = FilterResult(sum[1], used, total, divisor, offset);
      c.rgbRed = FilterResult(sum[2], used, total, divisor, offset);
      copy.SetPixelColorUnchecked(x, y, c);
    }
  }
  return Transfer(copy, true);
}

bool CRaster::Gamma(float gamma) {
  if (!dib || !(gamma > 0) || !std::isfinite(gamma)) return false;
  const double inverse = 1.0 / double(gamma);
  const double m = std::pow(255.0, inverse) / 255.0;
  BYTE table[256];
  for (int32_t i = 0; i < 256; ++i) {
    double v = std::pow(double(i), inverse) / m;
    // A tiny gamma overflows both powers: the same curve, scaled first.
    if (!std::isfinite(m) || !std::isfinite(v)) v = 255.0 * std::pow(i / 255.0, inverse);
    table[i] = ChannelFromDouble(v);
  }
  return ApplyLut(table);
}

bool CRaster::BrightnessContrast(int32_t brightness, int32_t contrast) {
  const float factor = float(double(contrast) + 100.0) / 100.0f;
  BYTE table[256];
  for (int32_t i = -128; i < 128; ++i) {
    const double v = double(i) * double(factor) + (double(brightness) + 128.0) + 0.5;
    table[i + 128] = ChannelFromDouble(v);
  }
  return ApplyLut(table);
}

bool CRaster::ApplyLut(const BYTE* table) {
  if (!dib || !table) return false;
  if (IsIndexed()) {
    const bool gray = IsGrayScale();
    RGBQUAD* palette = GetPalette();
    for (DWORD i = 0; i < GetNumColors(); ++i) {
      palette[i].rgbBlue = table[palette[i].rgbBlue];
      palette[i].rgbGreen = table[palette[i].rgbGreen];
      palette[i].rgbRed = table[palette[i].rgbRed];
    }
    return gray ? GrayScale() : true;
  }
  if (!selection) {
    BYTE* bytes = GetBits(0);
    for (DWORD k = 0; k < header.biSizeImage; ++k) bytes[k] = table[bytes[k]];
    return true;
  }
  RECT box;
  if (!WorkRegion(GetWidth(), GetHeight(), true, info.selectionBox, &box)) return false;
  const int32_t rows = box.top - box.bottom;
  for (int32_t y = box.bottom; y < box.top; ++y) {
    info.progress = int32_t(int64_t(y - box.bottom) * 100 / rows);
    BYTE* p = GetBits(y) + 3 * box.left;
    for (int32_t x = box.left; x < box.right; ++x, p += 3) {
      p[0] = table[p[0]];
      p[1] = table[p[1]];
      p[2] = table[p[2]];
    }
  }
  return true;
}

bool CRaster::Negative() {
  if (!dib) return false;
  const bool trueColor = !IsIndexed();
  if (!trueColor && !IsGrayScale()) {
    RGBQUAD* palette = GetPalette();
    for (DWORD i = 0; i < GetNumColors(); ++i) {
      palette[i].rgbBlue = BYTE(255 - palette[i].rgbBlue);
      palette[i].rgbGreen = BYTE(255 - palette[i].rgbGreen);
      palette[i].rgbRed = BYTE(255 - palette[i].rgbRed);
    }
    return true;
  }
  if (trueColor) info.bkgndColor ^= 0xFFFFFF;
  if (!selection) {
    BYTE* bytes = GetBits(0);
    for (DWORD k = 0; k < header.biSizeImage; ++k) bytes[k] = BYTE(255 - bytes[k]);
    return true;
  }
  RECT box;
  if (!WorkRegion(GetWidth(), GetHeight(), true, info.selectionBox, &box)) return true;
  const BYTE mask = BYTE((1u << (GetBpp() < 8 ? GetBpp() : 8)) - 1);
  for (int32_t y = box.bottom; y < box.top; ++y) {
    for (int32_t x = box.left; x < box.right; ++x) {
      if (trueColor) {
        BYTE* p = GetPixelAddress(x, y);
        p[0] = BYTE(255 - p[0]);
        p[1] = BYTE(255 - p[1]);
        p[2] = BYTE(255 - p[2]);
      } else {
        SetPixelIndexUnchecked(x, y, BYTE((255 - GetPixelIndexUnchecked(x, y)) & mask));
      }
    }
  }
  return true;
}

float CRaster::MeanGray() {
  if (!dib) return 0;
  RECT box;
  if (!WorkRegion(GetWidth(), GetHeight(), selection != nullptr, info.selectionBox, &box)) return 0;
  // The grey level of each pixel as GrayScale would make it, summed directly.
  BYTE gray[256] = {};
  for (DWORD i = 0; i < GetNumColors() && i < 256; ++i) {
    const RGBQUAD c = GetPaletteColor(BYTE(i));
    gray[i] = BYTE((601 * c.rgbGreen + 306 * c.rgbRed + 117 * c.rgbBlue) >> 10);
  }
  const int32_t rows = box.top - box.bottom;
  int64_t sum = 0;
  for (int32_t y = box.bottom; y < box.top; ++y) {
    info.progress = int32_t(int64_t(y - box.bottom) * 100 / rows);
    for (int32_t x = box.left; x < box.right; ++x) {
      if (IsIndexed()) {
        sum += gray[GetPixelIndexUnchecked(x, y)];
      } else {
        const BYTE* p = GetPixelAddress(x, y);
        sum += (601 * p[1] + 306 * p[2] + 117 * p[0]) >> 10;
      }
    }
  }
  return float(double(sum) / (box.right - box.left) / rows);
}

RGBQUAD CRaster::RgbToHsl(RGBQUAD color) {
  // Integer arithmetic with 255 as the full scale of all three components.
  const int32_t red = color.rgbRed, green = color.rgbGreen, blue = color.rgbBlue;
  int32_t max = red > green ? red : green;
  if (blue > max) max = blue;
  int32_t min = red < green ? red : green;
  if (blue < min) min = blue;
  const int32_t lightness = ((max + min) * 255 + 255) / 510;
  RGBQUAD hsl = {};
  hsl.rgbBlue = BYTE(lightness);
  if (max == min) {
    hsl.rgbRed = 170;  // grey: hue undefined, by convention a third of the way round
    return hsl;
  }
  const int32_t span = max - min;
  const int32_t saturation = lightness <= 127
                                 ? (span * 255 + (max + min) / 2) / (max + min)
                                 : (span * 255 + (510 - max - min) / 2) / (510 - max - min);
  const int32_t dRed = ((max - red) * 42 + span / 2) / span;
  const int32_t dGreen = ((max - green) * 42 + span / 2) / span;
  const int32_t dBlue = ((max - blue) * 42 + span / 2) / span;
  int32_t hue;
  if (red == max) {
    hue = dBlue - dGreen;
  } else if (green == max) {
    hue = 85 + dRed - dBlue;
  } else {
    hue = 170 + dGreen - dRed;
  }
  hsl.rgbRed = BYTE(hue & 0xFF);
  hsl.rgbGreen = BYTE(saturation);
  return hsl;
}

float HueToRgb(float m1, float m2, float hue) {
  if (hue > 360.0f) hue -= 360.0f;
  if (hue < 0.0f) hue += 360.0f;
  if (hue < 60.0f) return m1 + (m2 - m1) * hue / 60.0f;
  if (hue < 180.0f) return m2;
  if (hue < 240.0f) return m1 + (m2 - m1) * (240.0f - hue) / 60.0f;
  return m1;
}

namespace {

BYTE ChannelByte(float value) {
  const float scaled = value * 255.0f;
  if (!(scaled > 0.0f)) return 0;  // NaN too
  return scaled >= 255.0f ? BYTE(255) : BYTE(scaled);
}

}  // namespace

RGBQUAD CRaster::HslToRgb(RGBQUAD hsl) {
  const float l = hsl.rgbBlue / 255.0f;
  const float s = hsl.rgbGreen / 255.0f;
  const float h = hsl.rgbRed * 360.0f / 255.0f;
  const float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
  RGBQUAD rgb = {};
  if (hsl.rgbGreen == 0) {
    rgb.rgbRed = rgb.rgbGreen = rgb.rgbBlue = ChannelByte(l);
    return rgb;
  }
  const float m1 = 2.0f * l - m2;
  rgb.rgbRed = ChannelByte(HueToRgb(m1, m2, h + 120.0f));
  rgb.rgbGreen = ChannelByte(HueToRgb(m1, m2, h));
  rgb.rgbBlue = ChannelByte(HueToRgb(m1, m2, h - 120.0f));
  return rgb;
}
