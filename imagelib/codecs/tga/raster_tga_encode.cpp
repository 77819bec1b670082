// CRasterTGA: writing.
#include "imagelib/codecs/tga/raster_tga.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_file.h"

namespace {

const char kBadDepth[] = "Bit depth must be 8 or 24";
const char kTooLarge[] = "TGA images are at most 65535 pixels wide and high";
const char kWriteFailed[] = "Error writing file";

}  // namespace

bool CRasterTGA::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  const int bpp = GetBpp();
  if (bpp < 8) return Fail(kBadDepth);
  if (GetWidth() > 65535 || GetHeight() > 65535) return Fail(kTooLarge);
  const bool mapped = bpp == 8;
  uint8_t h[18] = {};
  h[1] = IsIndexed() ? 1 : 0;
  h[2] = mapped ? 1 : 2;
  WriteLe16(h + 5, mapped ? 256 : 0);
  h[7] = mapped ? 24 : 0;
  WriteLe16(h + 12, uint16_t(GetWidth()));
  WriteLe16(h + 14, uint16_t(GetHeight()));
  h[16] = uint8_t(bpp);
  bool ok = file->Write(h, 1, sizeof h) == sizeof h;
  if (ok && mapped) {
    const RGBQUAD* palette = static_cast<const CRaster*>(this)->GetPalette();
    uint8_t map[768];
    for (int i = 0; i < 256; ++i) {
      map[3 * i] = palette[i].rgbBlue;
      map[3 * i + 1] = palette[i].rgbGreen;
      map[3 * i + 2] = palette[i].rgbRed;
    }
    ok = file->Write(map, 1, sizeof map) == sizeof map;
  }
  // Bottom-up rows without the DIB's padding.
  const size_t rowBytes = size_t(GetWidth()) * size_t(bpp / 8);
  for (int32_t y = 0; y < GetHeight() && ok; ++y) ok = file->Write(GetBits(y), 1, rowBytes) == rowBytes;
  if (!ok || !file->Flush() || file->Error() != 0) return Fail(kWriteFailed);
  return true;
}
