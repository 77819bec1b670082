#pragma once
// The capture coordinate space and the small screen tools capturing uses:
// window frames, the system's window animation and inverted frames.
#include <windows.h>

#include <cstdint>

// 1 when the virtual screen differs from the primary screen.
extern uint8_t gbMultiMonitor;

// primaryOnly 0 with gbMultiMonitor: the virtual screen; otherwise the
// primary screen at (0, 0). Right and bottom inclusive.
void GetScreenRect(int primaryOnly, RECT* rect);
// Sets gbMultiMonitor from the current layout: at start and whenever the
// display changes.
void UpdateMultiMonitorFlag();

// The window's visible frame (the desktop window manager's extended frame
// bounds where it answers, else GetWindowRect); right and bottom exclusive.
// False when the window has no rectangle.
bool GetWindowFrameRect(HWND window, RECT* rect);
// The foreground window's frame, right and bottom inclusive; false without
// a foreground window or with an empty frame.
bool GetForegroundWindowRect(RECT* rect);

// Switches the system's window animation on or off; returns the setting it
// had before.
bool SetWindowAnimation(bool on);

// Draws the mouse cursor, when it shows, where it is on the screen into a
// context whose top-left pixel is the screen point (originX, originY).
void DrawShowingCursor(HDC dc, int originX, int originY);

// Inverts a frame of the given width inside rect (right and bottom
// exclusive): the left, right, top and bottom bands, each pixel once, so
// that drawing it twice restores the picture.
void DrawInvertFrame(HDC dc, const RECT& rect, int width);
