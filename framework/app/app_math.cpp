#include "framework/app/app_math.h"

#include <cmath>

int OsVersionCode(uint32_t major, uint32_t minor, uint32_t build) {
  if (major == 6) {
    if (minor == 0) return 6;
    if (minor == 1) return 7;
    if (minor == 2 || minor == 3) return 8;
    return 0;
  }
  if (major == 10) return build >= 22000 ? 11 : 10;
  return 0;
}

namespace {

LONG RoundHalfAway(double value) {
  return static_cast<LONG>(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

LONG ScaleCoordinate(LONG value, LONG oldOrigin, LONG newOrigin, double ratio) {
  return RoundHalfAway(newOrigin + (static_cast<double>(value) - oldOrigin) * ratio);
}

}  // namespace

bool RescaleWindowRect(const RECT& window, const RECT& oldMonitor, const RECT& newMonitor,
                       RECT* result) {
  double oldWidth = static_cast<double>(oldMonitor.right) - oldMonitor.left;
  double oldHeight = static_cast<double>(oldMonitor.bottom) - oldMonitor.top;
  if (oldWidth <= 0 || oldHeight <= 0) return false;
  double ratioX = (static_cast<double>(newMonitor.right) - newMonitor.left) / oldWidth;
  double ratioY = (static_cast<double>(newMonitor.bottom) - newMonitor.top) / oldHeight;
  result->left = ScaleCoordinate(window.left, oldMonitor.left, newMonitor.left, ratioX);
  result->right = ScaleCoordinate(window.right, oldMonitor.left, newMonitor.left, ratioX);
  result->top = ScaleCoordinate(window.top, oldMonitor.top, newMonitor.top, ratioY);
  result->bottom = ScaleCoordinate(window.bottom, oldMonitor.top, newMonitor.top, ratioY);
  return true;
}

int CompareMonitorLayouts(const MonitorLayout& before, const MonitorLayout& after) {
  if (before.iVirtualLeft != after.iVirtualLeft || before.iVirtualTop != after.iVirtualTop ||
      before.iVirtualWidth != after.iVirtualWidth ||
      before.iVirtualHeight != after.iVirtualHeight)
    return kLayoutRescaled;
  if (before.iCount != after.iCount) return kLayoutDpiChanged;
  for (int i = 0; i < before.iCount && i < kMaxMonitors; ++i)
    if (before.uDpi[i] != after.uDpi[i]) return kLayoutDpiChanged;
  return kLayoutUnchanged;
}

bool RescaleWindowForLayout(const MonitorLayout& before, const MonitorLayout& after,
                            const RECT& window, RECT* result) {
  if (before.iCount < 1 || after.iCount < 1) return false;
  int oldIndex = FindMonitorIndex(before, window.left, window.top);
  int newIndex = FindMonitorIndex(after, window.left, window.top);
  return RescaleWindowRect(window, before.rcMonitor[oldIndex], after.rcMonitor[newIndex], result);
}
