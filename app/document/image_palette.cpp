// Palettes made for a state: the quantizer's optimal one.
#include <cstdlib>

#include "app/document/image.h"
#include "app/document/quantizer.h"

RGBQUAD* CImage::CreateOptimalPalette(int32_t colors) const {
  // Fewer colours want a deeper tree to tell them apart.
  CQuantizer quantizer(colors, colors <= 16 ? 8 : 7);
  if (!quantizer.ProcessImage(GetDib())) return nullptr;
  RGBQUAD* table = static_cast<RGBQUAD*>(calloc(256, sizeof(RGBQUAD)));
  if (table) quantizer.SetColorTable(table);
  return table;
}
