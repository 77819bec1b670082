#include "framework/app/key_names_win.h"

#include <windows.h>

#include "framework/app/key_names.h"

void CompleteKeyNameTable() {
  for (int key = 0; key < kKeyNameCount; ++key) {
    UINT character = MapVirtualKeyA(UINT(key), MAPVK_VK_TO_CHAR) & 0x7FFFFFFF;
    LONG scanCode = LONG(MapVirtualKeyA(UINT(key), MAPVK_VK_TO_VSC)) << 16;
    char local[64] = {};
    if (GetKeyNameTextA(scanCode, local, sizeof(local)) == 0)
      GetKeyNameTextA(scanCode | (1L << 24), local, sizeof(local));
    CompleteKeyName(&gaKeyNames[key], character, local);
  }
}
