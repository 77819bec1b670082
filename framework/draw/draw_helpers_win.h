#pragma once
// The drawing helpers every framework control paints with. Colours are theme
// colour indexes unless a parameter says otherwise; a "colour kind" is
// 0 the disabled text colour, 1 the normal text colour, 2 the highlighted
// text colour, or 3 with the COLORREF in the upper 24 bits (kind >> 8).
#include <windows.h>

#include "framework/draw/corner_mix.h"
#include "framework/text/format_check.h"

// Sent to a parent to paint its background into a context: wParam the
// context, lParam the signed x and y of the context's origin in the parent
// (low and high word). The parent answers 1 when it painted.
constexpr UINT MSG_PAINT_BACKGROUND = 33788;

enum : int {
  kTextDisabled = 0,
  kTextNormal = 1,
  kTextHighlighted = 2,
  kTextColor = 3,
};
inline int ColorKind(COLORREF color) { return int((color & 0xFFFFFF) << 8) | kTextColor; }
COLORREF ColorOfKind(int colourKind);

// Background kinds of DrawItemBackground.
enum : int {
  kBackTransparent = 0,
  kBackHot = 1,
  kBackPressed = 2,
  kBackRaised = 3,
  kBackSunken = 4,
  kBackFill = 5,
  kBackChecked = 6,
  kBackCheckedDisabled = 7,
  kBackGradient = 8,
};
constexpr int kAllCorners = kCornerTopLeft | kCornerTopRight | kCornerBottomLeft |
                            kCornerBottomRight;

// Arrow directions.
enum : int { kArrowRight = 0, kArrowDown = 1, kArrowUp = 2 };

// DrawItemText alignment: 0 left, 1 centre, 2 right; with kAlignVertical the
// text runs top to bottom, centred across, and the low byte says top (0),
// centre (1) or bottom (2).
constexpr int kAlignVertical = 0x100;

void DrawArrow(HDC dc, int colourKind, int direction, const RECT& rect);
void DrawTick(HDC dc, int colourKind, const RECT& rect);
// Left and top in a, right and bottom in b when raised; swapped otherwise.
void DrawEdge3D(HDC dc, const RECT& rect, bool raised, COLORREF a, COLORREF b);
// A frame in `pen`, filled with `brush` unless brush is (COLORREF)-1.
void DrawSolidRect(HDC dc, const RECT& rect, COLORREF pen, COLORREF brush);
void DrawGradient(HDC dc, COLORREF a, COLORREF b, const RECT& rect, bool vertical);
// The bar's gripper dots along its leading edge (two columns with a close
// box) and the close box; writes both rectangles.
void DrawGripper(HDC dc, const RECT& barRect, RECT* gripperRect, RECT* closeRect,
                 bool horizontal, bool hasClose, bool closePressed, int dpi);
void DrawItemBackground(HDC dc, const RECT& rect, int kind, int corners, int stripWidth,
                        int fillIndex = -1, int gradientIndexA = 33, int gradientIndexB = 34);
void DrawSeparatorLine(HDC dc, const RECT& rect);
void DrawSizeGrip(HDC dc, const RECT& rect);
void DrawRowSplitter(HDC dc, const RECT& rect, bool vertical);
// printf-style text into at most 1,040 characters; 61448 without a format.
int DrawItemText(HDC dc, int dpi, const char* format, int colourKind, const RECT& rect,
                 int alignment, bool bold, ...) BW_PRINTF(3, 8);
void FillRectColor(HDC dc, const RECT& rect, COLORREF color);
void FrameRectColor(HDC dc, const RECT& rect, COLORREF color);
void DeflateRectBy(const RECT& source, RECT* target, int n);
// Asks the parent (default: the parent of the context's window) to paint its
// background into the rectangle; the face colour when nobody paints.
void PaintParentBackground(HWND parent, HDC dc, const RECT& rect);
// Blends the selected corners of the rectangle into the parent's background.
void RoundCorners(HWND parent, HDC dc, const RECT& rect, int corners);
// The parent's side of MSG_PAINT_BACKGROUND: moves the context's origin so
// that the parent's own coordinates apply while `paint` runs.
template <class Paint>
LRESULT PaintBackgroundAt(HDC dc, LPARAM position, Paint paint) {
  POINT old;
  OffsetViewportOrgEx(dc, -short(LOWORD(position)), -short(HIWORD(position)), &old);
  paint(dc);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
  return 1;
}
