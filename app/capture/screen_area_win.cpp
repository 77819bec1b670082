#include "app/capture/screen_area_win.h"

#include <algorithm>

#include "framework/draw/dpi_api_win.h"

uint8_t gbMultiMonitor = 0;

void GetScreenRect(int primaryOnly, RECT* rect) {
  int left = 0, top = 0, width, height;
  if (!primaryOnly && gbMultiMonitor) {
    left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  } else {
    // The primary screen, which is what the desktop window's client area
    // covers; the metrics say it without a window handle.
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
  rect->left = left;
  rect->top = top;
  rect->right = left + width - 1;
  rect->bottom = top + height - 1;
}

void UpdateMultiMonitorFlag() {
  gbMultiMonitor = 1;
  RECT all, primary;
  GetScreenRect(0, &all);
  GetScreenRect(1, &primary);
  if (EqualRect(&all, &primary)) gbMultiMonitor = 0;
}

bool GetWindowFrameRect(HWND window, RECT* rect) {
  if (!window) return false;
  const DWORD kExtendedFrameBounds = 9;
  if (gDpiApi.pfnDwmGetWindowAttribute &&
      SUCCEEDED(gDpiApi.pfnDwmGetWindowAttribute(window, kExtendedFrameBounds, rect,
                                                 sizeof(*rect)))) {
    return true;
  }
  return GetWindowRect(window, rect) != FALSE;
}

bool GetForegroundWindowRect(RECT* rect) {
  RECT frame;
  if (!GetWindowFrameRect(GetForegroundWindow(), &frame)) return false;
  if (frame.right <= frame.left || frame.bottom <= frame.top) return false;
  *rect = RECT{frame.left, frame.top, frame.right - 1, frame.bottom - 1};
  return true;
}

bool SetWindowAnimation(bool on) {
  ANIMATIONINFO info = {};
  info.cbSize = sizeof(info);
  SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0);
  const bool before = info.iMinAnimate != 0;
  info.iMinAnimate = on ? 1 : 0;
  SystemParametersInfoA(SPI_SETANIMATION, sizeof(info), &info, 0);
  return before;
}

void DrawShowingCursor(HDC dc, int originX, int originY) {
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof(cursor);
  if (!GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING) || !cursor.hCursor) return;
  ICONINFO icon = {};
  if (!GetIconInfo(cursor.hCursor, &icon)) return;
  // GetIconInfo hands over copies of the cursor's bitmaps.
  if (icon.hbmMask) DeleteObject(icon.hbmMask);
  if (icon.hbmColor) DeleteObject(icon.hbmColor);
  DrawIconEx(dc, cursor.ptScreenPos.x - int(icon.xHotspot) - originX,
             cursor.ptScreenPos.y - int(icon.yHotspot) - originY, cursor.hCursor, 0, 0, 0,
             nullptr, DI_NORMAL);
}

void DrawInvertFrame(HDC dc, const RECT& rect, int width) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0 || width <= 0) return;
  // Bands never overlap, so a frame drawn twice leaves no trace even on a
  // rectangle narrower than two bands.
  const int leftBand = std::min(width, w), rightBand = std::min(width, w - leftBand);
  const int topBand = std::min(width, h), bottomBand = std::min(width, h - topBand);
  const int innerLeft = rect.left + leftBand, innerWidth = w - leftBand - rightBand;
  PatBlt(dc, rect.left, rect.top, leftBand, h, DSTINVERT);
  if (rightBand > 0) PatBlt(dc, rect.right - rightBand, rect.top, rightBand, h, DSTINVERT);
  if (innerWidth > 0) {
    PatBlt(dc, innerLeft, rect.top, innerWidth, topBand, DSTINVERT);
    if (bottomBand > 0) PatBlt(dc, innerLeft, rect.bottom - bottomBand, innerWidth, bottomBand, DSTINVERT);
  }
}
