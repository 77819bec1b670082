// Shapes and texts of the drawing helpers.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"

namespace {

// A solid brush that lives as long as one drawing call.
class CSolidBrush {
 public:
  explicit CSolidBrush(COLORREF color) : brush_(CreateSolidBrush(color)) {}
  ~CSolidBrush() { DeleteObject(brush_); }
  CSolidBrush(const CSolidBrush&) = delete;
  CSolidBrush& operator=(const CSolidBrush&) = delete;
  operator HBRUSH() const { return brush_; }

 private:
  HBRUSH brush_;
};

void FillPolygon(HDC dc, COLORREF color, const POINT* points, int count) {
  CSolidBrush brush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, points, count);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
}

}  // namespace

COLORREF ColorOfKind(int colourKind) {
  switch (colourKind & 3) {
    case kTextDisabled: return GetThemeColor(3);
    case kTextNormal: return GetThemeColor(4);
    case kTextHighlighted: return GetThemeColor(5);
  }
  return COLORREF((unsigned(colourKind) >> 8) & 0xFFFFFF);
}

void FillRectColor(HDC dc, const RECT& rect, COLORREF color) {
  CSolidBrush brush(color);
  HGDIOBJ old = SelectObject(dc, brush);
  PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
  SelectObject(dc, old);
}

void FrameRectColor(HDC dc, const RECT& rect, COLORREF color) {
  CSolidBrush brush(color);
  FrameRect(dc, &rect, brush);
}

void DeflateRectBy(const RECT& source, RECT* target, int n) {
  *target = {source.left + n, source.top + n, source.right - n, source.bottom - n};
}

void DrawEdge3D(HDC dc, const RECT& rect, bool raised, COLORREF a, COLORREF b) {
  COLORREF topLeft = raised ? a : b;
  COLORREF bottomRight = raised ? b : a;
  int w = rect.right - rect.left;
  int h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  FillRectColor(dc, {rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
  FillRectColor(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
  FillRectColor(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
  FillRectColor(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

void DrawSolidRect(HDC dc, const RECT& rect, COLORREF pen, COLORREF brush) {
  if (brush != COLORREF(-1)) FillRectColor(dc, rect, brush);
  FrameRectColor(dc, rect, pen);
}

void DrawGradient(HDC dc, COLORREF a, COLORREF b, const RECT& rect, bool vertical) {
  TRIVERTEX vertices[2] = {};
  vertices[0].x = rect.left;
  vertices[0].y = rect.top;
  vertices[0].Red = COLOR16(GetRValue(a) << 8);
  vertices[0].Green = COLOR16(GetGValue(a) << 8);
  vertices[0].Blue = COLOR16(GetBValue(a) << 8);
  vertices[1].x = rect.right;
  vertices[1].y = rect.bottom;
  vertices[1].Red = COLOR16(GetRValue(b) << 8);
  vertices[1].Green = COLOR16(GetGValue(b) << 8);
  vertices[1].Blue = COLOR16(GetBValue(b) << 8);
  GRADIENT_RECT span = {0, 1};
  GradientFill(dc, vertices, 2, &span, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

void DrawArrow(HDC dc, int colourKind, int direction, const RECT& rect) {
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  int half = std::max<int>(2, std::min<int>(height, 3) * width / 22);
  int cx = rect.left + width / 2;
  int cy = rect.top + height / 2;
  POINT points[3];
  switch (direction) {
    case kArrowDown:
      points[0] = {cx - half, cy - half / 2};
      points[1] = {cx + half, cy - half / 2};
      points[2] = {cx, cy + half / 2 + half % 2};
      break;
    case kArrowUp:
      points[0] = {cx - half, cy + half / 2};
      points[1] = {cx + half, cy + half / 2};
      points[2] = {cx, cy - half / 2 - half % 2};
      break;
    default:
      points[0] = {cx - half / 2, cy - half};
      points[1] = {cx - half / 2, cy + half};
      points[2] = {cx + half / 2 + half % 2, cy};
      break;
  }
  FillPolygon(dc, ColorOfKind(colourKind), points, 3);
}

// A tick of two arms: the short arm's thickness is width / 22 x 1.4, the long
// arm reaches width / 22 x 4 from the centre.
void DrawTick(HDC dc, int colourKind, const RECT& rect) {
  double unit = (rect.right - rect.left) / 22.0;
  int thick = std::max(2, int(unit * 1.4 + 0.5));
  int reach = std::max(3, int(unit * 4 + 0.5));
  int cx = (rect.left + rect.right) / 2;
  int cy = (rect.top + rect.bottom) / 2;
  POINT left = {cx - reach * 3 / 4, cy - thick / 2};
  POINT bottom = {cx - reach / 4, cy + reach / 2 - thick / 2};
  POINT right = {cx + reach, cy - reach * 3 / 4 - thick / 2};
  POINT points[6] = {left,  bottom, right, {right.x, right.y + thick}, {bottom.x, bottom.y + thick},
                     {left.x, left.y + thick}};
  FillPolygon(dc, ColorOfKind(colourKind), points, 6);
}

void DrawSeparatorLine(HDC dc, const RECT& rect) {
  int w = rect.right - rect.left;
  int h = rect.bottom - rect.top;
  if (w >= h) {
    int y = rect.top + (h - 2) / 2;
    FillRectColor(dc, {rect.left, y, rect.right - 1, y + 1}, GetThemeColor(31));
    FillRectColor(dc, {rect.left + 1, y + 1, rect.right, y + 2}, GetThemeColor(32));
  } else {
    int x = rect.left + (w - 2) / 2;
    FillRectColor(dc, {x, rect.top, x + 1, rect.bottom - 1}, GetThemeColor(31));
    FillRectColor(dc, {x + 1, rect.top + 1, x + 2, rect.bottom}, GetThemeColor(32));
  }
}

// Six squares in a triangle at the bottom-right corner: three on the bottom
// row, two above, one on top.
void DrawSizeGrip(HDC dc, const RECT& rect) {
  int square = std::max<int>(1, (rect.bottom - rect.top) / 8);
  int pitch = square * 2;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3 - row; ++column) {
      int x = rect.right - 1 - (column + 1) * pitch + square / 2;
      int y = rect.bottom - 1 - (row + 1) * pitch + square / 2;
      FillRectColor(dc, {x + 1, y + 1, x + 1 + square, y + 1 + square}, GetThemeColor(27));
      FillRectColor(dc, {x, y, x + square, y + square}, GetThemeColor(26));
    }
  }
}

void DrawRowSplitter(HDC dc, const RECT& rect, bool vertical) {
  RECT bar = rect;
  if (vertical) bar.right = bar.left + 4;
  else bar.bottom = bar.top + 4;
  FillRectColor(dc, bar, GetThemeColor(30));
  DrawEdge3D(dc, bar, true, GetThemeColor(2), GetThemeColor(3));
}

void DrawGripper(HDC dc, const RECT& barRect, RECT* gripperRect, RECT* closeRect,
                 bool horizontal, bool hasClose, bool closePressed, int dpi) {
  int pitch = std::max(3, 4 * dpi / 96);
  int dot = std::max(1, 2 * dpi / 96);
  int depth = (hasClose ? 2 : 1) * pitch + 2 * pitch;
  RECT grip = barRect;
  if (horizontal) grip.right = grip.left + depth;
  else grip.bottom = grip.top + depth;
  RECT close = {0, 0, 0, 0};
  if (hasClose) {
    int side = std::min<int>(depth - 2, horizontal ? barRect.bottom - barRect.top
                                                   : barRect.right - barRect.left);
    close = {grip.left + 1, grip.top + 1, grip.left + 1 + side, grip.top + 1 + side};
    DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closePressed ? DFCS_PUSHED : 0));
  }
  int columns = hasClose ? 2 : 1;
  int start = (horizontal ? grip.top : grip.left) + (hasClose ? depth : pitch);
  int end = horizontal ? grip.bottom - pitch : grip.right - pitch;
  for (int along = start; along + dot <= end; along += pitch) {
    for (int c = 0; c < columns; ++c) {
      int across = (horizontal ? grip.left : grip.top) + pitch + c * pitch;
      int x = horizontal ? across : along;
      int y = horizontal ? along : across;
      FillRectColor(dc, {x + 1, y + 1, x + 1 + dot, y + 1 + dot}, GetThemeColor(2));
      FillRectColor(dc, {x, y, x + dot, y + dot}, GetThemeColor(3));
    }
  }
  if (gripperRect) *gripperRect = grip;
  if (closeRect) *closeRect = close;
}

int DrawItemText(HDC dc, int dpi, const char* format, int colourKind, const RECT& rect,
                 int alignment, bool bold, ...) {
  if (!format) return kStatusTextMissing;
  char text[1040];
  va_list arguments;
  va_start(arguments, bold);
  vsnprintf(text, sizeof(text), format, arguments);
  va_end(arguments);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, ColorOfKind(colourKind));
  if (alignment & kAlignVertical) {
    HGDIOBJ old = SelectObject(dc, GetAppFont(kFontUIVertical, dpi));
    SIZE size = {0, 0};
    int length = int(strlen(text));
    GetTextExtentPoint32A(dc, text, length, &size);
    // Turned clockwise, the text's top faces right: the cell lies left of x.
    int x = (rect.left + rect.right + size.cy) / 2;
    int y = rect.top;
    int free = (rect.bottom - rect.top) - size.cx;
    if ((alignment & 0xFF) == 1) y += free / 2;
    else if ((alignment & 0xFF) == 2) y += free;
    UINT oldAlign = SetTextAlign(dc, TA_TOP | TA_LEFT);
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &rect, text, UINT(length), nullptr);
    SetTextAlign(dc, oldAlign);
    SelectObject(dc, old);
  } else {
    HGDIOBJ old = SelectObject(dc, GetAppFont(bold ? kFontUIBold : kFontUI, dpi));
    UINT flags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    if (alignment == 1) flags |= DT_CENTER;
    else if (alignment == 2) flags |= DT_RIGHT;
    RECT box = rect;
    DrawTextA(dc, text, -1, &box, flags);
    SelectObject(dc, old);
  }
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  return 0;
}
