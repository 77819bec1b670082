#pragma once
// Where a popup menu opens: beside its entry (sub-menus, menu columns) or
// below it (menu bars), flipped to the other side where it would leave the
// monitor, then kept inside the monitor's work area.
#include "imagelib/raster_wintypes.h"

// The popup's top-left corner for its size, the anchor (the entry's screen
// rectangle) and the monitor of the chosen corner.
POINT PlacePopup(const RECT& anchor, int width, int height, bool beside, const RECT& monitor,
                 const RECT& workArea);

// Sizes of the stacked popup: the image column every entry's label starts
// after, and the content width that fits every entry.
struct PopupEntrySize {
  int width;
  int height;
  int imageColumn;
};
int PopupImageColumn(const PopupEntrySize* entries, int count);
int PopupContentWidth(const PopupEntrySize* entries, int count, int column);
