// Our icons as Windows draws them: CreateIconFromResourceEx and DrawIconEx
// over green show green at every pixel of the background colour and the
// image's colour everywhere else, in palette and true colour.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imagelib/codecs/ico/raster_ico.h"
#include "tests/imagelib/codecs/codec_encode_util.h"

namespace {

constexpr int kSide = 32;
constexpr uint32_t kGreen = 0x0000FF00;  // a DIB section's BGRA as a value

struct DrawSurface {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* pixels = nullptr;  // rows from the top
  DrawSurface() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kSide;
    bi.bmiHeader.biHeight = -kSide;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<uint32_t*>(bits);
    if (bitmap) old = SelectObject(dc, bitmap);
  }
  ~DrawSurface() {
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
};

TEST(IcoDraw, BackgroundPixelsShowWhatIsBehind) {
  for (int bpp : {8, 24}) {
    SCOPED_TRACE(bpp);
    CRaster image(kSide, kSide, bpp);
    FillRandom(image, uint32_t(bpp) * 11);
    const RGBQUAD background = image.IsIndexed() ? image.GetPaletteColor(3) : RgbQuadFromValue(0xFF0000);
    for (int32_t y = 0; y < kSide; ++y)
      for (int32_t x = 0; x < kSide; ++x) {
        if ((x * 7 + y * 3) % 5 != 0) continue;
        if (image.IsIndexed())
          image.SetPixelIndexUnchecked(x, y, 3);
        else
          image.SetPixelColorUnchecked(x, y, background);
      }
    if (!image.IsIndexed()) image.SetBkgndColor(background);
    image.SetBkgndIndex(3);
    const std::vector<uint8_t> file = EncodeWithToBytes<CRasterICO>(image);
    ASSERT_GT(file.size(), 22u);

    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + 22), DWORD(file.size() - 22),
                                          TRUE, 0x00030000, kSide, kSide, LR_DEFAULTCOLOR);
    ASSERT_TRUE(icon);
    DrawSurface surface;
    ASSERT_TRUE(surface.pixels);
    for (int i = 0; i < kSide * kSide; ++i) surface.pixels[i] = kGreen;
    EXPECT_TRUE(DrawIconEx(surface.dc, 0, 0, icon, kSide, kSide, 0, nullptr, DI_NORMAL));
    GdiFlush();
    DestroyIcon(icon);
    int wrong = 0;
    for (int32_t y = 0; y < kSide; ++y)
      for (int32_t x = 0; x < kSide; ++x) {
        const RGBQUAD c = image.GetPixelColorUnchecked(x, kSide - 1 - y);
        const bool masked = c.rgbRed == background.rgbRed && c.rgbGreen == background.rgbGreen &&
                            c.rgbBlue == background.rgbBlue;
        const uint32_t want = masked ? kGreen : (uint32_t(c.rgbRed) << 16 | c.rgbGreen << 8 | c.rgbBlue);
        if ((surface.pixels[y * kSide + x] & 0xFFFFFF) != want && ++wrong < 5)
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << surface.pixels[y * kSide + x]
                        << ", expected " << want;
      }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
