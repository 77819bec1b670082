#pragma once
// The icon list of command images, sorted by key, each with its normal and
// its disabled (greyed in the theme's colours) look.
#include <windows.h>

#include <cstdint>

constexpr uint32_t kIconOwnerDrawn = 0x4000;
constexpr uint16_t kNoImage = 0xFFFF;
constexpr int kStatusIconMissing = 61445;
constexpr int kStatusUnknownIcon = 61449;

// Sent to the application's first window for owner-drawn images: wParam the
// context (0 to ask for the size), lParam a DrawIconRecord. Asked for the
// size, the window writes it into the rectangle's right and bottom.
constexpr UINT MSG_DRAW_ICON = 33790;
struct DrawIconRecord {
  uint16_t key;
  RECT rect;
};

// Loads the entry (a resource id at size x size, or for owner-drawn entries
// a pointer to two ints, width and height, or null to ask the first window)
// and inserts it by key. 0, or 61445 when the resource is missing.
int AddIcon(uint16_t key, intptr_t source, uint32_t flags, int size);
int GetIconIndex(uint16_t key);
// Index and size; kNoImage gives 0 x 0 and index 0, an unknown key -1.
int GetIcon(uint16_t key, int* width, int* height);
// The normal look when bit 0 of the flags (enabled) is set, else the
// disabled look, stretched to the rectangle. 61449 for an unknown key.
int DrawIconScaled(HDC dc, uint16_t key, uint32_t commandFlags, const RECT& rect);
// Loads every entry again, after a theme change.
void ReloadIcons();
void FreeIcons();
// The disabled look of an icon in the current theme colours; the caller
// destroys it. Null when it cannot be made.
HICON MakeDisabledIcon(HICON icon);
