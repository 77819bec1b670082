// The value items: their looks and their own mouse handling.
#include "framework/ui/value_items_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/draw/color.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/icon_list_win.h"
#include "framework/draw/memory_dc_win.h"
#include "framework/draw/monitors_win.h"

namespace {

bool Enabled(const CUIItem* item) {
  const CommandRecord* command = item->GetCommand();
  return command && (command->flags & kCommandEnabled);
}

bool AnyButtonHeld() {
  return GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0 ||
         GetAsyncKeyState(VK_MBUTTON) < 0;
}

bool IsButtonUp(UINT message) {
  return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

void Repaint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void ShowEyedropper() {
  HCURSOR cursor = LoadCursorA(gApp.m_hInstance, MAKEINTRESOURCEA(kEyedropperCursor));
  if (cursor) SetCursor(cursor);
}

COLORREF ArgbToColor(uint32_t argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace

uint32_t ScreenColorAtCursor() {
  POINT cursor;
  GetCursorPos(&cursor);
  HDC screen = GetDC(nullptr);
  COLORREF color = GetPixel(screen, cursor.x, cursor.y);
  ReleaseDC(nullptr, screen);
  return ColorToArgb(color, 255);
}

int CValueItem::OnCreate(CommandRecord* command, HWND, HWND, CMenu*) {
  if (!command->data) return kStatusUnknownCommand;
  data_ = command->data;
  if (KeepsPress()) command->flags |= kCommandKeepsPress;
  SetCallback(Hook());
  return 0;
}

void CValueItem::Notify(LPARAM code) { SendMessageA(owner, MSG_ITEM_NOTIFY, id, code); }

// --- Slider ---

void CSlider::OnLayout(const CommandRecord*, int) {
  int line = GetLineHeight(Dpi());
  partWidth = 7 * line;
  partHeight = line;
}

double CSlider::Step() const {
  const RangeValue* v = Value();
  return SliderStep(partWidth, partHeight, v->minimum, v->maximum);
}

void CSlider::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  ItemDrawState state = GetDrawState(command->flags);
  DrawItemBackground(dc, client, kBackTransparent, 0, 0);
  LayoutParts(client, 0, state.centred, InPopup());
  bool enabled = command->flags & kCommandEnabled;
  int centre = (partRect.top + partRect.bottom) / 2;
  int inset = partHeight / 2;
  RECT track = {partRect.left + inset, centre - 2, partRect.right - inset, centre + 3};
  DrawItemBackground(dc, track, kBackRaised, 0, 0, enabled ? 33 : 56);
  const RangeValue* v = Value();
  int left = SliderThumbLeft(partRect.left, v->value, v->minimum, Step());
  thumb = {left, partRect.top, left + partHeight, partRect.top + partHeight};
  int kind = kBackSunken;
  if (command->flags & kCommandPressed) kind = kBackPressed;
  else if (command->flags & kCommandHot) kind = kBackHot;
  else if (enabled) kind = kBackGradient;
  DrawItemBackground(dc, thumb, kind, kAllCorners, 0, enabled ? 4 : 55, 33, 34);
  PaintContents(dc, *command, state);
  surface.Flush();
}

namespace {

void SliderHook(HWND window, UINT message, WPARAM, LPARAM lParam, CUIItem* item) {
  CSlider* slider = static_cast<CSlider*>(item);
  RangeValue* v = slider->Value();
  int x = GET_X_LPARAM(lParam);
  int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_LBUTTONDOWN: {
      if (!Enabled(item)) return;
      SetFocus(window);
      POINT point = {x, y};
      if (PtInRect(&slider->thumb, point)) {
        slider->dragging = true;
      } else {
        int step = x > slider->thumb.left ? 1 : -1;
        v->value = LimitToRange(int64_t(v->value) + step, v->minimum, v->maximum);
      }
      Repaint(window);
      slider->Notify(1);
      break;
    }
    case WM_MOUSEMOVE: {
      if (!slider->dragging || lParam == -1) return;
      int32_t value = SliderDragValue(x, slider->partRect.left, slider->partHeight,
                                      slider->Step(), v->minimum, v->maximum);
      if (value == v->value) return;
      v->value = value;
      Repaint(window);
      slider->Notify(1);
      break;
    }
    case WM_LBUTTONUP:
      slider->dragging = false;
      break;
  }
}

}  // namespace

ItemHook CSlider::Hook() const { return SliderHook; }

// --- Brush size ---

CBrushSize::~CBrushSize() {
  if (font) DeleteObject(font);
}

void CBrushSize::OnLayout(const CommandRecord*, int) { imageWidth = imageHeight = 22; }

void CBrushSize::OnDestroy() {
  if (font) DeleteObject(font);
  font = nullptr;
}

void CBrushSize::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  ItemDrawState state = PaintBackgroundAndParts(dc, client, *command);
  DrawIconScaled(dc, kImageBrushFrame, command->flags, imageRect);
  const RangeValue* v = Value();
  snprintf(text, sizeof(text), "%d", int(v->value));
  int length = int(strlen(text));
  int boxWidth = imageRect.right - imageRect.left;
  int boxHeight = imageRect.bottom - imageRect.top;
  // The font shrinks until the number fits; made again only when it may change.
  if (!font || v->value != lastValue || length != lastTextLength || width != lastWidth) {
    if (font) DeleteObject(font);
    font = nullptr;
    HDC measure = GetMeasureDC();
    for (int pixels = 12 * Dpi() / 96; pixels >= 3; --pixels) {
      HFONT candidate = CreateFontA(-pixels, 0, 0, 0, 800, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                    "Arial");
      HGDIOBJ old = SelectObject(measure, candidate);
      SIZE size = {0, 0};
      GetTextExtentPoint32A(measure, text, length, &size);
      SelectObject(measure, old);
      if (font) DeleteObject(font);
      font = candidate;
      if (size.cx < boxWidth - 6 && size.cy < boxHeight - 2) break;
    }
    lastValue = v->value;
    lastTextLength = length;
    lastWidth = width;
  }
  textBox = imageRect;
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorOfKind(state.textKind));
  DrawTextA(dc, text, length, &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  surface.Flush();
}

namespace {

void BrushSizeHook(HWND window, UINT message, WPARAM wParam, LPARAM, CUIItem* item) {
  CBrushSize* brush = static_cast<CBrushSize*>(item);
  RangeValue* v = brush->Value();
  POINT cursor;
  GetCursorPos(&cursor);
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!Enabled(item)) return;
      brush->dragging = true;
      brush->startY = cursor.y;
      brush->startValue = v->value;
      break;
    case WM_MOUSEMOVE: {
      if (!brush->dragging || !(wParam & MK_LBUTTON)) return;
      int32_t value = BrushDragValue(brush->startValue, brush->startY, cursor.y, v->minimum,
                                     v->maximum);
      if (value == v->value) return;
      v->value = value;
      Repaint(window);
      break;
    }
    case WM_LBUTTONUP:
      if (!brush->dragging) return;
      brush->dragging = false;
      brush->Notify(0);
      break;
  }
}

}  // namespace

ItemHook CBrushSize::Hook() const { return BrushSizeHook; }

// --- Colour ---

void CColor::OnLayout(const CommandRecord*, int) { imageWidth = imageHeight = 22; }

void CColor::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  ItemDrawState state = PaintBackgroundAndParts(dc, client, *command);
  const ColorValue* v = Value();
  bool enabled = command->flags & kCommandEnabled;
  COLORREF fill = enabled ? ArgbToColor(v->argb) : ColorOfKind(kTextDisabled);
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, fill);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Ellipse(dc, imageRect.left, imageRect.top, imageRect.right, imageRect.bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  DrawIconScaled(dc, v->flag ? kImageBrushFrame : kImageNoColor, command->flags, imageRect);
  PaintContents(dc, *command, state);
  surface.Flush();
}

namespace {

void ColorHook(HWND window, UINT message, WPARAM, LPARAM, CUIItem* item) {
  CColor* color = static_cast<CColor*>(item);
  if (!Enabled(item)) return;
  bool inside = IsCursorOverWindow(window);
  if (message == WM_MOUSEMOVE && AnyButtonHeld() && !inside) {
    ShowEyedropper();
    color->Value()->argb = ScreenColorAtCursor();
    Repaint(window);
  } else if (IsButtonUp(message) && !inside) {
    color->Notify(0);
  }
}

}  // namespace

ItemHook CColor::Hook() const { return ColorHook; }

// --- Palette ---

void CPalette::OnLayout(const CommandRecord*, int orientation) {
  int unit = Unit();
  tall = orientation == kOrientVertical;
  partWidth = (tall ? 6 : 32) * unit;
  partHeight = (tall ? 32 : 6) * unit;
}

void CPalette::LayoutCells() {
  int unit = Unit();
  RECT grid = partRect;
  InflateRect(&grid, unit, unit);
  if (InPopup()) OffsetRect(&grid, unit, 0);
  InflateRect(&grid, -1, -1);
  LayoutPaletteCells(grid, tall, cellRects);
}

void CPalette::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  ItemDrawState state = PaintBackgroundAndParts(dc, client, *command);
  LayoutCells();
  PaletteValue* v = Value();
  v->selected = LimitToRange(v->selected, 0, kPaletteCells - 1);
  bool enabled = command->flags & kCommandEnabled;
  for (int i = 0; i < kPaletteCells; ++i) {
    const RECT& cell = cellRects[i];
    if (enabled) {
      FillRectColor(dc, cell, ArgbToColor(v->cells[i]));
      continue;
    }
    // Disabled: a checkerboard of the two checker colours.
    int square = std::max<int>(2, (cell.bottom - cell.top) / 3);
    for (int yy = cell.top; yy < cell.bottom; yy += square) {
      for (int xx = cell.left; xx < cell.right; xx += square) {
        bool dark = (((xx - cell.left) / square) + ((yy - cell.top) / square)) % 2;
        RECT piece = {xx, yy, std::min<LONG>(xx + square, cell.right),
                      std::min<LONG>(yy + square, cell.bottom)};
        FillRectColor(dc, piece, GetThemeColor(dark ? 54 : 57));
      }
    }
  }
  if (enabled) FrameRectColor(dc, cellRects[v->selected], GetThemeColor(4));
  if (state.background == kBackTransparent) {
    RECT frame = {cellRects[0].left - 1, cellRects[0].top - 1, cellRects[15].right,
                  cellRects[15].bottom};
    FrameRectColor(dc, frame, GetThemeColor(53));
  }
  surface.Flush();
}

namespace {

void PaletteHook(HWND window, UINT message, WPARAM, LPARAM lParam, CUIItem* item) {
  CPalette* palette = static_cast<CPalette*>(item);
  if (!Enabled(item)) return;
  PaletteValue* v = palette->Value();
  bool inside = IsCursorOverWindow(window);
  if (IsButtonDown(message)) {
    int cell = PaletteCellAt(palette->cellRects, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (cell >= 0) {
      v->selected = cell;
      Repaint(window);
    }
  } else if (message == WM_MOUSEMOVE) {
    v->underCursor = ScreenColorAtCursor();
    if (!inside && AnyButtonHeld()) {
      ShowEyedropper();
      v->selected = LimitToRange(v->selected, 0, kPaletteCells - 1);
      v->cells[v->selected] = v->underCursor;
      Repaint(window);
    }
  } else if (IsButtonUp(message) && !inside) {
    palette->Notify(0);
  }
}

}  // namespace

ItemHook CPalette::Hook() const { return PaletteHook; }
