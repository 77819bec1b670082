#include "framework/draw/icon_list_win.h"

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/grey_icon_win.h"

namespace {

CGrowArray<IconEntry>& Icons() { return FontCache().icons; }

void DestroyLooks(IconEntry* entry) {
  if (entry->normal) DestroyIcon(entry->normal);
  if (entry->disabled) DestroyIcon(entry->disabled);
  entry->normal = entry->disabled = nullptr;
}

HWND FirstWindow() {
  CAppWindow* window = gApp.GetWindowAt(0);
  return window ? window->hwnd : nullptr;
}

// The size of an owner-drawn image: from its source, else asked once.
void SizeOwnerDrawn(IconEntry* entry) {
  if (entry->source) {
    const int* size = reinterpret_cast<const int*>(entry->source);
    entry->width = uint16_t(size[0]);
    entry->height = uint16_t(size[1]);
    return;
  }
  DrawIconRecord record = {entry->key, {0, 0, 0, 0}};
  HWND window = FirstWindow();
  if (window) SendMessageA(window, MSG_DRAW_ICON, 0, LPARAM(&record));
  entry->width = uint16_t(record.rect.right);
  entry->height = uint16_t(record.rect.bottom);
}

// Loads the entry's looks; its own handles only, never shared ones, so they
// have the asked size and may be destroyed.
int LoadEntry(IconEntry* entry, int size) {
  if (entry->flags & kIconOwnerDrawn) {
    entry->width = entry->height = 0;
    if (entry->source) SizeOwnerDrawn(entry);
    return 0;
  }
  DestroyLooks(entry);
  entry->normal = static_cast<HICON>(LoadImageA(gApp.m_hInstance,
                                                MAKEINTRESOURCEA(entry->source), IMAGE_ICON,
                                                size, size, 0));
  if (!entry->normal) return kStatusIconMissing;
  ICONINFO info = {};
  if (GetIconInfo(entry->normal, &info)) {
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    entry->width = uint16_t(bitmap.bmWidth);
    entry->height = uint16_t(info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  entry->disabled = MakeDisabledIcon(entry->normal);
  return 0;
}

}  // namespace

HICON MakeDisabledIcon(HICON icon) { return MakeGreyIcon(icon, GetThemeColor(1), GetThemeColor(3)); }

int GetIconIndex(uint16_t key) {
  return FindSortedIndex(Icons().count, key, [](int32_t i) { return Icons().data[i].key; });
}

int AddIcon(uint16_t key, intptr_t source, uint32_t flags, int size) {
  IconEntry entry = {key, source, flags, nullptr, nullptr, uint16_t(size), uint16_t(size)};
  int status = LoadEntry(&entry, size);
  if (status != 0) return status;
  int32_t position =
      SortedInsertIndex(Icons().count, key, [](int32_t i) { return Icons().data[i].key; });
  if (Icons().Insert(&entry, position, 1) < 0) {
    DestroyLooks(&entry);
    return kStatusIconMissing;
  }
  return 0;
}

int GetIcon(uint16_t key, int* width, int* height) {
  *width = *height = 0;
  if (key == kNoImage) return 0;
  int index = GetIconIndex(key);
  if (index < 0) return -1;
  IconEntry& entry = Icons().data[index];
  if ((entry.flags & kIconOwnerDrawn) && entry.width == 0 && entry.height == 0)
    SizeOwnerDrawn(&entry);
  *width = entry.width;
  *height = entry.height;
  return index;
}

int DrawIconScaled(HDC dc, uint16_t key, uint32_t commandFlags, const RECT& rect) {
  int index = GetIconIndex(key);
  if (index < 0) return kStatusUnknownIcon;
  const IconEntry& entry = Icons().data[index];
  if (entry.flags & kIconOwnerDrawn) {
    DrawIconRecord record = {key, rect};
    HWND window = FirstWindow();
    if (window) SendMessageA(window, MSG_DRAW_ICON, WPARAM(dc), LPARAM(&record));
    return 0;
  }
  HICON icon = (commandFlags & 1) || !entry.disabled ? entry.normal : entry.disabled;
  int oldMode = SetStretchBltMode(dc, HALFTONE);
  DrawIconEx(dc, rect.left, rect.top, icon, rect.right - rect.left, rect.bottom - rect.top, 0,
             nullptr, DI_NORMAL);
  SetStretchBltMode(dc, oldMode);
  return 0;
}

void ReloadIcons() {
  for (int i = 0; i < Icons().count; ++i) {
    IconEntry& entry = Icons().data[i];
    int size = entry.width ? entry.width : 16;
    LoadEntry(&entry, size);
  }
}

void FreeIcons() {
  for (int i = 0; i < Icons().count; ++i) DestroyLooks(&Icons().data[i]);
  Icons().RemoveAll();
}
