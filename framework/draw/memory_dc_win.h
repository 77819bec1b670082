#pragma once
// An off-screen surface: painting goes to a memory bitmap and is copied to
// the target in one step, so a repaint never flickers. The window of the
// target context is kept on a stack while the surface is open, so helpers
// that ask a parent to paint find the window of a memory context; surfaces
// may nest (an item painting inside its parent's paint).
#include <windows.h>

class CMemoryDC {
 public:
  // Replaces `dc` by the off-screen context (width x height, compatible with
  // the target); Flush puts the target back.
  CMemoryDC(HDC& dc, int width, int height);
  ~CMemoryDC() { Flush(); }
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;

  // Copies the surface to the target at 0, 0, gives the caller its context
  // back and frees the surface. Later calls do nothing.
  void Flush();

  int width;
  int height;
  HDC memoryDC;
  HDC targetDC;
  HBITMAP bitmap;

 private:
  HDC* caller_;
};

// Surfaces open right now.
int OpenSurfaceCount();

// The window a context paints: its own window, or for an open surface's
// context the window of the surface's target. Null when unknown.
HWND WindowOfDC(HDC dc);
