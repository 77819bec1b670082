#pragma once
// The maths of the value items' own drags: the slider's thumb, the brush
// size's vertical drag and the palette's cells.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

int32_t LimitToRange(int64_t value, int32_t minimum, int32_t maximum);

// Pixels per value step of a slider track; 1 for an empty range. Fractional,
// so a range wider than the track still has a step.
double SliderStep(int partWidth, int partHeight, int32_t minimum, int32_t maximum);
// Left edge of the thumb for a value.
int SliderThumbLeft(int partLeft, int32_t value, int32_t minimum, double step);
// The value under the mouse while dragging the thumb, limited to the range.
int32_t SliderDragValue(int mouseX, int partLeft, int partHeight, double step, int32_t minimum,
                        int32_t maximum);

// Five pixels of vertical drag per step: up raises the value.
int32_t BrushDragValue(int32_t startValue, int startY, int cursorY, int32_t minimum,
                       int32_t maximum);

constexpr int kPaletteCells = 16;
// The 16 cells of a palette grid (8 x 2, or 2 x 8 when tall), each one pixel
// larger than its fractional size so that no seam stays between cells.
void LayoutPaletteCells(const RECT& grid, bool tall, RECT cells[kPaletteCells]);
// The cell holding the point (the first of overlapping edges), or -1.
int PaletteCellAt(const RECT cells[kPaletteCells], int x, int y);
