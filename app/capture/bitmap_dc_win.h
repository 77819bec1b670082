#pragma once
// A memory device context with a bitmap of its own selected into it,
// compatible with the screen: the snapshot, the grab and the label's saved
// background. Everything is given back on every path by the destructor.
#include <windows.h>

class CBitmapDC {
 public:
  CBitmapDC() = default;
  ~CBitmapDC() { Free(); }
  CBitmapDC(const CBitmapDC&) = delete;
  CBitmapDC& operator=(const CBitmapDC&) = delete;

  // False (and nothing held) when the context or the bitmap cannot be made.
  bool Create(int width, int height) {
    Free();
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    dc = CreateCompatibleDC(screen);
    bitmap = dc ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!bitmap) {
      Free();
      return false;
    }
    replaced_ = SelectObject(dc, bitmap);
    this->width = width;
    this->height = height;
    return true;
  }
  // Takes the bitmap out of the context for whoever reads it next (GDI
  // refuses to read a bitmap that is selected). The context stays.
  HBITMAP Release() {
    if (dc && replaced_) SelectObject(dc, replaced_);
    replaced_ = nullptr;
    return bitmap;
  }
  void Free() {
    Release();
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    bitmap = nullptr;
    dc = nullptr;
    width = height = 0;
  }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  int width = 0;
  int height = 0;

 private:
  HGDIOBJ replaced_ = nullptr;
};
