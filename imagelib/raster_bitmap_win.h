#pragma once
// Small holders for the GDI and global-memory resources that the Windows
// bitmap interchange of CRaster (CopyToDibHandle, CreateFromDibHandle,
// CreateFromBitmap, HasAlphaBitmap) borrows; each is given back on every path.
#include <windows.h>

// The screen device context (GetDC with no window).
class CScreenDC {
 public:
  CScreenDC() : mDC(GetDC(nullptr)) {}
  ~CScreenDC() {
    if (mDC) ReleaseDC(nullptr, mDC);
  }
  CScreenDC(const CScreenDC&) = delete;
  CScreenDC& operator=(const CScreenDC&) = delete;
  HDC Get() const { return mDC; }

 private:
  HDC mDC;
};

// A palette selected and realised in a device context until destruction,
// which selects the previous one back (before the context is released).
class CSelectedPalette {
 public:
  CSelectedPalette(HDC dc, HPALETTE palette) : mDC(dc) {
    if (dc && palette) {
      mOld = SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
    }
  }
  ~CSelectedPalette() {
    if (mOld) SelectPalette(mDC, mOld, FALSE);
  }
  CSelectedPalette(const CSelectedPalette&) = delete;
  CSelectedPalette& operator=(const CSelectedPalette&) = delete;

 private:
  HDC mDC;
  HPALETTE mOld = nullptr;
};

// A locked global-memory block, unlocked on destruction.
class CGlobalLock {
 public:
  explicit CGlobalLock(HGLOBAL handle) : mHandle(handle), mData(handle ? GlobalLock(handle) : nullptr) {}
  ~CGlobalLock() {
    if (mData) GlobalUnlock(mHandle);
  }
  CGlobalLock(const CGlobalLock&) = delete;
  CGlobalLock& operator=(const CGlobalLock&) = delete;
  void* Get() const { return mData; }

 private:
  HGLOBAL mHandle;
  void* mData;
};
