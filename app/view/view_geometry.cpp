#include "app/view/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const int kZoomPercent[kZoomSteps] = {1, 3, 6, 12, 25, 50, 100, 200, 400, 800, 1600, 3200};

namespace {

// Double to int without undefined behaviour for values past the int range.
int32_t ToInt(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return int32_t(value);
}

int32_t ClampInt(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : value > high ? high : value;
}

}  // namespace

int ClampZoomIndex(int index) { return ClampInt(index, 0, kZoomSteps - 1); }

double ZoomScale(int index) { return kZoomPercent[ClampZoomIndex(index)] / 100.0; }

bool ClampToExtent(int32_t* value, int32_t max) {
  const int32_t bound = std::max(max, 0);
  const int32_t clamped = ClampInt(*value, 0, bound);
  const bool changed = clamped != *value;
  *value = clamped;
  return changed;
}

int32_t ScrollPage(int32_t client, double scale) { return ToInt(client / scale + 1); }

bool ScrollBarNeeded(int32_t extent, int32_t client, double scale) {
  return extent >= ScrollPage(client, scale);
}

int32_t MaxOrigin(int32_t extent, int32_t client, double scale) {
  return ToInt(extent - client / scale + 1);
}

bool ClampOrigin(ViewFrame* f) {
  const bool x = ClampToExtent(&f->originX, MaxOrigin(f->imageWidth, f->clientWidth, f->scale));
  const bool y = ClampToExtent(&f->originY, MaxOrigin(f->imageHeight, f->clientHeight, f->scale));
  return x || y;
}

void CentreOnSelection(ViewFrame* f, const RECT& s) {
  f->originX = (s.right - s.left + 1) / 2 + s.left - ToInt(f->clientWidth / f->scale * 0.5);
  f->originY = (s.bottom - s.top + 1) / 2 + s.top - ToInt(f->clientHeight / f->scale * 0.5);
  ClampOrigin(f);
}

void KeepPointUnderCursor(ViewFrame* f, POINT imagePoint, POINT clientPoint) {
  f->originX = imagePoint.x - ToInt(clientPoint.x / f->scale);
  f->originY = imagePoint.y - ToInt(clientPoint.y / f->scale);
  ClampOrigin(f);
}

void ComputeViewRects(ViewFrame* f) {
  if (!HasImage(*f)) {
    f->rcDest = RECT{0, 0, 0, 0};
    f->rcSource = RECT{0, 0, 0, 0};
    return;
  }
  const int32_t vw = ClampInt(ToInt(f->clientWidth / f->scale) + 1, 0,
                              std::max(f->imageWidth - f->originX, 0));
  const int32_t vh = ClampInt(ToInt(f->clientHeight / f->scale) + 1, 0,
                              std::max(f->imageHeight - f->originY, 0));
  const int32_t sy = f->imageHeight - f->originY - vh;
  const int32_t pw = ToInt(vw * f->scale);
  const int32_t ph = ToInt(vh * f->scale);
  const int32_t cx = (f->clientWidth - pw) / 2;
  const int32_t cy = (f->clientHeight - ph) / 2;
  const int32_t left = cx > 0 && f->originX == 0 ? cx : 0;
  const int32_t top = cy > 0 && sy == 0 ? cy : 0;
  f->rcDest = RECT{left, top, left + pw, top + ph};
  f->rcSource = RECT{f->originX, sy, f->originX + vw, sy + vh};
}

int32_t ViewToImage(const ViewFrame& f, int32_t value, bool horizontal, bool clamp,
                    bool rounding) {
  if (!HasImage(f)) return -1;
  const int32_t edge = horizontal ? f.rcDest.left : f.rcDest.top;
  const int32_t origin = horizontal ? f.originX : f.originY;
  int32_t result = origin + ToInt((double(value) - edge) / f.scale + (rounding ? 0.5 : 0.0));
  if (clamp) ClampToExtent(&result, horizontal ? f.imageWidth : f.imageHeight);
  return result;
}

int32_t ImageToView(const ViewFrame& f, int32_t value, bool horizontal) {
  const int32_t edge = horizontal ? f.rcDest.left : f.rcDest.top;
  const int32_t origin = horizontal ? f.originX : f.originY;
  return ToInt((double(value) - origin) * f.scale + edge);
}

GuideLines GuidePositions(const ViewFrame& f, const RECT& s) {
  GuideLines g;
  const int32_t whole = int32_t(f.scale);
  const int32_t left = ImageToView(f, s.left, true);
  const int32_t top = ImageToView(f, s.top, false);
  g.left = left == 0 ? 0 : left - 1;
  g.top = top == 0 ? 0 : top - 1;
  g.right = ImageToView(f, s.right, true) + whole;
  g.bottom = ImageToView(f, s.bottom, false) + whole;
  if (g.right == f.clientWidth) --g.right;
  if (g.bottom == f.clientHeight) --g.bottom;
  return g;
}

namespace {

// The single edge of mask (all four when mask is 0) nearest the cursor; on
// equal distances left wins over top, top over right, right over bottom.
int NearestEdge(const int32_t distance[4], int mask) {
  int best = -1;
  for (int i = 0; i < 4; ++i) {
    if (mask && !(mask & (1 << i))) continue;
    if (best < 0 || distance[i] < distance[best]) best = i;
  }
  return 1 << best;
}

bool HasOppositeEdges(int mask) {
  return ((mask & kEdgeLeft) && (mask & kEdgeRight)) || ((mask & kEdgeTop) && (mask & kEdgeBottom));
}

}  // namespace

int HitTestSelection(const ViewFrame& f, const RECT& s, int32_t x, int32_t y, bool shift) {
  if (!HasImage(f) || x < 0 || y < 0 || x >= f.clientWidth || y >= f.clientHeight) return -1;
  const int32_t whole = int32_t(f.scale);
  const int32_t distance[4] = {
      std::abs(x + 1 - ImageToView(f, s.left, true)),
      std::abs(y + 1 - ImageToView(f, s.top, false)),
      std::abs(x - (ImageToView(f, s.right, true) + whole)),
      std::abs(y - (ImageToView(f, s.bottom, false) + whole)),
  };
  int mask = 0;
  for (int i = 0; i < 4; ++i)
    if (distance[i] < 5) mask |= 1 << i;
  if (mask == 0 && shift) mask = NearestEdge(distance, 0);
  if (HasOppositeEdges(mask)) mask = NearestEdge(distance, mask);
  if (mask) return mask;
  const RECT& d = f.rcDest;
  return x >= d.left && x < d.right && y >= d.top && y < d.bottom ? 0 : -1;
}

namespace {

// One axis of an edge drag: low and high are the inclusive edges, g the grid
// point the cursor is on.
int DragAxis(LONG* low, LONG* high, int lowBit, int highBit, int mask, int32_t g) {
  if (mask & lowBit) {
    if (g == *high + 1) {
      *low = *high;
    } else if (g > *high + 1) {
      *low = *high + 1;
      *high = g - 1;
      mask = (mask & ~lowBit) | highBit;
    } else {
      *low = g;
    }
  } else if (mask & highBit) {
    if (g - 1 == *low - 1) {
      *high = *low;
    } else if (g - 1 < *low - 1) {
      *high = *low - 1;
      *low = g;
      mask = (mask & ~highBit) | lowBit;
    } else {
      *high = g - 1;
    }
  }
  return mask;
}

void ClampEdge(LONG* edge, int32_t extent) {
  int32_t v = *edge;
  ClampToExtent(&v, extent - 1);
  *edge = v;
}

}  // namespace

int DragSelectionEdges(RECT* s, int mask, int32_t x, int32_t y, int32_t width, int32_t height) {
  mask = DragAxis(&s->left, &s->right, kEdgeLeft, kEdgeRight, mask, x);
  mask = DragAxis(&s->top, &s->bottom, kEdgeTop, kEdgeBottom, mask, y);
  ClampEdge(&s->left, width);
  ClampEdge(&s->right, width);
  ClampEdge(&s->top, height);
  ClampEdge(&s->bottom, height);
  return mask;
}

void MoveSelectionTo(RECT* s, int32_t x, int32_t y, POINT offset, int32_t spanX, int32_t spanY,
                     int32_t width, int32_t height) {
  int32_t left = x - offset.x;
  int32_t top = y - offset.y;
  ClampToExtent(&left, width - spanX - 1);
  ClampToExtent(&top, height - spanY - 1);
  *s = RECT{left, top, left + spanX, top + spanY};
  ClampEdge(&s->right, width);
  ClampEdge(&s->bottom, height);
}

bool SelectionFromPoints(POINT anchor, POINT end, RECT* selection) {
  if (end.x == anchor.x || end.y == anchor.y) return false;
  *selection = RECT{std::min(anchor.x, end.x), std::min(anchor.y, end.y),
                    std::max(anchor.x, end.x) - 1, std::max(anchor.y, end.y) - 1};
  return true;
}

RECT RubberBandRect(const ViewFrame& f, POINT a, POINT c) {
  RECT r{ImageToView(f, std::min(a.x, c.x), true) - 1, ImageToView(f, std::min(a.y, c.y), false) - 1,
         ImageToView(f, std::max(a.x, c.x), true) + 1,
         ImageToView(f, std::max(a.y, c.y), false) + 1};
  r.left = ClampInt(r.left, 0, f.clientWidth);
  r.right = ClampInt(r.right, 0, f.clientWidth);
  r.top = ClampInt(r.top, 0, f.clientHeight);
  r.bottom = ClampInt(r.bottom, 0, f.clientHeight);
  return r;
}

POINT AutoScrollDelta(const ViewFrame& f, int32_t x, int32_t y, bool shift) {
  const int32_t step = ToInt(4 / f.scale + 0.9) * (shift ? 10 : 1);
  POINT d{0, 0};
  if (x < 0) d.x = -step;
  else if (x >= f.clientWidth) d.x = step;
  if (y < 0) d.y = -step;
  else if (y >= f.clientHeight) d.y = step;
  return d;
}

POINT PanStep(PanReference* r, int32_t x, int32_t y, double scale) {
  const POINT d{ToInt((r->x - x) / scale), ToInt((r->y - y) / scale)};
  r->x -= d.x * scale;
  r->y -= d.y * scale;
  return d;
}

void AddPanSample(PanHistory* h, int32_t x, int32_t y, uint32_t tick) {
  for (int i = std::min(h->count, kPanSamples - 1); i > 0; --i) h->samples[i] = h->samples[i - 1];
  h->samples[0] = PanSample{x, y, tick};
  h->count = std::min(h->count + 1, kPanSamples);
}

bool StartFling(PanHistory* h, int32_t x, int32_t y, uint32_t tick, double scale,
                FlingState* fling) {
  AddPanSample(h, x, y, tick);
  *fling = FlingState{};
  double dx = 0, dy = 0, elapsed = 0;
  for (int k = 0; k + 1 < h->count; ++k) {
    const PanSample& a = h->samples[k];
    const PanSample& b = h->samples[k + 1];
    const double w = 8.0 / (k + 1);
    const uint32_t span = a.tick - b.tick;
    if (k > 0 && h->samples[0].tick - h->samples[1].tick > 10) break;
    dx += -(double(a.x) - b.x) * w / scale;
    dy += -(double(a.y) - b.y) * w / scale;
    elapsed += span;
  }
  h->count = 0;
  if (elapsed <= 0) return false;
  fling->vx = std::clamp(dx * 20 / elapsed, -kMaxFlingSpeed, kMaxFlingSpeed);
  fling->vy = std::clamp(dy * 20 / elapsed, -kMaxFlingSpeed, kMaxFlingSpeed);
  return std::fabs(fling->vx) >= 0.01 || std::fabs(fling->vy) >= 0.01;
}

bool FlingTick(FlingState* fling, double scale, POINT* delta) {
  *delta = POINT{0, 0};
  if (!std::isfinite(fling->vx) || !std::isfinite(fling->vy) ||
      (std::fabs(fling->vx) < 0.01 && std::fabs(fling->vy) < 0.01))
    return false;
  const double tx = fling->vx + fling->carryX;
  const double ty = fling->vy + fling->carryY;
  delta->x = ToInt(tx);
  delta->y = ToInt(ty);
  fling->carryX = tx - delta->x;
  fling->carryY = ty - delta->y;
  double q = scale / 4;
  if (q < 1) q *= 2;
  fling->vx /= 1 + 0.1 / q;
  fling->vy /= 1 + 0.1 / q;
  return true;
}

int FitZoomIndex(int32_t clientWidth, int32_t clientHeight, int32_t selectionWidth,
                 int32_t selectionHeight) {
  const double percent = 100.0 * std::min(double(clientWidth) / std::max(selectionWidth, 1),
                                          double(clientHeight) / std::max(selectionHeight, 1));
  int index = 0;
  for (int i = 0; i < kZoomSteps; ++i)
    if (kZoomPercent[i] <= percent) index = i;
  return index;
}

bool ComputeNavigator(int32_t imageWidth, int32_t imageHeight, int32_t screenWidth,
                      NavigatorGeometry* nav) {
  if (imageWidth <= 0 || imageHeight <= 0 || screenWidth <= 0) return false;
  nav->m = std::max(imageWidth, imageHeight) / (screenWidth / 6.0);
  nav->width = std::max(ToInt(imageWidth / nav->m + 0.5), 1);
  nav->height = std::max(ToInt(imageHeight / nav->m + 0.5), 1);
  return true;
}

POINT NavigatorCentre(const ViewFrame& f, const NavigatorGeometry& nav) {
  return POINT{ToInt((f.clientWidth / f.scale / 2 + f.originX + 0.5) / nav.m),
               ToInt((f.clientHeight / f.scale / 2 + f.originY + 0.5) / nav.m)};
}

RECT NavigatorFrame(const ViewFrame& f, const NavigatorGeometry& nav, POINT at) {
  const int32_t w = std::max(ToInt(f.clientWidth / f.scale / nav.m), 1);
  const int32_t h = std::max(ToInt(f.clientHeight / f.scale / nav.m), 1);
  int32_t left = at.x - w / 2;
  int32_t top = at.y - h / 2;
  ClampToExtent(&left, nav.width - w);
  ClampToExtent(&top, nav.height - h);
  return RECT{left, top, left + w, top + h};
}

POINT OriginFromNavigatorFrame(const RECT& frame, const NavigatorGeometry& nav) {
  return POINT{ToInt(frame.left * nav.m + 0.99999), ToInt(frame.top * nav.m + 0.99999)};
}
