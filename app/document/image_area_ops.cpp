// Inverting a rectangle and darkening everything outside one. Each pixel is
// mapped once through a table: 24-bit channels through a byte table, palette
// indices through an index table built from the palette, 1-bit pixels
// inverted.
#include <utility>

#include "app/document/image.h"

namespace {

RECT Normalized(RECT r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

struct PixelMap {
  BYTE channel[256];  // 24 bits: each of blue, green, red
  BYTE index[256];    // 4 and 8 bits: the new index of each index
};

// Applies the map to row y from x0 to x1 (already clipped).
void MapSpan(CRaster* image, int32_t row, int32_t x0, int32_t x1, const PixelMap& map) {
  BYTE* bits = image->GetBits(row);
  switch (image->GetBpp()) {
    case 24:
      for (BYTE *p = bits + size_t(x0) * 3, *end = bits + size_t(x1 + 1) * 3; p < end; ++p)
        *p = map.channel[*p];
      break;
    case 8:
      for (int32_t x = x0; x <= x1; ++x) bits[x] = map.index[bits[x]];
      break;
    case 4:
      for (int32_t x = x0; x <= x1; ++x)
        image->SetPixelIndexUnchecked(x, row, map.index[image->GetPixelIndexUnchecked(x, row)]);
      break;
    default:  // 1 bit: index 0 becomes 1, anything else 0
      for (int32_t x = x0; x <= x1; ++x)
        image->SetPixelIndexUnchecked(x, row, image->GetPixelIndexUnchecked(x, row) == 0 ? 1 : 0);
      break;
  }
}

// For every palette entry, the nearest index of the colour `change` makes of it.
template <class Change>
void MapPalette(CRaster* image, PixelMap* map, Change change) {
  for (int i = 0; i < 256; ++i) map->index[i] = BYTE(i);
  const DWORD entries = image->GetNumColors() < 256 ? image->GetNumColors() : 256;
  for (DWORD i = 0; i < entries; ++i) {
    RGBQUAD c = image->GetPaletteColor(BYTE(i));
    c.rgbRed = change(c.rgbRed);
    c.rgbGreen = change(c.rgbGreen);
    c.rgbBlue = change(c.rgbBlue);
    c.rgbReserved = 0;
    map->index[i] = image->GetNearestIndex(c);
  }
}

template <class Change>
void BuildMap(CRaster* image, PixelMap* map, Change change) {
  for (int v = 0; v < 256; ++v) map->channel[v] = change(BYTE(v));
  if (image->IsIndexed()) MapPalette(image, map, change);
}

}  // namespace

void CImage::InvertRect(RECT rect) {
  rect = Normalized(rect);
  const int64_t rows = int64_t(rect.bottom) - rect.top + 1;
  RECT r = rect;
  if (!ClipToDrawable(&r)) return;
  PixelMap map;
  BuildMap(this, &map, [](BYTE v) { return BYTE(255 - v); });
  GrowDirty(r);
  for (int32_t y = r.top; y <= r.bottom; ++y) {
    SetProgress(int32_t((int64_t(y) - rect.top) * 100 / rows));
    MapSpan(this, nHeight - y - 1, r.left, r.right, map);
  }
}

void CImage::DarkenOutsideSelection(RECT rect, double factor) {
  rect = Normalized(rect);
  const RECT savedSelection = rcSelection;
  SelectAll();
  PixelMap map;
  BuildMap(this, &map, [factor](BYTE v) {
    const double scaled = double(v) * factor;
    return BYTE(scaled <= 0 ? 0 : (scaled >= 255 ? 255 : int32_t(scaled)));
  });
  RECT area = {0, 0, nWidth - 1, nHeight - 1};
  if (ClipToDrawable(&area)) {
    for (int32_t y = area.top; y <= area.bottom; ++y) {
      SetProgress(int32_t(int64_t(y) * 100 / nHeight));
      const int32_t row = nHeight - y - 1;
      auto span = [&](int32_t x0, int32_t x1) {
        if (x0 < area.left) x0 = area.left;
        if (x1 > area.right) x1 = area.right;
        if (x0 > x1) return;
        GrowDirty(RECT{x0, y, x1, y});
        MapSpan(this, row, x0, x1, map);
      };
      if (y < rect.top || y > rect.bottom) {
        span(area.left, area.right);
      } else {
        // rect's own columns stay; guard the neighbours against int32 ends.
        if (rect.left > area.left) span(area.left, rect.left - 1);
        if (rect.right < area.right) span(rect.right + 1, area.right);
      }
    }
  }
  rcSelection = savedSelection;
}
