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

}  // namespace

CMemoryDC::CMemoryDC(HDC& dc, int w, int h)
    : width(w), height(h), memoryDC(nullptr), targetDC(dc), bitmap(nullptr), caller_(&dc),
      replaced_(nullptr) {
  memoryDC = CreateCompatibleDC(targetDC);
  bitmap = CreateCompatibleBitmap(targetDC, w > 0 ? w : 1, h > 0 ? h : 1);
  if (!memoryDC || !bitmap) {
    // Without a surface the caller paints straight to the target.
    if (memoryDC) DeleteDC(memoryDC);
    if (bitmap) DeleteObject(bitmap);
    memoryDC = nullptr;
    bitmap = nullptr;
    caller_ = nullptr;
    return;
  }
  replaced_ = SelectObject(memoryDC, bitmap);
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
  SelectObject(memoryDC, replaced_);
  DeleteDC(memoryDC);
  DeleteObject(bitmap);
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
