#include "framework/draw/memory_dc_win.h"

namespace {

struct OpenSurface {
  HDC memoryDC;
  HWND window;
};

// Surfaces nest at most as deep as windows do; a fixed stack is plenty.
constexpr int kMaxOpenSurfaces = 64;
OpenSurface gOpen[kMaxOpenSurfaces];
int gOpenCount = 0;

// Painting makes and frees a surface for every item it paints; a few kept
// surfaces (grown to the largest size asked) save that work. Each is in use
// by at most one open surface at a time.
struct KeptSurface {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ replaced;
  int width;
  int height;
  bool inUse;
  int saved;  // the context's state before use, restored after
};
constexpr int kKeptSurfaces = 4;
KeptSurface gKept[kKeptSurfaces];

KeptSurface* TakeKept(HDC target, int width, int height) {
  KeptSurface* slot = nullptr;
  for (KeptSurface& kept : gKept) {
    if (kept.inUse) continue;
    if (kept.dc && kept.width >= width && kept.height >= height) {
      slot = &kept;
      break;
    }
    if (!slot) slot = &kept;
  }
  if (!slot) return nullptr;
  if (!slot->dc || slot->width < width || slot->height < height) {
    int w = slot->width > width ? slot->width : width;
    int h = slot->height > height ? slot->height : height;
    HDC dc = slot->dc ? slot->dc : CreateCompatibleDC(target);
    HBITMAP bitmap = dc ? CreateCompatibleBitmap(target, w, h) : nullptr;
    if (!bitmap) {
      if (dc && !slot->dc) DeleteDC(dc);
      return nullptr;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    if (slot->bitmap) DeleteObject(slot->bitmap);
    else slot->replaced = previous;
    *slot = {dc, bitmap, slot->replaced, w, h, false, 0};
  }
  slot->inUse = true;
  slot->saved = SaveDC(slot->dc);
  return slot;
}

}  // namespace

CMemoryDC::CMemoryDC(HDC& dc, int w, int h)
    : width(w > 0 ? w : 1), height(h > 0 ? h : 1), memoryDC(nullptr), targetDC(dc),
      bitmap(nullptr), caller_(&dc) {
  KeptSurface* kept = TakeKept(targetDC, width, height);
  if (!kept) {
    // Without a surface the caller paints straight to the target.
    caller_ = nullptr;
    return;
  }
  memoryDC = kept->dc;
  bitmap = kept->bitmap;
  if (gOpenCount < kMaxOpenSurfaces) gOpen[gOpenCount++] = {memoryDC, WindowOfDC(targetDC)};
  dc = memoryDC;
}

void CMemoryDC::Flush() {
  if (!memoryDC) return;
  BitBlt(targetDC, 0, 0, width, height, memoryDC, 0, 0, SRCCOPY);
  for (int i = gOpenCount - 1; i >= 0; --i) {
    if (gOpen[i].memoryDC != memoryDC) continue;
    for (int j = i; j + 1 < gOpenCount; ++j) gOpen[j] = gOpen[j + 1];
    --gOpenCount;
    break;
  }
  for (KeptSurface& kept : gKept) {
    if (kept.dc != memoryDC) continue;
    RestoreDC(kept.dc, kept.saved);
    kept.inUse = false;
  }
  if (caller_) *caller_ = targetDC;
  memoryDC = nullptr;
  bitmap = nullptr;
}

int OpenSurfaceCount() { return gOpenCount; }

HWND WindowOfDC(HDC dc) {
  HWND window = WindowFromDC(dc);
  if (window) return window;
  for (int i = gOpenCount - 1; i >= 0; --i)
    if (gOpen[i].memoryDC == dc) return gOpen[i].window;
  return nullptr;
}
