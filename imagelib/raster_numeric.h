#pragma once
// Conversions from floating point that never leave their range: limited
// first, then cast; NaN counts as 0.
#include <cmath>
#include <cstdint>

#include "imagelib/raster_wintypes.h"

inline double LimitValue(double value, double low, double high) {
  if (!(value == value)) value = 0;  // NaN
  return value < low ? low : value > high ? high : value;
}

inline int32_t LimitToInt32(double value, int32_t low, int32_t high) {
  return int32_t(LimitValue(value, low, high));
}

// A channel: limited to 0..255 and truncated.
inline BYTE ChannelFromDouble(double value) { return BYTE(LimitValue(value, 0, 255)); }

// Positions beyond this count as outside any image.
constexpr double kMaxPosition = 1073741824.0;  // 2^30

inline bool UsablePosition(double v) { return v >= -kMaxPosition && v <= kMaxPosition; }
