#pragma once
// Small pure computations of the application object, kept apart from the
// Windows code so they can be checked natively.
#include <cstdint>

#include "framework/draw/monitor_geometry.h"
#include "imagelib/raster_wintypes.h"

// The OS version code: 6 (Vista), 7, 8 (8 and 8.1), 10, 11 (10 from build
// 22000), 0 for anything else.
int OsVersionCode(uint32_t major, uint32_t minor, uint32_t build);

// Moves a window rectangle from a monitor of the old screen layout to the
// matching monitor of the new one, keeping its place relative to the
// monitor's origin and scaling by the ratio of the monitor sizes (half away
// from zero). False when the old monitor has no width or height.
bool RescaleWindowRect(const RECT& window, const RECT& oldMonitor, const RECT& newMonitor,
                       RECT* result);

// What a display change did: nothing, moved or resized the virtual screen
// (windows are rescaled), or changed only some monitor's DPI.
enum LayoutChange { kLayoutUnchanged = 0, kLayoutRescaled = 1, kLayoutDpiChanged = 2 };
int CompareMonitorLayouts(const MonitorLayout& before, const MonitorLayout& after);

// Rescales a window from the monitor that held its top-left corner before to
// the monitor that holds it now. False when the window is to stay as it is.
bool RescaleWindowForLayout(const MonitorLayout& before, const MonitorLayout& after,
                            const RECT& window, RECT* result);
