#include "framework/draw/monitors_win.h"

#include "framework/draw/dpi_api_win.h"

MonitorLayout gMonitorLayout;
MonitorLayout gPreviousMonitorLayout;

namespace {

constexpr UINT kDefaultDpi = 96;

UINT DeviceContextDpi(HWND window) {
  HDC dc = GetDC(window);
  if (!dc) return kDefaultDpi;
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(window, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT MonitorDpi(HMONITOR monitor) {
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (!monitor || FAILED(gDpiApi.pfnGetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) ||
      dpiX == 0) {
    return kDefaultDpi;
  }
  return dpiX;
}

BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC, LPRECT monitorRect, LPARAM param) {
  MonitorLayout* layout = reinterpret_cast<MonitorLayout*>(param);
  MONITORINFOEXA info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoA(monitor, &info)) info.szDevice[0] = '\0';
  return AddMonitorToLayout(layout, *monitorRect, info.szDevice, GetRectDpi(monitorRect, monitor));
}

void ReadMonitorLayout(MonitorLayout* layout) {
  ResetMonitorLayout(layout, GetSystemMetrics(SM_XVIRTUALSCREEN),
                     GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                     GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EnumDisplayMonitors(nullptr, nullptr, MonitorEnumProc, reinterpret_cast<LPARAM>(layout));
  if (layout->iCount == 0) {
    // No monitor enumeration: the desktop window stands for the one screen.
    RECT desktop = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    AddMonitorToLayout(layout, desktop, "", GetRectDpi(&desktop, nullptr));
  }
}

}  // namespace

void GetMonitorRects() {
  bool first = gMonitorLayout.iCount == 0;
  ReadMonitorLayout(&gMonitorLayout);
  if (first) gPreviousMonitorLayout = gMonitorLayout;
}

void UpdateMonitorsForDisplayChange() {
  if (gMonitorLayout.iCount == 0) GetMonitorRects();
  gPreviousMonitorLayout = gMonitorLayout;
  ReadMonitorLayout(&gMonitorLayout);
}

int GetMonitorRect(int x, int y, RECT* rect, bool previous) {
  // Before start-up has read the layout, the first question reads it.
  if (gMonitorLayout.iCount == 0) GetMonitorRects();
  const MonitorLayout& layout = previous ? gPreviousMonitorLayout : gMonitorLayout;
  int index = FindMonitorIndex(layout, x, y);
  if (rect) *rect = layout.rcMonitor[index];
  return index;
}

UINT GetWindowDpi(HWND window) {
  if (gDpiApi.pfnGetDpiForWindow) {
    UINT dpi = gDpiApi.pfnGetDpiForWindow(window);
    return dpi ? dpi : kDefaultDpi;
  }
  if (gDpiApi.pfnGetDpiForMonitor) {
    return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
  }
  return DeviceContextDpi(window);
}

UINT GetRectDpi(const RECT* rect, HMONITOR monitor) {
  if (gDpiApi.pfnGetDpiForMonitor) {
    if (!monitor && rect) monitor = MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST);
    return MonitorDpi(monitor);
  }
  if (!rect) return DeviceContextDpi(nullptr);
  POINT centre = {rect->left + (rect->right - rect->left) / 2,
                  rect->top + (rect->bottom - rect->top) / 2};
  return DeviceContextDpi(WindowFromPoint(centre));
}

BOOL AdjustWindowRectHook(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, UINT dpi) {
  if (gDpiApi.pfnAdjustWindowRectExForDpi) {
    return gDpiApi.pfnAdjustWindowRectExForDpi(rect, style, hasMenu, exStyle, dpi);
  }
  return AdjustWindowRectEx(rect, style, hasMenu, exStyle);
}

bool IsCursorOverWindow(HWND window) {
  POINT cursor;
  if (!window || !GetCursorPos(&cursor)) return false;
  return WindowFromPoint(cursor) == window;
}

void InvalidateGrownArea(HWND window, int newWidth, int newHeight, int* storedWidth,
                         int* storedHeight) {
  RECT strips[2];
  int n = ComputeGrownStrips(newWidth, newHeight, *storedWidth, *storedHeight, strips);
  for (int i = 0; i < n; ++i) InvalidateRect(window, &strips[i], TRUE);
  *storedWidth = newWidth;
  *storedHeight = newHeight;
}
