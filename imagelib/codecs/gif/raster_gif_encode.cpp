// CRasterGIF: writing one image, or a true-colour image as tiles.
#include <cstring>
#include <memory>
#include <new>

#include "imagelib/codecs/gif/gif_encoders.h"
#include "imagelib/codecs/gif/gif_output.h"
#include "imagelib/codecs/gif/raster_gif.h"

namespace {

const char kWriteError[] = "Write Error in GIF file";
const char kTooLarge[] = "GIF images are at most 65535 pixels wide and high";
const char kNoMemory[] = "can't allocate memory";

constexpr int32_t kTileWidth = 17;
constexpr int32_t kTileHeight = 15;
constexpr int32_t kMaxSide = 65535;  // 16-bit sizes in the file

enum GifOption { kLzw = 0, kLiteral = 1, kRunLength = 2 };

void WriteTriples(CGifOutput* out, const RGBQUAD* palette, int32_t entries) {
  for (int32_t i = 0; i < entries; ++i) {
    out->Byte(palette[i].rgbRed);
    out->Byte(palette[i].rgbGreen);
    out->Byte(palette[i].rgbBlue);
  }
}

uint32_t Rgb(const RGBQUAD& c) { return RgbQuadToValue(c) & 0xFFFFFF; }

// For one tile: the first palette entry of each colour, entries looked at in
// increasing order, as a nearest-colour search that stops at the first
// exact match finds it.
class CFirstEntryMap {
 public:
  explicit CFirstEntryMap(const RGBQUAD* palette) {
    std::memset(mIndex, 0xFF, sizeof mIndex);
    for (int i = 0; i < 256; ++i) {
      const uint32_t key = Rgb(palette[i]);
      uint32_t slot = Slot(key);
      while (mIndex[slot] >= 0 && mKey[slot] != key) slot = (slot + 1) & (kSlots - 1);
      if (mIndex[slot] < 0) {
        mKey[slot] = key;
        mIndex[slot] = int16_t(i);
      }
    }
  }
  // Every colour looked up is one of the palette's.
  uint8_t Find(uint32_t key) const {
    uint32_t slot = Slot(key);
    while (mIndex[slot] >= 0 && mKey[slot] != key) slot = (slot + 1) & (kSlots - 1);
    return uint8_t(mIndex[slot] < 0 ? 0 : mIndex[slot]);
  }

 private:
  static constexpr uint32_t kSlots = 1024;
  static uint32_t Slot(uint32_t key) { return (key * 2654435761u) >> 22; }
  uint32_t mKey[kSlots];
  int16_t mIndex[kSlots];
};

// Image descriptor, local colour table (when given), then the data.
bool WriteImage(CGifOutput* out, CGifIndexRows* rows, int32_t left, int32_t top,
                       const RGBQUAD* localPalette, int bpp, uint32_t option) {
  out->Byte(',');
  out->Word(left & 0xFFFF);
  out->Word(top & 0xFFFF);
  out->Word(rows->Width());
  out->Word(rows->Height());
  out->Byte(localPalette ? (bpp - 1) | 0x80 : 0);
  if (localPalette) WriteTriples(out, localPalette, 1 << bpp);
  const int minCodeSize = bpp < 2 ? 2 : bpp;
  out->Byte(minCodeSize);
  bool ok = true;
  switch (option) {
    case kLiteral: GifWriteLiteral(rows, minCodeSize + 1, out); break;
    case kRunLength: GifWriteRunLength(rows, minCodeSize + 1, out); break;
    default: ok = GifWriteLzw(rows, minCodeSize + 1, out); break;
  }
  out->Byte(0);  // block terminator
  return ok;
}

}  // namespace

void CRasterGIF::WriteHeader(CGifOutput* out, const RGBQUAD* palette, int32_t entries) {
  out->Bytes("GIF89a", 6);
  out->Word(GetWidth());
  out->Word(GetHeight());
  const int bpp = GetBpp();
  out->Byte(palette ? (0x80 | (bpp - 1) << 5 | (bpp - 1)) & 0xFF : 0x11);
  out->Byte(0);  // background colour index
  out->Byte(0);  // pixel aspect ratio
  if (palette) WriteTriples(out, palette, entries);
}

void CRasterGIF::WriteGraphicControl(CGifOutput* out, int32_t transparent) {
  mControl.flags = BYTE((transparent >= 0 ? 1 : 0) | (info.disposalMethod & 7) << 2);
  mControl.delay = WORD(info.frameDelay);
  mControl.transparentIndex = BYTE(transparent >= 0 ? transparent : 0);
  out->Byte(0x21);
  out->Byte(0xF9);
  out->Byte(4);
  out->Byte(mControl.flags);
  out->Word(mControl.delay);
  out->Byte(mControl.transparentIndex);
  out->Byte(0);
}

bool CRasterGIF::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  if (GetWidth() > kMaxSide || GetHeight() > kMaxSide) return Fail(kTooLarge);
  std::unique_ptr<CGifOutput> out(new (std::nothrow) CGifOutput(file));
  if (!out) return Fail(kNoMemory);
  const CRaster& image = *this;
  bool ok;
  if (GetBpp() > 8) {
    ok = EncodeTiles(out.get());
  } else {
    WriteHeader(out.get(), image.GetPalette(), int32_t(GetNumColors()));
    WriteGraphicControl(out.get(), GetBkgndIndex());
    CGifIndexRows rows(this);
    ok = rows.IsUsable() && WriteImage(out.get(), &rows, info.xOffset, info.yOffset, nullptr,
                                       GetBpp(), GetCodecOption(RASTER_FORMAT_GIF));
    out->Byte(';');
  }
  if (!ok) return Fail(kNoMemory);
  return out->Finish() || Fail(kWriteError);
}

// Tiles of 17 x 15 pixels, row band by row band from the top. Tile pixel x
// of tile row y (counted from the bottom of the tile) owns palette entry
// y x 17 + x + 1; entry 0 is the transparent colour when the image has one.
bool CRasterGIF::EncodeTiles(CGifOutput* out) {
  WriteHeader(out, nullptr, 0);
  const bool transparent = HasBkgndIndex();
  const uint32_t option = GetCodecOption(RASTER_FORMAT_GIF);
  RGBQUAD palette[256];
  uint8_t indices[kTileWidth * kTileHeight];
  for (int32_t top = 0; top < GetHeight(); top += kTileHeight) {
    const int32_t height = GetHeight() - top < kTileHeight ? GetHeight() - top : kTileHeight;
    for (int32_t left = 0; left < GetWidth(); left += kTileWidth) {
      const int32_t width = GetWidth() - left < kTileWidth ? GetWidth() - left : kTileWidth;
      std::memset(palette, 0, sizeof palette);
      if (transparent) palette[0] = RgbQuadFromValue(Rgb(GetBkgndColor()));
      for (int32_t y = 0; y < height; ++y) {
        const BYTE* row = GetBits(GetHeight() - top - height + y) + 3 * left;
        for (int32_t x = 0; x < width; ++x)
          palette[y * kTileWidth + x + 1] = RgbQuadFromValue(row[3 * x] | row[3 * x + 1] << 8 |
                                                             uint32_t(row[3 * x + 2]) << 16);
      }
      const CFirstEntryMap first(palette);
      for (int32_t y = 0; y < height; ++y) {
        const int32_t fromBottom = height - 1 - y;
        for (int32_t x = 0; x < width; ++x)
          indices[y * width + x] = first.Find(Rgb(palette[fromBottom * kTileWidth + x + 1]));
      }
      WriteGraphicControl(out, transparent ? 0 : -1);
      CGifIndexRows rows(indices, width, height);
      if (!WriteImage(out, &rows, left, top, palette, 8, option)) return false;
    }
  }
  out->Byte(';');
  return true;
}
