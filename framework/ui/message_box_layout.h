#pragma once
// The message box's decisions apart from any window: which buttons a style
// shows, which is the default, what Escape means, how the text splits into
// lines and where heading, text and buttons go.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

constexpr int kBoxButtonIds[4] = {1, 2, 6, 7};  // OK, Cancel, Yes, No

bool BoxShowsButton(unsigned style, int button);
int BoxButtonCount(unsigned style);
int BoxDefaultButton(unsigned style);
// What Escape and the close box give: 1 for an OK-only box, 2 for sets with
// Cancel, 0 (ignored) for Yes/No.
int BoxEscapeResult(unsigned style);
bool BoxHasCloseBox(unsigned style);

// Makes the shown text: carriage returns dropped, at most 2,047 characters.
// Returns the number of lines (split at line feeds).
constexpr int kBoxTextChars = 2047;
int PrepareBoxText(const char* text, char* out, int outSize);
// Start of line `index` in a prepared text (lines end at '\n' or the end).
const char* BoxLine(const char* text, int index, int* length);

// The text's width: the widest line plus 8, at most `maxWidth`.
int BoxTextWidth(const int* lineWidths, int count, int maxWidth);

// Where things were in the dialog template, in client pixels.
struct BoxTemplate {
  RECT icon;
  int textLeft;
  int headingTop;
  int buttonWidth;
  int buttonHeight;
  int buttonTop;      // the OK button's own top
  int bottomMargin;   // below the buttons
};

struct BoxLayout {
  RECT heading;
  RECT text;           // empty when the text control goes
  bool hasText;
  int buttonTop;
  int buttonsLeft;
  int gap;
  int clientWidth;
  int clientHeight;
  bool scrolling;      // the text is taller than the room: a scrolling field
};

// lineHeights: each line wrapped at textWidth (line 0 is the heading).
// maxClientHeight: the room the work area leaves for the client area.
BoxLayout LayoutMessageBox(const BoxTemplate& t, const int* lineHeights, int lineCount,
                           int textWidth, int buttonCount, int maxClientHeight);
