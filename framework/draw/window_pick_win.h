#pragma once
// Finding the window under a screen point when the user picks a window,
// typically through the full-screen capture overlay.
#include <windows.h>

// WM_NCHITTEST wParam codes that switch the picker's see-through state.
constexpr WPARAM kPickerTransparentOn = 26209;
constexpr WPARAM kPickerTransparentOff = 26208;

// The innermost window under (x, y), also disabled ones and, when asked,
// hidden ones. A picker window given here is made see-through for the time
// of the search and gets its own window procedure back afterwards. With
// rootOnly the top-level window of the pick is returned; root, when given,
// receives that top-level window either way. Null when no window is there.
HWND WindowFromPointEx(int x, int y, bool rootOnly, bool includeHidden, HWND picker,
                       HWND* root);
