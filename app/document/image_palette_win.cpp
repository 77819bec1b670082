// The image's palette as a GDI palette, for printing.
#include <windows.h>

#include <cstddef>

#include "app/document/image.h"

HPALETTE CImage::CreateHPalette() const {
  const RGBQUAD* palette = GetPalette();
  const DWORD entries = GetNumColors() < 256 ? GetNumColors() : 256;
  if (!palette || entries == 0) return nullptr;
  // LOGPALETTE declares one entry; the others follow it in the same block.
  alignas(LOGPALETTE) BYTE block[offsetof(LOGPALETTE, palPalEntry) + 256 * sizeof(PALETTEENTRY)];
  LOGPALETTE* head = reinterpret_cast<LOGPALETTE*>(block);
  head->palVersion = 0x300;
  head->palNumEntries = WORD(entries);
  PALETTEENTRY* out = reinterpret_cast<PALETTEENTRY*>(block + offsetof(LOGPALETTE, palPalEntry));
  for (DWORD i = 0; i < entries; ++i)
    out[i] = PALETTEENTRY{palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue, 0};
  return CreatePalette(head);
}
