// The operations' work on real images and real files: every colour-class
// conversion, stops, rotation and resize refusals, colour replacement and the
// automatic selection against independent per-pixel models, and saving by
// extension with the file that was there never damaged.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/operations/auto_select.h"
#include "app/operations/image_compute.h"
#include "app/operations/image_save.h"
#include "app/profiles/program_records.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

// A true-colour image with a smooth pattern and a few sharp edges, so that
// every codec and every conversion has something to do.
void Paint(CImage* image, int32_t w, int32_t h, uint32_t seed) {
  ASSERT_TRUE(image->Create(w, h, 24, 0));
  std::mt19937 random(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      RGBQUAD c = {BYTE(x * 255 / w), BYTE(y * 255 / h), BYTE((x ^ y) & 0xFF), 0};
      if ((x / 7 + y / 5) % 9 == 0) c.rgbRed = BYTE(random());
      image->SetPixelColor(x, y, c);
    }
  image->SelectAll();
  image->iColorClass = kColorClassTrueColor;
}

int32_t ClassOf(const CImage& image) {
  switch (image.GetBpp()) {
    case 1: return kColorClassBlackWhite;
    case 4: return image.IsGrayScale() ? kColorClassGray : kColorClass16;
    case 8: return image.IsGrayScale() ? kColorClassGray : kColorClass256;
    default: return kColorClassTrueColor;
  }
}

// Brings a fresh image to a colour class by the library alone.
void MakeClass(CImage* image, int32_t cls) {
  Paint(image, 37, 23, 5);
  switch (cls) {
    case kColorClassBlackWhite: ASSERT_TRUE(image->DecreaseBpp(1, false)); break;
    case kColorClassGray: ASSERT_TRUE(image->GrayScale()); break;
    case kColorClass16: ASSERT_TRUE(image->DecreaseBpp(4, false)); break;
    case kColorClass256: ASSERT_TRUE(image->DecreaseBpp(8, false)); break;
    default: break;
  }
  image->iColorClass = ClassOf(*image);
  ASSERT_EQ(image->iColorClass, cls);
}

TEST(ImageWork, EveryConversionReachesItsClassAndKeepsTheSize) {
  for (int32_t from = 0; from <= 4; ++from)
    for (int32_t to = 0; to <= 4; ++to)
      for (int flags = 0; flags < 4; ++flags) {
        CImage image;
        MakeClass(&image, from);
        const bool dither = flags & 1, windowsPalette = flags & 2;
        ASSERT_EQ(ConvertColorClass(&image, from, to, dither, windowsPalette), 0u)
            << from << "->" << to << " flags " << flags;
        EXPECT_EQ(ClassOf(image), from == to ? from : to) << from << "->" << to << " " << flags;
        EXPECT_EQ(image.GetWidth(), 37);
        EXPECT_EQ(image.GetHeight(), 23);
        if (to == kColorClass16 && from != kColorClassBlackWhite && !windowsPalette) {
          // The image's own palette, not a black one.
          int32_t lit = 0;
          for (int32_t i = 0; i < 16; ++i) lit += RgbQuadToValue(image.GetPaletteColor(BYTE(i))) != 0;
          EXPECT_GT(lit, 1) << from << "->" << to;
        }
      }
  CImage image;
  MakeClass(&image, kColorClassTrueColor);
  EXPECT_EQ(ConvertColorClass(&image, 4, 9, false, false), 0u);  // no such class: nothing
  EXPECT_EQ(ConvertColorClass(&image, 4, -1, false, false), 0u);
  EXPECT_EQ(image.GetBpp(), 24);
}

TEST(ImageWork, RefusedGeometryAndStoppedWorkFailWithoutAResult) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float angle : {nan, std::numeric_limits<float>::infinity(), 3e9f, -3e9f}) {
    CImage image;
    Paint(&image, 20, 10, 1);
    EXPECT_EQ(RotateByAngle(&image, angle, true, 0xFF00FF00u), OperationCode(OpRotate, 41));
    EXPECT_EQ(image.GetWidth(), 20);
  }
  CImage turned;
  Paint(&turned, 20, 10, 1);
  ASSERT_EQ(RotateByAngle(&turned, -90, false, 0), 0u);
  EXPECT_EQ(turned.GetWidth(), 10);
  EXPECT_EQ(turned.GetHeight(), 20);

  CImage resized;
  Paint(&resized, 20, 10, 1);
  EXPECT_EQ(ResampleTo(&resized, 0, 0, false), OperationCode(OpResize, 41));
  ASSERT_EQ(ResampleTo(&resized, 40, 5, true), 0u);
  EXPECT_EQ(resized.GetWidth(), 40);

  // A stop asked before the work leaves the image as it was.
  CImage stopped;
  Paint(&stopped, 300, 200, 2);
  stopped.SetEscape(1);
  EXPECT_EQ(ResampleTo(&stopped, 900, 600, true), OperationCode(OpResize, 41));
  EXPECT_EQ(FilterByMode(&stopped, 1), OperationCode(OpProcess, 41));
  ProfileRecord profile = {};
  profile.iICNumRCol = 1;
  EXPECT_EQ(ReplaceColorsIn(&stopped, profile, RECT{0, 0, 299, 199}),
            OperationCode(OpReplaceColors, 41));
}

TEST(ImageWork, ColorReplacementMatchesAPerPixelModel) {
  ProfileRecord profile = {};
  profile.iICNumRCol = 2;
  profile.rgbICCol1[0] = {0, 0, 0, 0};
  profile.rgbICCol2[0] = {255, 0, 0, 0};
  profile.rgbICCol1[1] = {255, 0, 0, 1};  // everything not red becomes blue
  profile.rgbICCol2[1] = {0, 0, 255, 0};
  CImage image, model;
  Paint(&image, 30, 20, 3);
  ASSERT_TRUE(model.Copy(image));
  for (int32_t x = 0; x < 30; x += 3) image.SetPixelColor(x, 4, RGBQUAD{0, 0, 0, 0});
  ASSERT_TRUE(model.Copy(image));
  const RECT selection = {5, 2, 24, 11};  // top-down, inclusive
  ASSERT_EQ(ReplaceColorsIn(&image, profile, selection), 0u);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 30; ++x) {
      RGBQUAD want = model.GetPixelColor(x, 19 - y);
      const bool inside = x >= 5 && x <= 24 && y >= 2 && y <= 11;
      if (inside) {
        const bool black = !want.rgbRed && !want.rgbGreen && !want.rgbBlue;
        const bool red = want.rgbRed == 255 && !want.rgbGreen && !want.rgbBlue;
        // black -> red by the first pair, and red stays red under the second
        want = black || red ? RGBQUAD{0, 0, 255, 0} : RGBQUAD{255, 0, 0, 0};
      }
      const RGBQUAD got = image.GetPixelColor(x, 19 - y);
      ASSERT_EQ(RgbQuadToValue(got) & 0xFFFFFF, RgbQuadToValue(want) & 0xFFFFFF) << x << "," << y;
    }
  CImage noPalette;
  Paint(&noPalette, 4, 4, 0);
  noPalette.iColorClass = kColorClass256;  // claims a palette it has not got
  EXPECT_EQ(ReplaceColorsIn(&noPalette, profile, RECT{0, 0, 3, 3}),
            OperationCode(OpReplaceColors, 41));
}

// Independent model of the automatic selection: the bounding box of the
// pixels that differ from the frame, for images whose frame is one colour.
TEST(ImageWork, AutoSelectFindsTheContentInsideAUniformFrame) {
  std::mt19937 random(42);
  for (int round = 0; round < 60; ++round) {
    const int32_t w = 3 + int32_t(random() % 40), h = 3 + int32_t(random() % 30);
    CImage image;
    ASSERT_TRUE(image.Create(w, h, 24, 0));
    const RGBQUAD frame = {BYTE(random()), BYTE(random()), BYTE(random()), 0};
    const int32_t tolerance = int32_t(random() % 20);
    int32_t l = w, t = h, r = -1, b = -1;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        RGBQUAD c = frame;
        const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
        if (!edge && random() % 23 == 0) {
          c.rgbRed = BYTE(c.rgbRed + 128);  // distance of at least 42
          l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
        } else if (!edge && random() % 3 == 0) {
          c.rgbGreen = BYTE(std::min(255, c.rgbGreen + tolerance));  // within tolerance
          if (c.rgbGreen - frame.rgbGreen > tolerance * 3) c.rgbGreen = frame.rgbGreen;
        }
        image.SetPixelColor(x, h - 1 - y, c);
      }
    const RECT got = AutoSelectRect(image, RECT{0, 0, w - 1, h - 1}, tolerance);
    if (r < 0) {
      EXPECT_EQ(got.left, 0);  // nothing differs: the selection stays
      EXPECT_EQ(got.right, w - 1);
      EXPECT_EQ(got.top, 0);
      EXPECT_EQ(got.bottom, h - 1);
    } else {
      EXPECT_EQ(got.left, l) << round;
      EXPECT_EQ(got.top, t) << round;
      EXPECT_EQ(got.right, r) << round;
      EXPECT_EQ(got.bottom, b) << round;
    }
  }
  // A selection reaching outside the image is held to it.
  CImage small;
  ASSERT_TRUE(small.Create(5, 5, 24, 0));
  const RECT held = AutoSelectRect(small, RECT{-10, -10, 100, 100}, 16);
  EXPECT_EQ(held.right, 4);
  EXPECT_EQ(held.bottom, 4);
}

bool SamePixels(const CRaster& a, const CRaster& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int32_t y = 0; y < a.GetHeight(); ++y)
    for (int32_t x = 0; x < a.GetWidth(); ++x)
      if ((RgbQuadToValue(a.GetPixelColor(x, y)) & 0xFFFFFF) !=
          (RgbQuadToValue(b.GetPixelColor(x, y)) & 0xFFFFFF))
        return false;
  return true;
}

std::string Local(const std::string& name) { return HostPathToLocal(TestOutputPath(name)); }

void MakeReadOnly(const std::string& path, bool on) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
  chmod(path.c_str(), on ? 0444 : 0644);
#endif
}

// Files left in the output folder whose name starts with prefix.
bool TemporaryLeft() {
  const std::string dir = TestOutputDir();
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((HostPathToLocal(dir) + "\\~*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
#else
  FILE* pipe = popen(("ls -a '" + dir + "' | grep -c '^~'").c_str(), "r");
  int count = 0;
  if (pipe) {
    if (fscanf(pipe, "%d", &count) != 1) count = 0;
    pclose(pipe);
  }
  return count > 0;
#endif
}

TEST(ImageWork, SavesByExtensionReadBackAndNeverDamageWhatWasThere) {
  ProfileRecord profile = {};
  profile.iJPGQuality = 90;
  profile.iGIFReduce24 = 1;
  profile.iGIFLzw = 0;
  struct Case {
    const char* name;
    int32_t type;
    bool exact;
  } cases[] = {
      {"round.bmp", RASTER_FORMAT_BMP, true}, {"round.png", RASTER_FORMAT_PNG, true},
      {"round.PNG", RASTER_FORMAT_PNG, true}, {"round.jpeg", RASTER_FORMAT_JPG, false},
      {"round.tga", RASTER_FORMAT_TGA, true}, {"round.pcx", RASTER_FORMAT_PCX, true},
      {"round.gif", RASTER_FORMAT_GIF, false}, {"noextension", RASTER_FORMAT_BMP, true},
  };
  for (const Case& c : cases) {
    CImage image, original;
    Paint(&image, 33, 17, 9);
    ASSERT_TRUE(original.Copy(image));
    char written[260] = {};
    const std::string path = Local(c.name);
    ASSERT_EQ(SaveImageTo(&image, profile, path.c_str(), written, sizeof(written)), 0u) << c.name;
    EXPECT_EQ(std::string(written), path);
    CRaster back;
    ASSERT_TRUE(back.Load(path.c_str(), c.type)) << c.name << " is not a file of its type";
    EXPECT_EQ(back.GetType(), c.type) << c.name;
    if (c.exact) {
      EXPECT_TRUE(SamePixels(back, original)) << c.name;
    }
    EXPECT_EQ(back.GetWidth(), 33);
  }

  // An existing file refused for being read-only, or for an unknown type,
  // keeps every byte; no temporary file is left.
  CImage image;
  Paint(&image, 16, 16, 4);
  const std::string keep = Local("keep.png");
  const std::vector<uint8_t> before = {'o', 'l', 'd', 0, 1, 2};
  ASSERT_TRUE(WriteWholeFile(LocalPathToHost(keep), before.data(), before.size()));
  MakeReadOnly(LocalPathToHost(keep), true);
  char written[260] = "unchanged";
  EXPECT_EQ(SaveImageTo(&image, profile, keep.c_str(), written, sizeof(written)),
            OperationCode(OpSave, 41));
  MakeReadOnly(LocalPathToHost(keep), false);
  EXPECT_EQ(ReadWholeFile(LocalPathToHost(keep)), before);
  EXPECT_STREQ(written, "unchanged");
  const std::string unknown = Local("keep.xyz");
  ASSERT_TRUE(WriteWholeFile(LocalPathToHost(unknown), before.data(), before.size()));
  EXPECT_EQ(SaveImageTo(&image, profile, unknown.c_str(), written, sizeof(written)),
            OperationCode(OpSave, 41));
  EXPECT_EQ(ReadWholeFile(LocalPathToHost(unknown)), before);
  EXPECT_FALSE(TemporaryLeft());
}

TEST(ImageWork, OptimizedWritesOnlyTheCandidateTheSizeRuleKeeps) {
  ProfileRecord profile = {};
  profile.iJPGQuality = 75;
  const std::vector<uint8_t> marker = {'k', 'e', 'e', 'p'};
  // A flat image packs into a tiny PNG; noise into a PNG far above its JPEG.
  for (bool noisy : {false, true}) {
    CImage image;
    ASSERT_TRUE(image.Create(160, 120, 24, 0));
    std::mt19937 random(7);
    for (int32_t y = 0; y < 120; ++y)
      for (int32_t x = 0; x < 160; ++x)
        image.SetPixelColor(x, y, noisy ? RgbQuadFromValue(random()) : RGBQUAD{10, 200, 30, 0});
    image.SelectAll();
    const std::string stem = noisy ? "noisy" : "flat";
    const std::string loser = LocalPathToHost(Local(stem + (noisy ? ".png" : ".jpg")));
    ASSERT_TRUE(WriteWholeFile(loser, marker.data(), marker.size()));
    char written[260] = {};
    ASSERT_EQ(SaveImageTo(&image, profile, Local(stem + ".OPT").c_str(), written, sizeof(written)),
              0u);
    const std::string winner = Local(stem + (noisy ? ".jpg" : ".png"));
    EXPECT_EQ(std::string(written), winner);
    // The loser's name was never written: the file there is the old one.
    EXPECT_EQ(ReadWholeFile(loser), marker) << stem;
    CRaster back;
    EXPECT_TRUE(back.Load(winner.c_str(), noisy ? RASTER_FORMAT_JPG : RASTER_FORMAT_PNG));
    EXPECT_FALSE(ReadWholeFile(LocalPathToHost(Local(stem + ".OPT"))).size() > 0);
  }
  EXPECT_FALSE(TemporaryLeft());
}

}  // namespace
