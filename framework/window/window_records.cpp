// Placement and bar-state rules: defaults, clamping, monitor fitting.
#include "framework/window/window_records.h"

#include <cstring>

#include "framework/window/window_flags.h"

namespace {

// Keeps a coordinate inside the free room [0, room); without room (a window
// as large as its monitor) it takes the monitor's own edge.
int32_t WrapIntoRoom(int32_t value, int32_t room, int32_t edge) {
  if (room <= 0) return edge;
  int32_t wrapped = value % room;
  return wrapped < 0 ? wrapped + room : wrapped;
}

bool Overlaps(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

void ApplyPlacementDefaults(const RECT& monitor, uint16_t id, WindowPlacement* p) {
  int32_t monitorWidth = monitor.right - monitor.left;
  int32_t monitorHeight = monitor.bottom - monitor.top;
  if (p->iWidth <= 0) p->iWidth = monitorWidth * 2 / 3;
  if (p->iHeight <= 0) p->iHeight = monitorHeight * 2 / 3;
  if (p->iX == 0) p->iX = (monitorWidth - p->iWidth) / 2 + 40 * id;
  if (p->iY == 0) p->iY = (monitorHeight - p->iHeight) / 2 + 40 * id;
  p->iX = WrapIntoRoom(p->iX, monitor.right - p->iWidth, monitor.left);
  p->iY = WrapIntoRoom(p->iY, monitor.bottom - p->iHeight, monitor.top);
}

int ClampTransparency(int percent) {
  if (percent < 0) return 0;
  if (percent > 90) return 90;
  return percent / 10 * 10;
}

bool KeepRectOnMonitor(const MonitorLayout& monitors, RECT* rect) {
  if (monitors.iCount <= 0) return false;
  int64_t centreX = (int64_t(rect->left) + rect->right) / 2;
  int64_t centreY = (int64_t(rect->top) + rect->bottom) / 2;
  const RECT& target = monitors.rcMonitor[FindMonitorIndex(monitors, int(centreX), int(centreY))];
  int32_t width = rect->right - rect->left, height = rect->bottom - rect->top;
  if (width > target.right - target.left) width = target.right - target.left;
  if (height > target.bottom - target.top) height = target.bottom - target.top;
  int32_t left = rect->left, top = rect->top;
  if (left + width > target.right) left = target.right - width;
  if (left < target.left) left = target.left;
  if (top + height > target.bottom) top = target.bottom - height;
  if (top < target.top) top = target.top;
  RECT moved = {left, top, left + width, top + height};
  bool changed = moved.left != rect->left || moved.top != rect->top ||
                 moved.right != rect->right || moved.bottom != rect->bottom;
  *rect = moved;
  return changed;
}

bool FitRectOnMonitors(const MonitorLayout& monitors, RECT* rect) {
  if (monitors.iCount <= 0) return false;
  for (int i = 0; i < monitors.iCount && i < kMaxMonitors; ++i)
    if (Overlaps(*rect, monitors.rcMonitor[i])) return false;
  KeepRectOnMonitor(monitors, rect);
  return true;
}

bool ApplyPlacementRecord(const uint8_t* bytes, int size, const MonitorLayout& monitors,
                          WindowPlacement* p) {
  // A short record is what is left of an interrupted or foreign write:
  // taking part of it would mix two placements.
  if (!bytes || size < int(sizeof(WindowPlacementRecord))) return false;
  WindowPlacementRecord record;
  memcpy(&record, bytes, sizeof(record));
  if (record.width && record.height) {
    p->iX = record.x;
    p->iY = record.y;
    p->iWidth = record.width;
    p->iHeight = record.height;
  }
  p->ulFlags = (p->ulFlags & ~kWindowUserBits) | (record.flags & kWindowUserBits);
  p->iTransparency = ClampTransparency(record.wTransparency & 0xFF);
  p->bGhost = (record.wTransparency & kGhostBit) != 0;
  RECT rect = {p->iX, p->iY, p->iX + p->iWidth, p->iY + p->iHeight};
  if (FitRectOnMonitors(monitors, &rect)) {
    p->iX = rect.left;
    p->iY = rect.top;
    p->iWidth = rect.right - rect.left;
    p->iHeight = rect.bottom - rect.top;
  }
  return true;
}

WindowPlacementRecord MakePlacementRecord(const WindowPlacement& p) {
  WindowPlacementRecord record = {};
  record.x = int16_t(p.iX);
  record.y = int16_t(p.iY);
  record.width = uint16_t(p.iWidth);
  record.height = uint16_t(p.iHeight);
  record.flags = p.ulFlags;
  record.wTransparency = uint16_t((ClampTransparency(p.iTransparency) & 0xFF) |
                                  (p.bGhost ? kGhostBit : 0));
  return record;
}

bool ApplyBarRecord(const uint8_t* bytes, int size, const MonitorLayout& monitors,
                    BarState* state) {
  if (!bytes || size < int(sizeof(BarStateRecord))) return false;
  BarStateRecord record;
  memcpy(&record, bytes, sizeof(record));
  if ((record.side > 3 && record.side != kBarFloating) || record.frameId != state->wFrameId)
    return false;
  state->iX = record.x;
  state->iY = record.y;
  if (record.length) state->iLength = record.length;
  if (record.thickness) state->iThickness = record.thickness;
  state->iSide = record.side;
  state->iRow = record.row < kMaxBayRows ? record.row : kMaxBayRows - 1;
  state->wFlags = uint16_t((state->wFlags & ~kBarUserBits) | (record.flags & kBarUserBits));
  if (state->iSide == kBarFloating) {
    RECT rect = {state->iX, state->iY, state->iX + state->iLength, state->iY + state->iThickness};
    if (FitRectOnMonitors(monitors, &rect)) {
      state->iX = rect.left;
      state->iY = rect.top;
    }
  }
  return true;
}

BarStateRecord MakeBarRecord(const BarState& state) {
  BarStateRecord record = {};
  record.x = int16_t(state.iX);
  record.y = int16_t(state.iY);
  record.length = uint16_t(state.iLength);
  record.thickness = uint16_t(state.iThickness);
  record.frameId = state.wFrameId;
  record.side = uint16_t(state.iSide);
  record.row = uint16_t(state.iRow);
  record.flags = state.wFlags;
  return record;
}
