// Changing an image's colour depth: to grey, up, down to a palette (with
// optional error diffusion), and to black and white by dithering.
#include <cstdlib>
#include <cstring>

#include "imagelib/raster.h"

namespace {

BYTE GrayLevel(const RGBQUAD& c) {
  return BYTE((601 * c.rgbGreen + 306 * c.rgbRed + 117 * c.rgbBlue) >> 10);
}

int32_t RoundedDepth(int32_t bpp) {
  if (bpp <= 1) return 1;
  if (bpp <= 4) return 4;
  if (bpp <= 8) return 8;
  return 24;
}

BYTE AddLimited(BYTE value, int32_t change) {
  const int32_t sum = value + change;
  return BYTE(sum < 0 ? 0 : sum > 255 ? 255 : sum);
}

}  // namespace

bool CRaster::GrayScale() {
  if (!dib) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  if (GetBpp() == 24) {
    CRaster result;
    if (!CreateResult(result, width, height, 8, false)) return false;
    result.SetGrayPalette();
    for (int32_t y = 0; y < height; ++y) {
      const BYTE* source = GetBits(y);
      BYTE* target = result.GetBits(y);
      for (int32_t x = 0; x < width; ++x, source += 3) {
        target[x] = BYTE((601 * source[1] + 306 * source[2] + 117 * source[0]) >> 10);
      }
    }
    if (info.bkgndIndex >= 0) result.info.bkgndIndex = GrayLevel(GetBkgndColor());
    return FinishResult(result, nullptr);
  }

  // Palette images: the grey level of each entry, looked up per pixel. The
  // palette is only touched once the result is sure.
  BYTE gray[256] = {};
  for (DWORD i = 0; i < GetNumColors() && i < 256; ++i) gray[i] = GrayLevel(GetPaletteColor(BYTE(i)));
  const int32_t background = info.bkgndIndex >= 0 ? gray[info.bkgndIndex & 0xFF] : -1;
  if (GetBpp() == 8) {
    for (int32_t y = 0; y < height; ++y) {
      BYTE* row = GetBits(y);
      for (int32_t x = 0; x < width; ++x) row[x] = gray[row[x]];
    }
    SetGrayPalette();
    info.bkgndIndex = background;
    return true;
  }
  CRaster result;
  if (!CreateResult(result, width, height, 8, false)) return false;
  result.SetGrayPalette();
  for (int32_t y = 0; y < height; ++y) {
    BYTE* target = result.GetBits(y);
    for (int32_t x = 0; x < width; ++x) target[x] = gray[GetPixelIndexUnchecked(x, y)];
  }
  result.info.bkgndIndex = background;
  return FinishResult(result, nullptr);
}

bool CRaster::IncreaseBpp(int32_t bpp) {
  if (!dib || (bpp != 4 && bpp != 8 && bpp != 24)) return false;
  if (bpp == GetBpp()) return true;
  if (bpp < GetBpp()) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  CRaster result;
  if (!CreateResult(result, width, height, bpp, bpp != 24)) return false;
  for (int32_t y = 0; y < height; ++y) {
    if (StopRequested(y, height)) return false;
    if (bpp == 24) {
      BYTE* target = result.GetBits(y);
      for (int32_t x = 0; x < width; ++x, target += 3) {
        const RGBQUAD c = GetPixelColorUnchecked(x, y);
        target[0] = c.rgbBlue;
        target[1] = c.rgbGreen;
        target[2] = c.rgbRed;
      }
    } else {
      for (int32_t x = 0; x < width; ++x) {
        result.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(x, y));
      }
    }
  }
  if (bpp == 24 && info.bkgndIndex >= 0) {
    result.info.bkgndColor = RgbQuadToValue(GetPaletteColor(BYTE(info.bkgndIndex))) & 0xFFFFFF;
  }
  return FinishResult(result, nullptr);
}

bool CRaster::DecreaseBpp(int32_t bpp, bool errorDiffusion, const RGBQUAD* palette,
                          DWORD important) {
  if (!dib) return false;
  const int32_t target = RoundedDepth(bpp);
  if (target > GetBpp()) {
    SetErrorText("DecreaseBpp: target BPP greater than source BPP");
    return false;
  }
  if (target == GetBpp() &&
      (important == 0 || (header.biClrImportant != 0 && header.biClrImportant < important))) {
    return true;
  }
  const int32_t width = GetWidth(), height = GetHeight();
  CRaster result;
  if (!CreateResult(result, width, height, target, false)) return false;
  if (important != 0) result.SetClrImportant(important);
  if (!palette) {
    result.SetStandardPalette();
  } else {
    result.SetPalette(palette, important != 0 ? important : DWORD(1) << (target & 31));
  }

  // The diffused error goes into a working copy of two source rows, so the
  // image itself stays as it was should the conversion be stopped. Writing a
  // colour into a palette source would snap it to that palette: so it does.
  const size_t rowBytes = size_t(width) * 3;
  BYTE* rows = errorDiffusion ? static_cast<BYTE*>(malloc(rowBytes * 2)) : nullptr;
  if (errorDiffusion && !rows) {
    SetErrorText("DecreaseBpp can't allocate memory");
    return false;
  }
  BYTE* current = rows;
  BYTE* next = rows ? rows + rowBytes : nullptr;
  auto loadRow = [this, width](int32_t y, BYTE* out) {
    for (int32_t x = 0; x < width; ++x, out += 3) {
      const RGBQUAD c = GetPixelColorUnchecked(x, y);
      out[0] = c.rgbRed;
      out[1] = c.rgbGreen;
      out[2] = c.rgbBlue;
    }
  };
  auto spread = [this](BYTE* pixel, const int32_t error[3], int32_t weight) {
    for (int32_t k = 0; k < 3; ++k) pixel[k] = AddLimited(pixel[k], error[k] * weight / 16);
    if (IsIndexed()) {
      RGBQUAD c = {};
      c.rgbRed = pixel[0];
      c.rgbGreen = pixel[1];
      c.rgbBlue = pixel[2];
      const RGBQUAD snapped = GetPaletteColor(GetNearestIndex(c));
      pixel[0] = snapped.rgbRed;
      pixel[1] = snapped.rgbGreen;
      pixel[2] = snapped.rgbBlue;
    }
  };
  if (rows) loadRow(0, current);

  for (int32_t y = 0; y < height; ++y) {
    if (StopRequested(y, height)) {
      free(rows);
      return false;
    }
    if (!rows) {
      for (int32_t x = 0; x < width; ++x) {
        result.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(x, y));
      }
      continue;
    }
    const bool hasNext = y + 1 < height;
    if (hasNext) loadRow(y + 1, next);
    for (int32_t x = 0; x < width; ++x) {
      BYTE* pixel = current + 3 * x;
      RGBQUAD c = {};
      c.rgbRed = pixel[0];
      c.rgbGreen = pixel[1];
      c.rgbBlue = pixel[2];
      result.SetPixelColorUnchecked(x, y, c);
      const RGBQUAD stored = result.GetPixelColorUnchecked(x, y);
      const int32_t error[3] = {c.rgbRed - stored.rgbRed, c.rgbGreen - stored.rgbGreen,
                                c.rgbBlue - stored.rgbBlue};
      if (x + 1 < width) spread(pixel + 3, error, 7);
      if (hasNext) {
        if (x > 0) spread(next + 3 * (x - 1), error, 2);
        spread(next + 3 * x, error, 4);
        if (x + 1 < width) spread(next + 3 * (x + 1), error, 1);
      }
    }
    BYTE* done = current;
    current = next;
    next = done;
  }
  free(rows);

  // The background keeps its colour, not its old index.
  if (info.bkgndIndex >= 0 && result.IsIndexed()) {
    result.info.bkgndIndex = result.GetNearestIndex(GetBkgndColor());
  }
  return FinishResult(result, nullptr);
}

namespace {

const BYTE kM4[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

// Rows are x mod 8, columns y mod 8.
const BYTE kM8[64] = {0,  32, 8,  40, 2,  34, 10, 42, 48, 16, 56, 24, 50, 18, 58, 26,
                      12, 44, 4,  36, 14, 46, 6,  38, 60, 28, 52, 20, 62, 30, 54, 22,
                      3,  35, 11, 43, 1,  33, 9,  41, 51, 19, 59, 27, 49, 17, 57, 25,
                      15, 47, 7,  39, 13, 45, 5,  37, 63, 31, 55, 23, 61, 29, 53, 21};

// Rows are x mod 16, columns y mod 16.
const BYTE kM16[256] = {
    1,   235, 59,  219, 15,  231, 55,  215, 2,   232, 56,  216, 12,  228, 52,  212,
    129, 65,  187, 123, 143, 79,  183, 119, 130, 66,  184, 120, 140, 76,  180, 116,
    33,  193, 17,  251, 47,  207, 31,  247, 34,  194, 18,  248, 44,  204, 28,  244,
    161, 97,  145, 81,  175, 111, 159, 95,  162, 98,  146, 82,  172, 108, 156, 92,
    9,   225, 49,  209, 5,   239, 63,  223, 10,  226, 50,  210, 6,   236, 60,  220,
    137, 73,  177, 113, 133, 69,  191, 127, 138, 74,  178, 114, 134, 70,  188, 124,
    41,  201, 25,  241, 37,  197, 21,  255, 42,  202, 26,  242, 38,  198, 22,  252,
    169, 105, 153, 89,  165, 101, 149, 85,  170, 106, 154, 90,  166, 102, 150, 86,
    3,   233, 57,  217, 13,  229, 53,  213, 0,   234, 58,  218, 14,  230, 54,  214,
    131, 67,  185, 121, 141, 77,  181, 117, 128, 64,  186, 122, 142, 78,  182, 118,
    35,  195, 19,  249, 45,  205, 29,  245, 32,  192, 16,  250, 46,  206, 30,  246,
    163, 99,  147, 83,  173, 109, 157, 93,  160, 96,  144, 80,  174, 110, 158, 94,
    11,  227, 51,  211, 7,   237, 61,  221, 8,   224, 48,  208, 4,   238, 62,  222,
    139, 75,  179, 115, 135, 71,  189, 125, 136, 72,  176, 112, 132, 68,  190, 126,
    43,  203, 27,  243, 39,  199, 23,  253, 40,  200, 24,  240, 36,  196, 20,  254,
    171, 107, 155, 91,  167, 103, 151, 87,  168, 104, 152, 88,  164, 100, 148, 84};

// The 4 x 4 corner of the bit-interleaved (Bayer) matrix scaled to 0..255.
struct CBayer4 {
  BYTE m[16];
  CBayer4() {
    for (int32_t n = 0; n < 16; ++n) {
      int32_t d = n % 4, p = n / 4, value = 0;
      for (int32_t round = 0; round < 4; ++round) {
        value = (value * 4 + ((d ^ p) % 2) * 2 + (d % 2)) % 256;
        d /= 2;
        p /= 2;
      }
      m[n] = BYTE(value);
    }
  }
};

struct CDiffusionTap {
  int8_t dx, dy;
  int16_t weight;
};

struct CDiffusionKernel {
  int32_t divisor;
  int32_t taps;
  CDiffusionTap tap[14];
};

// Error-diffusion kernels by dithering method; index 0 is Floyd-Steinberg.
const CDiffusionKernel kDiffusion[7] = {
    {16, 4, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}},
    {0, 0, {}},
    {32, 7, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}},
    {42, 12, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2},
              {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}},
    {48, 12, {{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3},
              {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}},
    {32, 10, {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5}, {1, 1, 4}, {2, 1, 2},
              {-1, 2, 2}, {0, 2, 3}, {1, 2, 2}}},
    {200, 12, {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12},
               {0, 2, 26}, {2, 2, 12}, {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}}},
};

bool OrderedWhite(int32_t method, int32_t v, int32_t x, int32_t y) {
  static const CBayer4 m7;
  switch (method) {
    case 1: return v == 255 || kM4[(y % 4) * 4 + x % 4] < v * 16 / 255;
    case 7: return m7.m[(y % 4) * 4 + x % 4] < v;
    case 8: return v / 4 >= 1 && v / 4 >= kM8[(x % 8) * 8 + y % 8];
    default: return v == 255 || kM16[(x % 16) * 16 + y % 16] < v;  // 9; M16 holds 255
  }
}

}  // namespace

bool CRaster::Dither(int32_t method) {
  if (!dib) return false;
  if (GetBpp() == 1) return true;
  // The image turns grey first and stays grey should the rest fail.
  if (!GrayScale()) return false;
  const int32_t width = GetWidth(), height = GetHeight();
  CRaster result;
  if (!CreateResult(result, width, height, 1, false)) return false;
  const bool ordered = method == 1 || (method >= 7 && method <= 9);
  const CDiffusionKernel& kernel = kDiffusion[method >= 2 && method <= 6 ? method : 0];

  // The diffused errors go into a copy of the grey rows: a stopped dither
  // leaves the grey image as it was.
  const size_t rowBytes = size_t(GetRowBytes());
  BYTE* gray = ordered ? nullptr : static_cast<BYTE*>(malloc(rowBytes * size_t(height)));
  if (!ordered && !gray) {
    SetErrorText("Dither can't allocate memory");
    return false;
  }
  if (gray) memcpy(gray, GetBits(0), rowBytes * size_t(height));

  for (int32_t y = 0; y < height; ++y) {
    if (StopRequested(y, height)) {
      free(gray);
      return false;
    }
    const BYTE* row = gray ? gray + rowBytes * size_t(y) : GetBits(y);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t v = row[x];
      bool white;
      if (ordered) {
        white = OrderedWhite(method, v, x, y);
      } else {
        white = v > 128;
        const int32_t error = white ? v - 255 : v;
        for (int32_t t = 0; t < kernel.taps; ++t) {
          const int32_t nx = x + kernel.tap[t].dx, ny = y + kernel.tap[t].dy;
          if (nx < 0 || nx >= width || ny >= height) continue;
          BYTE& cell = gray[rowBytes * size_t(ny) + size_t(nx)];
          cell = AddLimited(cell, error * kernel.tap[t].weight / kernel.divisor);
        }
      }
      result.SetPixelIndexUnchecked(x, y, white ? 1 : 0);
    }
  }
  free(gray);
  result.SetPaletteColor(0, 0, 0, 0);
  result.SetPaletteColor(1, 255, 255, 255);
  // The background keeps its look: black or white by the same threshold.
  if (info.bkgndIndex >= 0) result.info.bkgndIndex = (info.bkgndIndex & 0xFF) > 128 ? 1 : 0;
  return FinishResult(result, nullptr);
}
