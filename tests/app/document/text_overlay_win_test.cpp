// Text as mask and blend, checked against GDI itself: the overlay of a
// profile equals GDI drawing the same frames and text straight onto a copy of
// the image at the overlay's rectangle (two-level text), and an antialiased
// mask equals the luminance GDI leaves in a bitmap read back with GetDIBits.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/document/history.h"
#include "app/document/stamp_buffer.h"
#include "app/document/text_mask.h"
#include "app/document/text_overlay.h"
#include "app/profiles/program_records.h"

namespace {

const char kText[] = "Brightwarden 12:34\nsecond line";

// A 24-bit DIB section with the same bottom-up rows as a 24-bit CRaster.
class CDibCopy {
 public:
  CDibCopy(const CRaster& image) : mSize(image.GetHeight() * size_t(image.GetRowBytes())) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.GetWidth();
    bi.bmiHeader.biHeight = image.GetHeight();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    mDc = CreateCompatibleDC(nullptr);
    mBitmap = CreateDIBSection(mDc, &bi, DIB_RGB_COLORS, &mBits, nullptr, 0);
    mOld = SelectObject(mDc, mBitmap);
    memcpy(mBits, image.GetBits(0), mSize);
  }
  ~CDibCopy() {
    SelectObject(mDc, mOld);
    DeleteObject(mBitmap);
    DeleteDC(mDc);
  }
  HDC Dc() const { return mDc; }
  bool Equals(const CRaster& image) const {
    GdiFlush();
    return memcmp(mBits, image.GetBits(0), mSize) == 0;
  }

 private:
  size_t mSize;
  HDC mDc;
  HBITMAP mBitmap;
  HGDIOBJ mOld;
  void* mBits = nullptr;
};

CImage* NewPatternedImage(int32_t width, int32_t height) {
  CImage* image = new CImage;
  image->Create(width, height, 24, 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      image->SetPixelColor(x, y, RgbQuadFromValue(uint32_t(x * 7 % 256) << 16 | (y * 5 % 256) << 8 | 0x40));
  image->SelectAll();
  return image;
}

LogFontRecord ArialRecord(int32_t height, uint8_t quality) {
  LOGFONTA lf = {};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfQuality = quality;
  strcpy(lf.lfFaceName, "Arial");
  LogFontRecord record;
  memcpy(&record, &lf, sizeof(record));
  return record;
}

// What the overlay must leave, drawn by GDI in colour on the copy: the
// rectangle of the measured text plus margins and frames at the position's
// point, clipped to the selection.
void DrawReference(HDC dc, const ProfileRecord& p, const RECT& selection, int32_t width,
                   int32_t height) {
  LOGFONTA lf;
  memcpy(&lf, &p.lfTxtOvlFont, sizeof(lf));
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT measured = {0, 0, 0, 0};
  DrawTextA(dc, p.szTxtOvlBuffer, -1, &measured, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
  const int32_t h = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  const int32_t frame = p.iTxtOvlFrame;
  const int32_t mw = measured.right + 2 * frame + h, mh = measured.bottom + 2 * frame + h / 2;
  // The reference points and mask alignments, position by position.
  const int32_t pointX[9] = {0, width / 2, width, 0, width / 2, width, 0, width / 2, width};
  const int32_t pointY[9] = {0, 0, 0, height / 2, height / 2, height / 2, height, height, height};
  const int32_t shiftX[9] = {0, mw / 2, mw, 0, mw / 2, mw, 0, mw / 2, mw};
  const int32_t shiftY[9] = {0, 0, 0, mh / 2, mh / 2, mh / 2, mh, mh, mh};
  const int32_t at = p.iTxtOvlRPos;
  const int32_t left = pointX[at] + p.iTxtOvlXOff - shiftX[at];
  const int32_t top = pointY[at] + p.iTxtOvlYOff - shiftY[at];

  IntersectClipRect(dc, selection.left, selection.top, selection.right + 1, selection.bottom + 1);
  RECT r = {left, top, left + mw, top + mh};
  HBRUSH pen = CreateSolidBrush(p.crTxtOvlColor);
  if (p.crTxtOvlBgnd < 0x1000000) {
    HBRUSH background = CreateSolidBrush(p.crTxtOvlBgnd);
    FillRect(dc, &r, background);
    DeleteObject(background);
  }
  for (int32_t i = 0; i < frame; ++i) {
    FrameRect(dc, &r, pen);
    InflateRect(&r, -1, -1);
  }
  DeleteObject(pen);
  r.left += h / 2;
  r.right -= h / 2;
  r.top += h / 4;
  r.bottom -= h / 4;
  SetTextColor(dc, p.crTxtOvlColor);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, p.szTxtOvlBuffer, -1, &r, UINT(p.iTxtOvlAlign) | DT_NOPREFIX | DT_NOCLIP);
  SelectClipRgn(dc, nullptr);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

class TextOverlay : public ::testing::Test {
 protected:
  void TearDown() override {
    ClearHistory();
    FreeStampBuffer();
  }
};

TEST_F(TextOverlay, EqualsGdiDrawingTheSameTextAndFrames) {
  const int32_t w = 320, h = 180;
  struct Variant {
    uint32_t background;
    int32_t frame, dx, dy;
    RECT selection;
  } variants[] = {
      {0x00FFFFFF, 0, -10, -10, {0, 0, w - 1, h - 1}},
      {0x00335577, 2, 0, 0, {0, 0, w - 1, h - 1}},
      {0xFF000000, 0, 0, 0, {0, 0, w - 1, h - 1}},            // transparent
      {0x01FFFFFF, 2, 7, -3, {0, 0, w - 1, h - 1}},           // transparent
      {0x0000FF00, 2, 150, 90, {0, 0, w - 1, h - 1}},         // past the borders
      {0x000000FF, 1, -90, -40, {40, 30, 250, 140}},          // selection clips
      {0x80000000, 3, 20, 25, {100, 10, 200, 170}},
  };
  int checked = 0;
  for (const Variant& v : variants) {
    for (int32_t position = 0; position < 9; ++position) {
      SCOPED_TRACE("position " + std::to_string(position) + ", background " +
                   std::to_string(v.background) + ", frame " + std::to_string(v.frame));
      ProfileRecord p = gProfileTemplate;
      snprintf(p.szTxtOvlBuffer, sizeof(p.szTxtOvlBuffer), "%s", kText);
      p.lfTxtOvlFont = ArialRecord(-24, NONANTIALIASED_QUALITY);
      p.iTxtOvlRPos = position;
      p.iTxtOvlXOff = v.dx;
      p.iTxtOvlYOff = v.dy;
      p.iTxtOvlFrame = v.frame;
      p.iTxtOvlAlign = position % 3;  // DT_LEFT, DT_CENTER, DT_RIGHT
      p.crTxtOvlColor = 0x00102030;
      p.crTxtOvlBgnd = v.background;
      ClearHistory();
      CImage* image = NewPatternedImage(w, h);
      image->rcSelection = v.selection;
      ASSERT_EQ(AddToHistory(image, nullptr, 0), 0);
      CDibCopy reference(*image);
      DrawReference(reference.Dc(), p, v.selection, w, h);
      ASSERT_EQ(ApplyTextOverlay(&p), 0u);
      EXPECT_TRUE(reference.Equals(*image));
      ++checked;
    }
  }
  EXPECT_EQ(checked, 63);
}

TEST_F(TextOverlay, FailuresStampNothing) {
  EXPECT_EQ(ApplyTextOverlay(&gProfileTemplate), 0x180002u) << "no image";
  CImage* image = NewPatternedImage(64, 48);
  ASSERT_EQ(AddToHistory(image, nullptr, 0), 0);
  CDibCopy before(*image);
  ProfileRecord p = gProfileTemplate;
  p.lfTxtOvlFont = ArialRecord(-24, NONANTIALIASED_QUALITY);
  ASSERT_EQ(ApplyTextOverlay(&p), 0u);
  ASSERT_NE(gStampBuffer.pMask, nullptr);
  CDibCopy stamped(*image);
  // A font too tall for a mask: the old mask goes too, nothing is stamped.
  p.lfTxtOvlFont = ArialRecord(-5000, NONANTIALIASED_QUALITY);
  EXPECT_EQ(ApplyTextOverlay(&p), 0x180001u);
  EXPECT_EQ(gStampBuffer.pMask, nullptr);
  EXPECT_TRUE(stamped.Equals(*image));
  EXPECT_FALSE(before.Equals(*image));
}

TEST_F(TextOverlay, AntialiasedMaskIsTheLuminanceGdiDraws) {
  const int32_t height = 48;
  HFONT font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0,
                           ANTIALIASED_QUALITY, 0, "Arial");
  ASSERT_EQ(RenderTextMask(nullptr, "Qg@ 48", font, 1, DT_LEFT, -height), kTextMaskDone);
  const int32_t mw = gStampBuffer.iMaskWidth, mh = gStampBuffer.iMaskHeight;

  // The same text on a device-dependent bitmap, read back with GetDIBits.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, mw, mh);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT r = {0, 0, mw, mh};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT text = {1 + height / 2, 1 + height / 4, mw - 1 - height / 2, mh - 1 - height / 4};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, 0);
  DrawTextA(dc, "Qg@ 48", -1, &text, DT_LEFT | DT_NOPREFIX | DT_NOCLIP);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = mw;
  bi.bmiHeader.biHeight = -mh;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<uint8_t> bgra(size_t(mw) * mh * 4);
  ASSERT_EQ(GetDIBits(dc, bitmap, 0, UINT(mh), bgra.data(), &bi, DIB_RGB_COLORS), mh);
  DeleteObject(bitmap);
  DeleteDC(dc);
  DeleteObject(font);

  std::vector<uint8_t> levels(256);
  for (size_t i = 0; i < size_t(mw) * mh; ++i) {
    const uint8_t* p = &bgra[4 * i];
    const uint8_t grey = uint8_t((299 * p[2] + 587 * p[1] + 114 * p[0]) / 1000);
    ASSERT_EQ(gStampBuffer.pMask[i], grey) << "mask byte " << i;
    levels[grey] = 1;
  }
  int distinct = 0;
  for (uint8_t l : levels) distinct += l;
  EXPECT_GT(distinct, 2) << "antialiased text has grey levels";

  // Blended in, each pixel is the pen and paper mixed by its mask byte.
  CImage image;
  ASSERT_TRUE(image.Create(mw + 10, mh + 10, 24, 0));
  image.Clear(0x80);
  image.SelectAll();
  image.PrepareDrawing();
  image.SetPen(1, 0xFF204060);
  image.StampTextMask(5, 5, 0, 0xFFF0E0D0);
  for (int32_t y = 0; y < mh; ++y) {
    for (int32_t x = 0; x < mw; ++x) {
      const uint32_t v = gStampBuffer.pMask[size_t(y) * mw + x];
      const RGBQUAD got = image.GetPixelColor(x + 5, mh + 10 - 1 - (y + 5));
      const uint32_t red = (0x20 * 255 + (0xF0 - 0x20) * v) / 255;
      const uint32_t blue = (0x60 * 255 + (0xD0 - 0x60) * v) / 255;
      ASSERT_EQ(got.rgbRed, red) << x << "," << y;
      ASSERT_EQ(got.rgbBlue, blue) << x << "," << y;
    }
  }
}

}  // namespace
