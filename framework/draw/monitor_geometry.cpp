#include "framework/draw/monitor_geometry.h"

#include <cstring>

void ResetMonitorLayout(MonitorLayout* layout, int left, int top, int width, int height) {
  std::memset(layout, 0, sizeof(*layout));
  layout->iVirtualLeft = left;
  layout->iVirtualTop = top;
  layout->iVirtualWidth = width;
  layout->iVirtualHeight = height;
  layout->rcVirtual.left = left;
  layout->rcVirtual.top = top;
  layout->rcVirtual.right = left + width;
  layout->rcVirtual.bottom = top + height;
}

bool AddMonitorToLayout(MonitorLayout* layout, const RECT& rect, const char* device, UINT dpi) {
  if (layout->iCount >= kMaxMonitors) return false;
  int i = layout->iCount++;
  layout->rcMonitor[i] = rect;
  layout->uDpi[i] = dpi;
  // Device names come as "\\.\DISPLAY1"; only the name itself is kept.
  const char* name = device ? device : "";
  while (*name == '\\' || *name == '.') ++name;
  std::strncpy(layout->szDevice[i], name, kMonitorNameSize - 1);
  layout->szDevice[i][kMonitorNameSize - 1] = '\0';
  return layout->iCount < kMaxMonitors;
}

bool PointInRectHalfOpen(const RECT& rect, int x, int y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

int64_t SquaredCornerDistance(const RECT& rect, int x, int y) {
  // Coordinates are 32-bit; their differences and squares are not.
  const int64_t xs[2] = {rect.left, rect.right};
  const int64_t ys[2] = {rect.top, rect.bottom};
  int64_t best = INT64_MAX;
  for (int64_t cx : xs) {
    for (int64_t cy : ys) {
      int64_t dx = cx - x;
      int64_t dy = cy - y;
      int64_t d = dx * dx + dy * dy;
      if (d < best) best = d;
    }
  }
  return best;
}

int FindMonitorIndex(const MonitorLayout& layout, int x, int y) {
  if (layout.iCount <= 1) return 0;
  for (int i = 0; i < layout.iCount; ++i) {
    if (PointInRectHalfOpen(layout.rcMonitor[i], x, y)) return i;
  }
  int best = 0;
  int64_t bestDistance = SquaredCornerDistance(layout.rcMonitor[0], x, y);
  for (int i = 1; i < layout.iCount; ++i) {
    int64_t d = SquaredCornerDistance(layout.rcMonitor[i], x, y);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

int ComputeGrownStrips(int newWidth, int newHeight, int storedWidth, int storedHeight,
                       RECT strips[2]) {
  int n = 0;
  if (newWidth != storedWidth) {
    RECT& r = strips[n++];
    r.left = newWidth < storedWidth ? newWidth : storedWidth;
    r.right = newWidth < storedWidth ? storedWidth : newWidth;
    r.top = 0;
    r.bottom = newHeight;
  }
  if (newHeight != storedHeight) {
    RECT& r = strips[n++];
    r.left = 0;
    r.right = newWidth;
    r.top = newHeight < storedHeight ? newHeight : storedHeight;
    r.bottom = newHeight < storedHeight ? storedHeight : newHeight;
  }
  return n;
}
