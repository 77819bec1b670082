#pragma once
// A grey copy of an icon: its visible pixels blended between two colours by
// their brightness (icon_pixels.h). Disabled command images use the theme's
// light and shadow colours, the waiting tray icon the system's.
#include <windows.h>

// The copy, which the caller destroys; null when the icon has no colour
// bitmap or the copy cannot be made.
HICON MakeGreyIcon(HICON icon, COLORREF light, COLORREF shadow);
