// Flood fill: the 4-connected area of the seed's colour (24 bits, compared on
// red, green and blue) or index, inside the selection, takes the pen. A span
// fill: each run of a row is filled at once and only the runs still to be
// explored above and below wait on the stack, so the stack stays small
// whatever the image's size.
#include "app/document/image.h"

namespace {

// Reads and compares the pixels of one image against the target.
class CFillTarget {
 public:
  CFillTarget(CImage* image, int32_t seedX, int32_t seedY)
      : mImage(image), mBase(image->GetBits(0)), mRowBytes(size_t(image->GetRowBytes())),
        mBpp(image->GetBpp()), mHeight(image->nHeight) {
    const int32_t row = mHeight - seedY - 1;
    if (mBpp == 24) {
      const BYTE* p = Pixel(seedX, seedY);
      mColor = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
      mIsPen = mColor == (image->rgbPen & 0xFFFFFF);
    } else {
      mIndex = image->GetPixelIndexUnchecked(seedX, row);
      const int32_t bits = mBpp == 1 ? 0x01 : (mBpp == 4 ? 0x0F : 0xFF);
      mIsPen = mIndex == (image->bPenIndex & bits);
    }
  }

  bool IsPen() const { return mIsPen; }

  bool Matches(int32_t x, int32_t y) const {
    if (mBpp == 24) {
      const BYTE* p = Pixel(x, y);
      return p[0] == BYTE(mColor) && p[1] == BYTE(mColor >> 8) && p[2] == BYTE(mColor >> 16);
    }
    if (mBpp == 8) return Row(y)[x] == mIndex;
    return mImage->GetPixelIndexUnchecked(x, mHeight - y - 1) == mIndex;
  }

 private:
  const BYTE* Row(int32_t y) const { return mBase + size_t(mHeight - y - 1) * mRowBytes; }
  const BYTE* Pixel(int32_t x, int32_t y) const { return Row(y) + size_t(x) * 3; }

  CImage* mImage;
  const BYTE* mBase;
  size_t mRowBytes;
  int32_t mBpp;
  int32_t mHeight;
  uint32_t mColor = 0;
  BYTE mIndex = 0;
  bool mIsPen = false;
};

}  // namespace

bool CImage::FloodFill() {
  const POINT seed = gptAnchor;
  ResetDirtyRect(seed.x, seed.y);
  if (!IsDrawable(seed.x, seed.y)) return true;
  const CFillTarget target(this, seed.x, seed.y);
  if (target.IsPen()) return true;
  const RECT area = DrawableArea();

  bool ok = true;
  // A run of row y from xl to xr whose neighbours in row y + dy are to be
  // explored; runs leading outside the area are not kept.
  auto push = [&](int32_t y, int32_t xl, int32_t xr, int32_t dy) {
    const int64_t next = int64_t(y) + dy;
    if (!ok || next < area.top || next > area.bottom) return;
    const FillSegment s = {y, xl, xr, dy};
    if (aFillStack.Append(&s, 1) < 0) ok = false;
  };
  auto fill = [&](int32_t y, int32_t x0, int32_t x1) {
    GrowDirty(RECT{x0, y, x1, y});
    FillRowSpan(y, x0, x1);
  };

  aFillStack.RemoveAll();
  push(seed.y, seed.x, seed.x, 1);
  push(seed.y + 1, seed.x, seed.x, -1);  // popped first: the seed's own row
  while (ok && aFillStack.count > 0) {
    const FillSegment s = *aFillStack.GetAt(aFillStack.count - 1);
    aFillStack.count--;
    const int32_t y = s.y + s.dy, dy = s.dy, x1 = s.xl, x2 = s.xr;
    // Row y was reached from row y - dy between x1 and x2.
    int32_t x = x1;
    int32_t left;
    while (x >= area.left && target.Matches(x, y)) --x;
    if (x < x1) {
      fill(y, x + 1, x1);
      left = x + 1;
      if (left < x1) push(y, left, x1 - 1, -dy);  // the run leaks back on the left
      x = x1 + 1;
    } else {
      for (++x; x <= x2 && !target.Matches(x, y); ++x) {
      }
      if (x > x2) continue;
      left = x;
    }
    for (;;) {
      const int32_t start = x;
      while (x <= area.right && target.Matches(x, y)) ++x;
      if (x > start) fill(y, start, x - 1);
      push(y, left, x - 1, dy);
      if (x > x2 + 1) push(y, x2 + 1, x - 1, -dy);  // leaks back on the right
      for (++x; x <= x2 && !target.Matches(x, y); ++x) {
      }
      left = x;
      if (x > x2) break;
    }
  }
  aFillStack.RemoveAll();
  return ok;
}
