#pragma once
// The look the start-up sets up: dialog and user-interface fonts, the theme
// colours and the image list of command images. These are the entry points
// the drawing code builds on; each returns a framework status, 0 for success.
#include <windows.h>

#include <cstdint>

int InitDialogFont();
int CreateAppFonts(const char* face, int size, int dpi);
int LoadThemeColors();
HFONT GetUIFont();

// Theme colours by index; 1 is the light edge (COLOR_3DLIGHT), 3 the shadow
// edge (COLOR_BTNSHADOW).
COLORREF GetThemeColor(int index);

// Command images, sorted by key. AddIcon loads the icon resource at
// size x size; 61445 when it is missing. Owner-drawn entries (flag 0x4000)
// have no resource.
constexpr uint32_t kIconOwnerDrawn = 0x4000;
int AddIcon(uint16_t key, int resourceId, uint32_t flags, int size);
int GetIconIndex(uint16_t key);
HICON GetIconHandle(uint16_t key);
void FreeIcons();
