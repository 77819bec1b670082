#pragma once
// Helpers shared by the codec tests: file bytes, the fixture manifest that
// the Python fixture scripts write (see codec_fixtures.py), and comparing an
// image with the pixels an independent decoder found.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

#include "imagelib/raster.h"
#include "tests/support/test_paths.h"

struct FixtureCase {
  std::string name;
  std::string file;
  int32_t width = 0;
  int32_t height = 0;
  std::string kind;  // "rgb" or "idx"
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A file of the fixture folder inside this test's output folder.
inline std::string FixturePath(const std::string& name) {
#ifdef _WIN32
  return TestOutputPath("fixtures\\" + name);
#else
  return TestOutputPath("fixtures/" + name);
#endif
}

inline std::vector<FixtureCase> ReadManifest() {
  std::vector<FixtureCase> cases;
  std::ifstream in(FixturePath("manifest.txt"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    FixtureCase c;
    if (fields >> c.name >> c.file >> c.width >> c.height >> c.kind) cases.push_back(c);
  }
  return cases;
}

// Red, green, blue of the pixel at x, y counted from the top of the picture.
inline void PixelRgb(const CRaster& image, int32_t x, int32_t yFromTop, uint8_t rgb[3]) {
  const BYTE* row = image.GetBits(image.GetHeight() - 1 - yFromTop);
  uint32_t index = 0;
  switch (image.GetBpp()) {
    case 24:
      rgb[0] = row[3 * x + 2];
      rgb[1] = row[3 * x + 1];
      rgb[2] = row[3 * x];
      return;
    case 8: index = row[x]; break;
    case 4: index = (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4; break;
    default: index = (row[x / 8] >> (7 - x % 8)) & 1; break;
  }
  const RGBQUAD entry = image.GetPaletteColor(BYTE(index));
  rgb[0] = entry.rgbRed;
  rgb[1] = entry.rgbGreen;
  rgb[2] = entry.rgbBlue;
}

// Every pixel equals the expected rows (top row first, red first).
inline testing::AssertionResult SameRgb(const CRaster& image, const std::vector<uint8_t>& expected,
                                        int32_t width, int32_t height) {
  if (!image.IsValid()) return testing::AssertionFailure() << "no image";
  if (image.GetWidth() != width || image.GetHeight() != height)
    return testing::AssertionFailure() << "size " << image.GetWidth() << "x" << image.GetHeight()
                                       << ", expected " << width << "x" << height;
  if (expected.size() != size_t(width) * size_t(height) * 3)
    return testing::AssertionFailure() << "expectation has " << expected.size() << " bytes";
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t got[3];
      PixelRgb(image, x, y, got);
      const uint8_t* want = &expected[(size_t(y) * width + x) * 3];
      if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
        char text[128];
        std::snprintf(text, sizeof text, "pixel (%d, %d from top): %02X%02X%02X, expected %02X%02X%02X",
                      x, y, got[0], got[1], got[2], want[0], want[1], want[2]);
        return testing::AssertionFailure() << text;
      }
    }
  }
  return testing::AssertionSuccess();
}

// Palette indices, top row first.
inline testing::AssertionResult SameIndices(const CRaster& image,
                                            const std::vector<uint8_t>& expected) {
  const int32_t width = image.GetWidth(), height = image.GetHeight();
  if (!image.IsValid() || expected.size() != size_t(width) * size_t(height))
    return testing::AssertionFailure() << "size mismatch";
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const BYTE got = image.GetPixelIndexUnchecked(x, height - 1 - y);
      if (got != expected[size_t(y) * width + x])
        return testing::AssertionFailure() << "index at (" << x << ", " << y << " from top): "
                                           << int(got) << ", expected "
                                           << int(expected[size_t(y) * width + x]);
    }
  }
  return testing::AssertionSuccess();
}

// The pixels of an image as RGB rows from the top, as the fixture files hold them.
inline std::vector<uint8_t> RgbRows(const CRaster& image) {
  std::vector<uint8_t> rgb;
  for (int32_t y = 0; y < image.GetHeight(); ++y)
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      uint8_t c[3];
      PixelRgb(image, x, y, c);
      rgb.insert(rgb.end(), c, c + 3);
    }
  return rgb;
}

// A folder of files this test wrote for an oracle script, with the same
// manifest layout as the fixture folders.
class CWrittenCases {
 public:
  explicit CWrittenCases(const std::string& folder) : mFolder(folder) { MakeFolder(); }
  std::string Path(const std::string& name) const {
#ifdef _WIN32
    return TestOutputPath(mFolder + "\\" + name);
#else
    return TestOutputPath(mFolder + "/" + name);
#endif
  }
  void Add(const std::string& name, const std::string& file, const CRaster& image,
           const std::string& kind = "rgb") {
    char line[512];
    std::snprintf(line, sizeof line, "%s %s %d %d %s\n", name.c_str(), file.c_str(),
                  image.GetWidth(), image.GetHeight(), kind.c_str());
    mManifest += line;
    WriteBytes(Path(name + "." + kind), kind == "rgb" ? RgbRows(image) : IndexRows(image));
  }
  bool Finish() const {
    return WriteBytes(Path("manifest.txt"), std::vector<uint8_t>(mManifest.begin(), mManifest.end()));
  }
  void MakeFolder() const {
    const std::string dir = TestOutputPath(mFolder);
#ifdef _WIN32
    _mkdir(dir.c_str());
#else
    mkdir(dir.c_str(), 0777);
#endif
  }

 private:
  static std::vector<uint8_t> IndexRows(const CRaster& image) {
    std::vector<uint8_t> idx;
    for (int32_t y = image.GetHeight() - 1; y >= 0; --y)
      for (int32_t x = 0; x < image.GetWidth(); ++x) idx.push_back(image.GetPixelIndexUnchecked(x, y));
    return idx;
  }
  std::string mFolder;
  std::string mManifest;
};
