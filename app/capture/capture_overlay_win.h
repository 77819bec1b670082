#pragma once
// The capture overlay: a topmost window over the whole capture space that
// shows a frozen snapshot of the screen, so menus and tooltips stay as they
// were, while the user drags a rectangle, picks a window or places a box.
// One at a time, user interface thread only.
#include <windows.h>

struct ProfileRecord;

enum OverlayResult : int {
  kOverlayPicked = 0,     // the rectangle is the user's pick
  kOverlayCancelled = 1,  // Escape, the right button in a drag, or a quit
  kOverlayRefused = 2,    // another overlay runs: it is left alone
  kOverlayNoMemory = 3,   // the snapshot or the window could not be made
};

extern const char kCaptureOverlayClass[];  // "BrightwardenCaptureOverlay"

// Registers the overlay's window class once; false when that fails.
bool RegisterCaptureOverlayClass();
LRESULT CALLBACK CaptureOverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the overlay in the profile's mode (0 rectangle, 1 window, 5 box)
// until the user picks or cancels. picked gets the rectangle, normalised
// and inclusive (empty, right < left, when a window pick found nothing).
// Unless refused, the overlay stays on screen until DestroyCaptureOverlay.
OverlayResult CreateCaptureOverlay(const ProfileRecord& profile, RECT* picked);
// Removes the overlay and its snapshot, and gives the hotkeys back
// (failures are not reported).
void DestroyCaptureOverlay();
// True while an overlay exists (from its creation to its destruction).
bool IsCaptureOverlayRunning();

// The snapshot of the overlay that exists, and the screen position of its
// top-left pixel; null when there is none.
HDC GetOverlaySnapshot(RECT* area);
