#pragma once
// The cached monitor layout, DPI queries and window-rectangle adjustment.
// User interface thread only.
#include <windows.h>

#include "framework/draw/monitor_geometry.h"

// The layout as last read, and the one before the last display change.
// Only start-up (GetMonitorRects) and the display-change handling
// (UpdateMonitorsForDisplayChange) write them; queries only read.
extern MonitorLayout gMonitorLayout;
extern MonitorLayout gPreviousMonitorLayout;

// Reads the layout into the cache; the first read also makes it the
// previous layout.
void GetMonitorRects();

// On WM_DISPLAYCHANGE or WM_DPICHANGED: keeps the cache as the previous
// layout, then reads the new one.
void UpdateMonitorsForDisplayChange();

// Index and rectangle of the monitor that holds the point, else of the one
// with the nearest corner; from the previous layout when asked.
int GetMonitorRect(int x, int y, RECT* rect, bool previous);

UINT GetWindowDpi(HWND window);
UINT GetRectDpi(const RECT* rect, HMONITOR monitor);

// AdjustWindowRectExForDpi where the system has it, else AdjustWindowRectEx
// (which cannot take the DPI into account).
BOOL AdjustWindowRectHook(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, UINT dpi);

bool IsCursorOverWindow(HWND window);

// Repaints (with erasing) what changed between the stored client size and
// the new one, then stores the new size.
void InvalidateGrownArea(HWND window, int newWidth, int newHeight, int* storedWidth,
                         int* storedHeight);
