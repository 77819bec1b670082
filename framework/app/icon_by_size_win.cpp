#include "framework/app/icon_by_size_win.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/draw/grey_icon_win.h"
#include "framework/draw/icon_pixels.h"

HICON LoadIconBySize(HINSTANCE module, int groupResourceId, int depthIndex, int size) {
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(groupResourceId), RT_GROUP_ICON);
  if (!group) return nullptr;
  HGLOBAL loaded = LoadResource(module, group);
  const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  DWORD groupSize = SizeofResource(module, group);
  if (!bytes || groupSize < sizeof(IconGroupHeader)) return nullptr;
  IconGroupHeader header;
  memcpy(&header, bytes, sizeof(header));
  int count = header.idCount;
  if (sizeof(header) + size_t(count) * sizeof(IconGroupEntry) > groupSize) return nullptr;
  const IconGroupEntry* entries = reinterpret_cast<const IconGroupEntry*>(bytes + sizeof(header));
  int pick = PickIconGroupEntry(entries, count, depthIndex, size);
  if (pick < 0) {
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(groupResourceId), IMAGE_ICON,
                                         size, size, 0));
  }
  HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entries[pick].nId), RT_ICON);
  HGLOBAL imageData = image ? LoadResource(module, image) : nullptr;
  BYTE* imageBytes = imageData ? static_cast<BYTE*>(LockResource(imageData)) : nullptr;
  if (!imageBytes) return nullptr;
  int width = entries[pick].bWidth ? entries[pick].bWidth : 256;
  int height = entries[pick].bHeight ? entries[pick].bHeight : 256;
  return CreateIconFromResourceEx(imageBytes, SizeofResource(module, image), TRUE, 0x00030000,
                                  width, height, 0);
}

int MakeGrayIcon(HINSTANCE module, int iconResourceId, HICON icons[2]) {
  icons[0] = icons[1] = nullptr;
  HICON icon = static_cast<HICON>(
      LoadImageA(module, MAKEINTRESOURCEA(iconResourceId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) return 1;
  icons[0] = icon;
  icons[1] = MakeGreyIcon(icon, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
  if (!icons[1]) icons[1] = CopyIcon(icon);
  return 0;
}
