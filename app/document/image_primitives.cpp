// Points, spans, discs, lines and rectangles with the pen.
#include <cstdlib>
#include <cstring>

#include "app/document/image.h"

namespace {

int32_t Sign(int64_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

}  // namespace

void CImage::PutPen(int32_t x, int32_t y) {
  const int32_t row = nHeight - y - 1;
  if (GetBpp() == 24)
    SetPixelColor(x, row, RgbQuadFromValue(rgbPen));
  else
    SetPixelIndex(x, row, BYTE(bPenIndex));
}

void CImage::PlotPoint(int32_t x, int32_t y) {
  if (!IsDrawable(x, y)) return;
  GrowDirty(x, y);
  PutPen(x, y);
}

void CImage::FillRowSpan(int32_t y, int32_t x0, int32_t x1) {
  BYTE* row = GetBits(nHeight - y - 1);
  const size_t n = size_t(x1 - x0 + 1);
  switch (GetBpp()) {
    case 24: {
      const RGBQUAD c = RgbQuadFromValue(rgbPen);
      BYTE* p = row + size_t(x0) * 3;
      for (size_t i = 0; i < n; ++i, p += 3) {
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
      }
      break;
    }
    case 8:
      memset(row + x0, BYTE(bPenIndex), n);
      break;
    default:
      for (int32_t x = x0; x <= x1; ++x) SetPixelIndexUnchecked(x, nHeight - y - 1, BYTE(bPenIndex));
      break;
  }
}

void CImage::DrawSpan(int32_t x0, int32_t y, int32_t x1) {
  RECT span = {x0, y, x1, y};
  if (!ClipToDrawable(&span)) return;
  GrowDirty(span);
  FillRowSpan(y, span.left, span.right);
}

void CImage::FillDisc(int32_t cx, int32_t cy, int32_t r) {
  // Midpoint circle, filled with one span pair per step of each octant.
  auto pair = [&](int32_t a, int32_t b) {
    DrawSpan(cx - a, cy + b, cx + a);
    if (b != 0) DrawSpan(cx - a, cy - b, cx + a);
  };
  int64_t err = -int64_t(r);
  int32_t x = r;
  for (int32_t i = 0; i <= x; ++i) {
    pair(x, i);
    err += 2 * int64_t(i) + 1;
    if (err >= 0) {
      if (i != x) pair(i, x);
      err -= 2 * int64_t(x) - 1;
      --x;
    }
  }
}

void CImage::DrawDot(int32_t x, int32_t y) { FillDisc(x, y, nPenWidth / 2); }

void CImage::PenAt(int32_t x, int32_t y) {
  if (nPenWidth <= 1) {
    PlotPoint(x, y);
  } else if (nPenWidth == 2) {
    PlotPoint(x - 1, y);
    PlotPoint(x, y);
    PlotPoint(x - 1, y + 1);
    PlotPoint(x, y + 1);
  } else {
    DrawDot(x, y);
  }
}

void CImage::DrawLine(int32_t x, int32_t y, bool resetDirty) {
  if (resetDirty) ResetDirtyRect(x, y);
  // Bresenham from the pen's point; 64-bit error terms so that any two
  // 32-bit points are safe.
  int64_t x0 = ptLast.x, y0 = ptLast.y;
  const int64_t dx = std::llabs(int64_t(x) - x0), dy = std::llabs(int64_t(y) - y0);
  const int32_t sx = Sign(int64_t(x) - x0), sy = Sign(int64_t(y) - y0);
  int64_t err = dx - dy;
  for (;;) {
    PenAt(int32_t(x0), int32_t(y0));
    if (x0 == x && y0 == y) break;
    const int64_t e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x0 += sx;
    }
    if (e2 < dx) {
      err += dx;
      y0 += sy;
    }
  }
  ptLast = POINT{x, y};
}

void CImage::FillRectangle(int32_t x, int32_t y, uint32_t color) {
  const uint32_t savedColor = rgbPen;
  const int32_t savedIndex = bPenIndex;
  SetPen(nPenWidth, color);
  RECT r = {gptAnchor.x < x ? gptAnchor.x : x, gptAnchor.y < y ? gptAnchor.y : y,
            gptAnchor.x < x ? x : gptAnchor.x, gptAnchor.y < y ? y : gptAnchor.y};
  if (ClipToDrawable(&r)) {
    GrowDirty(r);
    for (int32_t row = r.top; row <= r.bottom; ++row) FillRowSpan(row, r.left, r.right);
  }
  rgbPen = savedColor;
  bPenIndex = savedIndex;
}

void CImage::DrawRectangle(int32_t x, int32_t y) {
  const POINT anchor = gptAnchor;
  MoveTo(anchor.x, anchor.y);
  DrawLine(x, anchor.y, true);
  DrawLine(x, y, false);
  DrawLine(anchor.x, y, false);
  DrawLine(anchor.x, anchor.y, false);
}
