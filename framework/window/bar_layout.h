#pragma once
// Where a dock bar puts its items, on plain records: one line along a
// docked bar with an overflow menu for what does not fit, or wrapped lines
// on a floating bar. The Windows half measures the items and moves them.
#include <cstdint>

#include "framework/ui/command_table.h"
#include "framework/window/window_flags.h"

constexpr int32_t kBarMargin = 2;

struct BarItem {
  uint16_t wId;
  uint32_t ulCommandFlags;
  bool bSeparator;
  int32_t iWidth, iHeight;  // measured for the bar's orientation
  // Results.
  int32_t iX, iY, iCx, iCy;
  bool bShown;
};

struct BarItemsArea {
  int orientation;      // 0 horizontal, 1 vertical, 2 floating
  int32_t itemsStart;   // docked: where the items begin along the bar (after the gripper)
  int32_t length;       // docked: the bar's length; floating: the client width
  int32_t thickness;    // docked: across; floating: the client height
  int32_t gap;          // between items
};

struct BarItemsResult {
  int32_t naturalLength;  // docked: what every item needs; floating: widest line + 2
  int32_t minLength;      // docked: what the items that cannot overflow need
  int32_t thickness;      // floating: the lines' total height + 3
  int overflowCount;      // ids written to the overflow list
  bool overflowShown;
};

// Lays out `count` items, the last of which is the overflow menu. The
// overflow list needs room for count entries plus the end mark 0xFFFF.
void LayoutBarItems(BarItem* items, int count, const BarItemsArea& area, uint16_t* overflowIds,
                    BarItemsResult* result);

// The thickness the items need across the bar: the largest extent across
// plus 1 (20 without items), plus 4.
int32_t RequiredBarThickness(const BarItem* items, int count, int orientation);
