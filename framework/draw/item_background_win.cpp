// Item backgrounds: the kinds, the parent's background behind transparent
// parts, and corners blended into it.
#include <windows.h>

#include "framework/draw/corner_mix.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/memory_dc_win.h"

namespace {

HWND ParentOfDC(HWND parent, HDC dc, POINT* offset) {
  HWND window = WindowOfDC(dc);
  if (!parent && window) parent = GetParent(window);
  *offset = {0, 0};
  if (window && parent) MapWindowPoints(window, parent, offset, 1);
  return parent;
}

// Asks the parent to paint with its pixel (x, y) at the context's origin.
bool AskParentToPaint(HWND parent, HDC dc, int x, int y) {
  if (!parent) return false;
  return SendMessageA(parent, MSG_PAINT_BACKGROUND, WPARAM(dc),
                      MAKELPARAM(WORD(short(x)), WORD(short(y)))) != 0;
}

void FramedGradient(HDC dc, const RECT& rect, int a, int b, int frame) {
  RECT inside;
  DeflateRectBy(rect, &inside, 1);
  DrawGradient(dc, GetThemeColor(a), GetThemeColor(b), inside, true);
  FrameRectColor(dc, rect, GetThemeColor(frame));
}

}  // namespace

void PaintParentBackground(HWND parent, HDC dc, const RECT& rect) {
  POINT offset;
  parent = ParentOfDC(parent, dc, &offset);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  if (!AskParentToPaint(parent, dc, offset.x, offset.y)) FillRectColor(dc, rect, GetThemeColor(0));
  RestoreDC(dc, saved);
}

void RoundCorners(HWND parent, HDC dc, const RECT& rect, int corners) {
  if (rect.right - rect.left < 3 || rect.bottom - rect.top < 3) return;
  POINT offset;
  parent = ParentOfDC(parent, dc, &offset);
  HDC scratch = GetMeasureDC();
  uint32_t* bits = FontCache().scratchBits;
  if (!scratch || !bits) return;
  const int kCorners[4] = {kCornerTopLeft, kCornerTopRight, kCornerBottomLeft, kCornerBottomRight};
  for (int corner : kCorners) {
    if (!(corners & corner)) continue;
    bool right = corner == kCornerTopRight || corner == kCornerBottomRight;
    bool bottom = corner == kCornerBottomLeft || corner == kCornerBottomRight;
    int cx = right ? rect.right - 3 : rect.left;
    int cy = bottom ? rect.bottom - 3 : rect.top;
    BitBlt(scratch, 0, 0, 3, 3, dc, cx, cy, SRCCOPY);
    // The parent's pixels land three rows below the item's.
    FillRectColor(scratch, {0, 3, 3, 6}, GetThemeColor(0));
    int saved = SaveDC(scratch);
    IntersectClipRect(scratch, 0, 3, 3, 6);
    AskParentToPaint(parent, scratch, offset.x + cx, offset.y + cy - 3);
    RestoreDC(scratch, saved);
    GdiFlush();
    uint32_t item[9];
    uint32_t back[9];
    for (int i = 0; i < 9; ++i) {
      item[i] = bits[(i / 3) * 16 + i % 3];
      back[i] = bits[(3 + i / 3) * 16 + i % 3];
    }
    uint32_t mixed[9];
    MixCornerPixels(item, back, corner, mixed);
    for (int i = 0; i < 9; ++i) bits[(i / 3) * 16 + i % 3] = mixed[i];
    BitBlt(dc, cx, cy, 3, 3, scratch, 0, 0, SRCCOPY);
  }
}

void DrawItemBackground(HDC dc, const RECT& rect, int kind, int corners, int stripWidth,
                        int fillIndex, int gradientIndexA, int gradientIndexB) {
  COLORREF fill = GetThemeColor(fillIndex >= 0 ? fillIndex : 51);
  RECT body = rect;
  switch (kind) {
    case kBackTransparent:
      PaintParentBackground(nullptr, dc, rect);
      return;
    case kBackHot: FramedGradient(dc, rect, 41, 42, 46); break;
    case kBackPressed: FramedGradient(dc, rect, 43, 44, 46); break;
    case kBackRaised:
      FillRectColor(dc, rect, fill);
      DrawEdge3D(dc, rect, true, GetThemeColor(52), GetThemeColor(53));
      break;
    case kBackSunken:
      FillRectColor(dc, rect, fill);
      DrawEdge3D(dc, rect, true, GetThemeColor(53), GetThemeColor(51));
      break;
    case kBackFill: FillRectColor(dc, rect, fill); break;
    case kBackChecked:
    case kBackCheckedDisabled:
      if (stripWidth > 0) {
        RECT strip = {rect.left, rect.top, rect.left + stripWidth, rect.bottom};
        PaintParentBackground(nullptr, dc, strip);
        body.left = strip.right;
      }
      if (kind == kBackChecked) {
        FramedGradient(dc, body, 43, 44, 46);
      } else {
        if (stripWidth <= 0) FillRectColor(dc, body, fill);
        DrawEdge3D(dc, body, false, GetThemeColor(1), GetThemeColor(3));
      }
      break;
    case kBackGradient: FramedGradient(dc, rect, gradientIndexA, gradientIndexB, 53); break;
  }
  if (corners) RoundCorners(nullptr, dc, body, corners);
}
