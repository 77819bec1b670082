#pragma once
// The font, icon and colour cache of the framework: one instance, owned by
// the application object, made at its construction and freed at its end.
// Fonts are kept per list and DPI until exit; texts are measured in the
// cache's own memory context. User interface thread only.
#include <windows.h>

#include <cstdint>

#include "framework/app/grow_array.h"
#include "framework/draw/theme_table.h"

// The seven font lists.
enum : int {
  kFontDialog = 0,
  kFontDialogBold = 1,
  kFontDialogVertical = 2,
  kFontFixed = 3,  // "Courier New"
  kFontUI = 4,
  kFontUIBold = 5,
  kFontUIVertical = 6,
  kFontListCount = 7,
};

constexpr int kStatusTextMissing = 61448;
constexpr int kDefaultUISize = 12;  // pixels at 96 DPI

struct FontEntry {
  UINT key;  // the DPI
  char szFace[260];
  int size;  // pixels at 96 DPI
  int weight;
  int orientation;  // tenths of a degree; -900 writes top to bottom
  int pitch;
  HFONT font;
  int lineHeight;  // height of "Ag"
  int spaceWidth;  // width of " ", the framework's padding unit
};

// An image of the icon list; owner-drawn entries (flag 0x4000) have no icons
// and are painted by the application's first window.
struct IconEntry {
  uint16_t key;
  intptr_t source;  // resource id, or for owner-drawn entries a pointer to a width and height
  uint32_t flags;
  HICON normal;
  HICON disabled;
  uint16_t width;
  uint16_t height;
};

class CFontCache {
 public:
  CFontCache() = default;
  ~CFontCache() { Free(); }
  CFontCache(const CFontCache&) = delete;
  CFontCache& operator=(const CFontCache&) = delete;
  void Free();

  CGrowArray<FontEntry> fonts[kFontListCount];
  HDC measureDC = nullptr;
  HBITMAP scratch = nullptr;       // 16 x 16 32-bit top-down DIB section
  uint32_t* scratchBits = nullptr;
  HGDIOBJ replaced = nullptr;      // what the scratch bitmap replaced in measureDC
  COLORREF colors[kThemeColorCount] = {};
  CGrowArray<IconEntry> icons;     // sorted by key

  // Text settings and the theme state.
  char dialogFace[260] = "MS Shell Dlg";
  char uiFace[260] = {};
  int uiSize = kDefaultUISize;
  int scheme = kSchemeNone;  // the scheme in use (never 255)
  bool visualStyle = false;
  ThemeBase base = {};
  ThemeRoles roles = {};
};

CFontCache& FontCache();

// The GDI objects and icons the drawing kit holds: cached fonts, icon
// handles and surfaces not given back. Steady while the program runs; a
// leak shows.
int CountDrawKitObjects();

// The measuring context with its scratch surface, made on first use.
HDC GetMeasureDC();

int InitDialogFont();
int CreateAppFonts(const char* face, int size, int dpi);
int AddFont(int list, const char* face, int size, int weight, int orientation, int dpi,
            int pitch);
HFONT GetAppFont(int list, int dpi);
int GetSpaceWidth(int dpi);
int GetLineHeight(int dpi);
// 0, or 61448 (and 0 x 0) when the text is missing.
int MeasureText(const char* text, HFONT font, int* width, int* height);
int MeasureItemText(const char* text, bool bold, int dpi, int* width, int* height);

// Theme colours: LoadThemeColors fills the table from the system and the
// application state's scheme and custom colours.
int LoadThemeColors();
COLORREF GetThemeColor(int index);
