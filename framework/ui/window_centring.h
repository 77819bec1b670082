#pragma once
// Centring a window over another and keeping it on a monitor.
#include "imagelib/raster_wintypes.h"

// The new top-left corner of `rect` centred over `reference`, moved into the
// monitor so its left and top are not before the monitor's and its right
// and bottom not beyond where the size allows.
POINT CenterRectOver(const RECT& rect, const RECT& reference, const RECT& monitor);
