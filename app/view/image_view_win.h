#pragma once
// The image view: the main window's client area showing the current state
// of the history at one of twelve zoom steps, with scroll bars, the
// selection drawn with the mouse, panning and the navigator.
#include <windows.h>

#include <cstdint>

#include "app/view/view_geometry.h"

extern int giZoomIndex;  // 0..11, 6 = 100 %

// Registers the view, navigator and draw window classes and creates the view
// (a child of main) and its hidden draw window. False when a window cannot
// be created.
bool CreateImageViewWindows(HWND main);
void DestroyImageViewWindows();
// Places the view in the main window's client rectangle.
void LayoutImageView(const RECT& client);
// 0 keeps the origin, 1 centres on the selection, 2 keeps the recorded image
// point under the cursor, other values clamp and re-apply the origin.
void UpdateImageView(int mode);
// Chooses the zoom step that fits the selection.
void AutoZoomImageView();
// Screen point to image coordinates, clamped into the image; true when it
// had to clamp (always, with (-1, -1), without an image).
bool ScreenToImagePoint(POINT* point);
// Records the image point to keep under the cursor for the next
// UpdateImageView(2) (the zoom command and the wheel).
void SetImageViewZoomAnchor(POINT screenPoint);
HWND GetImageViewWindow();
// The draw window lying over the view while a drawing tool is active.
HWND GetDrawWindow();

// One axis of a client position of the view to the image (-1 without an
// image) and back, with the view's current origin, scale and placement.
int ViewToImage(int value, bool horizontal, bool clamp, bool rounding);
int ImageToView(int value, bool horizontal);
// The rubber band's size in image pixels while a new selection is drawn
// (for the status bar); false otherwise.
bool GetRubberBandSize(int* width, int* height);
// Remembers the scroll origin and puts it back (then UpdateImageView(3)).
void SaveViewScroll();
void RestoreViewScroll();

// Fits the view to the window (fit) or redraws it with mode, then refreshes
// the command states and panes.
void RefreshView(int mode, int fit);
