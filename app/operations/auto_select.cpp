#include "app/operations/auto_select.h"

#include <cstdlib>
#include <unordered_map>

#include "app/document/history.h"
#include "app/profiles/program_records.h"

namespace {

// Pixel access in top-down coordinates.
uint32_t ColorAt(const CRaster& image, int32_t x, int32_t y) {
  const RGBQUAD c = image.GetPixelColorUnchecked(x, image.GetHeight() - 1 - y);
  return uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | c.rgbBlue;
}

int32_t Distance(uint32_t a, uint32_t b) {
  const int32_t dr = std::abs(int32_t(a >> 16 & 0xFF) - int32_t(b >> 16 & 0xFF));
  const int32_t dg = std::abs(int32_t(a >> 8 & 0xFF) - int32_t(b >> 8 & 0xFF));
  const int32_t db = std::abs(int32_t(a & 0xFF) - int32_t(b & 0xFF));
  return (dr + dg + db) / 3;
}

// The most frequent colour of a row (horizontal) or column; ties go to the
// colour that reached the maximum first.
uint32_t BorderColor(const CRaster& image, bool horizontal, int32_t fixed, int32_t from,
                     int32_t to) {
  std::unordered_map<uint32_t, int32_t> counts;
  uint32_t best = 0;
  int32_t bestCount = 0;
  for (int32_t i = from; i <= to; ++i) {
    const uint32_t c = horizontal ? ColorAt(image, i, fixed) : ColorAt(image, fixed, i);
    if (++counts[c] > bestCount) {
      bestCount = counts[c];
      best = c;
    }
  }
  return best;
}

bool RowDiffers(const CRaster& image, int32_t y, int32_t left, int32_t right, uint32_t border,
                int32_t tolerance) {
  for (int32_t x = left; x <= right; ++x) {
    if (Distance(ColorAt(image, x, y), border) > tolerance) return true;
  }
  return false;
}

bool ColumnDiffers(const CRaster& image, int32_t x, int32_t top, int32_t bottom,
                   uint32_t border, int32_t tolerance) {
  for (int32_t y = top; y <= bottom; ++y) {
    if (Distance(ColorAt(image, x, y), border) > tolerance) return true;
  }
  return false;
}

int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

}  // namespace

RECT AutoSelectRect(const CRaster& image, RECT r, int32_t tolerance) {
  if (!image.IsValid()) return r;
  const int32_t w = image.GetWidth(), h = image.GetHeight();
  const int32_t L = Clamp(r.left, 0, w - 1), R = Clamp(r.right, L, w - 1);
  const int32_t T = Clamp(r.top, 0, h - 1), B = Clamp(r.bottom, T, h - 1);
  const uint32_t top = BorderColor(image, true, T, L, R);
  const uint32_t bottom = BorderColor(image, true, B, L, R);
  const uint32_t left = BorderColor(image, false, L, T, B);
  const uint32_t right = BorderColor(image, false, R, T, B);

  int32_t newTop = T;
  while (newTop <= B && !RowDiffers(image, newTop, L, R, top, tolerance)) ++newTop;
  if (newTop > B) newTop = T;
  int32_t newBottom = B;
  while (newBottom >= newTop && !RowDiffers(image, newBottom, L, R, bottom, tolerance)) --newBottom;
  if (newBottom < newTop) newBottom = B;
  int32_t newLeft = L;
  while (newLeft <= R && !ColumnDiffers(image, newLeft, newTop, newBottom, left, tolerance))
    ++newLeft;
  if (newLeft > R) newLeft = L;
  int32_t newRight = R;
  while (newRight >= newLeft &&
         !ColumnDiffers(image, newRight, newTop, newBottom, right, tolerance))
    --newRight;
  if (newRight < newLeft) newRight = R;
  return RECT{newLeft, newTop, newRight, newBottom};
}

bool AutoSelect() {
  CImage* current = GetHistoryImage(giCurrentImage);
  if (!current || !current->IsValid()) return false;
  current->rcSelection = AutoSelectRect(*current, current->rcSelection, gOptions.iASTolerance);
  return true;
}

bool IsImageDark() {
  CImage* current = GetHistoryImage(giCurrentImage);
  return current && current->IsValid() && current->MeanGray() < 128;
}
