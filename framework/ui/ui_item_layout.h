#pragma once
// The measuring and placing maths of UI items, apart from any window: how
// big an item is from the sizes of its parts, where the parts go inside it,
// and how its command's state bits look.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

// The measured parts of an item; -1 while a class hook has not set a part.
struct ItemParts {
  int32_t imageWidth, imageHeight;
  int32_t partWidth, partHeight;        // class part: palette grid, slider track
  int32_t textWidth, textHeight;        // label (text variant 0)
  int32_t shortcutWidth, shortcutHeight;
  int32_t arrowWidth, minHeight;
};

struct ItemSize {
  int32_t width;
  int32_t height;
  int32_t imageColumn;  // the scaled image width
};

// Scales the image by dpi / 96, widens and heightens the label by its
// factors (a label height below 16 becomes 16), and sums the parts with the
// padding unit between them.
ItemSize FinishItemLayout(ItemParts* parts, int dpi, int unit, float widthFactor,
                          float heightFactor);

struct ItemPartRects {
  RECT image, text, part, shortcut;
};

// Where the parts go in `rect`: centred across, one after the other along.
// `offset` moves the contents (the pressed look); `centred` centres them in
// a wider item outside popups; inside popups the label starts at the
// popup's image column and the shortcut ends before the arrow part.
ItemPartRects LayoutItemParts(const ItemParts& parts, int itemWidth, const RECT& rect, int offset,
                              bool centred, bool inPopup, int popupImageColumn, bool stretch,
                              int unit);

// How a command's state bits look.
struct ItemDrawState {
  int background;   // kind of DrawItemBackground
  int textKind;     // 0 disabled, 1 normal, 2 highlighted
  bool centred;
  bool bold;
  int pressOffset;  // the contents move one pixel while pressed
};
ItemDrawState ItemDrawStateOf(uint32_t commandFlags, bool inPopup);
