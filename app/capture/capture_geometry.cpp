#include "app/capture/capture_geometry.h"

#include <cstdio>
#include <utility>

RECT NormalizeRect(RECT rect) {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  return rect;
}

RECT AreaFromProfile(const int16_t area[4]) {
  return NormalizeRect(RECT{area[0], area[1], area[2], area[3]});
}

bool HasPixels(const RECT& rect) { return rect.right >= rect.left && rect.bottom >= rect.top; }

int64_t RectWidth(const RECT& rect) {
  const int64_t d = int64_t(rect.right) - rect.left;
  return (d < 0 ? -d : d) + 1;
}

int64_t RectHeight(const RECT& rect) {
  const int64_t d = int64_t(rect.bottom) - rect.top;
  return (d < 0 ? -d : d) + 1;
}

RECT BoxAroundPoint(int32_t x, int32_t y, int32_t width, int32_t height) {
  const int32_t w = width - 1, h = height - 1;
  RECT box;
  box.left = x - w / 2;
  box.right = box.left + w;
  box.top = y - h / 2;
  box.bottom = box.top + h;
  return box;
}

bool IntersectInclusive(const RECT& a, const RECT& b, RECT* out) {
  RECT r;
  r.left = a.left > b.left ? a.left : b.left;
  r.top = a.top > b.top ? a.top : b.top;
  r.right = a.right < b.right ? a.right : b.right;
  r.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
  if (!HasPixels(r)) return false;
  *out = r;
  return true;
}

void FormatSizeLabel(const RECT& rect, char* out, int size) {
  snprintf(out, size_t(size), "%lld x %lld", static_cast<long long>(RectWidth(rect)),
           static_cast<long long>(RectHeight(rect)));
}

void SizeLabelBox(int32_t textWidth, int32_t textHeight, int32_t dpi, int32_t* width,
                  int32_t* height) {
  *width = textWidth + dpi * 11 / 96;
  *height = textHeight + dpi / 12;
}

bool IsSizeLabelShown(int showDim, bool shiftDown) {
  return showDim == 1 ? !shiftDown : shiftDown;
}

void LabelCornerOrder(int64_t dx, int64_t dy, int order[4]) {
  static const int kOrders[4][4] = {
      {kLabelRightBelow, kLabelRightAbove, kLabelLeftBelow, kLabelLeftAbove},  // right, down
      {kLabelRightAbove, kLabelRightBelow, kLabelLeftAbove, kLabelLeftBelow},  // right, up
      {kLabelLeftAbove, kLabelRightAbove, kLabelLeftBelow, kLabelRightBelow},  // left, up
      {kLabelLeftBelow, kLabelRightBelow, kLabelLeftAbove, kLabelRightAbove},  // left, down
  };
  int row;
  if (dx >= 0) row = dy >= 0 ? 0 : 1;
  else row = dy < 0 ? 2 : 3;
  for (int i = 0; i < 4; ++i) order[i] = kOrders[row][i];
}

namespace {

POINT CornerPosition(int corner, int32_t x, int32_t y, int32_t width, int32_t height) {
  const bool right = corner == kLabelRightBelow || corner == kLabelRightAbove;
  const bool below = corner == kLabelRightBelow || corner == kLabelLeftBelow;
  POINT p;
  p.x = right ? x + kLabelGap : x - kLabelGap - width;
  p.y = below ? y + kLabelGap : y - kLabelGap - height;
  return p;
}

bool StrictlyInside(POINT p, int32_t width, int32_t height, const RECT& monitor) {
  return p.x > monitor.left && p.y > monitor.top && int64_t(p.x) + width < monitor.right &&
         int64_t(p.y) + height < monitor.bottom;
}

}  // namespace

POINT PlaceSizeLabel(int32_t cursorX, int32_t cursorY, int32_t width, int32_t height,
                     int64_t dx, int64_t dy, const RECT& monitor) {
  int order[4];
  LabelCornerOrder(dx, dy, order);
  for (int corner : order) {
    POINT p = CornerPosition(corner, cursorX, cursorY, width, height);
    if (StrictlyInside(p, width, height, monitor)) return p;
  }
  return CornerPosition(order[0], cursorX, cursorY, width, height);
}

// ---- the overlay's rules ----

void StartOverlay(OverlayState* state, int mode) {
  *state = OverlayState{};
  state->mode = mode;
  state->active = true;
}

int OverlayMouseMove(OverlayState* state, int32_t x, int32_t y) {
  if (!state->active) return kOverlayNothing;
  if (state->mode != kOverlayRectangle) return kOverlayPickAt;
  if (!state->dragging) return kOverlayNothing;
  state->rect.right = x;
  state->rect.bottom = y;
  return kOverlayRedraw;
}

int OverlayLeftDown(OverlayState* state, int32_t x, int32_t y) {
  if (!state->active || state->mode != kOverlayRectangle) return kOverlayNothing;
  // The second click of click, move, click.
  if (state->dragging) return OverlayLeftUp(state, x, y);
  state->rect = RECT{x, y, x, y};
  state->haveRect = true;
  state->dragging = true;
  return kOverlayRedraw;
}

int OverlayLeftUp(OverlayState* state, int32_t x, int32_t y) {
  if (!state->active) return kOverlayNothing;
  if (state->mode == kOverlayRectangle) {
    if (!state->dragging) return kOverlayNothing;
    state->rect.right = x;
    state->rect.bottom = y;
    if (state->rect.left == state->rect.right && state->rect.top == state->rect.bottom)
      return kOverlayNothing;
    state->dragging = false;
    state->active = false;
    return kOverlayRedraw;
  }
  // The pick where the button went up, even when no move came before it.
  state->active = false;
  return kOverlayPickAt;
}

int OverlayRightDown(OverlayState* state) {
  if (!state->active) return kOverlayNothing;
  switch (state->mode) {
    case kOverlayRectangle:
      if (state->dragging) {
        OverlayCancel(state);
        return kOverlayNothing;
      }
      state->mode = kOverlayWindow;
      return kOverlayPickAt | kOverlaySetCursor;
    case kOverlayWindow:
      state->mode = kOverlayRectangle;
      state->haveRect = false;
      return kOverlayEraseFrame | kOverlaySetCursor;
  }
  return kOverlayNothing;
}

void OverlayCancel(OverlayState* state) {
  state->cancelled = true;
  state->dragging = false;
  state->active = false;
}

void OverlaySetPick(OverlayState* state, const RECT& rect) {
  state->rect = rect;
  state->haveRect = true;
}
