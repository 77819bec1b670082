// PNG encoding: round trips at every depth, interlaced and not, the zlib
// level options, the background entry moved to entry 0 only in the file,
// the palette length, and failures that leave the image alone. The files go
// to the oracle script (pngcheck and PIL).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imagelib/codecs/png/raster_png.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

bool EncodeTo(const CRaster& image, CRasterFile* file, std::string* error = nullptr) {
  return EncodeWith<CRasterPNG>(image, file, error);
}

std::vector<uint8_t> EncodeToBytes(const CRaster& image) { return EncodeWithToBytes<CRasterPNG>(image); }

bool DecodeBytes(CRasterPNG& png, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return png.Decode(&file);
}

// Header, palette and pixels of an image, to prove it was not touched.
std::vector<uint8_t> Snapshot(const CRaster& image) {
  std::vector<uint8_t> bytes(image.GetDib(), image.GetDib() + image.GetSize());
  const int32_t extra[] = {image.GetBkgndIndex(), int32_t(image.GetClrImportant()),
                           image.GetWidth(), image.GetBpp()};
  bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(extra),
               reinterpret_cast<const uint8_t*>(extra) + sizeof extra);
  return bytes;
}

class PngEncode : public testing::Test {
 protected:
  static CWrittenCases* sWritten;
  static void SetUpTestSuite() { sWritten = new CWrittenCases("written"); }
  static void TearDownTestSuite() {
    EXPECT_TRUE(sWritten->Finish());
    delete sWritten;
  }
  // Writes the file for the oracle, with extra lines for <name>.meta.
  static void Keep(const std::string& name, const std::vector<uint8_t>& file, const CRaster& image,
                   const std::string& meta = "") {
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".png"), file));
    sWritten->Add(name, name + ".png", image);
    ASSERT_TRUE(WriteBytes(sWritten->Path(name + ".meta"),
                           std::vector<uint8_t>(meta.begin(), meta.end())));
  }
};
CWrittenCases* PngEncode::sWritten = nullptr;

// Palette kinds: random colours; the grey ramp of the depth (0 and 255 at 1
// bit, steps of 17 at 4 bits), which is written as grey; entry i = i, which
// is the grey identity only at 8 bits and a palette of dark colours below.
enum PaletteKind { RANDOM, RAMP, IDENTITY };

void SetPaletteKind(CRaster& image, PaletteKind kind) {
  if (kind == RAMP) image.SetGrayPalette();
  if (kind == IDENTITY)
    for (DWORD i = 0; i < image.GetNumColors(); ++i) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(i), BYTE(i), 0);
}

TEST_F(PngEncode, RoundTripsAtEveryDepth) {
  const struct Kind {
    int bpp;
    PaletteKind palette;
    int colorType;
  } kinds[] = {{1, RANDOM, 3}, {1, RAMP, 0}, {1, IDENTITY, 3}, {4, RANDOM, 3}, {4, RAMP, 0},
               {4, IDENTITY, 3}, {8, RANDOM, 3}, {8, RAMP, 0},   {24, RANDOM, 2}};
  for (const Kind& kind : kinds) {
    for (uint32_t interlaced : {0u, 1u}) {
      for (int32_t width : {1, 3, 33, 65}) {
        const std::string name = "bpp" + std::to_string(kind.bpp) + "_palette" +
                                 std::to_string(int(kind.palette)) + "_w" + std::to_string(width) +
                                 (interlaced ? "_interlaced" : "");
        SCOPED_TRACE(name);
        CRaster image(width, 9, kind.bpp);
        FillRandom(image, uint32_t(width * 31 + kind.bpp), kind.palette == RAMP);
        SetPaletteKind(image, kind.palette);
        image.SetCodecOption(interlaced, RASTER_FORMAT_PNG);
        image.SetXDpi(300);
        const std::vector<uint8_t> file = EncodeToBytes(image);
        CRasterPNG back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        EXPECT_EQ(back.GetBpp(), kind.bpp);
        EXPECT_EQ(back.GetXDpi(), 300);
        EXPECT_EQ(back.GetYDpi(), 96);
        EXPECT_EQ(back.GetCodecOption(RASTER_FORMAT_PNG) & 1, interlaced);
        EXPECT_TRUE(SameRgb(back, RgbRows(image), width, 9));
        Keep(name, file, image,
             "interlaced " + std::to_string(interlaced) + "\ncolortype " +
                 std::to_string(kind.colorType) + "\n");
      }
    }
  }
}

// Sides past libpng's default limit of a million pixels are the library's
// to allow.
TEST_F(PngEncode, SidesAboveAMillionPixels) {
  const int32_t sizes[][2] = {{1000001, 1}, {1, 1000001}};
  for (const auto& size : sizes) {
    CRaster image(size[0], size[1], 1);
    image.SetGrayPalette();
    image.SetPixelIndex(size[0] - 1, size[1] - 1, 1);
    const std::vector<uint8_t> file = EncodeToBytes(image);
    CRasterPNG back;
    ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), size[0]);
    EXPECT_EQ(back.GetPixelIndex(size[0] - 1, size[1] - 1), 1);
  }
}

TEST_F(PngEncode, OptionBitsChooseTheZlibLevel) {
  CRaster image(64, 64, 24);
  FillRandom(image, 77);
  // zlib's header level field: 0 fastest, 2 default, 3 maximum.
  const struct {
    uint32_t option;
    int flevel;
  } cases[] = {{0, 2}, {6, 3}, {7, 3}, {4, 0}, {2, 0}, {8, 2}};
  for (const auto& c : cases) {
    image.SetCodecOption(c.option, RASTER_FORMAT_PNG);
    Keep("option" + std::to_string(c.option), EncodeToBytes(image), image,
         "flevel " + std::to_string(c.flevel) + "\n");
  }
}

TEST_F(PngEncode, BackgroundEntryBecomesEntryZeroOnlyInTheFile) {
  CRaster image(10, 4, 8);
  for (int i = 0; i < 256; ++i) image.SetPaletteColor(BYTE(i), BYTE(i), BYTE(255 - i), BYTE(i * 7), 0);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 10; ++x) image.SetPixelIndexUnchecked(x, y, BYTE((x + y) % 10));
  image.SetBkgndIndex(5);
  const std::vector<uint8_t> before = Snapshot(image);
  const std::vector<uint8_t> file = EncodeToBytes(image);
  EXPECT_EQ(Snapshot(image), before);

  CRasterPNG back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_EQ(back.GetBkgndIndex(), 0);
  EXPECT_EQ(back.GetPaletteColor(0).rgbRed, 5);
  EXPECT_EQ(back.GetPaletteColor(5).rgbRed, 0);
  EXPECT_EQ(back.GetPixelIndexUnchecked(5, 0), 0);
  EXPECT_EQ(back.GetPixelIndexUnchecked(0, 0), 5);
  EXPECT_TRUE(SameRgb(back, RgbRows(image), 10, 4));
  Keep("background5", file, image, "entry0 05FA23\ntrns 0\nplte 256\n");

  // A write that fails half way leaves the image as it was, too.
  std::string error;
  EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterPNG>(image, "read_only.png", &error));
  EXPECT_EQ(error, "Error saving PNG file");
  EXPECT_EQ(Snapshot(image), before);
}

TEST_F(PngEncode, PaletteCoversEveryIndexInUse) {
  CRaster image(6, 2, 8);
  FillRandom(image, 5);
  for (int32_t x = 0; x < 6; ++x) {
    image.SetPixelIndexUnchecked(x, 0, BYTE(x % 3));
    image.SetPixelIndexUnchecked(x, 1, 1);
  }
  image.SetPixelIndexUnchecked(4, 1, 10);
  image.SetClrImportant(4);
  const std::vector<uint8_t> file = EncodeToBytes(image);
  CRasterPNG back;
  ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
  EXPECT_TRUE(SameRgb(back, RgbRows(image), 6, 2));
  Keep("important4_index10", file, image, "plte 11\n");

  image.SetPixelIndexUnchecked(4, 1, 2);
  Keep("important4", EncodeToBytes(image), image, "plte 4\n");
}

// An image whose palette carries alpha, as the PNG decoder leaves it.
class CAlphaRaster : public CRaster {
 public:
  using CRaster::CRaster;
  void SetPaletteAlpha(uint32_t seed) {
    info.paletteAlpha = 1;
    for (DWORD i = 0; i < GetNumColors(); ++i) {
      RGBQUAD entry = GetPaletteColor(BYTE(i));
      entry.rgbReserved = seed ? BYTE((i * seed) % 256) : 255;
      SetPaletteColor(BYTE(i), entry);
    }
  }
};

// The alpha each pixel must show (rows from the top), and the colour bKGD
// must name, from what the image means: its palette alpha, its transparent
// background entry or colour, else white (a palette's entry nearest white).
std::vector<uint8_t> MeantAlpha(const CRaster& image, bool paletteAlpha) {
  std::vector<uint8_t> alpha;
  const uint32_t background = RgbQuadToValue(image.GetBkgndColor()) & 0xFFFFFF;
  for (int32_t y = image.GetHeight() - 1; y >= 0; --y)
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      BYTE a = 255;
      if (image.IsIndexed()) {
        const BYTE index = image.GetPixelIndex(x, y);
        if (paletteAlpha) a = image.GetPaletteColor(index).rgbReserved;
        if (image.HasBkgndIndex() && index == image.GetBkgndIndex()) a = 0;
      } else if (image.HasBkgndIndex() &&
                 (RgbQuadToValue(image.GetPixelColor(x, y)) & 0xFFFFFF) == background) {
        a = 0;
      }
      alpha.push_back(a);
    }
  return alpha;
}

std::string MeantBackground(const CRaster& image, bool palette) {
  RGBQUAD c = image.GetBkgndColor();
  if (!image.HasBkgndIndex()) {
    c = RgbQuadFromValue(0xFFFFFF);
    int best = 1 << 30;
    for (DWORD i = 0; palette && i < image.GetNumColors(); ++i) {
      const RGBQUAD e = image.GetPaletteColor(BYTE(i));
      const int d = (255 - e.rgbRed) * (255 - e.rgbRed) + (255 - e.rgbGreen) * (255 - e.rgbGreen) +
                    (255 - e.rgbBlue) * (255 - e.rgbBlue);
      if (d < best) {
        best = d;
        c = e;
      }
    }
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02x%02x%02x", c.rgbRed, c.rgbGreen, c.rgbBlue);
  return hex;
}

// Palette alpha and a transparent background entry both reach tRNS; grey
// is written only where it loses nothing; bKGD is in the form of the
// colour type. PIL reads the alpha and background back (png_oracle.py).
TEST_F(PngEncode, TransparencyAndBackground) {
  const struct {
    const char* name;
    int bpp;
    PaletteKind palette;
    uint32_t alphaSeed;  // palette alpha (entry i: i x seed mod 256); 0: none
    bool opaqueAlpha;    // palette alpha set, every entry 255
    int32_t background;  // -1: none
    int colorType;
  } cases[] = {
      {"alpha_and_background", 8, RANDOM, 37, false, 5, 3},
      {"alpha_and_background0", 4, RANDOM, 101, false, 0, 3},
      {"ramp_with_alpha", 8, RAMP, 13, false, -1, 3},
      {"ramp_background", 8, RAMP, 0, false, 77, 0},
      {"palette_white_background", 4, RANDOM, 0, false, -1, 3},
      {"ramp1_white_background", 1, RAMP, 0, false, -1, 0},
      {"opaque_palette_alpha", 8, RANDOM, 0, true, -1, 3},
      {"rgb_white_background", 24, RANDOM, 0, false, -1, 2},
      {"rgb_transparent_colour", 24, RANDOM, 0, false, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CAlphaRaster image(7, 5, c.bpp);
    FillRandom(image, 11, c.palette == RAMP);
    if (c.bpp == 4 && c.palette == RANDOM) image.SetPaletteColor(6, 0xF0, 0xF8, 0xE8, 0);
    if (c.alphaSeed || c.opaqueAlpha) image.SetPaletteAlpha(c.alphaSeed);
    if (c.background >= 0) image.SetBkgndIndex(c.background);
    if (c.background >= 0 && c.bpp < 24) image.SetPixelIndex(0, 0, BYTE(c.background));
    if (c.bpp == 24 && c.background >= 0) image.SetBkgndColor(image.GetPixelColor(2, 1));
    const bool paletteAlpha = c.alphaSeed || c.opaqueAlpha;
    const std::vector<uint8_t> before = Snapshot(image);
    const std::vector<uint8_t> file = EncodeToBytes(image);
    EXPECT_EQ(Snapshot(image), before);
    const std::vector<uint8_t> alpha = MeantAlpha(image, paletteAlpha);
    ASSERT_TRUE(WriteBytes(sWritten->Path(std::string(c.name) + ".alpha"), alpha));
    std::string meta = "colortype " + std::to_string(c.colorType) + "\nbackground " +
                       MeantBackground(image, c.colorType == 3) + "\n";
    if (c.background < 0 && !c.alphaSeed) meta += "trns none\n";
    Keep(c.name, file, image, meta);
  }
}

// A decoded file saves with the transparency it was read with: one tRNS
// entry of 0, of 255 (nothing transparent) or between, and alpha per entry.
TEST_F(PngEncode, DecodedTransparencySavesAsItWasRead) {
  for (const char* name : {"pil_trns_1", "pil_trns_1_opaque", "pil_trns_1_half", "pil_trns_3"}) {
    CRasterPNG image;
    ASSERT_TRUE(DecodeBytes(image, ReadBytes(FixturePath(std::string(name) + ".png")))) << name;
    Keep(std::string(name) + "_again", EncodeToBytes(image), image,
         "alpha_of " + std::string(name) + ".png\n");
  }
}

// Imports start afresh: nothing of a decoded PNG's palette alpha, background
// entry or important colours reaches the new image or its saved file.
TEST_F(PngEncode, ImportsForgetTheImageBefore) {
  CRaster standard(3, 2, 8);
  standard.SetStandardPalette();
  for (int32_t x = 0; x < 3; ++x) standard.SetPixelIndex(x, 0, BYTE(249 + x));
  const BYTE grey[6] = {0, 50, 100, 150, 200, 250};
  const struct {
    const char* name;
    const char* stale;  // the fixture decoded first
    std::function<bool(CRaster&)> import;
    DWORD important;  // Create keeps the count; imports take the source's
    int red;          // the nearest index of pure red, -1: not asked
  } cases[] = {
      {"packed_dib_after_trns", "pil_trns_1.png",
       [&](CRaster& r) { return r.CreateFromPackedDib(standard.GetDib(), standard.GetSize()); }, 0, 249},
      {"packed_dib_after_alpha", "pil_trns_256.png",
       [&](CRaster& r) { return r.CreateFromPackedDib(standard.GetDib(), standard.GetSize()); }, 0, 249},
      {"array_after_trns", "pil_trns_1.png",
       [&](CRaster& r) { return r.CreateFromArray(grey, 3, 2, 8, 3, false); }, 0, -1},
      {"create_after_alpha", "pil_trns_256.png",
       [&](CRaster& r) { return r.Create(3, 2, 8, RASTER_FORMAT_PNG) != nullptr; }, 2, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CRasterPNG image;
    ASSERT_TRUE(DecodeBytes(image, ReadBytes(FixturePath(c.stale))));
    image.SetClrImportant(2);
    ASSERT_TRUE(c.import(image));
    EXPECT_EQ(image.GetClrImportant(), c.important);
    EXPECT_EQ(image.GetBkgndIndex(), -1);
    if (c.red >= 0) {
      EXPECT_EQ(image.GetNearestIndex(RgbQuadFromValue(0xFF0000)), c.red);
    }
    Keep(c.name, EncodeToBytes(image), image, "trns none\n");
  }
}

TEST_F(PngEncode, NothingToWrite) {
  CRaster empty;
  CRasterMemFile sink;
  sink.Open();
  std::string error;
  EXPECT_FALSE(EncodeTo(empty, &sink, &error));
  EXPECT_EQ(error, "null image!!!");
  CRaster image(2, 2, 24);
  EXPECT_FALSE(EncodeTo(image, nullptr, &error));
  EXPECT_EQ(error, "null file handler");
}

}  // namespace
