// Codec dispatch: load and save by path and type, the try order for unknown
// types, rewinding, error texts and saves that never damage an existing file.
// Inputs come from imagelib_fixtures.py (PIL and ImageMagick files with PIL's
// pixels); saved files are checked again by imagelib_oracle.py.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "imagelib/raster.h"
#include "imagelib/raster_codec.h"
#include "imagelib/raster_io_file.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/fixture_reader.h"

namespace {

const char kUnknown[] = "Decode: Unknown or wrong format";

std::string DecodeInput(const std::string& name) { return TestOutputPath("decode/" + name); }

struct DecodeCase {
  std::string name;
  int32_t width, height;
};

std::vector<DecodeCase> DecodeCases() {
  std::vector<DecodeCase> cases;
  std::ifstream list(DecodeInput("list.txt").c_str());
  DecodeCase c;
  while (list >> c.name >> c.width >> c.height) cases.push_back(c);
  return cases;
}

// Every pixel equals PIL's RGB decode of the same file.
void ExpectPilPixels(const CRaster& image, const DecodeCase& c) {
  const std::vector<uint8_t> rgb = ReadWholeFile(DecodeInput(c.name + ".rgb"));
  ASSERT_EQ(rgb.size(), size_t(c.width) * c.height * 3) << c.name;
  ASSERT_EQ(image.GetWidth(), c.width) << c.name;
  ASSERT_EQ(image.GetHeight(), c.height) << c.name;
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < c.width; ++x) {
      const RGBQUAD got = image.GetPixelColor(x, c.height - 1 - y);
      const uint8_t* want = &rgb[3 * (size_t(y) * c.width + x)];
      ASSERT_TRUE(got.rgbRed == want[0] && got.rgbGreen == want[1] && got.rgbBlue == want[2])
          << c.name << " at " << x << "," << y;
    }
  }
}

TEST(Dispatch, FilesLoadByTheirTypeAndByTrying) {
  const std::vector<DecodeCase> cases = DecodeCases();
  ASSERT_GE(cases.size(), 8u) << "decode/list.txt " BW_FIXTURE_HINT;
  for (const DecodeCase& c : cases) {
    const std::string path = DecodeInput(c.name);
    const int32_t own = GetImageTypeFromExtension(c.name.substr(c.name.size() - 3).c_str());
    CRaster byType;
    ASSERT_TRUE(byType.Load(path.c_str(), own)) << c.name << ": " << byType.GetLastError();
    ExpectPilPixels(byType, c);
    CRaster byTrying;
    ASSERT_TRUE(byTrying.Load(path.c_str(), RASTER_FORMAT_UNKNOWN))
        << c.name << ": " << byTrying.GetLastError();
    ExpectPilPixels(byTrying, c);
    EXPECT_EQ(byTrying.GetType(), c.name.find(".bmp") != std::string::npos ? RASTER_FORMAT_BMP
                                                                          : RASTER_FORMAT_PNG);
  }
}

TEST(Dispatch, StreamHandedInStaysOpenAndOtherCodecsRewind) {
  FILE* stream = fopen(DecodeInput("pil_rgb.png").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  CRaster image;
  // BMP (and every codec before PNG in the try order) fails and rewinds.
  EXPECT_FALSE(image.Decode(stream, RASTER_FORMAT_BMP));
  EXPECT_STRNE(image.GetLastError(), "");
  EXPECT_EQ(ftell(stream), 0);
  ASSERT_TRUE(image.Decode(stream, RASTER_FORMAT_UNKNOWN)) << image.GetLastError();
  EXPECT_EQ(image.GetType(), RASTER_FORMAT_PNG);
  EXPECT_EQ(fseek(stream, 0, SEEK_SET), 0);
  EXPECT_EQ(fgetc(stream), 0x89);
  EXPECT_EQ(fclose(stream), 0);
}

TEST(Dispatch, UnknownBytesFailAndRewindToTheStart) {
  const std::vector<uint8_t> bytes = ReadWholeFile(DecodeInput("unknown.dat"));
  ASSERT_FALSE(bytes.empty()) << "unknown.dat " BW_FIXTURE_HINT;
  CRasterMemFile memory(static_cast<const void*>(bytes.data()), bytes.size());
  ASSERT_TRUE(memory.Seek(5, 0));
  CRaster image(3, 3, 8);
  EXPECT_FALSE(image.Decode(&memory, RASTER_FORMAT_UNKNOWN));
  EXPECT_STREQ(image.GetLastError(), kUnknown);
  EXPECT_EQ(memory.Tell(), 5);
  EXPECT_TRUE(image.IsValid());  // a failed decode leaves the pixels alone

  FILE* stream = fopen(DecodeInput("unknown.dat").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  CRasterIOFile file(stream, true);
  ASSERT_TRUE(file.Seek(7, 0));
  EXPECT_FALSE(image.Decode(&file, RASTER_FORMAT_UNKNOWN));
  EXPECT_EQ(file.Tell(), 7);
}

TEST(Dispatch, TypesWithoutCodecAndMissingFiles) {
  const uint8_t bytes[16] = {'B', 'M'};
  for (int32_t type : {9, 11, -1, 1000}) {
    CRasterMemFile memory(static_cast<const void*>(bytes), sizeof(bytes));
    ASSERT_TRUE(memory.Seek(3, 0));
    CRaster image;
    EXPECT_FALSE(image.Decode(&memory, type));
    EXPECT_STREQ(image.GetLastError(), kUnknown) << type;
    EXPECT_EQ(memory.Tell(), 3);
    CRaster valid(2, 2, 24);
    EXPECT_FALSE(valid.Encode(&memory, type));
    EXPECT_STREQ(valid.GetLastError(), "Encode: Unknown format");
  }
  CRaster image;
  EXPECT_FALSE(image.Decode(static_cast<CRasterFile*>(nullptr), 0));
  EXPECT_STREQ(image.GetLastError(), "null file handler");
  EXPECT_FALSE(image.Decode(static_cast<FILE*>(nullptr), 1));
  EXPECT_STREQ(image.GetLastError(), "null file handler");
  // A file that cannot be opened fails without a text of its own.
  EXPECT_FALSE(image.Decode(static_cast<CRasterFile*>(nullptr), 0));
  const std::string missing = TestOutputPath("no such file.png");
  EXPECT_FALSE(image.Load(missing.c_str(), RASTER_FORMAT_PNG));
  EXPECT_FALSE(image.Load(missing.c_str(), RASTER_FORMAT_UNKNOWN));
  EXPECT_STREQ(image.GetLastError(), "null file handler");
}

TEST(Dispatch, EveryTypeIdHasAnHonestEncoder) {
  for (int32_t type = 1; type <= 10; ++type) {
    if (!IsKnownImageType(type)) continue;
    CRaster empty;
    CRasterMemFile memory;
    ASSERT_TRUE(memory.Open());
    EXPECT_FALSE(empty.Encode(&memory, type));
    if (!HasRasterCodec(type)) {
      EXPECT_STREQ(empty.GetLastError(), "Encode: Unknown format") << type;
    } else if (type == RASTER_FORMAT_WMF) {
      EXPECT_STREQ(empty.GetLastError(), "Save WMF not supported");
    } else {
      EXPECT_STREQ(empty.GetLastError(), "null image!!!") << type;
      CRaster valid(2, 2, 24);
      EXPECT_FALSE(valid.Encode(static_cast<CRasterFile*>(nullptr), type));
      EXPECT_STREQ(valid.GetLastError(), "null file handler") << type;
    }
  }
  EXPECT_TRUE(HasRasterCodec(RASTER_FORMAT_BMP));
  EXPECT_TRUE(HasRasterCodec(RASTER_FORMAT_PNG));
  EXPECT_FALSE(HasRasterCodec(9));
  EXPECT_EQ(CreateRasterCodec(9), nullptr);
}

TEST(Dispatch, ExpectedFormatTextSurvivesTheFallback) {
  // A PNG named as the wrong type still loads by trying every codec.
  CRaster image;
  const std::string png = DecodeInput("named_as.jpg");
  ASSERT_TRUE(image.Load(png.c_str(), RASTER_FORMAT_JPG)) << image.GetLastError();
  EXPECT_EQ(image.GetType(), RASTER_FORMAT_PNG);
  ASSERT_TRUE(image.Load(png.c_str(), RASTER_FORMAT_BMP)) << image.GetLastError();

  // A truncated BMP named as BMP fails with the BMP codec's own text.
  std::vector<uint8_t> bmp = ReadWholeFile(DecodeInput("pil_rgb.bmp"));
  ASSERT_GT(bmp.size(), 60u);
  const std::string cut = TestOutputPath("truncated.bmp");
  ASSERT_TRUE(WriteWholeFile(cut, bmp.data(), 30));
  CRaster broken;
  EXPECT_FALSE(broken.Load(cut.c_str(), RASTER_FORMAT_BMP));
  EXPECT_STRNE(broken.GetLastError(), "");
  EXPECT_STRNE(broken.GetLastError(), kUnknown);
  EXPECT_FALSE(broken.Load(cut.c_str(), RASTER_FORMAT_UNKNOWN));
  EXPECT_STREQ(broken.GetLastError(), kUnknown);
}

TEST(Dispatch, DecodeHandsOnlyTheReadingOptionsToTheCodec) {
  CRaster image;
  image.SetXDpi(300);
  image.SetOffset(5, 6);
  image.SetJpegQuality(50);
  image.SetCodecOption(0x40, RASTER_FORMAT_PNG);
  const std::string path = DecodeInput("pil_rgb.png");
  ASSERT_TRUE(image.Load(path.c_str(), RASTER_FORMAT_PNG)) << image.GetLastError();
  EXPECT_EQ(image.GetXDpi(), 96);  // the file has no resolution: the default
  EXPECT_EQ(image.GetJpegQuality(), 50);
  EXPECT_EQ(image.GetCodecOption(RASTER_FORMAT_PNG) & ~1u, 0x40u);

  // Size only: true, width and height, no pixels.
  CRaster probe;
  probe.SetEscape(-1);
  const std::string bmp = DecodeInput("pil_rgb.bmp");
  ASSERT_TRUE(probe.Load(bmp.c_str(), RASTER_FORMAT_BMP)) << probe.GetLastError();
  EXPECT_FALSE(probe.IsValid());
  EXPECT_EQ(probe.GetWidth(), 37);
  EXPECT_EQ(probe.GetHeight(), 23);

  // A ghost is a read-only view: decoding into it fails and changes nothing.
  CRaster source(4, 4, 8);
  CRaster ghost;
  ghost.Ghost(&source);
  EXPECT_FALSE(ghost.Load(bmp.c_str(), RASTER_FORMAT_BMP));
  EXPECT_EQ(source.GetWidth(), 4);
  EXPECT_EQ(ghost.GetDib(), source.GetDib());
}

// An image whose pixels and palette follow a pattern, so that a save and a
// reload (and the oracle) can check every pixel.
CRaster* PatternImage(int bpp, int width, int height) {
  CRaster* image = new CRaster(width, height, bpp);
  const int entries = int(image->GetNumColors());
  for (int i = 0; i < entries; ++i) {
    image->SetPaletteColor(BYTE(i), BYTE(i * 29 + 5), BYTE(255 - i * 3), BYTE(i * 11));
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (entries) {
        image->SetPixelIndex(x, y, BYTE((x * 5 + y * 3) % entries));
      } else {
        RGBQUAD c = {BYTE(x * 9), BYTE(y * 17), BYTE(x + y * 3), 0};
        image->SetPixelColor(x, y, c);
      }
    }
  }
  return image;
}

// The picture as top-down RGB bytes, for the oracle.
std::vector<uint8_t> TopDownRgb(const CRaster& image) {
  std::vector<uint8_t> rgb;
  for (int y = image.GetHeight() - 1; y >= 0; --y) {
    for (int x = 0; x < image.GetWidth(); ++x) {
      const RGBQUAD c = image.GetPixelColor(x, y);
      rgb.push_back(c.rgbRed);
      rgb.push_back(c.rgbGreen);
      rgb.push_back(c.rgbBlue);
    }
  }
  return rgb;
}

// True when a save's temporary file "~bw....tmp" is still in the output folder.
bool TemporaryLeft() {
  bool found = false;
  DIR* dir = opendir(TestOutputDir().c_str());
  while (dirent* entry = dir ? readdir(dir) : nullptr)
    found |= std::string(entry->d_name).compare(0, 3, "~bw") == 0;
  if (dir) closedir(dir);
  return found;
}

TEST(Dispatch, SavedFilesLoadBackWithTheSamePixels) {
  struct {
    int32_t type;
    const char* extension;
  } formats[] = {{RASTER_FORMAT_BMP, "bmp"}, {RASTER_FORMAT_PNG, "png"}};
  for (const auto& format : formats) {
    for (int bpp : {1, 4, 8, 24}) {
      CRaster* image = PatternImage(bpp, 33, 7);
      const std::string name =
          "saved_" + std::to_string(bpp) + "." + std::string(format.extension);
      const std::string path = TestOutputPath(name);
      ASSERT_TRUE(image->Save(path.c_str(), format.type)) << name << ": "
                                                          << image->GetLastError();
      const std::vector<uint8_t> rgb = TopDownRgb(*image);
      ASSERT_TRUE(WriteWholeFile(path + ".rgb", rgb.data(), rgb.size()));
      CRaster back;
      ASSERT_TRUE(back.Load(path.c_str(), RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
      EXPECT_EQ(back.GetType(), format.type);
      EXPECT_EQ(TopDownRgb(back), rgb) << name;
      EXPECT_FALSE(TemporaryLeft()) << name;
      delete image;
    }
  }
}

bool SameBytes(const std::string& path, const std::string& expected) {
  const std::vector<uint8_t> now = ReadWholeFile(path);
  return std::string(now.begin(), now.end()) == expected;
}

TEST(Dispatch, FailedSaveLeavesTheOriginalAlone) {
  const std::string path = TestOutputPath("original.bmp");
  const std::string original = "the original file, whatever it holds";
  ASSERT_TRUE(WriteWholeFile(path, original.data(), original.size()));

  CRaster empty;
  EXPECT_FALSE(empty.Save(path.c_str(), RASTER_FORMAT_BMP));
  EXPECT_STREQ(empty.GetLastError(), "null image!!!");
  CRaster image(5, 5, 24);
  EXPECT_FALSE(image.Save(path.c_str(), RASTER_FORMAT_WMF));
  EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
  EXPECT_FALSE(image.Save(path.c_str(), RASTER_FORMAT_UNKNOWN));
  EXPECT_TRUE(SameBytes(path, original));

#ifndef _WIN32
  // A disk that fills up while writing: the write error fails the save and
  // the temporary file goes away.
  // Noise, so that even compressed output is far larger than the limit.
  CRaster* large = new CRaster(300, 300, 24);
  uint32_t seed = 1;
  BYTE* bits = large->GetBits(0);
  for (int32_t i = 0; i < large->GetRowBytes() * 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    bits[i] = BYTE(seed >> 24);
  }
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved1 = large->Save(path.c_str(), RASTER_FORMAT_BMP);
  const bool saved2 = large->Save(path.c_str(), RASTER_FORMAT_PNG);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved1);
  EXPECT_FALSE(saved2);
  EXPECT_STRNE(large->GetLastError(), "");
  EXPECT_TRUE(SameBytes(path, original));
  EXPECT_FALSE(TemporaryLeft());
  delete large;
#endif
}

}  // namespace
