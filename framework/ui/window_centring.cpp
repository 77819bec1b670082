#include "framework/ui/window_centring.h"

namespace {

LONG KeepInside(LONG start, LONG size, LONG low, LONG high) {
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

POINT CenterRectOver(const RECT& rect, const RECT& reference, const RECT& monitor) {
  LONG width = rect.right - rect.left;
  LONG height = rect.bottom - rect.top;
  LONG x = reference.left + ((reference.right - reference.left) - width) / 2;
  LONG y = reference.top + ((reference.bottom - reference.top) - height) / 2;
  return POINT{KeepInside(x, width, monitor.left, monitor.right),
               KeepInside(y, height, monitor.top, monitor.bottom)};
}
