#pragma once
// The monitor layout record and the plain geometry answered from it. No
// system calls here: the Windows half fills the record, this half decides.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

constexpr int kMaxMonitors = 16;
constexpr int kMonitorNameSize = 32;  // device name, up to 31 characters

struct MonitorLayout {
  int iVirtualLeft;
  int iVirtualTop;
  int iVirtualWidth;
  int iVirtualHeight;
  RECT rcVirtual;
  int iCount;
  RECT rcMonitor[kMaxMonitors];  // whole monitor areas, in enumeration order
  UINT uDpi[kMaxMonitors];
  char szDevice[kMaxMonitors][kMonitorNameSize];  // "DISPLAY1", not "\\.\DISPLAY1"
};

// Empties the layout and sets its virtual screen.
void ResetMonitorLayout(MonitorLayout* layout, int left, int top, int width, int height);

// Appends a monitor while there is room. Returns false once the layout is
// full, so that an enumeration callback can return it to stop early.
bool AddMonitorToLayout(MonitorLayout* layout, const RECT& rect, const char* device, UINT dpi);

// Rectangles are half-open: a point on the right or bottom edge lies outside,
// so a point on the edge two monitors share belongs to exactly one.
bool PointInRectHalfOpen(const RECT& rect, int x, int y);

// Squared distance from the point to the rectangle's nearest corner.
int64_t SquaredCornerDistance(const RECT& rect, int x, int y);

// Index of the monitor that holds the point or, when none does, of the one
// with the nearest corner (the first of equals). 0 with at most one monitor.
int FindMonitorIndex(const MonitorLayout& layout, int x, int y);

// The strips to repaint when a client area goes from the stored size to the
// new one: the columns between the two widths over the new height and the
// rows between the two heights over the new width, each only when that size
// changed. Returns how many of the two strips were written.
int ComputeGrownStrips(int newWidth, int newHeight, int storedWidth, int storedHeight,
                       RECT strips[2]);
