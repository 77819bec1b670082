// CImage's life, state copy, drawing cache, pen and dirty rectangle.
#include "app/document/image.h"

#include <cstring>

#include "app/document/stamp_buffer.h"

POINT gptAnchor = {0, 0};

CImage::CImage() : CRaster(RASTER_FORMAT_UNKNOWN) {}

CImage::~CImage() {
  aFillStack.RemoveAll();  // the library image goes in ~CRaster
}

void CImage::CopyState(const CImage& other) {
  rcSelection = other.rcSelection;
  iColorClass = other.iColorClass;
  memcpy(szName, other.szName, sizeof(szName));
  szName[kImageNameChars - 1] = '\0';
  pStamp = other.pStamp;
}

void CImage::PrepareDrawing() {
  nWidth = IsValid() ? GetWidth() : 0;
  nHeight = IsValid() ? GetHeight() : 0;
  nColors = IsValid() ? int32_t(GetNumColors()) : 0;
  nBpp = IsValid() ? GetBpp() : 0;
  pPalette = GetPalette();
  pStamp = &gStampBuffer;
  ResetDirtyRect(0, 0);
}

void CImage::SelectAll() {
  rcSelection = RECT{0, 0, GetWidth() - 1, GetHeight() - 1};
}

void CImage::SetPen(int32_t width, uint32_t color) {
  nPenWidth = width;
  rgbPen = color;
  if (IsValid() && GetBpp() < 24) bPenIndex = GetNearestIndex(RgbQuadFromValue(color));
}

void CImage::ResetDirtyRect(int32_t x, int32_t y) {
  rcDirty = RECT{x, y, x, y};
  if (rcDirty.left < 0) rcDirty.left = 0;
  if (rcDirty.right > nWidth - 1) rcDirty.right = nWidth - 1;
  if (rcDirty.top < 0) rcDirty.top = 0;
  if (rcDirty.bottom > nHeight - 1) rcDirty.bottom = nHeight - 1;
}

void CImage::GrowDirty(int32_t x, int32_t y) {
  if (x < rcDirty.left) rcDirty.left = x;
  if (x > rcDirty.right) rcDirty.right = x;
  if (y < rcDirty.top) rcDirty.top = y;
  if (y > rcDirty.bottom) rcDirty.bottom = y;
  bModified = 1;
}

void CImage::GrowDirty(const RECT& r) {
  GrowDirty(r.left, r.top);
  GrowDirty(r.right, r.bottom);
}

RECT CImage::DrawableArea() const {
  // The cache and the image agree after PrepareDrawing; a stale cache must
  // still never reach past the pixels, whose row of y is nHeight - y - 1.
  const int32_t width = nWidth < GetWidth() ? nWidth : GetWidth();
  const int32_t lowestY = nHeight > GetHeight() ? nHeight - GetHeight() : 0;
  RECT area = rcSelection;
  if (area.left < 0) area.left = 0;
  if (area.top < lowestY) area.top = lowestY;
  if (area.right > width - 1) area.right = width - 1;
  if (area.bottom > nHeight - 1) area.bottom = nHeight - 1;
  if (!IsValid()) area.right = area.left - 1;
  return area;
}

bool CImage::IsDrawable(int32_t x, int32_t y) const {
  const RECT area = DrawableArea();
  return x >= area.left && x <= area.right && y >= area.top && y <= area.bottom;
}

bool CImage::ClipToDrawable(RECT* r) const {
  const RECT area = DrawableArea();
  if (r->left < area.left) r->left = area.left;
  if (r->top < area.top) r->top = area.top;
  if (r->right > area.right) r->right = area.right;
  if (r->bottom > area.bottom) r->bottom = area.bottom;
  return r->left <= r->right && r->top <= r->bottom;
}
