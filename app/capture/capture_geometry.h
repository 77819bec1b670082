#pragma once
// The arithmetic of picking a screen area: inclusive rectangles, the box
// around the cursor, the size label's text and corner, and the overlay's
// mouse and key rules. No system calls: the Windows half feeds events in and
// draws what comes out, so every rule here is tested natively.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

// Left/right and top/bottom swapped where reversed; rectangles here are
// inclusive on all four sides.
RECT NormalizeRect(RECT rect);
// The profile's fixed area (left, top, right, bottom, inclusive), normalised.
RECT AreaFromProfile(const int16_t area[4]);
// At least one pixel wide and high (right >= left, bottom >= top).
bool HasPixels(const RECT& rect);
// Width and height of an inclusive rectangle, whichever way it points.
int64_t RectWidth(const RECT& rect);
int64_t RectHeight(const RECT& rect);

// The width x height box with the cursor at its centre; with an even size
// the extra column and row go right and below. Both sizes must be >= 1.
RECT BoxAroundPoint(int32_t x, int32_t y, int32_t width, int32_t height);

// The intersection of two inclusive rectangles; false when they do not meet.
bool IntersectInclusive(const RECT& a, const RECT& b, RECT* out);

// "W x H" of the rectangle, for the size label.
void FormatSizeLabel(const RECT& rect, char* out, int size);
// The label box: the text extent plus dpi * 11 / 96 in width and dpi / 12 in
// height.
void SizeLabelBox(int32_t textWidth, int32_t textHeight, int32_t dpi, int32_t* width,
                  int32_t* height);
// Whether the label shows: with showDim 1 unless Shift is held, with
// showDim 0 only while it is held.
bool IsSizeLabelShown(int showDim, bool shiftDown);

// Corners of the cursor the label may take: right-below, right-above,
// left-above, left-below.
enum LabelCorner : int { kLabelRightBelow = 0, kLabelRightAbove = 1, kLabelLeftAbove = 2,
                         kLabelLeftBelow = 3 };
constexpr int kLabelGap = 5;  // pixels between the cursor and the label
// The order the corners are tried in, following the drag direction
// (dx = right - left, dy = bottom - top of the unnormalised rectangle).
void LabelCornerOrder(int64_t dx, int64_t dy, int order[4]);
// Top-left of a width x height label at the cursor: the first corner in
// the drag's order whose label lies strictly inside the monitor (a
// half-open rectangle), else the first corner of the order.
POINT PlaceSizeLabel(int32_t cursorX, int32_t cursorY, int32_t width, int32_t height,
                     int64_t dx, int64_t dy, const RECT& monitor);

// ---- the overlay's rules ----

enum OverlayMode : int { kOverlayRectangle = 0, kOverlayWindow = 1, kOverlayBox = 5 };

struct OverlayState {
  int mode;          // kOverlayRectangle, kOverlayWindow or kOverlayBox
  bool active;       // the pick is still running
  bool cancelled;
  bool dragging;
  bool haveRect;     // rect holds a pick (a window, a box, a started drag)
  RECT rect;         // as the user drew it; right and bottom follow a drag
};

// What the window must do after an event, besides what the state says.
enum OverlayAction : int {
  kOverlayNothing = 0,
  kOverlayRedraw = 1,      // the rectangle changed: draw the new frame
  kOverlayPickAt = 2,      // pick the window (or place the box) at the cursor
  kOverlayEraseFrame = 4,  // remove the frame and the label
  kOverlaySetCursor = 8,   // the mode changed: set its cursor
};

void StartOverlay(OverlayState* state, int mode);
// Mouse move at (x, y): in a drag the far corner follows; window and box
// modes ask for a pick.
int OverlayMouseMove(OverlayState* state, int32_t x, int32_t y);
int OverlayLeftDown(OverlayState* state, int32_t x, int32_t y);
// A drag that is still a single point goes on (click, move, click). A
// button-up in rectangle mode without a drag is one left over from before
// the overlay: ignored. Window and box modes end with the pick at the
// cursor.
int OverlayLeftUp(OverlayState* state, int32_t x, int32_t y);
// The right button and the wheel: cancel a drag, else switch between
// rectangle and window picking.
int OverlayRightDown(OverlayState* state);
void OverlayCancel(OverlayState* state);
// The picked window's frame or the placed box becomes the rectangle.
void OverlaySetPick(OverlayState* state, const RECT& rect);
