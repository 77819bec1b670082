#pragma once
// What the image-operation tests share: deterministic pictures, an image
// with a selection mask, and what they hand to their oracle scripts.
//
// DumpRaster writes "RAS1", then int32 width, height, bpp and palette entries
// (little-endian), the palette as blue, green, red, reserved, and the rows from
// the top of the picture: one index byte per pixel for palette images, red,
// green, blue for true colour. raster_dump.py reads it.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/raster.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

class CTestRandom {
 public:
  explicit CTestRandom(uint32_t seed) : mState(seed * 2654435761u + 1) {}
  uint32_t Next() {  // xorshift32
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return mState;
  }
  int32_t Below(int32_t n) { return int32_t(Next() % uint32_t(n)); }

 private:
  uint32_t mState;
};

inline void PutInt32(std::vector<uint8_t>* out, int32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

inline bool DumpRaster(const CRaster& image, const std::string& name) {
  std::vector<uint8_t> out = {'R', 'A', 'S', '1'};
  const int32_t w = image.GetWidth(), h = image.GetHeight(), entries = int32_t(image.GetNumColors());
  PutInt32(&out, w);
  PutInt32(&out, h);
  PutInt32(&out, image.GetBpp());
  PutInt32(&out, entries);
  const uint8_t* palette = reinterpret_cast<const uint8_t*>(image.GetPalette());
  if (entries) out.insert(out.end(), palette, palette + 4 * entries);
  for (int32_t y = h - 1; y >= 0; --y) {
    for (int32_t x = 0; x < w; ++x) {
      if (entries) {
        out.push_back(image.GetPixelIndex(x, y));
      } else {
        const RGBQUAD c = image.GetPixelColor(x, y);
        out.insert(out.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
      }
    }
  }
  return WriteWholeFile(TestOutputPath(name), out.data(), out.size());
}

// Raw values for an oracle: the bytes as they are.
template <class T>
bool DumpValues(const std::vector<T>& values, const std::string& name) {
  return WriteWholeFile(TestOutputPath(name), values.data(), values.size() * sizeof(T));
}

inline void PutRgb(CRaster* image, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
  RGBQUAD c = {};
  c.rgbRed = BYTE(r < 0 ? 0 : r > 255 ? 255 : r);
  c.rgbGreen = BYTE(g < 0 ? 0 : g > 255 ? 255 : g);
  c.rgbBlue = BYTE(b < 0 ? 0 : b > 255 ? 255 : b);
  image->SetPixelColor(x, y, c);
}

// A 24-bit screenshot-like picture: a light desktop, flat panels with
// gradient title bars and rows of dark "text" strokes.
inline void FillScreenshot(CRaster* image, uint32_t seed) {
  CTestRandom random(seed);
  const int32_t w = image->GetWidth(), h = image->GetHeight();
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) PutRgb(image, x, y, 236, 238, 240);
  const int32_t panels = 2 + w * h / 6000;
  for (int32_t p = 0; p < panels; ++p) {
    const int32_t x0 = random.Below(w), y0 = random.Below(h);
    const int32_t x1 = x0 + 8 + random.Below(w / 2 + 1), y1 = y0 + 8 + random.Below(h / 2 + 1);
    const int32_t r = random.Below(256), g = random.Below(256), b = random.Below(256);
    for (int32_t y = y0; y < y1 && y < h; ++y) {
      for (int32_t x = x0; x < x1 && x < w; ++x) {
        const int32_t fromTop = y - y0, ramp = (x - x0) * 80 / (x1 - x0);
        if (fromTop < 6) {
          PutRgb(image, x, h - 1 - y, 30 + ramp, 80 + ramp, 160 + ramp / 2);
        } else if (fromTop % 7 >= 4 && x > x0 + 2 && (random.Next() & 3) == 0) {
          PutRgb(image, x, h - 1 - y, 20, 20, 24);
        } else {
          PutRgb(image, x, h - 1 - y, r, g, b);
        }
      }
    }
  }
}

// A 24-bit photo-like picture: smooth colour fields with grain.
inline void FillPhoto(CRaster* image, uint32_t seed) {
  CTestRandom random(seed);
  const int32_t w = image->GetWidth(), h = image->GetHeight();
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const int32_t gx = x * 255 / (w > 1 ? w - 1 : 1), gy = y * 255 / (h > 1 ? h - 1 : 1);
      const int32_t wave = ((x * 7 + y * 3) % 64) - 32;
      PutRgb(image, x, y, (gx + gy) / 2 + wave + random.Below(17) - 8,
             128 + (gx - gy) / 2 + random.Below(17) - 8, 255 - gy + wave / 2 + random.Below(17) - 8);
    }
  }
}

// One line per case for an oracle script: what was done, to which files, with
// which parameters. The file is started afresh by each manifest object.
class COracleManifest {
 public:
  explicit COracleManifest(const std::string& name) : mFile(fopen(TestOutputPath(name).c_str(), "w")) {}
  ~COracleManifest() {
    if (mFile) fclose(mFile);
  }
  bool IsOpen() const { return mFile != nullptr; }
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (!mFile) return;
    va_list args;
    va_start(args, format);
    vfprintf(mFile, format, args);
    va_end(args);
    fputc('\n', mFile);
  }

 private:
  FILE* mFile;
};

// Pairs of pictures before and after an operation, <prefix>_<n>_in.ras and
// _out.ras, each with the line "<what> <prefix>_<n>" in <prefix>_cases.txt.
class COraclePairs {
 public:
  explicit COraclePairs(const std::string& prefix) : mManifest(prefix + "_cases.txt"), mPrefix(prefix) {}
  bool IsOpen() const { return mManifest.IsOpen(); }
  void Add(const CRaster& in, const CRaster& out, const std::string& what) {
    const std::string stem = mPrefix + "_" + std::to_string(mCount++);
    if (!DumpRaster(in, stem + "_in.ras") || !DumpRaster(out, stem + "_out.ras")) mFailed = true;
    mManifest.Line("%s %s", what.c_str(), stem.c_str());
  }
  bool Failed() const { return mFailed; }

 private:
  COracleManifest mManifest;
  std::string mPrefix;
  int mCount = 0;
  bool mFailed = false;
};

// An image with a selection mask, so operations work on the selection box.
class CMaskedRaster : public CRaster {
 public:
  using CRaster::CRaster;
  explicit CMaskedRaster(const CRaster& source) : CRaster(source) {}
  // Box in stored rows: columns left..right - 1, rows bottom..top - 1.
  void Select(int32_t left, int32_t bottom, int32_t right, int32_t top) {
    free(selection);
    selection = static_cast<BYTE*>(calloc(size_t(GetWidth()) * size_t(GetHeight()), 1));
    info.selectionBox = RECT{left, top, right, bottom};
  }
  BYTE* Selection() { return selection; }
};

// An image of the given depth: random palette and indices, or random colours.
inline CRaster RandomImage(int32_t w, int32_t h, int32_t bpp, uint32_t seed) {
  CRaster image(w, h, bpp);
  CTestRandom random(seed);
  for (DWORD i = 0; i < image.GetNumColors(); ++i)
    image.SetPaletteColor(BYTE(i), RgbQuadFromValue(random.Next() & 0xFFFFFF));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (bpp < 24) {
        image.SetPixelIndex(x, y, BYTE(random.Below(int32_t(image.GetNumColors()))));
      } else {
        image.SetPixelColor(x, y, RgbQuadFromValue(random.Next() & 0xFFFFFF));
      }
    }
  }
  return image;
}
