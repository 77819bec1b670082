// The GDI half of the text mask.
#include <windows.h>

#include "app/document/stamp_buffer.h"
#include "app/document/text_mask.h"

namespace {

// A memory device context compatible with the screen; the objects selected
// into it are put back and the bitmap deleted when it goes.
class CMaskCanvas {
 public:
  CMaskCanvas() : mDc(CreateCompatibleDC(nullptr)) {}
  ~CMaskCanvas() {
    if (!mDc) return;
    if (mOldFont) SelectObject(mDc, mOldFont);
    if (mOldBitmap) SelectObject(mDc, mOldBitmap);
    if (mBitmap) DeleteObject(mBitmap);
    DeleteDC(mDc);
  }
  CMaskCanvas(const CMaskCanvas&) = delete;
  CMaskCanvas& operator=(const CMaskCanvas&) = delete;

  HDC Dc() const { return mDc; }
  void SelectFont(HFONT font) { mOldFont = SelectObject(mDc, font); }
  // A 24-bit top-down DIB section; null when it cannot be made.
  const BYTE* SelectNewBitmap(int32_t width, int32_t height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    mBitmap = CreateDIBSection(mDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!mBitmap || !bits) return nullptr;
    mOldBitmap = SelectObject(mDc, mBitmap);
    return static_cast<const BYTE*>(bits);
  }

 private:
  HDC mDc;
  HGDIOBJ mOldFont = nullptr;
  HGDIOBJ mOldBitmap = nullptr;
  HBITMAP mBitmap = nullptr;
};

}  // namespace

int RenderTextMask(CImage*, const char* text, HFONT font, int32_t frameWidth, UINT format,
                   int32_t fontHeight) {
  FreeTextMask();
  if (!text) text = "";
  CMaskCanvas canvas;
  if (!canvas.Dc()) return kTextMaskNoDc;
  HDC dc = canvas.Dc();
  canvas.SelectFont(font);
  RECT measured = {0, 0, 0, 0};
  DrawTextA(dc, text, -1, &measured, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
  int32_t width, height;
  if (!TextMaskSize(measured.right - measured.left, measured.bottom - measured.top, frameWidth,
                    fontHeight, &width, &height))
    return kTextMaskNoMemory;
  const BYTE* bits = canvas.SelectNewBitmap(width, height);
  if (!bits) return kTextMaskNoBitmap;

  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  RECT r = {0, 0, width, height};
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (int32_t i = 0; i < frameWidth; ++i) {
    FrameRect(dc, &r, black);
    InflateRect(&r, -1, -1);
  }
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const int32_t h = fontHeight < 0 ? -fontHeight : fontHeight;
  r.left += h / 2;
  r.right -= h / 2;
  r.top += h / 4;
  r.bottom -= h / 4;
  DrawTextA(dc, text, -1, &r, format | DT_NOPREFIX | DT_NOCLIP);
  GdiFlush();

  uint8_t* mask = AllocateTextMask(width, height);
  if (!mask) return kTextMaskNoMemory;
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  for (int32_t y = 0; y < height; ++y) GreyFromBgr(bits + y * stride, width, mask + size_t(y) * width);
  return kTextMaskDone;
}
