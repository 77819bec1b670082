// Exchange with Windows on a real display: packed DIBs through the
// clipboard, GDI bitmaps (the clipboard's synthesized CF_BITMAP and DIB
// sections) through CreateFromBitmap, and the alpha test for 32-bit bitmaps.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "imagelib/raster.h"

namespace {

// An image of the given depth with random pixels and, below 24 bits, a
// random palette.
void FillRandom(CRaster& image, uint32_t seed) {
  std::mt19937 rng{seed};
  if (image.IsIndexed()) {
    for (DWORD i = 0; i < image.GetNumColors(); ++i)
      image.SetPaletteColor(BYTE(i), BYTE(rng()), BYTE(rng()), BYTE(rng()), 0);
  }
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    BYTE* row = image.GetBits(y);
    for (int32_t i = 0; i < image.GetRowBytes(); ++i) row[i] = BYTE(rng());
  }
}

uint32_t Colour(const CRaster& image, int32_t x, int32_t y) {
  const RGBQUAD c = image.GetPixelColor(x, y);
  return uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | c.rgbBlue;
}

testing::AssertionResult SameColours(const CRaster& a, const CRaster& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
    return testing::AssertionFailure() << "sizes differ";
  for (int32_t y = 0; y < a.GetHeight(); ++y)
    for (int32_t x = 0; x < a.GetWidth(); ++x)
      if (Colour(a, x, y) != Colour(b, x, y))
        return testing::AssertionFailure() << "pixel " << x << "," << y << ": " << std::hex
                                           << Colour(a, x, y) << " vs " << Colour(b, x, y);
  return testing::AssertionSuccess();
}

testing::AssertionResult SameIndices(const CRaster& a, const CRaster& b) {
  for (int32_t y = 0; y < a.GetHeight(); ++y)
    for (int32_t x = 0; x < a.GetWidth(); ++x)
      if (a.GetPixelIndex(x, y) != b.GetPixelIndex(x, y))
        return testing::AssertionFailure() << "index at " << x << "," << y;
  return testing::AssertionSuccess();
}

class CClipboard {
 public:
  CClipboard() {
    for (int i = 0; i < 50 && !mOpen; ++i) {
      mOpen = OpenClipboard(nullptr) != FALSE;
      if (!mOpen) Sleep(20);
    }
  }
  ~CClipboard() {
    if (mOpen) CloseClipboard();
  }
  bool IsOpen() const { return mOpen; }

 private:
  bool mOpen = false;
};

bool PutDib(const CRaster& image) {
  HGLOBAL handle = image.CopyToDibHandle();
  if (!handle) return false;
  CClipboard clipboard;
  if (!clipboard.IsOpen() || !EmptyClipboard()) {
    GlobalFree(handle);
    return false;
  }
  if (!SetClipboardData(CF_DIB, handle)) {
    GlobalFree(handle);
    return false;
  }
  return true;
}

TEST(ClipboardDib, RoundTripsAreExact) {
  for (int bpp : {1, 4, 8, 24}) {
    for (int32_t width : {1, 3, 7, 31, 33, 65}) {
      SCOPED_TRACE(testing::Message() << bpp << " bits, width " << width);
      CRaster source(width, 5, bpp);
      FillRandom(source, uint32_t(bpp * 100 + width));
      source.SetXDpi(144);
      ASSERT_TRUE(PutDib(source));
      CRaster pasted;
      {
        CClipboard clipboard;
        ASSERT_TRUE(clipboard.IsOpen());
        HANDLE data = GetClipboardData(CF_DIB);
        ASSERT_NE(data, nullptr);
        ASSERT_TRUE(pasted.CreateFromDibHandle(static_cast<HGLOBAL>(data)));
      }
      EXPECT_EQ(pasted.GetBpp(), bpp);
      EXPECT_EQ(pasted.GetXDpi(), 144);
      EXPECT_TRUE(SameColours(source, pasted));
      if (bpp < 24) {
        EXPECT_TRUE(SameIndices(source, pasted));
      }
    }
  }
}

TEST(ClipboardDib, SynthesizedBitmapKeepsTheColours) {
  for (int bpp : {1, 4, 8, 24}) {
    SCOPED_TRACE(bpp);
    CRaster source(33, 7, bpp);
    FillRandom(source, uint32_t(bpp));
    ASSERT_TRUE(PutDib(source));
    CRaster pasted;
    {
      CClipboard clipboard;
      ASSERT_TRUE(clipboard.IsOpen());
      HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
      ASSERT_NE(bitmap, nullptr);
      ASSERT_TRUE(pasted.CreateFromBitmap(bitmap, nullptr, false)) << pasted.GetLastError();
    }
    EXPECT_TRUE(SameColours(source, pasted));
  }
}

// A DIB section of the given depth holding the image's rows and palette.
HBITMAP MakeSection(const CRaster& image, int bpp, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  BITMAPINFO* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = image.GetWidth();
  bi->bmiHeader.biHeight = image.GetHeight();
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = WORD(bpp);
  bi->bmiHeader.biCompression = BI_RGB;
  if (image.IsIndexed()) {
    bi->bmiHeader.biClrUsed = image.GetNumColors();
    std::memcpy(bi->bmiColors, image.GetPalette(), image.GetPaletteSize());
  }
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) std::memcpy(bits, rows.data(), rows.size());
  return section;
}

TEST(BitmapImport, DibSectionsOfEveryDepth) {
  const int32_t width = 13, height = 6;
  for (int bpp : {1, 8, 16, 24, 32}) {
    SCOPED_TRACE(bpp);
    CRaster source(width, height, bpp <= 8 ? bpp : 24);
    FillRandom(source, uint32_t(bpp + 7));
    const size_t rowBytes = size_t((width * bpp + 31) / 32 * 4);
    std::vector<uint8_t> rows(rowBytes * height);
    std::mt19937 rng{uint32_t(bpp)};
    for (auto& b : rows) b = uint8_t(rng());
    if (bpp <= 8) {
      for (int32_t y = 0; y < height; ++y) std::memcpy(&rows[y * rowBytes], source.GetBits(y), rowBytes);
    }
    HBITMAP section = MakeSection(source, bpp, rows);
    ASSERT_NE(section, nullptr);
    CRaster image;
    ASSERT_TRUE(image.CreateFromBitmap(section, nullptr, false)) << image.GetLastError();
    DeleteObject(section);
    ASSERT_EQ(image.GetBpp(), bpp <= 8 ? bpp : 24);
    ASSERT_EQ(image.GetWidth(), width);
    ASSERT_EQ(image.GetHeight(), height);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* s = &rows[y * rowBytes];
      for (int32_t x = 0; x < width; ++x) {
        const RGBQUAD got = image.GetPixelColor(x, y);
        if (bpp <= 8) {
          ASSERT_EQ(Colour(image, x, y), Colour(source, x, y)) << x << "," << y;
        } else if (bpp == 16) {
          const unsigned p = unsigned(s[2 * x] | s[2 * x + 1] << 8);
          ASSERT_EQ(unsigned(got.rgbBlue >> 3), p & 31u);
          ASSERT_EQ(unsigned(got.rgbGreen >> 3), (p >> 5) & 31u);
          ASSERT_EQ(unsigned(got.rgbRed >> 3), (p >> 10) & 31u);
        } else {
          const int step = bpp / 8;
          ASSERT_EQ(got.rgbBlue, s[step * x]);
          ASSERT_EQ(got.rgbGreen, s[step * x + 1]);
          ASSERT_EQ(got.rgbRed, s[step * x + 2]);
        }
      }
    }
  }
}

TEST(BitmapImport, AlphaIsDetectedAndDropped) {
  CRaster shape(9, 4, 24);
  std::vector<uint8_t> rows(9 * 4 * 4, 0x40);
  for (size_t i = 3; i < rows.size(); i += 4) rows[i] = 0;
  HBITMAP opaque = MakeSection(shape, 32, rows);
  rows[4 * 17 + 3] = 0x80;
  HBITMAP translucent = MakeSection(shape, 32, rows);
  HBITMAP rgb = MakeSection(shape, 24, std::vector<uint8_t>(12 * 4 * 3, 0x40));
  ASSERT_TRUE(opaque && translucent && rgb);
  EXPECT_FALSE(CRaster::HasAlphaBitmap(nullptr));
  EXPECT_FALSE(CRaster::HasAlphaBitmap(rgb));
  EXPECT_FALSE(CRaster::HasAlphaBitmap(opaque));
  EXPECT_TRUE(CRaster::HasAlphaBitmap(translucent));

  CRaster image;
  ASSERT_TRUE(image.CreateFromBitmap(translucent, nullptr, true));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(Colour(image, 8, 1), 0x404040u);
  EXPECT_FALSE(image.CreateFromBitmap(nullptr, nullptr, true));
  EXPECT_FALSE(image.IsValid());
  DeleteObject(opaque);
  DeleteObject(translucent);
  DeleteObject(rgb);
}

// The Windows imports start afresh: no background entry or important-colour
// count of the image before survives.
TEST(BitmapImport, ImportsForgetTheImageBefore) {
  CRaster standard(4, 2, 8);
  standard.SetStandardPalette();
  HBITMAP section = MakeSection(standard, 24, std::vector<uint8_t>(4 * 2 * 3, 0x40));
  HGLOBAL handle = standard.CopyToDibHandle();
  ASSERT_TRUE(section && handle);
  for (int route = 0; route < 2; ++route) {
    CRaster image(3, 3, 8);
    image.SetBkgndIndex(3);
    image.SetClrImportant(2);
    ASSERT_TRUE(route == 0 ? image.CreateFromBitmap(section, nullptr, false)
                           : image.CreateFromDibHandle(handle));
    EXPECT_EQ(image.GetBkgndIndex(), -1) << route;
    EXPECT_EQ(image.GetClrImportant(), 0u) << route;
    if (route == 1) {
      EXPECT_EQ(image.GetNearestIndex(RgbQuadFromValue(0xFF0000)), 249);
    }
  }
  DeleteObject(section);
  GlobalFree(handle);
}

TEST(DibHandles, CopyAndImportBounds) {
  CRaster empty;
  EXPECT_EQ(empty.CopyToDibHandle(), nullptr);

  CRaster image(5, 3, 8);
  FillRandom(image, 42);
  HGLOBAL handle = image.CopyToDibHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(GlobalSize(handle), SIZE_T(image.GetSize()));
  void* data = GlobalLock(handle);
  EXPECT_EQ(std::memcmp(data, image.GetDib(), image.GetSize()), 0);
  GlobalUnlock(handle);
  GlobalFree(handle);

  // A block shorter than its own header is refused.
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE, 20);
  std::memcpy(GlobalLock(small), image.GetDib(), 20);
  GlobalUnlock(small);
  CRaster pasted;
  EXPECT_FALSE(pasted.CreateFromDibHandle(small));
  EXPECT_FALSE(pasted.CreateFromDibHandle(nullptr));
  GlobalFree(small);
}

}  // namespace
