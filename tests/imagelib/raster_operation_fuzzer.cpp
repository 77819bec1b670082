// libFuzzer target: an image of any depth and size up to 64 x 64 with a
// random palette, then one image operation with raw parameters (NaN,
// infinities, INT_MIN/MAX, zero, negative, huge). Every call must either fail
// with one of the library's texts, leaving the image as it was in size and
// depth, or give an image of the expected size.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "imagelib/raster.h"

namespace {

class CReader {
 public:
  CReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
  uint8_t Byte() { return mAt < mSize ? mData[mAt++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return v;
  }
  // Raw integers, often one of the values that break arithmetic.
  int32_t Int() {
    static const int32_t special[] = {0, 1, -1, 2, 7, 64, 255, 256, INT_MIN, INT_MAX,
                                      INT_MIN + 1, 1 << 20, -(1 << 20), 65536};
    const uint8_t pick = Byte();
    if (pick < 128) return special[pick % (sizeof(special) / sizeof(special[0]))];
    return int32_t(Word());
  }
  float Float() {
    static const float special[] = {0.0f, 1.0f, -1.0f, 0.5f, 2.2f, 90.0f, -90.0f, 180.0f,
                                    540.0f, 17.0f, 1e-30f, 1e30f, -1e30f,
                                    std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(), 3e9f, 63.5f};
    const uint8_t pick = Byte();
    if (pick < 160) return special[pick % (sizeof(special) / sizeof(special[0]))];
    const uint32_t bits = Word();
    float v;
    memcpy(&v, &bits, 4);
    return v;
  }
  bool Bool() { return Byte() & 1; }

 private:
  const uint8_t* mData;
  size_t mSize, mAt = 0;
};

// Reaches the selection mask, so the selection-box paths are fuzzed too.
class CFuzzRaster : public CRaster {
 public:
  void Select(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    free(selection);
    selection = static_cast<BYTE*>(calloc(size_t(GetWidth()) * size_t(GetHeight()), 1));
    info.selectionBox = RECT{left, top, right, bottom};
  }
};

void Check(bool condition) {
  if (!condition) abort();
}

// A failure leaves one of the library's texts and the image as it was.
void CheckRefusal(const CRaster& image, int32_t width, int32_t height, int32_t bpp) {
  static const char* const texts[] = {"",
                                      "Cancelled",
                                      "RASTER_MAX_MEMORY exceeded",
                                      "CRaster::Create : width and height must be greater than zero",
                                      "DecreaseBpp: target BPP greater than source BPP"};
  bool known = false;
  for (const char* text : texts) known = known || strcmp(image.GetLastError(), text) == 0;
  Check(known);
  Check(image.IsValid() && image.GetWidth() == width && image.GetHeight() == height &&
        image.GetBpp() == bpp);
}

void CheckResult(bool ok, const CRaster& image, int32_t width, int32_t height, int32_t bpp,
                 int32_t wantWidth, int32_t wantHeight, int32_t wantBpp) {
  if (!ok) {
    CheckRefusal(image, width, height, bpp);
    return;
  }
  Check(image.IsValid());
  if (wantWidth > 0) Check(image.GetWidth() == wantWidth);
  if (wantHeight > 0) Check(image.GetHeight() == wantHeight);
  if (wantBpp > 0) Check(image.GetBpp() == wantBpp);
}

int32_t Limited(int32_t v, int32_t high) { return v < 0 ? 0 : v > high ? high : v; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CReader in(data, size);
  const int32_t w = 1 + in.Byte() % 64, h = 1 + in.Byte() % 64;
  static const int32_t depths[] = {1, 4, 8, 24};
  const int32_t bpp = depths[in.Byte() % 4];
  CFuzzRaster image;
  Check(image.Create(w, h, bpp, RASTER_FORMAT_UNKNOWN) != nullptr);
  // Palette and pixels from a generator, so short inputs reach every operation.
  uint32_t fill = in.Word() | 1;
  auto next = [&fill] {
    fill = fill * 1664525u + 1013904223u;
    return fill;
  };
  RGBQUAD palette[256];
  for (RGBQUAD& entry : palette) entry = RgbQuadFromValue(next());
  image.SetPalette(palette, 256);
  if (in.Bool()) image.SetGrayPalette();
  for (int32_t y = 0; y < h; ++y) {
    BYTE* row = image.GetBits(y);
    for (int32_t k = 0; k < image.GetRowBytes(); ++k) row[k] = BYTE(next() >> 24);
  }
  const uint8_t operation = in.Byte();
  const uint8_t extras = in.Byte();
  if (extras & 1) image.SetBkgndIndex(in.Int());
  if (extras & 2) image.SetClrImportant(DWORD(in.Int()));
  if (extras & 4) image.Select(in.Int(), in.Int(), in.Int(), in.Int());

  bool ok = false;
  switch (operation % 20) {
    case 0: {
      static const int32_t sizes[] = {-1, 0, 1, 2, 3, 5, 7, INT_MIN};
      const int32_t kernelSize = sizes[in.Byte() % 8];
      int32_t kernel[49];
      for (int32_t& k : kernel) k = in.Int();
      ok = image.Filter(in.Bool() ? nullptr : kernel, kernelSize, in.Int(), in.Int());
      CheckResult(ok, image, w, h, bpp, w, h, bpp);
      break;
    }
    case 1:
      ok = image.Gamma(in.Float());
      CheckResult(ok, image, w, h, bpp, w, h, 0);
      break;
    case 2:
      ok = image.BrightnessContrast(in.Int(), in.Int());
      CheckResult(ok, image, w, h, bpp, w, h, 0);
      break;
    case 3: {
      BYTE table[256];
      for (BYTE& t : table) t = BYTE(next() >> 24);
      ok = image.ApplyLut(table);
      CheckResult(ok, image, w, h, bpp, w, h, 0);
      break;
    }
    case 4:
      Check(image.Negative());
      Check(std::isfinite(image.MeanGray()));
      Check(image.MeanGray() >= 0 && image.MeanGray() <= 255);
      break;
    case 5: {
      const int32_t left = in.Int(), top = in.Int(), right = in.Int(), bottom = in.Int();
      const int32_t cw = std::abs(Limited(left, w) - Limited(right, w));
      const int32_t ch = std::abs(Limited(top, h) - Limited(bottom, h));
      ok = image.Crop(left, top, right, bottom);
      CheckResult(ok, image, w, h, bpp, cw, ch, bpp);
      Check(ok == (cw > 0 && ch > 0));
      break;
    }
    case 6:
      CheckResult(image.Mirror(), image, w, h, bpp, w, h, bpp);
      break;
    case 7:
      CheckResult(image.Rotate180(), image, w, h, bpp, w, h, bpp);
      break;
    case 8:
      CheckResult(in.Bool() ? image.RotateLeft() : image.RotateRight(), image, w, h, bpp, h, w, bpp);
      break;
    case 9: {
      const float angle = in.Float();
      const int32_t method = in.Int(), overflow = in.Int();
      const RGBQUAD replacement = RgbQuadFromValue(in.Word());
      const bool optimize = in.Bool(), keep = in.Bool();
      ok = image.Rotate(angle, nullptr, method, overflow, in.Bool() ? &replacement : nullptr,
                        optimize, keep);
      CheckResult(ok, image, w, h, bpp, keep ? w : 0, keep ? h : 0, bpp);
      Check(ok == std::isfinite(angle));
      break;
    }
    case 10: {
      const int32_t nw = in.Int(), nh = in.Int();
      // Large outputs only where they must be refused: no work beyond 2^20
      // pixels, each reading at most a few source rows and columns.
      const double pixels = double(nw) * double(nh);
      const double reads = pixels * (double(w) / nw + 2) * (double(h) / nh + 2);
      const double bytes = std::ceil(double(nw) * bpp / 32) * 4 * nh;
      if (nw > 0 && nh > 0 && (pixels > (1 << 20) || reads > (1 << 22)) &&
          bytes <= double(RASTER_MAX_MEMORY)) {
        break;
      }
      ok = image.Resample(nw, nh, in.Int(), in.Int(), nullptr, in.Bool());
      CheckResult(ok, image, w, h, bpp, nw, nh, bpp);
      Check(!ok || (nw > 0 && nh > 0));
      break;
    }
    case 11:
    case 12: {
      const float x = in.Float(), y = in.Float(), aw = in.Float(), ah = in.Float();
      const int32_t method = in.Int(), overflow = in.Int();
      const RGBQUAD replacement = RgbQuadFromValue(in.Word());
      const RGBQUAD c = operation % 20 == 11
                            ? image.GetPixelColorInterpolated(x, y, method, overflow, &replacement)
                            : image.GetAreaColorInterpolated(x, y, aw, ah, method, overflow, nullptr);
      Check(c.rgbReserved == 0);
      break;
    }
    case 13: {
      int32_t x = in.Int(), y = in.Int();
      const int32_t overflow = in.Int();
      image.GetPixelColorWithOverflow(x, y, overflow, nullptr);
      image.OverflowCoordinates(x, y, overflow);
      if (overflow >= OverflowWrap && overflow <= OverflowMirror) Check(image.IsInside(x, y));
      float fx = in.Float(), fy = in.Float();
      image.OverflowCoordinates(fx, fy, in.Int());
      break;
    }
    case 14:
      CheckResult(image.GrayScale(), image, w, h, bpp, w, h, 8);
      break;
    case 15: {
      const int32_t to = in.Int();
      ok = image.IncreaseBpp(to);
      CheckResult(ok, image, w, h, bpp, w, h, ok ? (to > bpp ? to : bpp) : 0);
      Check(!ok || to == 4 || to == 8 || to == 24);
      break;
    }
    case 16:
    case 17: {
      const int32_t to = in.Int();
      ok = image.DecreaseBpp(to, in.Bool(), in.Bool() ? palette : nullptr, DWORD(in.Int()));
      CheckResult(ok, image, w, h, bpp, w, h, 0);
      break;
    }
    case 18:
      CheckResult(image.Dither(in.Int()), image, w, h, bpp, w, h, bpp == 1 ? 1 : 0);
      if (image.IsValid() && image.GetBpp() != 1) Check(image.GetBpp() == 8);
      break;
    case 19: {
      RGBQUAD hsl = RgbQuadFromValue(in.Word());
      const RGBQUAD rgb = CRaster::HslToRgb(hsl);
      hsl = CRaster::RgbToHsl(rgb);
      Check(hsl.rgbReserved == 0 && rgb.rgbReserved == 0);
      break;
    }
  }
  return 0;
}
