// Blending the text mask in, and copying and pasting the stamp.
#include <cstring>

#include "app/document/image.h"
#include "app/document/stamp_buffer.h"

namespace {

// pen + (base - pen) x v / 255 for each of red, green and blue, truncated;
// the numerator never goes below 0, so integer division truncates exactly.
uint32_t Blend(uint32_t pen, uint32_t base, uint32_t v) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int32_t p = int32_t((pen >> shift) & 0xFF), b = int32_t((base >> shift) & 0xFF);
    out |= uint32_t((p * 255 + (b - p) * int32_t(v)) / 255) << shift;
  }
  return out;
}

// The mask or stamp of width x height with its top-left corner at (left,
// top), cut to the drawable area; false when nothing is left. Corners are
// 64-bit so that far-off positions cannot overflow.
bool ClipBlock(const RECT& area, int64_t left, int64_t top, int32_t width, int32_t height,
               RECT* out) {
  const int64_t l = left > area.left ? left : area.left;
  const int64_t t = top > area.top ? top : area.top;
  const int64_t r = left + width - 1 < area.right ? left + width - 1 : area.right;
  const int64_t b = top + height - 1 < area.bottom ? top + height - 1 : area.bottom;
  if (l > r || t > b) return false;
  *out = RECT{int32_t(l), int32_t(t), int32_t(r), int32_t(b)};
  return true;
}

}  // namespace

void CImage::StampTextMask(int32_t x, int32_t y, int32_t align, uint32_t background) {
  const StampBuffer& stamp = gStampBuffer;
  if (!stamp.pMask) return;
  ResetDirtyRect(x, y);
  const int32_t w = stamp.iMaskWidth, h = stamp.iMaskHeight;
  int64_t left = x, top = y;
  if (align & kStampRight)
    left -= w;
  else if (align & kStampCenterX)
    left -= w / 2;
  if (align & kStampBottom)
    top -= h;
  else if (align & kStampCenterY)
    top -= h / 2;
  RECT r;
  if (!ClipBlock(DrawableArea(), left, top, w, h, &r)) return;

  const uint32_t savedPen = rgbPen;
  const int32_t savedIndex = bPenIndex;
  const bool opaque = (background >> 24) != 0;
  const int32_t bpp = GetBpp();
  const BYTE backgroundIndex = bpp < 24 ? GetNearestIndex(RgbQuadFromValue(background)) : 0;
  for (int32_t py = r.top; py <= r.bottom; ++py) {
    const uint8_t* maskRow = stamp.pMask + size_t(py - top) * size_t(w);
    for (int32_t px = r.left; px <= r.right; ++px) {
      const uint32_t v = maskRow[px - left];
      if (bpp == 1) {
        if (v <= 128)
          bPenIndex = savedIndex;
        else if (opaque)
          bPenIndex = backgroundIndex;
        else
          continue;
      } else {
        if (!opaque && v == 255) continue;
        const uint32_t base =
            opaque ? background : RgbQuadToValue(GetPixelColor(px, nHeight - py - 1));
        rgbPen = Blend(savedPen, base, v);
        if (bpp < 24) bPenIndex = GetNearestIndex(RgbQuadFromValue(rgbPen));
      }
      GrowDirty(px, py);
      PutPen(px, py);
    }
  }
  rgbPen = savedPen;
  bPenIndex = savedIndex;
}

int CImage::CopyToStamp(const CRaster& source) {
  const int32_t w = source.IsValid() ? source.GetWidth() : 0;
  const int32_t h = source.IsValid() ? source.GetHeight() : 0;
  const bool indexed = source.IsValid() && source.GetBpp() <= 8;
  uint8_t* out = AllocateStampPixels(w, h, indexed ? 1 : 4);
  if (!out) return 1;
  for (int32_t y = 0; y < h; ++y) {
    const int32_t row = h - y - 1;
    for (int32_t x = 0; x < w; ++x) {
      if (indexed) {
        *out++ = source.GetPixelIndexUnchecked(x, row);
      } else {
        const uint32_t c = RgbQuadToValue(source.GetPixelColorUnchecked(x, row)) | 0xFF000000u;
        memcpy(out, &c, 4);
        out += 4;
      }
    }
  }
  if (indexed) {
    gStampBuffer.nPaletteEntries = int32_t(source.GetNumColors() < 256 ? source.GetNumColors() : 256);
    memcpy(gStampBuffer.aPalette, source.GetPalette(), size_t(gStampBuffer.nPaletteEntries) * 4);
  }
  return 0;
}

void CImage::PasteStamp(int32_t x, int32_t y) {
  const StampBuffer& stamp = gStampBuffer;
  if (!stamp.pPixels) return;
  ResetDirtyRect(x, y);
  const int32_t w = stamp.iWidth, h = stamp.iHeight;
  const int64_t left = int64_t(x) - w / 2, top = int64_t(y) - h / 2;
  RECT r;
  if (!ClipBlock(DrawableArea(), left, top, w, h, &r)) return;

  const bool toIndexed = GetBpp() < 24;
  // An index stamp pastes its indices into an image with the same palette,
  // and its colours everywhere else.
  bool sameIndices = false;
  BYTE indexOf[256] = {};
  uint32_t colorOf[256] = {};
  if (stamp.iBytesPerPixel == 1) {
    sameIndices = toIndexed && DWORD(stamp.nPaletteEntries) == GetNumColors();
    for (int32_t i = 0; i < stamp.nPaletteEntries && sameIndices; ++i) {
      const RGBQUAD a = stamp.aPalette[i], b = GetPaletteColor(BYTE(i));
      sameIndices = a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
    }
    for (int32_t i = 0; i < 256; ++i) {
      RGBQUAD c = i < stamp.nPaletteEntries ? stamp.aPalette[i] : RGBQUAD{};
      c.rgbReserved = 0xFF;
      colorOf[i] = RgbQuadToValue(c);
      indexOf[i] = sameIndices ? BYTE(i) : (toIndexed ? GetNearestIndex(c) : 0);
    }
  }

  const uint32_t savedPen = rgbPen;
  const int32_t savedIndex = bPenIndex;
  for (int32_t py = r.top; py <= r.bottom; ++py) {
    const uint8_t* src = stamp.pPixels + (size_t(py - top) * size_t(w) + size_t(r.left - left)) *
                                             size_t(stamp.iBytesPerPixel);
    for (int32_t px = r.left; px <= r.right; ++px, src += stamp.iBytesPerPixel) {
      if (stamp.iBytesPerPixel == 1) {
        bPenIndex = indexOf[*src];
        rgbPen = colorOf[*src];
      } else {
        memcpy(&rgbPen, src, 4);
        if (toIndexed) bPenIndex = GetNearestIndex(RgbQuadFromValue(rgbPen));
      }
      GrowDirty(px, py);
      PutPen(px, py);
    }
  }
  rgbPen = savedPen;
  bPenIndex = savedIndex;
}

bool CImage::StampFitsSelection() const {
  return gStampBuffer.iWidth == int64_t(rcSelection.right) - rcSelection.left + 1 &&
         gStampBuffer.iHeight == int64_t(rcSelection.bottom) - rcSelection.top + 1;
}

bool CImage::HasStamp() const { return gStampBuffer.pPixels != nullptr; }
