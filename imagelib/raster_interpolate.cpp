// Colours at fractional positions: the kernels, positions outside the image,
// single samples and area means.
#include <cmath>

#include "imagelib/raster.h"
#include "imagelib/raster_kernels.h"
#include "imagelib/raster_numeric.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double v) { return v == 0 ? 1.0 : std::sin(v) / v; }

RGBQUAD ReplacementOrWhite(const RGBQUAD* replacement) {
  RGBQUAD c = replacement ? *replacement : RgbQuadFromValue(0xFFFFFF);
  c.rgbReserved = 0;
  return c;
}

}  // namespace

double BesselJ1(double x) {
  if (!std::isfinite(x)) return 0;
  // The library's special function wants x >= 0; J1 is odd.
  const double value = std::cyl_bessel_j(1.0, std::fabs(x));
  return x < 0 ? -value : value;
}

double InterpolationKernel(int32_t method, double t) {
  const double u = std::fabs(t);
  switch (method) {
    case InterpCubicBSpline: {
      if (t > 2) return 0;
      auto p3 = [](double v) { return v > 0 ? v * v * v : 0.0; };
      return (p3(t + 2) - 4 * p3(t + 1) + 6 * p3(t) - 4 * p3(t - 1)) / 6;
    }
    case InterpCubicSharp:
      if (u < 1) return 1 - 2 * u * u + u * u * u;
      return u < 2 ? 4 - 8 * u + 5 * u * u - u * u * u : 0;
    case InterpCubicHalf: {
      const double a = -0.5;
      if (u < 1) return (a + 2) * u * u * u - (a + 3) * u * u + 1;
      return u < 2 ? a * u * u * u - 5 * a * u * u + 8 * a * u - 4 * a : 0;
    }
    case InterpLanczos:
      if (u > 6) return 0;
      return t == 0 ? 1 : Sinc(kPi * t / 6) * Sinc(kPi * t);
    case InterpBox:
      return t >= -0.5 && t < 0.5 ? 1 : 0;
    case InterpHermite:
      return u < 1 ? 2 * u * u * u - 3 * u * u + 1 : 0;
    case InterpHermite92:
      return u < 1 ? 1 - 0.92 * (3 * u * u - 2 * u * u * u) : 0;
    case InterpSinc:
      return Sinc(kPi * t);
    case InterpBlackman:
      // Zero at |t| = 1 and beyond it, where the formula would rise again.
      return u < 1 ? 0.42 + 0.5 * std::cos(kPi * t) + 0.08 * std::cos(2 * kPi * t) : 0;
    case InterpBessel:
      return t == 0 ? kPi / 4 : BesselJ1(kPi * t) / (2 * t);
    case InterpGaussian:
      return std::exp(-2 * t * t) * std::sqrt(2 / kPi);
    case InterpQuadraticBSpline:
      if (u < 0.5) return 0.75 - t * t;
      return u < 1.5 ? 0.5 * (u - 1.5) * (u - 1.5) : 0;
    case InterpMitchell:
      if (u < 1) return 7.0 / 6 * u * u * u - 2 * u * u + 8.0 / 9;
      return u < 2 ? -7.0 / 18 * u * u * u + 2 * u * u - 10.0 / 3 * u + 16.0 / 9 : 0;
    case InterpCatmullRom:
      if (u < 1) return 0.5 * (3 * u * u * u - 5 * u * u + 2);
      return u < 2 ? 0.5 * (-u * u * u + 5 * u * u - 8 * u + 4) : 0;
    case InterpHannSinc:
      if (u > 1) return 0;
      return t == 0 ? 1 : Sinc(kPi * t) * (0.5 * std::cos(kPi * t) + 0.5);
    case InterpWelch:
      return u <= 1 ? 1 - t * t : 0;
    default:
      return 0;
  }
}

int32_t KernelRadius(int32_t method) {
  method = EffectiveMethod(method);
  if (method == InterpBilinear) return 1;
  return method == InterpLanczos ? 6 : 2;
}

int32_t CellBelow(double v) {
  const int32_t whole = int32_t(v);
  return v < 0 ? whole - 1 : whole;
}

float PointF::Distance(const PointF& other) const {
  return std::hypot(x - other.x, y - other.y);
}

RectF RectF::Intersection(const RectF& other) const {
  RectF r{left > other.left ? left : other.left, top > other.top ? top : other.top,
          right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom};
  if (!(r.left < r.right) || !(r.top < r.bottom)) return RectF{};
  return r;
}

void CRaster::OverflowCoordinates(int32_t& x, int32_t& y, int32_t overflow) const {
  if (!dib || IsInside(x, y)) return;
  // In 64 bits: negating INT_MIN must not overflow.
  auto move = [overflow](int64_t v, int64_t size) -> int64_t {
    if (v >= 0 && v < size) return v;
    switch (overflow) {
      case OverflowWrap: return ((v % size) + size) % size;
      case OverflowRepeat: return v < 0 ? 0 : size - 1;
      case OverflowMirror: return v < 0 ? (-v) % size : size - (v % size) - 1;
      default: return v;
    }
  };
  x = int32_t(move(x, GetWidth()));
  y = int32_t(move(y, GetHeight()));
}

void CRaster::OverflowCoordinates(float& x, float& y, int32_t overflow) const {
  if (!dib) return;
  auto move = [overflow](float v, float size) -> float {
    if (!(v < 0 || v >= size)) return v;  // inside, or NaN
    switch (overflow) {
      case OverflowWrap: {
        const float r = std::fmod(v, size);
        return r < 0 ? r + size : r;
      }
      case OverflowRepeat: return v < 0 ? 0 : size - 1;
      case OverflowMirror: return v < 0 ? std::fmod(-v, size) : size - (std::fmod(v, size) + 1);
      default: return v;
    }
  };
  x = move(x, float(GetWidth()));
  y = move(y, float(GetHeight()));
}

RGBQUAD CRaster::GetPixelColorWithOverflow(int32_t x, int32_t y, int32_t overflow,
                                           const RGBQUAD* replacement) const {
  if (dib && IsInside(x, y)) return GetPixelColorUnchecked(x, y);
  RGBQUAD c;
  switch (overflow) {
    case OverflowBackground:
      if (info.bkgndIndex < 0) return ReplacementOrWhite(replacement);
      c = dib && IsIndexed() ? GetPaletteColor(BYTE(info.bkgndIndex))
                             : RgbQuadFromValue(info.bkgndColor);
      break;
    case OverflowTransparent:
      if (info.bkgndIndex < 0) return ReplacementOrWhite(replacement);
      c = GetBkgndColor();
      break;
    case OverflowWrap:
    case OverflowRepeat:
    case OverflowMirror:
      OverflowCoordinates(x, y, overflow);
      // Checked again: a position that could not be moved stays outside.
      if (dib && IsInside(x, y)) return GetPixelColorUnchecked(x, y);
      return ReplacementOrWhite(replacement);
    default:
      return ReplacementOrWhite(replacement);
  }
  c.rgbReserved = 0;
  return c;
}

RGBQUAD CRaster::GetPixelColorInterpolated(float xIn, float yIn, int32_t method,
                                           int32_t overflow, const RGBQUAD* replacement) const {
  method = EffectiveMethod(method);
  double x = xIn, y = yIn;
  const bool movable = overflow >= OverflowWrap && overflow <= OverflowMirror;
  if (!std::isfinite(x) || !std::isfinite(y)) return ReplacementOrWhite(replacement);
  if (!UsablePosition(x) || !UsablePosition(y)) {
    if (!movable || !dib) return GetPixelColorWithOverflow(-1, -1, overflow, replacement);
    float fx = xIn, fy = yIn;
    OverflowCoordinates(fx, fy, overflow);
    x = fx;
    y = fy;
    if (!UsablePosition(x) || !UsablePosition(y)) return ReplacementOrWhite(replacement);
  }
  if (method == InterpNearest) {
    return GetPixelColorWithOverflow(int32_t(x + 0.5), int32_t(y + 0.5), overflow, replacement);
  }
  const int32_t width = GetWidth(), height = GetHeight();
  const int32_t radius = KernelRadius(method);
  int32_t xi = CellBelow(x), yi = CellBelow(y);
  // The whole neighbourhood outside: a fixed colour at once, or the position moved.
  if (xi + radius < 0 || xi - (radius - 1) >= width || yi + radius < 0 ||
      yi - (radius - 1) >= height || !dib) {
    if (!movable || !dib) return GetPixelColorWithOverflow(-1, -1, overflow, replacement);
    float fx = float(x), fy = float(y);
    OverflowCoordinates(fx, fy, overflow);
    x = fx;
    y = fy;
    xi = CellBelow(x);
    yi = CellBelow(y);
  }
  const bool trueColor = GetBpp() == 24;
  const bool blockInside = xi - (radius - 1) >= 0 && xi + radius < width &&
                           yi - (radius - 1) >= 0 && yi + radius < height;
  RGBQUAD out = {};
  if (method == InterpBilinear) {
    const double t = x - xi, u = y - yi;
    if (blockInside && trueColor) {
      // 8.8 fixed point: no floating point per channel.
      const int32_t T = int32_t(t * 256), U = int32_t(u * 256);
      const int32_t w11 = T * U / 256, w01 = U - w11, w10 = T - w11, w00 = 256 - w01 - T;
      const BYTE* p00 = GetPixelAddress(xi, yi);
      const BYTE* p01 = GetPixelAddress(xi, yi + 1);
      BYTE* channel = &out.rgbBlue;
      for (int k = 0; k < 3; ++k) {
        channel[k] = BYTE((w00 * p00[k] + w10 * p00[k + 3] + w01 * p01[k] + w11 * p01[k + 3]) >> 8);
      }
      return out;
    }
    const RGBQUAD p[4] = {GetPixelColorWithOverflow(xi, yi, overflow, replacement),
                          GetPixelColorWithOverflow(xi + 1, yi, overflow, replacement),
                          GetPixelColorWithOverflow(xi, yi + 1, overflow, replacement),
                          GetPixelColorWithOverflow(xi + 1, yi + 1, overflow, replacement)};
    const double w[4] = {(1 - t) * (1 - u), t * (1 - u), (1 - t) * u, t * u};
    double sum[3] = {0, 0, 0};
    for (int k = 0; k < 4; ++k) {
      sum[0] += w[k] * p[k].rgbBlue;
      sum[1] += w[k] * p[k].rgbGreen;
      sum[2] += w[k] * p[k].rgbRed;
    }
    out.rgbBlue = ChannelFromSum(sum[0]);
    out.rgbGreen = ChannelFromSum(sum[1]);
    out.rgbRed = ChannelFromSum(sum[2]);
    return out;
  }

  // Separable kernels over (2 x radius)^2 pixels.
  const int32_t taps = 2 * radius, x0 = xi - (radius - 1), y0 = yi - (radius - 1);
  double wx[12], wy[12], sumX = 0, sumY = 0;
  for (int32_t k = 0; k < taps; ++k) {
    wx[k] = InterpolationKernel(method, (x0 + k) - x);
    wy[k] = InterpolationKernel(method, (y0 + k) - y);
    sumX += wx[k];
    sumY += wy[k];
  }
  // Each sample is divided by the sum of its weights, so flat areas stay flat.
  const double total = sumX * sumY;
  const double scale = std::fabs(total) > 1e-6 ? 1 / total : 1;
  double sum[3] = {0, 0, 0};
  for (int32_t j = 0; j < taps; ++j) {
    double row[3] = {0, 0, 0};
    for (int32_t k = 0; k < taps; ++k) {
      if (blockInside && trueColor) {
        const BYTE* p = GetPixelAddress(x0 + k, y0 + j);
        row[0] += wx[k] * p[0];
        row[1] += wx[k] * p[1];
        row[2] += wx[k] * p[2];
      } else {
        const RGBQUAD c = GetPixelColorWithOverflow(x0 + k, y0 + j, overflow, replacement);
        row[0] += wx[k] * c.rgbBlue;
        row[1] += wx[k] * c.rgbGreen;
        row[2] += wx[k] * c.rgbRed;
      }
    }
    for (int c = 0; c < 3; ++c) sum[c] += wy[j] * row[c];
  }
  out.rgbBlue = ChannelFromSum(sum[0] * scale);
  out.rgbGreen = ChannelFromSum(sum[1] * scale);
  out.rgbRed = ChannelFromSum(sum[2] * scale);
  return out;
}

RGBQUAD CRaster::GetAreaColorInterpolated(float cx, float cy, float w, float h, int32_t method,
                                          int32_t overflow, const RGBQUAD* replacement) const {
  if (!(w > 1) && !(h > 1)) return GetPixelColorInterpolated(cx, cy, method, overflow, replacement);
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(w) || !std::isfinite(h) ||
      !UsablePosition(cx) || !UsablePosition(cy) || !dib) {
    return GetPixelColorInterpolated(cx, cy, method, overflow, replacement);
  }
  // Beyond a few times the image an area only adds more of its overflow:
  // keep the walk bounded. A side of no size counts as one pixel.
  const float wLimit = 4.0f * GetWidth() + 4, hLimit = 4.0f * GetHeight() + 4;
  w = w > wLimit ? wLimit : w > 0 ? w : 1;
  h = h > hLimit ? hLimit : h > 0 ? h : 1;
  const RectF area{cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2};
  const int32_t x1 = int32_t(std::floor(area.left + 0.5)), x2 = int32_t(std::floor(area.right + 0.5));
  const int32_t y1 = int32_t(std::floor(area.top + 0.5)), y2 = int32_t(std::floor(area.bottom + 0.5));
  double sum[3] = {0, 0, 0};
  auto add = [&sum](const RGBQUAD& c, double weight) {
    sum[0] += weight * c.rgbBlue;
    sum[1] += weight * c.rgbGreen;
    sum[2] += weight * c.rgbRed;
  };
  if (w > 1 && h > 1) {
    // Inner pixels count whole; the first and last column and row by the
    // part of them the area covers.
    auto cover = [](int32_t i, float low, float high) {
      const float a = i - 0.5f > low ? i - 0.5f : low, b = i + 0.5f < high ? i + 0.5f : high;
      return b > a ? double(b - a) : 0.0;
    };
    for (int32_t y = y1; y <= y2; ++y) {
      const double wy = (y == y1 || y == y2) ? cover(y, area.top, area.bottom) : 1.0;
      if (wy == 0) continue;
      for (int32_t x = x1; x <= x2; ++x) {
        const double wx = (x == x1 || x == x2) ? cover(x, area.left, area.right) : 1.0;
        if (wx == 0) continue;
        add(GetPixelColorWithOverflow(x, y, overflow, replacement), wx * wy);
      }
    }
  } else {
    // One side at most a pixel: each covered part sampled at its centre.
    for (int32_t y = y1; y <= y2; ++y) {
      for (int32_t x = x1; x <= x2; ++x) {
        const RectF part = area.Intersection(RectF{x - 0.5f, y - 0.5f, x + 0.5f, y + 0.5f});
        const double weight = part.Surface();
        if (weight <= 0) continue;
        const PointF centre = part.Center();
        add(GetPixelColorInterpolated(centre.x, centre.y, method, overflow, replacement), weight);
      }
    }
  }
  const double areaSize = double(w) * double(h);
  RGBQUAD out = {};
  out.rgbBlue = ChannelFromSum(sum[0] / areaSize);
  out.rgbGreen = ChannelFromSum(sum[1] / areaSize);
  out.rgbRed = ChannelFromSum(sum[2] / areaSize);
  return out;
}
