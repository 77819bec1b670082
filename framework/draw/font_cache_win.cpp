// Fonts of the cache: seven lists, each with one font per DPI, measured once.
#include "framework/draw/font_cache_win.h"

#include <cstdio>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/draw/memory_dc_win.h"

namespace {

constexpr int kDialogSize = 12;

struct ListParams {
  int weight;
  int orientation;
  int pitch;
};
const ListParams kLists[kFontListCount] = {
    {FW_NORMAL, 0, DEFAULT_PITCH}, {FW_BOLD, 0, DEFAULT_PITCH}, {FW_NORMAL, -900, DEFAULT_PITCH},
    {FW_NORMAL, 0, FIXED_PITCH},   {FW_NORMAL, 0, DEFAULT_PITCH}, {FW_BOLD, 0, DEFAULT_PITCH},
    {FW_NORMAL, -900, DEFAULT_PITCH},
};

int FindDpi(const CGrowArray<FontEntry>& list, int dpi) {
  for (int i = 0; i < list.count; ++i)
    if (list.data[i].key == UINT(dpi)) return i;
  return -1;
}

void Measure(HFONT font, const char* text, int* width, int* height) {
  HDC dc = GetMeasureDC();
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect = {0, 0, 0, 0};
  DrawTextA(dc, text, -1, &rect, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
  SelectObject(dc, old);
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
}

int DesktopDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

bool AllListsEmpty() {
  for (const CGrowArray<FontEntry>& list : FontCache().fonts)
    if (list.count) return false;
  return true;
}

}  // namespace

CFontCache& FontCache() { return gApp.m_fontCache; }

int CountDrawKitObjects() {
  const CFontCache& cache = FontCache();
  // Surfaces open when nothing paints are surfaces never given back; the
  // few kept for reuse are a cache of fixed size and not counted.
  int count = OpenSurfaceCount();
  for (const CGrowArray<FontEntry>& list : cache.fonts) count += list.count;
  for (int i = 0; i < cache.icons.count; ++i)
    count += (cache.icons.data[i].normal ? 1 : 0) + (cache.icons.data[i].disabled ? 1 : 0);
  return count;
}

void CFontCache::Free() {
  for (CGrowArray<FontEntry>& list : fonts) {
    for (int i = 0; i < list.count; ++i) DeleteObject(list.data[i].font);
    list.RemoveAll();
  }
  for (int i = 0; i < icons.count; ++i) {
    if (icons.data[i].normal) DestroyIcon(icons.data[i].normal);
    if (icons.data[i].disabled) DestroyIcon(icons.data[i].disabled);
  }
  icons.RemoveAll();
  if (measureDC) {
    if (replaced) SelectObject(measureDC, replaced);
    DeleteDC(measureDC);
  }
  if (scratch) DeleteObject(scratch);
  measureDC = nullptr;
  scratch = nullptr;
  scratchBits = nullptr;
  replaced = nullptr;
}

HDC GetMeasureDC() {
  CFontCache& cache = FontCache();
  if (cache.measureDC) return cache.measureDC;
  cache.measureDC = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  cache.scratch = CreateDIBSection(cache.measureDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  cache.scratchBits = static_cast<uint32_t*>(bits);
  if (cache.measureDC && cache.scratch) cache.replaced = SelectObject(cache.measureDC, cache.scratch);
  return cache.measureDC;
}

// The dialog face follows the system's message font when the system reports
// one; the user-interface face starts as the dialog face.
int InitDialogFont() {
  CFontCache& cache = FontCache();
  if (!GetMeasureDC() || !cache.scratch) return kStatusWindowFailed;
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) &&
      metrics.lfMessageFont.lfFaceName[0])
    snprintf(cache.dialogFace, sizeof(cache.dialogFace), "%s", metrics.lfMessageFont.lfFaceName);
  else
    snprintf(cache.dialogFace, sizeof(cache.dialogFace), "%s", "MS Shell Dlg");
  snprintf(cache.uiFace, sizeof(cache.uiFace), "%s", cache.dialogFace);
  return 0;
}

int AddFont(int list, const char* face, int size, int weight, int orientation, int dpi,
            int pitch) {
  if (list < 0 || list >= kFontListCount) return -1;
  CGrowArray<FontEntry>& fonts = FontCache().fonts[list];
  int index = FindDpi(fonts, dpi);
  if (index >= 0) return index;
  FontEntry entry = {};
  entry.key = UINT(dpi);
  snprintf(entry.szFace, sizeof(entry.szFace), "%s", face ? face : "");
  entry.size = size;
  entry.weight = weight;
  entry.orientation = orientation;
  entry.pitch = pitch;
  LOGFONTA font = {};
  font.lfHeight = -MulDiv(size, dpi, 96);
  // The escapement turns the text; a rotated font needs it with the orientation.
  font.lfEscapement = orientation;
  font.lfOrientation = orientation;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfPitchAndFamily = BYTE(pitch);
  snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s", entry.szFace);
  entry.font = CreateFontIndirectA(&font);
  if (!entry.font) return -1;
  int width = 0;
  Measure(entry.font, "Ag", &width, &entry.lineHeight);
  int height = 0;
  Measure(entry.font, " ", &entry.spaceWidth, &height);
  int added = fonts.Append(&entry, 1);
  if (added < 0) DeleteObject(entry.font);
  return added;
}

int CreateAppFonts(const char* face, int size, int dpi) {
  CFontCache& cache = FontCache();
  for (int list = kFontDialog; list <= kFontFixed; ++list) {
    const ListParams& p = kLists[list];
    const char* listFace = list == kFontFixed ? "Courier New" : cache.dialogFace;
    if (AddFont(list, listFace, kDialogSize, p.weight, p.orientation, dpi, p.pitch) < 0)
      return kStatusWindowFailed;
  }
  if (!face || !face[0]) {
    face = cache.dialogFace;
    size = kDefaultUISize;
  }
  // A size the user never chose (the state file's default 0) or a broken one.
  if (size <= 0) size = kDefaultUISize;
  snprintf(cache.uiFace, sizeof(cache.uiFace), "%s", face);
  cache.uiSize = size;
  for (int list = kFontUI; list <= kFontUIVertical; ++list) {
    const ListParams& p = kLists[list];
    if (AddFont(list, cache.uiFace, size, p.weight, p.orientation, dpi, p.pitch) < 0)
      return kStatusWindowFailed;
  }
  return 0;
}

HFONT GetAppFont(int list, int dpi) {
  if (list < 0 || list >= kFontListCount) return nullptr;
  if (AllListsEmpty()) {
    CFontCache& cache = FontCache();
    CreateAppFonts(cache.uiFace, cache.uiSize, DesktopDpi());
  }
  CGrowArray<FontEntry>& fonts = FontCache().fonts[list];
  int index = FindDpi(fonts, dpi);
  if (index < 0 && fonts.count > 0) {
    FontEntry first = fonts.data[0];
    index = AddFont(list, first.szFace, first.size, first.weight, first.orientation, dpi,
                    first.pitch);
  }
  return index < 0 ? nullptr : fonts.data[index].font;
}

namespace {

const FontEntry* UIEntry(int dpi) {
  GetAppFont(kFontUI, dpi);
  const CGrowArray<FontEntry>& fonts = FontCache().fonts[kFontUI];
  int index = FindDpi(fonts, dpi);
  if (index < 0) index = fonts.count > 0 ? 0 : -1;
  return index < 0 ? nullptr : &fonts.data[index];
}

}  // namespace

int GetSpaceWidth(int dpi) {
  const FontEntry* entry = UIEntry(dpi);
  return entry ? entry->spaceWidth : 4;
}

int GetLineHeight(int dpi) {
  const FontEntry* entry = UIEntry(dpi);
  return entry ? entry->lineHeight : 16;
}

int MeasureText(const char* text, HFONT font, int* width, int* height) {
  *width = *height = 0;
  if (!text) return kStatusTextMissing;
  Measure(font, text, width, height);
  return 0;
}

int MeasureItemText(const char* text, bool bold, int dpi, int* width, int* height) {
  return MeasureText(text, GetAppFont(bold ? kFontUIBold : kFontUI, dpi), width, height);
}
