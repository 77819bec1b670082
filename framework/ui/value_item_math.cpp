#include "framework/ui/value_item_math.h"

#include <cmath>

int32_t LimitToRange(int64_t value, int32_t minimum, int32_t maximum) {
  if (value > maximum) value = maximum;
  if (value < minimum) value = minimum;
  return int32_t(value);
}

double SliderStep(int partWidth, int partHeight, int32_t minimum, int32_t maximum) {
  int64_t range = int64_t(maximum) - minimum;
  if (range <= 0) return 1.0;
  return double(partWidth - partHeight) / double(range);
}

int SliderThumbLeft(int partLeft, int32_t value, int32_t minimum, double step) {
  return partLeft + int(std::floor((int64_t(value) - minimum) * step));
}

int32_t SliderDragValue(int mouseX, int partLeft, int partHeight, double step, int32_t minimum,
                        int32_t maximum) {
  if (step <= 0) return minimum;
  double offset = (mouseX - (partLeft + (partHeight - step) / 2)) / step;
  return LimitToRange(int64_t(minimum) + int64_t(std::floor(offset)), minimum, maximum);
}

int32_t BrushDragValue(int32_t startValue, int startY, int cursorY, int32_t minimum,
                       int32_t maximum) {
  int64_t value = int64_t(startValue) + (startY - cursorY) / 5;
  if (value > maximum) value = maximum;
  if (value < minimum) value = minimum;
  return int32_t(value);
}

void LayoutPaletteCells(const RECT& grid, bool tall, RECT cells[kPaletteCells]) {
  int columns = tall ? 2 : 8;
  int rows = tall ? 8 : 2;
  double cellWidth = double(grid.right - grid.left) / columns;
  double cellHeight = double(grid.bottom - grid.top) / rows;
  for (int i = 0; i < kPaletteCells; ++i) {
    int column = i % columns;
    int row = i / columns;
    RECT& cell = cells[i];
    cell.left = grid.left + LONG(column * cellWidth);
    cell.top = grid.top + LONG(row * cellHeight);
    cell.right = grid.left + LONG((column + 1) * cellWidth) + 1;
    cell.bottom = grid.top + LONG((row + 1) * cellHeight) + 1;
  }
}

int PaletteCellAt(const RECT cells[kPaletteCells], int x, int y) {
  for (int i = 0; i < kPaletteCells; ++i)
    if (x >= cells[i].left && x < cells[i].right && y >= cells[i].top && y < cells[i].bottom)
      return i;
  return -1;
}
