// BMP decoding: files from ImageMagick, PIL and struct against ImageMagick's
// pixels, the size probe, cancelling, and files that must fail with a text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imagelib/codecs/bmp/raster_bmp.h"
#include "imagelib/raster_io_file.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"
#include "tests/imagelib/codecs/dib_builder.h"

namespace {

bool DecodeBytes(CRasterBMP& bmp, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return bmp.Decode(&file);
}

TEST(BmpDecode, ForeignFilesMatchImageMagick) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 30u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + ".rgb"));
    CRasterBMP fromMemory;
    ASSERT_TRUE(DecodeBytes(fromMemory, ReadBytes(FixturePath(c.file)))) << fromMemory.GetLastError();
    EXPECT_TRUE(SameRgb(fromMemory, expected, c.width, c.height));
    EXPECT_EQ(fromMemory.GetType(), RASTER_FORMAT_BMP);

    FILE* stream = std::fopen(FixturePath(c.file).c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    CRasterIOFile file(stream, true);
    CRasterBMP fromFile;
    ASSERT_TRUE(fromFile.Decode(&file)) << fromFile.GetLastError();
    EXPECT_TRUE(SameRgb(fromFile, expected, c.width, c.height));
  }
}

// A 24-bit 3x2 BMP with a given resolution.
CDibBuilder SmallBmp(int32_t ppm = 3780) {
  CDibBuilder bmp;
  bmp.Info(3, 2, 24, 0, 0, 40, ppm).Zeros(24);
  bmp.PrependFileHeader(40);
  return bmp;
}

TEST(BmpDecode, SizeProbeReadsOnlyTheHeader) {
  CRasterBMP bmp;
  bmp.SetEscape(-1);
  ASSERT_TRUE(DecodeBytes(bmp, SmallBmp().Get()));
  EXPECT_STREQ(bmp.GetLastError(), "output dimensions returned");
  EXPECT_EQ(bmp.GetWidth(), 3);
  EXPECT_EQ(bmp.GetHeight(), 2);
  EXPECT_EQ(bmp.GetType(), RASTER_FORMAT_BMP);
  EXPECT_FALSE(bmp.IsValid());
}

TEST(BmpDecode, CancelAndResolution) {
  CRasterBMP cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(DecodeBytes(cancelled, SmallBmp().Get()));
  EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");

  CRasterBMP bmp;
  ASSERT_TRUE(DecodeBytes(bmp, SmallBmp(11811).Get()));
  EXPECT_EQ(bmp.GetXDpi(), 300);
  EXPECT_EQ(bmp.GetYDpi(), 300);
}

TEST(BmpDecode, PaletteLongerThanTheImageHoldsIsSkipped) {
  // 1 bit with 5 entries: 2 are kept, the pixels follow all 5 (bare DIB).
  CDibBuilder dib;
  dib.Info(2, 1, 1, 0, 5).Palette(5).Bytes({0x40, 0, 0, 0});
  CRasterBMP bmp;
  ASSERT_TRUE(DecodeBytes(bmp, dib.Get())) << bmp.GetLastError();
  EXPECT_EQ(bmp.GetPixelIndexUnchecked(0, 0), 0);
  EXPECT_EQ(bmp.GetPixelIndexUnchecked(1, 0), 1);
  EXPECT_EQ(bmp.GetPaletteColor(1).rgbRed, 3);
}

struct HostileCase {
  const char* what;
  std::vector<uint8_t> bytes;
  const char* text;  // null: any text
};

CDibBuilder Bmp(int32_t width, int32_t height, uint16_t bpp, uint32_t compression,
                uint32_t clrUsed, std::initializer_list<uint8_t> tail, uint32_t paletteEntries = 0) {
  CDibBuilder b;
  b.Info(width, height, bpp, compression, clrUsed).Palette(paletteEntries).Bytes(tail);
  b.PrependFileHeader(40 + 4 * paletteEntries);
  return b;
}

TEST(BmpDecode, HostileFilesFailWithAText) {
  CDibBuilder badPlanes = Bmp(1, 1, 24, 0, 0, {0, 0, 0, 0});
  std::vector<uint8_t> planes = badPlanes.Get();
  planes[14 + 12] = 2;
  const HostileCase cases[] = {
      {"empty", {}, "Not a BMP"},
      {"13 bytes", std::vector<uint8_t>(13, 'B'), "Not a BMP"},
      {"negative width", Bmp(-3, 2, 24, 0, 0, {}).Get(), "Error reading BMP info"},
      {"height 0", Bmp(3, 0, 24, 0, 0, {}).Get(), "Error reading BMP info"},
      {"height INT32_MIN", Bmp(3, INT32_MIN, 24, 0, 0, {}).Get(), "Error reading BMP info"},
      {"two planes", planes, "Error reading BMP info"},
      {"0 bits", Bmp(3, 2, 0, 0, 0, {}).Get(), "Error reading BMP info"},
      {"0 bits, JPEG", Bmp(3, 2, 0, 4, 0, {}).Get(), "compression type not supported"},
      {"0 bits, PNG", Bmp(3, 2, 0, 5, 0, {}).Get(), "compression type not supported"},
      {"2 bits", Bmp(3, 2, 2, 0, 0, {}).Get(), "Error reading BMP info"},
      {"64 bits", Bmp(3, 2, 64, 0, 0, {}).Get(), "Error reading BMP info"},
      {"RLE8 at 4 bits", Bmp(3, 2, 4, 1, 0, {}, 16).Get(), "compression type not supported"},
      {"RLE4 at 8 bits", Bmp(3, 2, 8, 2, 0, {}, 256).Get(), "compression type not supported"},
      {"RLE at 24 bits", Bmp(3, 2, 24, 1, 0, {}).Get(), "unknown compression"},
      {"biClrUsed 0xFFFFFFFF", Bmp(3, 2, 8, 0, 0xFFFFFFFF, {}, 256).Get(), "Error reading BMP info"},
      {"far delta", Bmp(3, 2, 8, 1, 0, {0, 2, 200, 200, 0, 1}, 256).Get(), nullptr},
      {"short rows", Bmp(3, 2, 24, 0, 0, {1, 2, 3}).Get(), nullptr},
  };
  for (const HostileCase& c : cases) {
    CRasterBMP bmp;
    EXPECT_FALSE(DecodeBytes(bmp, c.bytes)) << c.what;
    if (c.text)
      EXPECT_STREQ(bmp.GetLastError(), c.text) << c.what;
    else
      EXPECT_STRNE(bmp.GetLastError(), "") << c.what;
  }
}

// Run-length data may stop without its end code or its last padding byte:
// a file keeps the rows it holds, as long as its first row is complete. The
// clipboard's packed DIB stays strict and refuses all of these.
TEST(BmpDecode, RunLengthFilesMayEndEarly) {
  const struct {
    std::vector<uint8_t> stream;  // RLE8, 3 x 2
    const char* rows;             // stored row 0 then row 1; null: refused
  } cases[] = {
      {{3, 1, 0, 0}, "111000"},                  // line end, then nothing
      {{3, 1}, "111000"},                        // first row full, then nothing
      {{0, 3, 5, 6, 7}, "567000"},               // odd literal without its pad byte
      {{3, 1, 0, 0, 0, 3, 4, 5}, "111450"},      // second row cut inside a literal
      {{2, 1}, nullptr},                         // first row incomplete
      {{0, 3, 5, 6}, nullptr},                   // cut inside the first row's literal
      {{}, nullptr},
  };
  for (const auto& c : cases) {
    CDibBuilder file;
    file.Info(3, 2, 8, BI_RLE8, 16).Palette(16);
    for (uint8_t b : c.stream) file.U8(b);
    CRaster pasted;
    EXPECT_FALSE(pasted.CreateFromPackedDib(file.Get().data(), file.Size()));
    file.PrependFileHeader(40 + 16 * 4);
    CRasterBMP bmp;
    const bool decoded = DecodeBytes(bmp, file.Get());
    EXPECT_EQ(decoded, c.rows != nullptr) << testing::PrintToString(c.stream);
    if (!decoded) {
      EXPECT_STREQ(bmp.GetLastError(), "Error reading BMP data");
      continue;
    }
    std::string rows;
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 3; ++x) rows += char('0' + bmp.GetPixelIndex(x, y));
    EXPECT_EQ(rows, c.rows) << testing::PrintToString(c.stream);
  }
}

// A cut file fails with a text, except that uncompressed rows may lack the
// padding of the last row (such a file decodes to the whole file's pixels)
// and that cut run-length data keeps what it holds: then every pixel is the
// whole file's or index 0, and every longer cut decodes too.
TEST(BmpDecode, TruncatedFiles) {
  const struct {
    const char* name;
    int bpp;  // 0: run-length data
  } files[] = {{"im_rle8", 0},      {"rle4_deltas", 0},  {"core_1bit", 1},    {"im_rgb565", 16},
               {"im_argb8888", 32}, {"topdown_8bit", 8}, {"bare_4bit_rle", 0}, {"pil_24bit", 24}};
  int checked = 0;
  for (const FixtureCase& c : ReadManifest()) {
    for (const auto& f : files) {
      if (c.name != f.name) continue;
      ++checked;
      const std::vector<uint8_t> whole = ReadBytes(FixturePath(c.file));
      CRasterBMP full;
      ASSERT_TRUE(DecodeBytes(full, whole));
      const size_t stored = (size_t(c.width) * f.bpp + 31) / 32 * 4;
      const size_t padding = f.bpp ? stored - (size_t(c.width) * f.bpp + 7) / 8 : 0;
      bool decodedBefore = false;
      for (size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE(c.name + " cut at " + std::to_string(n));
        CRasterBMP bmp;
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + long(n));
        const bool decoded = DecodeBytes(bmp, part);
        if (f.bpp != 0) {
          ASSERT_EQ(decoded, n + padding >= whole.size());
          if (decoded) {
            EXPECT_TRUE(SameRgb(bmp, ReadBytes(FixturePath(c.name + ".rgb")), c.width, c.height));
          }
        } else if (decoded) {
          for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x) {
              const BYTE index = bmp.GetPixelIndex(x, y);
              ASSERT_TRUE(index == 0 || index == full.GetPixelIndex(x, y)) << x << "," << y;
            }
        } else {
          ASSERT_FALSE(decodedBefore) << "a shorter cut decoded";
        }
        decodedBefore |= decoded;
        if (!decoded) {
          ASSERT_STRNE(bmp.GetLastError(), "");
        }
      }
    }
  }
  EXPECT_EQ(checked, 8);
}

}  // namespace
