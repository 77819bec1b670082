#pragma once
// The stored placement of a window ("(ORV)Win") and state of a dock bar
// ("(ORV)Bar"), and the rules that turn what is read back into something
// that can be shown: files may be short, edited or from another screen.
#include <cstddef>
#include <cstdint>

#include "framework/draw/monitor_geometry.h"

#pragma pack(push, 1)
struct WindowPlacementRecord {
  int16_t x;
  int16_t y;
  uint16_t width;
  uint16_t height;
  uint32_t flags;
  uint16_t wTransparency;  // percent in the low byte, 0x1000 when ghost
  uint16_t wReserved;
};
struct BarStateRecord {
  int16_t x;
  int16_t y;
  uint16_t length;
  uint16_t thickness;
  uint16_t frameId;
  uint16_t side;  // 0-3, 255 floating
  uint16_t row;
  uint16_t flags;
};
#pragma pack(pop)
static_assert(sizeof(WindowPlacementRecord) == 16, "(ORV)Win is 16 bytes");
static_assert(sizeof(BarStateRecord) == 16, "(ORV)Bar is 16 bytes");
static_assert(offsetof(WindowPlacementRecord, flags) == 8, "flags at 8");
static_assert(offsetof(WindowPlacementRecord, wTransparency) == 12, "transparency at 12");
static_assert(offsetof(BarStateRecord, frameId) == 8 && offsetof(BarStateRecord, flags) == 14,
              "bar record layout");

constexpr uint16_t kGhostBit = 0x1000;

struct WindowPlacement {
  int32_t iX, iY, iWidth, iHeight;
  uint32_t ulFlags;
  int32_t iTransparency;  // 0-90 in tens
  bool bGhost;
};

// Width and height two thirds of the monitor, centred and stepped by 40 per
// window id; then, for given and default values alike, x and y are taken
// modulo the free room on the monitor. Zero fields ask for the default.
void ApplyPlacementDefaults(const RECT& monitor, uint16_t id, WindowPlacement* placement);

// Transparency as stored: 0-90, rounded down to tens.
int ClampTransparency(int percent);

// Lays a record of `size` bytes read from disk over the placement. Returns
// false (placement unchanged) for a record under 16 bytes. Only the user's
// flag bits come from the record; a zero width or height keeps the default
// size; a rectangle on no monitor moves onto the nearest one.
bool ApplyPlacementRecord(const uint8_t* bytes, int size, const MonitorLayout& monitors,
                          WindowPlacement* placement);
WindowPlacementRecord MakePlacementRecord(const WindowPlacement& placement);

// Moves a rectangle that overlaps no monitor wholly onto the nearest one,
// capped to its size. True when it moved.
bool FitRectOnMonitors(const MonitorLayout& monitors, RECT* rect);
// Moves a rectangle wholly onto the monitor nearest its centre, capped to
// its size. True when it moved.
bool KeepRectOnMonitor(const MonitorLayout& monitors, RECT* rect);

struct BarState {
  int32_t iX, iY, iLength, iThickness;
  uint16_t wFrameId;
  int32_t iSide;  // 0-3, or 255 floating
  int32_t iRow;
  uint16_t wFlags;
};

// Lays a bar's record over the caller's defaults. A short record, a side
// outside 0-3 and 255 or another frame's record keep the defaults (false).
// The row is kept to 0..15, a zero length or thickness keeps the default,
// and a floating bar on no monitor moves onto the nearest one.
bool ApplyBarRecord(const uint8_t* bytes, int size, const MonitorLayout& monitors,
                    BarState* state);
BarStateRecord MakeBarRecord(const BarState& state);
