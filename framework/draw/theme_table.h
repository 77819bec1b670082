#pragma once
// The framework's theme colour table: 59 colours derived from a few base
// colours of the system and the chosen colour scheme. Pure computation; the
// Windows half (theme_colors_win) reads the system colours and keeps the table.
#include <cstdint>

#include "imagelib/raster_wintypes.h"

constexpr int kThemeColorCount = 59;

// Colour schemes: 0 the system's colours, 1 derived from the caption colour,
// 2 derived from the user's custom colours; 255 means "not chosen yet".
enum : int { kSchemeNone = 0, kSchemeDefault = 1, kSchemeCustom = 2, kSchemeUnset = 255 };

// The custom role colours as stored in the application state.
enum : int {
  kCustomBackground = 0,
  kCustomUnused = 1,
  kCustomFocus = 2,
  kCustomText = 3,
  kCustomHighlightText = 4,
  kCustomRoleCount = 5,
};

// What the table is computed from: the system colours the table copies in
// scheme 0, and the five base colours (captions already mixed with their
// gradient colours).
struct ThemeBase {
  COLORREF face;           // COLOR_BTNFACE
  COLORREF light;          // COLOR_3DLIGHT
  COLORREF highlightEdge;  // COLOR_BTNHIGHLIGHT
  COLORREF shadow;         // COLOR_BTNSHADOW
  COLORREF window;         // COLOR_WINDOW
  COLORREF menu;           // COLOR_MENU
  COLORREF grayText;       // COLOR_GRAYTEXT
  COLORREF activeCaptionSystem;  // COLOR_ACTIVECAPTION as the system reports it
  COLORREF activeCaption;
  COLORREF inactiveCaption;
  COLORREF highlight;
  COLORREF menuText;
  COLORREF highlightText;
};

// The four role colours every scheme hands to the table.
struct ThemeRoles {
  COLORREF background;
  COLORREF focus;
  COLORREF text;
  COLORREF highlightText;
};

// Per channel a + (b - a) x factor, truncated.
COLORREF BlendColor(double factor, COLORREF a, COLORREF b);

// The role colours of a scheme (0, 1 or 2) and, from them, the 59 colours.
// Indexes 7 to 9 have no role and take the face colour.
void ComputeThemeTable(const ThemeBase& base, ThemeRoles* roles, int scheme,
                       const uint32_t custom[kCustomRoleCount], COLORREF table[kThemeColorCount]);
