#pragma once
// The values that the bars' value items edit. The program owns them; the
// brush size, the colours and the palette start from the draw bar's values
// and the zoom slider at the zoom index when the commands are registered.
#include "framework/ui/value_items_win.h"

struct ProgramItemValues {
  RangeValue brushSize;   // 3250, 1-128
  ColorValue brushColor;  // 3260
  ColorValue backColor;   // 3270, flag 0 while the background is transparent
  PaletteValue palette;   // 3280
  RangeValue zoom;        // 3630, the zoom index 0-11
};
extern ProgramItemValues gProgramItemValues;

// The value record of a value item's command, or null for other ids.
void* ProgramItemValue(uint16_t id);
