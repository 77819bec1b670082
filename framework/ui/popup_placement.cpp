#include "framework/ui/popup_placement.h"

#include <algorithm>

POINT PlacePopup(const RECT& anchor, int width, int height, bool beside, const RECT& monitor,
                 const RECT& workArea) {
  POINT at;
  if (beside) {
    at = {anchor.right - 2, anchor.top - 2};
    if (at.x + width > monitor.right) at.x = anchor.left - width;
    if (at.y + height > monitor.bottom) at.y = anchor.bottom - height;
  } else {
    at = {anchor.left, anchor.bottom};
    if (at.x + width > monitor.right) at.x = anchor.right - width;
    if (at.y + height > monitor.bottom) at.y = anchor.top - height;
  }
  // A flip can still leave the screen (a popup taller than the room above
  // its entry): keep it in the work area, its top-left corner first.
  at.x = std::max<LONG>(workArea.left, std::min<LONG>(at.x, workArea.right - width));
  at.y = std::max<LONG>(workArea.top, std::min<LONG>(at.y, workArea.bottom - height));
  return at;
}

int PopupImageColumn(const PopupEntrySize* entries, int count) {
  if (count <= 0) return 4;
  int column = entries[0].height;
  for (int i = 0; i < count; ++i) column = std::max(column, entries[i].imageColumn);
  return column + 4;
}

int PopupContentWidth(const PopupEntrySize* entries, int count, int column) {
  int width = 0;
  for (int i = 0; i < count; ++i)
    width = std::max(width, entries[i].width + (column - entries[i].imageColumn));
  return width;
}
