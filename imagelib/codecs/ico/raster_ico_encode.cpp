// CRasterICO: writing a one-entry icon file.
#include <cstring>
#include <vector>

#include "imagelib/codecs/ico/raster_ico.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_mem_file.h"

namespace {

const char kWriteFailed[] = "Error writing file";
constexpr uint32_t kDirectoryBytes = 6 + 16;
constexpr uint32_t kInfoHeaderBytes = 40;

bool WriteAll(CRasterFile* file, const void* bytes, size_t size) {
  return size == 0 || file->Write(bytes, 1, size) == size;
}

}  // namespace

// A pixel whose colour is the background colour is transparent in the
// mask, when the image has a background at all.
bool CRasterICO::IsMasked(int32_t x, int32_t y) const {
  if (!HasBkgndIndex()) return false;
  const RGBQUAD pixel = GetPixelColorUnchecked(x, y), background = GetBkgndColor();
  return pixel.rgbRed == background.rgbRed && pixel.rgbGreen == background.rgbGreen &&
         pixel.rgbBlue == background.rgbBlue;
}

bool CRasterICO::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  const int32_t bpp = GetBpp();
  if (bpp <= 8 && !IsIndexed()) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  const int32_t maskRow = (width + 31) / 32 * 4;
  const uint32_t maskBytes = uint32_t(maskRow) * uint32_t(height);
  const uint32_t colors = GetNumColors();

  uint8_t directory[kDirectoryBytes] = {};
  WriteLe16(directory + 2, 1);  // icon
  WriteLe16(directory + 4, 1);  // one entry
  uint8_t* entry = directory + 6;
  entry[0] = uint8_t(width);
  entry[1] = uint8_t(height);
  entry[2] = uint8_t(colors);
  WriteLe16(entry + 6, uint16_t(bpp));
  WriteLe32(entry + 8, kInfoHeaderBytes + colors * 4 + header.biSizeImage + maskBytes);
  WriteLe32(entry + 12, kDirectoryBytes);

  // Icons address 255 pixels a side; larger images go in as PNG data.
  CRasterMemFile png;
  const bool asPng = width > 255 || height > 255;
  if (asPng) {
    CRaster copy(*this);
    if (!png.Open() || !copy.IsValid() || !copy.Encode(&png, RASTER_FORMAT_PNG)) {
      SetErrorText(copy.GetLastError()[0] ? copy.GetLastError() : kWriteFailed);
      return false;
    }
    entry[0] = entry[1] = 0;
    WriteLe32(entry + 8, uint32_t(png.Size()));
  }
  bool written = WriteAll(file, directory, sizeof directory);
  if (written && asPng) written = WriteAll(file, png.GetBuffer(), size_t(png.Size()));
  if (written && !asPng) written = WriteBitmap(file, maskRow);
  if (!written || !file->Flush() || file->Error() != 0) {
    if (!GetLastError()[0]) SetErrorText(kWriteFailed);
    return false;
  }
  return true;
}

// Header, palette, colour rows and mask. The background entry and, in
// true colour, the masked pixels are written black, so that the screen
// shows through them; the image itself keeps its colours.
bool CRasterICO::WriteBitmap(CRasterFile* file, int32_t maskRow) {
  const int32_t width = GetWidth(), height = GetHeight(), bpp = GetBpp();
  uint8_t info40[kInfoHeaderBytes] = {};
  WriteLe32(info40, kInfoHeaderBytes);
  WriteLe32(info40 + 4, uint32_t(width));
  WriteLe32(info40 + 8, uint32_t(height) * 2);
  WriteLe16(info40 + 12, 1);
  WriteLe16(info40 + 14, uint16_t(bpp));
  WriteLe32(info40 + 20, header.biSizeImage);
  if (!WriteAll(file, info40, sizeof info40)) return false;

  if (IsIndexed()) {
    std::vector<RGBQUAD> palette(static_cast<const CRaster*>(this)->GetPalette(),
                                 static_cast<const CRaster*>(this)->GetPalette() + GetNumColors());
    if (HasBkgndIndex() && uint32_t(GetBkgndIndex()) < palette.size())
      palette[size_t(GetBkgndIndex())] = RGBQUAD{0, 0, 0, 0};
    if (!WriteAll(file, palette.data(), palette.size() * sizeof(RGBQUAD))) return false;
  }

  std::vector<uint8_t> mask(size_t(maskRow) * size_t(height), 0);
  std::vector<uint8_t> row(static_cast<size_t>(GetRowBytes()));
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(row.data(), GetBits(y), row.size());
    for (int32_t x = 0; x < width; ++x) {
      if (!IsMasked(x, y)) continue;
      mask[size_t(y) * size_t(maskRow) + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
      if (bpp == 24) std::memset(&row[3 * size_t(x)], 0, 3);
    }
    if (!WriteAll(file, row.data(), row.size())) return false;
  }
  return WriteAll(file, mask.data(), mask.size());
}
