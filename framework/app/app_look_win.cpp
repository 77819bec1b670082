#include "framework/app/app_look_win.h"

#include <cstdio>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/app/grow_array.h"

namespace {

struct IconEntry {
  uint16_t key;
  int resourceId;
  uint32_t flags;
  HICON icon;
  uint16_t width;
  uint16_t height;
};

char gDialogFace[LF_FACESIZE] = "MS Shell Dlg";
HFONT gUIFont = nullptr;
COLORREF gThemeColors[59];
CGrowArray<IconEntry> gIcons;

}  // namespace

int InitDialogFont() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) &&
      metrics.lfMessageFont.lfFaceName[0])
    snprintf(gDialogFace, sizeof(gDialogFace), "%s", metrics.lfMessageFont.lfFaceName);
  return 0;
}

int CreateAppFonts(const char* face, int size, int dpi) {
  if (!face || !face[0]) {
    face = gDialogFace;
    size = 12;
  }
  if (size <= 0) size = 12;
  LOGFONTA font = {};
  font.lfHeight = -MulDiv(size, dpi, 96);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s", face);
  HFONT created = CreateFontIndirectA(&font);
  if (!created) return 0;  // the stock font stands in
  if (gUIFont) DeleteObject(gUIFont);
  gUIFont = created;
  return 0;
}

HFONT GetUIFont() { return gUIFont ? gUIFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int LoadThemeColors() {
  for (int i = 0; i < 59; ++i) gThemeColors[i] = GetSysColor(COLOR_BTNFACE);
  gThemeColors[1] = GetSysColor(COLOR_3DLIGHT);
  gThemeColors[3] = GetSysColor(COLOR_BTNSHADOW);
  return 0;
}

COLORREF GetThemeColor(int index) {
  return index >= 0 && index < 59 ? gThemeColors[index] : 0;
}

int GetIconIndex(uint16_t key) {
  return FindSortedIndex(gIcons.count, key, [](int32_t i) { return gIcons.data[i].key; });
}

int AddIcon(uint16_t key, int resourceId, uint32_t flags, int size) {
  IconEntry entry = {key, resourceId, flags, nullptr, uint16_t(size), uint16_t(size)};
  if (!(flags & kIconOwnerDrawn)) {
    entry.icon = static_cast<HICON>(LoadImageA(gApp.m_hInstance, MAKEINTRESOURCEA(resourceId),
                                               IMAGE_ICON, size, size, LR_SHARED));
    if (!entry.icon) return 61445;
  }
  int32_t position =
      SortedInsertIndex(gIcons.count, key, [](int32_t i) { return gIcons.data[i].key; });
  return gIcons.Insert(&entry, position, 1) < 0 ? 61445 : 0;
}

HICON GetIconHandle(uint16_t key) {
  int index = GetIconIndex(key);
  return index < 0 ? nullptr : gIcons.data[index].icon;
}

void FreeIcons() { gIcons.RemoveAll(); }  // shared icons belong to the system
