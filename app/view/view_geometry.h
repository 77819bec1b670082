#pragma once
// The image view's arithmetic: zoom steps, scroll origin and ranges, the
// painted and visible rectangles, coordinate conversions, the selection's
// guides, hit test and drags, panning and the fling, the fitting zoom and the
// navigator's geometry. No system calls: the window half feeds sizes and
// points in and draws what comes out.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

constexpr int kZoomSteps = 12;
constexpr int kZoomIndex100 = 6;
extern const int kZoomPercent[kZoomSteps];  // 1, 3, 6, ... 3200

// A zoom index forced into 0..11.
int ClampZoomIndex(int index);
// The scale of a zoom index (clamped): step / 100.
double ZoomScale(int index);

// A negative value becomes 0, one above max(max, 0) that bound; true when it
// changed.
bool ClampToExtent(int32_t* value, int32_t max);

// Selection edges as a mask.
enum : int {
  kEdgeLeft = 1,
  kEdgeTop = 2,
  kEdgeRight = 4,
  kEdgeBottom = 8,
  kDragMove = 16,
};

// The view as the arithmetic sees it. imageWidth/Height are 0 without an
// image. rcSource counts rows from the bottom (the DIB's own order).
struct ViewFrame {
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t imageWidth = 0;
  int32_t imageHeight = 0;
  double scale = 1.0;
  int32_t originX = 0;
  int32_t originY = 0;
  RECT rcDest = {};
  RECT rcSource = {};
};

inline bool HasImage(const ViewFrame& f) { return f.imageWidth > 0 && f.imageHeight > 0; }

// Scroll bar page: client / scale + 1 image pixels.
int32_t ScrollPage(int32_t client, double scale);
// A bar is needed when its range (the image extent) reaches its page.
bool ScrollBarNeeded(int32_t extent, int32_t client, double scale);
// The largest origin: extent - client / scale + 1 (may be negative).
int32_t MaxOrigin(int32_t extent, int32_t client, double scale);
// Both origins clamped to 0..MaxOrigin; true when one changed.
bool ClampOrigin(ViewFrame* f);
// Centres the origin on the selection (inclusive, top-down), then clamps.
void CentreOnSelection(ViewFrame* f, const RECT& selection);
// Puts the image point under the client point, then clamps.
void KeepPointUnderCursor(ViewFrame* f, POINT imagePoint, POINT clientPoint);
// rcDest and rcSource for the current origin (the origin is left alone).
void ComputeViewRects(ViewFrame* f);

// One axis of a client position to the image: origin + (v - rcDest edge) /
// scale (+ 0.5 when rounding), clamped to 0..extent when asked; -1 without
// an image.
int32_t ViewToImage(const ViewFrame& f, int32_t value, bool horizontal, bool clamp, bool rounding);
// One axis of an image position to the client.
int32_t ImageToView(const ViewFrame& f, int32_t value, bool horizontal);

// Client positions of the four guides (vertical left and right, horizontal
// top and bottom) of an inclusive selection.
struct GuideLines {
  int32_t left = -1;
  int32_t top = -1;
  int32_t right = -1;
  int32_t bottom = -1;
};
GuideLines GuidePositions(const ViewFrame& f, const RECT& selection);

// The edges of the selection near the client point (a mask of kEdge*), 0 on
// the painted image, -1 elsewhere, outside the client or without an image.
int HitTestSelection(const ViewFrame& f, const RECT& selection, int32_t x, int32_t y, bool shift);

// Moves the selection's edges named by mask to the image grid point (x, y):
// left and top onto it, right and bottom one before it; an edge dragged over
// its opposite swaps with it. Returns the mask of the edges now moving.
// Edges stay inside 0..width-1 and 0..height-1.
int DragSelectionEdges(RECT* selection, int mask, int32_t x, int32_t y, int32_t width,
                       int32_t height);
// Moves the whole selection so that its left-top lies offset before (x, y),
// keeping its size (spanX = right - left, spanY = bottom - top) and staying
// inside the image.
void MoveSelectionTo(RECT* selection, int32_t x, int32_t y, POINT offset, int32_t spanX,
                     int32_t spanY, int32_t width, int32_t height);
// The selection a new rectangle from anchor to end (grid points) gives;
// false when end lies in the anchor's column or row (nothing changes).
bool SelectionFromPoints(POINT anchor, POINT end, RECT* selection);
// The rubber band in client pixels (right and bottom exclusive) for the
// grid points anchor and cursor, kept inside the client.
RECT RubberBandRect(const ViewFrame& f, POINT anchor, POINT cursor);

// Image pixels one auto-scroll step moves when a drag leaves the client,
// per axis with its sign (0 while inside on that axis).
POINT AutoScrollDelta(const ViewFrame& f, int32_t x, int32_t y, bool shift);

// The pan's reference point (client, fractional so that slow pans at high
// zooms add up) and the image pixels one move scrolls.
struct PanReference {
  double x = 0;
  double y = 0;
};
// The scroll for a move to (x, y); the reference advances by what it
// scrolls times the scale.
POINT PanStep(PanReference* reference, int32_t x, int32_t y, double scale);

// The newest samples of a pan, newest first.
constexpr int kPanSamples = 16;
struct PanSample {
  int32_t x;
  int32_t y;
  uint32_t tick;
};
struct PanHistory {
  PanSample samples[kPanSamples] = {};
  int count = 0;
};
void AddPanSample(PanHistory* history, int32_t x, int32_t y, uint32_t tick);

// The running fling: velocity in image pixels per tick and the fractions
// carried to the next tick.
struct FlingState {
  double vx = 0;
  double vy = 0;
  double carryX = 0;
  double carryY = 0;
};
constexpr double kMaxFlingSpeed = 100000.0;
// The fling after a pan ended at (x, y) at tick: false when there is none
// (fewer than two samples, no time elapsed or no motion).
bool StartFling(PanHistory* history, int32_t x, int32_t y, uint32_t tick, double scale,
                FlingState* fling);
// One tick: the whole pixels to scroll in delta; false when the fling has
// come to rest (nothing to scroll then).
bool FlingTick(FlingState* fling, double scale, POINT* delta);

// The largest zoom index whose step fits the selection into the client
// (0 when even 1 % does not fit).
int FitZoomIndex(int32_t clientWidth, int32_t clientHeight, int32_t selectionWidth,
                 int32_t selectionHeight);

// The navigator: image pixels per navigator pixel and its client size;
// false without an image.
struct NavigatorGeometry {
  double m = 0;
  int32_t width = 0;
  int32_t height = 0;
};
bool ComputeNavigator(int32_t imageWidth, int32_t imageHeight, int32_t screenWidth,
                      NavigatorGeometry* nav);
// Navigator position of the view's centre.
POINT NavigatorCentre(const ViewFrame& f, const NavigatorGeometry& nav);
// The frame of the visible part (right and bottom exclusive) centred on the
// navigator point and kept inside the navigator.
RECT NavigatorFrame(const ViewFrame& f, const NavigatorGeometry& nav, POINT at);
// The view origin a frame stands for.
POINT OriginFromNavigatorFrame(const RECT& frame, const NavigatorGeometry& nav);
