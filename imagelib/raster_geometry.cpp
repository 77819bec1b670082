// Cropping, mirroring and rotating. Quarter and half turns move pixels
// exactly; other angles sample the source through the interpolation.
#include <cmath>
#include <cstring>

#include "imagelib/raster.h"

namespace {

int32_t LimitTo(int32_t value, int32_t high) { return value < 0 ? 0 : value > high ? high : value; }

// Quarter turns work in tiles of this many destination pixels a side, so
// that source and destination rows stay in the cache.
constexpr int32_t kTile = 64;

}  // namespace

bool CRaster::Crop(int32_t left, int32_t top, int32_t right, int32_t bottom,
                   CRaster* destination) {
  if (!dib) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  left = LimitTo(left, width);
  right = LimitTo(right, width);
  top = LimitTo(top, height);
  bottom = LimitTo(bottom, height);
  if (left == right || top == bottom) return false;
  const int32_t x0 = left < right ? left : right, columns = left < right ? right - left : left - right;
  // y counts from the top here; stored rows from the bottom.
  const int32_t firstRow = height - (top > bottom ? top : bottom);
  const int32_t rows = top > bottom ? top - bottom : bottom - top;
  CRaster result;
  if (!CreateResult(result, columns, rows, GetBpp(), true)) return false;
  const int32_t bpp = GetBpp();
  for (int32_t k = 0; k < rows; ++k) {
    info.progress = int32_t(int64_t(k) * 100 / rows);
    const int32_t y = firstRow + k;
    if (bpp >= 8) {
      const size_t bytes = size_t(bpp / 8);
      memcpy(result.GetBits(k), GetBits(y) + size_t(x0) * bytes, size_t(columns) * bytes);
    } else {
      for (int32_t x = 0; x < columns; ++x) {
        result.SetPixelIndexUnchecked(x, k, GetPixelIndexUnchecked(x0 + x, y));
      }
    }
  }
  return FinishResult(result, destination);
}

void CRaster::CopyRowReversed(int32_t y, CRaster& target, int32_t targetY) const {
  const int32_t width = GetWidth(), bpp = GetBpp();
  const BYTE* from = GetBits(y);
  BYTE* to = target.GetBits(targetY);
  for (int32_t x = 0; x < width; ++x) {
    const int32_t reversed = width - 1 - x;
    if (bpp == 8) {
      to[reversed] = from[x];
    } else if (bpp == 24) {
      memcpy(to + 3 * size_t(reversed), from + 3 * size_t(x), 3);
    } else {
      target.SetPixelIndexUnchecked(reversed, targetY, GetPixelIndexUnchecked(x, y));
    }
  }
}

bool CRaster::Mirror(bool mirrorSelection, bool mirrorAlpha) {
  (void)mirrorSelection;
  (void)mirrorAlpha;
  // A ghost's copy would be a ghost too, writing into the shared pixels.
  if (!dib || IsGhost()) return false;
  CRaster copy;
  if (!copy.Copy(*this, false, true, true) || !copy.IsValid()) return false;
  for (int32_t y = 0; y < GetHeight(); ++y) CopyRowReversed(y, copy, y);
  return Transfer(copy, true);
}

bool CRaster::Rotate180(CRaster* destination) {
  if (!dib) return false;
  const int32_t height = GetHeight();
  CRaster result;
  if (!CreateResult(result, GetWidth(), height, GetBpp(), true)) return false;
  for (int32_t y = 0; y < height; ++y) {
    info.progress = int32_t(int64_t(y) * 100 / height);
    CopyRowReversed(y, result, height - 1 - y);
  }
  return FinishResult(result, destination);
}

// A quarter turn: left (counter-clockwise) takes new (x', y') from old
// (y', height - 1 - x'), right from old (width - 1 - y', x').
bool CRaster::QuarterTurn(bool left, CRaster* destination) {
  if (!dib) return false;
  const int32_t width = GetWidth(), height = GetHeight(), bpp = GetBpp();
  CRaster result;
  if (!CreateResult(result, height, width, bpp, true)) return false;
  const int32_t newWidth = height, newHeight = width;
  if (bpp == 1) {
    // Bit by bit: every set source bit sets one bit of the cleared result;
    // the bits past the width in a source byte are never read.
    memset(result.GetBits(0), 0, size_t(result.GetRowBytes()) * size_t(newHeight));
    for (int32_t y = 0; y < height; ++y) {
      info.progress = int32_t(int64_t(y) * 100 / height);
      const BYTE* from = GetBits(y);
      const int32_t column = left ? height - 1 - y : y;
      const BYTE mask = BYTE(0x80 >> (column & 7));
      for (int32_t byte = 0; byte < (width + 7) / 8; ++byte) {
        if (!from[byte]) continue;
        for (int32_t bit = 0; bit < 8 && byte * 8 + bit < width; ++bit) {
          if (!(from[byte] & (0x80 >> bit))) continue;
          const int32_t x = byte * 8 + bit;
          result.GetBits(left ? x : width - 1 - x)[column >> 3] |= mask;
        }
      }
    }
    return FinishResult(result, destination);
  }
  for (int32_t tileX = 0; tileX < newWidth; tileX += kTile) {
    info.progress = int32_t(int64_t(tileX) * 100 / newWidth);
    const int32_t endX = tileX + kTile < newWidth ? tileX + kTile : newWidth;
    for (int32_t tileY = 0; tileY < newHeight; tileY += kTile) {
      const int32_t endY = tileY + kTile < newHeight ? tileY + kTile : newHeight;
      for (int32_t y = tileY; y < endY; ++y) {
        BYTE* to = result.GetBits(y);
        for (int32_t x = tileX; x < endX; ++x) {
          const int32_t sx = left ? y : width - 1 - y, sy = left ? height - 1 - x : x;
          if (bpp == 24) {
            memcpy(to + 3 * size_t(x), GetPixelAddress(sx, sy), 3);
          } else if (bpp == 8) {
            to[x] = GetBits(sy)[sx];
          } else {
            result.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(sx, sy));
          }
        }
      }
    }
  }
  return FinishResult(result, destination);
}

bool CRaster::RotateLeft(CRaster* destination) { return QuarterTurn(true, destination); }

bool CRaster::RotateRight(CRaster* destination) { return QuarterTurn(false, destination); }

bool CRaster::Rotate(float angle, CRaster* destination, int32_t method, int32_t overflow,
                     const RGBQUAD* replacement, bool optimizeRightAngles, bool keepSize) {
  if (!dib || !std::isfinite(angle)) return false;
  if (std::fmod(angle, 180.0f) == 0 && std::fmod(angle, 360.0f) != 0) return Rotate180(destination);
  const double radians = -double(angle) * (3.14159265358979323846 / 2) / 90;
  const float c = float(std::cos(radians)), s = float(std::sin(radians));
  const float width = float(GetWidth()), height = float(GetHeight());
  PointF corners[4] = {{-0.5f, -0.5f}, {width - 0.5f, -0.5f}, {-0.5f, height - 0.5f},
                       {width - 0.5f, height - 0.5f}};
  if (!keepSize) {
    for (PointF& p : corners) p = PointF{p.x * c - p.y * s, p.x * s + p.y * c};
    // Where the far corner lands tells a quarter, half or no turn. (With keep
    // size the corners stay put, so the test would take every angle for none.)
    if (optimizeRightAngles) {
      const PointF& farCorner = corners[3];
      if (farCorner.Distance({height - 0.5f, 0.5f - width}) <= 0.25f) return RotateRight(destination);
      if (farCorner.Distance({0.5f - height, width - 0.5f}) <= 0.25f) return RotateLeft(destination);
      if (farCorner.Distance({0.5f - width, 0.5f - height}) <= 0.25f) return Rotate180(destination);
      if (farCorner.Distance({width - 0.5f, height - 0.5f}) <= 0.25f) {
        return destination ? destination->Copy(*this, true, true, true) : true;
      }
    }
  }
  float minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
  for (const PointF& p : corners) {
    minX = p.x < minX ? p.x : minX;
    maxX = p.x > maxX ? p.x : maxX;
    minY = p.y < minY ? p.y : minY;
    maxY = p.y > maxY ? p.y : maxY;
  }
  int32_t newWidth, newHeight;
  if (!CheckNewSize(std::floor(double(maxX) - minX + 0.5), std::floor(double(maxY) - minY + 0.5),
                    GetBpp(), &newWidth, &newHeight)) {
    return false;
  }
  double x0 = (double(maxX) + minX - (newWidth - 1)) / 2, y0 = (double(maxY) + minY - (newHeight - 1)) / 2;
  double shiftX = 0, shiftY = 0;
  if (keepSize) {
    x0 -= width / 2;
    y0 -= height / 2;
    shiftX = newWidth / 2.0;
    shiftY = newHeight / 2.0;
  }
  const RGBQUAD fill = replacement ? *replacement : RgbQuadFromValue(0xFFFFFF);
  CRaster result;
  if (!CreateResult(result, newWidth, newHeight, GetBpp(), true)) return false;
  const bool trueColor = GetBpp() == 24;
  for (int32_t r = 0; r < newHeight; ++r) {
    if (StopRequested(r, newHeight)) return false;
    const double y = y0 + r;
    BYTE* to = result.GetBits(r);
    for (int32_t k = 0; k < newWidth; ++k) {
      const double x = x0 + k;
      const RGBQUAD colour = GetPixelColorInterpolated(float(x * c + y * s + shiftX),
                                                       float(y * c - x * s + shiftY), method,
                                                       overflow, &fill);
      if (trueColor) {
        to[3 * k] = colour.rgbBlue;
        to[3 * k + 1] = colour.rgbGreen;
        to[3 * k + 2] = colour.rgbRed;
      } else {
        result.SetPixelColorUnchecked(k, r, colour);
      }
    }
  }
  return FinishResult(result, destination);
}
