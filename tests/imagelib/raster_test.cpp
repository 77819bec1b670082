// The image object: creation limits, header values, copying, ghosts and
// transfers (ownership is checked by AddressSanitizer and LeakSanitizer in the
// native tree).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "imagelib/raster.h"

namespace {

// Reaches the side arrays and flags that only codecs set.
class CTestRaster : public CRaster {
 public:
  using CRaster::CRaster;
  void AddFrame(CRaster* frame) {
    frames = static_cast<CRaster**>(realloc(frames, sizeof(CRaster*) * (info.frameCount + 1)));
    frames[info.frameCount++] = frame;
  }
  void AddSelection() {
    free(selection);
    selection = static_cast<BYTE*>(calloc(size_t(GetWidth()) * GetHeight(), 1));
    selection[0] = 7;
  }
  const BYTE* Selection() const { return selection; }
  CRaster* Frame(int i) const { return frames[i]; }
  void SetLittleEndianHost(BYTE value) { info.littleEndianHost = value; }
  bool Ghosted() const { return IsGhost(); }
};

TEST(RasterCreate, GeometryOfSmallestImages) {
  CRaster image(1, 1, 1);
  ASSERT_TRUE(image.IsValid());
  EXPECT_EQ(image.GetRowBytes(), 4);
  EXPECT_EQ(image.GetNumColors(), 2u);
  EXPECT_EQ(image.GetSize(), 52u);
  EXPECT_EQ(image.GetBits(0), image.GetDib() + 48);
  EXPECT_EQ(image.GetBits(1), nullptr);

  const int32_t depths[][2] = {{0, 1}, {2, 4}, {3, 4}, {5, 8}, {16, 24}, {32, 24}, {-3, 1}};
  for (const auto& d : depths) {
    CRaster other(3, 2, d[0]);
    EXPECT_EQ(other.GetBpp(), d[1]) << "asked " << d[0];
  }
  CRaster wide(33, 2, 4);
  EXPECT_EQ(wide.GetRowBytes(), 20);
  EXPECT_EQ(wide.GetSize(), 40u + 64 + 40);
  const BITMAPINFOHEADER* stored = reinterpret_cast<const BITMAPINFOHEADER*>(wide.GetDib());
  EXPECT_EQ(stored->biSizeImage, 40u);
  EXPECT_EQ(stored->biClrUsed, 16u);
  EXPECT_EQ(stored->biPlanes, 1);
  EXPECT_EQ(wide.GetBits(1) - wide.GetBits(0), 20);
}

TEST(RasterCreate, PixelsAndPaletteStartZeroed) {
  CRaster image(7, 5, 8);
  ASSERT_TRUE(image.IsValid());
  const BYTE* dib = image.GetDib();
  for (DWORD i = 40; i < image.GetSize(); ++i) ASSERT_EQ(dib[i], 0) << "byte " << i;
  // Re-creating over old pixels zeroes them again.
  memset(image.GetBits(0), 0xAB, 8 * 5);
  ASSERT_TRUE(image.Create(7, 5, 8, 0));
  for (DWORD i = 40; i < image.GetSize(); ++i) ASSERT_EQ(image.GetDib()[i], 0);
}

TEST(RasterCreate, LimitsAndTexts) {
  CRaster image;
  EXPECT_NE(image.Create(32768, 32768, 8, 0), nullptr);  // exactly 2^30 bytes
  image.Destroy();
  const char* tooLarge = "RASTER_MAX_MEMORY exceeded";
  const char* badSize = "CRaster::Create : width and height must be greater than zero";
  struct {
    int32_t w, h, bpp;
    const char* text;
  } failures[] = {
      {32769, 32768, 8, tooLarge}, {1, 0x7FFFFFFF, 1, tooLarge}, {40000, 40000, 24, tooLarge},
      {0x7FFFFFFF, 1, 24, tooLarge}, {0x7FFFFFFF, 0x7FFFFFFF, 32, tooLarge},
      {-5, 10, 8, badSize},          {10, -5, 8, badSize},
      {0, 10, 8, badSize},           {10, 0, 24, badSize},
  };
  for (const auto& f : failures) {
    CRaster other;
    EXPECT_EQ(other.Create(f.w, f.h, f.bpp, 0), nullptr) << f.w << "x" << f.h;
    EXPECT_STREQ(other.GetLastError(), f.text);
    EXPECT_FALSE(other.IsValid());
  }
}

TEST(RasterCreate, ImportantColoursClampedToNewPalette) {
  CRaster image(4, 4, 8);
  image.SetClrImportant(200);
  EXPECT_EQ(image.GetClrImportant(), 200u);
  image.Create(4, 4, 4, 0);
  EXPECT_EQ(image.GetClrImportant(), 16u);
  EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(image.GetDib())->biClrImportant, 16u);
  image.Create(4, 4, 24, 0);
  EXPECT_EQ(image.GetClrImportant(), 0u);
}

TEST(RasterHeader, DefaultsAndResolution) {
  CRaster image(2, 2, 24, RASTER_FORMAT_PNG);
  EXPECT_EQ(image.GetXDpi(), 96);
  EXPECT_EQ(image.GetYDpi(), 96);
  EXPECT_EQ(image.GetJpegQuality(), 90);
  EXPECT_EQ(image.GetJpegScale(), 1);
  EXPECT_EQ(image.GetBkgndIndex(), -1);
  EXPECT_EQ(image.GetType(), RASTER_FORMAT_PNG);
  const BITMAPINFOHEADER* stored = reinterpret_cast<const BITMAPINFOHEADER*>(image.GetDib());
  EXPECT_EQ(stored->biXPelsPerMeter, 3780);

  image.SetXDpi(300);
  image.SetYDpi(0);
  EXPECT_EQ(image.GetXDpi(), 300);
  EXPECT_EQ(stored->biXPelsPerMeter, 11811);
  EXPECT_EQ(image.GetYDpi(), 96);
  EXPECT_EQ(stored->biYPelsPerMeter, 3780);
  image.SetXDpi(2000000000);  // pixels per metre would overflow 32 bits
  EXPECT_EQ(stored->biXPelsPerMeter, 0x7FFFFFFF);

  image.SetJpegQuality(75);
  EXPECT_EQ(image.GetJpegQuality(), 75);
}

TEST(RasterHeader, TypeIdsAndCodecSlots) {
  CRaster image;
  EXPECT_FALSE(image.SetType(9));
  EXPECT_EQ(image.GetType(), 0);
  EXPECT_TRUE(image.SetType(RASTER_FORMAT_WMF));
  EXPECT_FALSE(image.SetType(-1));
  EXPECT_EQ(GetImageTypeIndex(10), 9);
  EXPECT_EQ(GetImageTypeIndex(9), 0);
  EXPECT_EQ(GetImageTypeIndex(8), 8);
  EXPECT_EQ(GetImageTypeIndex(11), 0);

  struct {
    const char* ext;
    int32_t type;
  } cases[] = {{"JPEG", 3}, {"tiff", 6}, {"jp2", 0}, {"Bmp", 1}, {"jfif", 3}, {"jpe", 3},
               {"cur", 5},  {"EMF", 10}, {"wmf", 10}, {"pcx", 8}, {"tga", 7},  {"gif", 2},
               {"png", 4},  {"pn", 0},   {"", 0},     {"ico", 5}};
  for (const auto& c : cases) EXPECT_EQ(GetImageTypeFromExtension(c.ext), c.type) << c.ext;
  EXPECT_EQ(GetImageTypeFromExtension(nullptr), 0);

  // Type 0 (and ids without a slot) mean the image's own type.
  CRaster png(1, 1, 24, RASTER_FORMAT_PNG);
  png.SetCodecOption(6);
  EXPECT_EQ(png.GetCodecOption(RASTER_FORMAT_PNG), 6u);
  EXPECT_EQ(png.GetCodecOption(), 6u);
  EXPECT_EQ(png.GetCodecOption(9), 6u);
  png.SetCodecOption(3, RASTER_FORMAT_WMF);
  EXPECT_EQ(png.GetCodecOption(RASTER_FORMAT_WMF), 3u);
  EXPECT_EQ(png.GetCodecOption(RASTER_FORMAT_PNG), 6u);
}

TEST(RasterHeader, BackgroundIndexAndImportantColours) {
  CRaster palette(2, 2, 4);
  palette.SetBkgndIndex(15);
  EXPECT_EQ(palette.GetBkgndIndex(), 15);
  palette.SetBkgndIndex(16);
  EXPECT_EQ(palette.GetBkgndIndex(), -1);
  palette.SetBkgndIndex(-7);
  EXPECT_EQ(palette.GetBkgndIndex(), -1);
  EXPECT_FALSE(palette.HasBkgndIndex());

  CRaster trueColour(2, 2, 24);
  trueColour.SetBkgndIndex(5);
  EXPECT_EQ(trueColour.GetBkgndIndex(), 0);
  trueColour.SetBkgndIndex(-1);
  EXPECT_EQ(trueColour.GetBkgndIndex(), -1);

  palette.SetPaletteColor(3, 10, 20, 30);
  palette.SetBkgndIndex(3);
  EXPECT_EQ(RgbQuadToValue(palette.GetBkgndColor()), 0x0A141Eu);
  trueColour.SetBkgndColor(RgbQuadFromValue(0xFF123456));
  EXPECT_EQ(RgbQuadToValue(trueColour.GetBkgndColor()), 0x123456u);

  CRaster one(2, 2, 1), eight(2, 2, 8);
  one.SetClrImportant(200);
  eight.SetClrImportant(200);
  trueColour.SetClrImportant(10);
  EXPECT_EQ(one.GetClrImportant(), 2u);
  EXPECT_EQ(eight.GetClrImportant(), 200u);
  EXPECT_EQ(trueColour.GetClrImportant(), 0u);
  eight.SetClrImportant(257);
  EXPECT_EQ(eight.GetClrImportant(), 0u);
}

TEST(RasterHeader, ByteOrderHelpers) {
  CTestRaster image;
  EXPECT_EQ(image.SwapLong(0x11223344), 0x11223344u);
  image.SetLittleEndianHost(0);
  EXPECT_EQ(image.SwapLong(0x11223344), 0x44332211u);
  EXPECT_EQ(image.SwapShort(0x1122), 0x2211);
  BITMAPINFOHEADER bih = {};
  bih.biSize = 40;
  bih.biBitCount = 8;
  bih.biWidth = 0x01020304;
  image.SwapBitmapInfoHeader(&bih);
  EXPECT_EQ(bih.biSize, 0x28000000u);
  EXPECT_EQ(bih.biBitCount, 0x0800);
  EXPECT_EQ(bih.biWidth, 0x04030201);
}

TEST(RasterLife, GhostSharesAndFreesNothing) {
  CRaster* source = new CRaster(5, 3, 8);
  source->SetPixelIndex(1, 1, 9);
  {
    CTestRaster ghost(5, 5, 24);  // its own pixels are freed when it turns into a ghost
    ghost.Ghost(source);
    EXPECT_TRUE(ghost.Ghosted());
    EXPECT_EQ(ghost.GetDib(), source->GetDib());
    EXPECT_EQ(ghost.GetPixelIndex(1, 1), 9);
    EXPECT_FALSE(ghost.Destroy());
    EXPECT_FALSE(ghost.DestroyFrames());
    EXPECT_EQ(ghost.Create(2, 2, 8, 0), nullptr);
    CRaster other(2, 2, 8);
    EXPECT_FALSE(ghost.Transfer(other));
    EXPECT_TRUE(other.IsValid());
    // Copying from a ghost makes another ghost of it.
    CTestRaster copy(3, 3, 1);
    EXPECT_TRUE(copy.Copy(ghost));
    EXPECT_TRUE(copy.Ghosted());
  }
  EXPECT_TRUE(source->IsValid());
  EXPECT_EQ(source->GetPixelIndex(1, 1), 9);
  delete source;
}

TEST(RasterLife, CopyDuplicatesPixelsSelectionAndKeepsOwnLayout) {
  CTestRaster source(6, 4, 4, RASTER_FORMAT_GIF);
  source.SetStandardPalette();
  source.SetPixelIndex(5, 3, 12);
  source.SetXDpi(150);
  source.AddSelection();
  source.AddFrame(new CRaster(1, 1, 8));

  CTestRaster copy(2, 2, 24);
  copy.AddFrame(new CRaster(1, 1, 8));
  ASSERT_TRUE(copy.Copy(source));
  EXPECT_NE(copy.GetDib(), source.GetDib());
  EXPECT_EQ(0, memcmp(copy.GetDib(), source.GetDib(), source.GetSize()));
  EXPECT_EQ(copy.GetBits(0), copy.GetDib() + 40 + 64);
  EXPECT_EQ(copy.GetType(), RASTER_FORMAT_GIF);
  EXPECT_EQ(copy.GetXDpi(), 150);
  EXPECT_EQ(copy.GetNumFrames(), 0);  // frames are not copied
  ASSERT_NE(copy.Selection(), nullptr);
  EXPECT_NE(copy.Selection(), source.Selection());
  EXPECT_EQ(copy.Selection()[0], 7);

  CRaster blank(source, false, false, false);
  EXPECT_EQ(blank.GetPixelIndex(5, 3), 0);
  EXPECT_EQ(RgbQuadToValue(blank.GetPaletteColor(9)), 0xFF0000u);

  EXPECT_TRUE(copy.Copy(copy));
  EXPECT_EQ(copy.GetPixelIndex(5, 3), 12);
}

TEST(RasterLife, TransferMovesBuffersAndResetsSource) {
  CTestRaster source(4, 4, 8, RASTER_FORMAT_BMP);
  source.SetPixelIndex(0, 0, 77);
  source.SetXDpi(200);
  source.AddFrame(new CRaster(2, 2, 8));
  const BYTE* pixels = source.GetDib();

  CTestRaster target(9, 9, 24);
  target.AddFrame(new CRaster(1, 1, 1));
  target.AddFrame(new CRaster(1, 1, 1));
  ASSERT_TRUE(target.Transfer(source, false));
  EXPECT_EQ(target.GetDib(), pixels);
  EXPECT_EQ(target.GetPixelIndex(0, 0), 77);
  EXPECT_EQ(target.GetXDpi(), 200);
  EXPECT_EQ(target.GetNumFrames(), 2);  // its own frames stay without takeFrames
  EXPECT_EQ(source.GetNumFrames(), 1);  // and the source keeps its own
  EXPECT_FALSE(source.IsValid());
  EXPECT_EQ(source.GetWidth(), 0);
  EXPECT_EQ(source.GetXDpi(), 96);
  EXPECT_EQ(source.SwapLong(0x01020304), 0x01020304u);

  CTestRaster third;
  ASSERT_TRUE(third.Transfer(target, true));
  EXPECT_EQ(third.GetNumFrames(), 2);
  EXPECT_EQ(third.Frame(1)->GetWidth(), 1);
  EXPECT_EQ(target.GetNumFrames(), 0);
  EXPECT_TRUE(third.Transfer(third));
  EXPECT_TRUE(third.IsValid());
}

// An image's own frame (at any depth) as the source, or the image as the
// source of one of its frames, is refused: the operation would free the
// frame while reading it, or make a frame own the array that holds it.
TEST(RasterLife, FramesOfTheImageAreRefusedAsPartners) {
  using Step = std::function<bool(CTestRaster& parent, CRaster& frame)>;
  const struct {
    const char* what;
    Step step;
  } cases[] = {
      {"Transfer from a frame", [](CTestRaster& p, CRaster& f) { return p.Transfer(f, true); }},
      {"Transfer from a frame, frames kept", [](CTestRaster& p, CRaster& f) { return p.Transfer(f, false); }},
      {"Copy of a frame", [](CTestRaster& p, CRaster& f) { return p.Copy(f); }},
      {"Ghost of a frame", [](CTestRaster& p, CRaster& f) { p.Ghost(&f); return p.Ghosted(); }},
      {"frame takes the image", [](CTestRaster& p, CRaster& f) { return f.Transfer(p, true); }},
      {"frame copies the image", [](CTestRaster& p, CRaster& f) { return f.Copy(p); }},
      {"frame ghosts the image", [](CTestRaster& p, CRaster& f) { f.Ghost(&p); return f.GetDib() == p.GetDib(); }},
  };
  for (const auto& c : cases) {
    for (bool nested : {false, true}) {
      CTestRaster parent(4, 3, 8);
      CTestRaster* child = new CTestRaster(2, 2, 24);
      parent.AddFrame(child);
      CRaster* frame = child;
      if (nested) {
        frame = new CRaster(1, 1, 1);
        child->AddFrame(frame);
      }
      EXPECT_FALSE(c.step(parent, *frame)) << c.what << (nested ? ", nested" : "");
      EXPECT_TRUE(parent.IsValid() && frame->IsValid()) << c.what;
      EXPECT_EQ(parent.GetNumFrames(), 1) << c.what;
      EXPECT_EQ(parent.Frame(0), child) << c.what;
    }
  }
}

TEST(RasterLife, DestroyKeepsHeaderValues) {
  CRaster image(10, 7, 8);
  EXPECT_TRUE(image.Destroy());
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetWidth(), 10);
  EXPECT_EQ(image.GetBits(0), nullptr);
  EXPECT_TRUE(image.DestroyFrames());
}

// Random sequences over a handful of images; any double free, leak or stale
// pointer shows up under the sanitizers. A ghost is a view, so the test never
// changes an image that a ghost still looks at (directly or through a chain).
class OwnershipRound {
 public:
  explicit OwnershipRound(std::mt19937* random) : mRandom(*random) {
    for (int i = 0; i < 5; ++i) mImages.push_back(new CTestRaster(1 + i, 2, i % 2 ? 8 : 24));
    mViewOf.assign(mImages.size(), -1);
  }
  ~OwnershipRound() {
    for (CTestRaster* image : mImages) delete image;
  }
  void Step() {
    const int a = int(mRandom() % mImages.size()), b = int(mRandom() % mImages.size());
    CTestRaster& x = *mImages[a];
    CTestRaster& y = *mImages[b];
    const bool xShared = Watched(a), yShared = Watched(b);
    switch (mRandom() % 6) {
      case 0:
        if (xShared) break;
        if (x.Copy(y, mRandom() % 2, true, true) && x.Ghosted() && a != b) mViewOf[a] = b;
        break;
      case 1:
        if (!xShared && a != b && !Reaches(b, a)) {
          x.Ghost(&y);
          mViewOf[a] = b;
        }
        break;
      case 2:
        if (!xShared && !yShared) x.Transfer(y, mRandom() % 2);
        break;
      case 3:
        if (!xShared) x.Destroy();
        break;
      case 4:
        if (!xShared && !x.Ghosted()) x.AddFrame(new CRaster(1, 1, 8));
        break;
      case 5:
        if (!xShared) x.Create(1 + mRandom() % 9, 1 + mRandom() % 9, 1 << (mRandom() % 5), 0);
        break;
    }
    for (CTestRaster* image : mImages) {
      // Every byte of a valid image (ghosts included) must be addressable.
      if (image->IsValid()) {
        volatile BYTE sink = image->GetDib()[image->GetSize() - 1];
        (void)sink;
      }
    }
  }

 private:
  bool Reaches(int from, int to) const {
    for (int i = from; i >= 0; i = mViewOf[i]) {
      if (i == to) return true;
    }
    return false;
  }
  bool Watched(int index) const {
    for (int i = 0; i < int(mImages.size()); ++i) {
      if (i != index && mViewOf[i] >= 0 && Reaches(i, index)) return true;
    }
    return false;
  }

  std::mt19937& mRandom;
  std::vector<CTestRaster*> mImages;
  std::vector<int> mViewOf;
};

TEST(RasterLife, RandomOwnershipSequences) {
  std::mt19937 random(12345);
  for (int round = 0; round < 300; ++round) {
    OwnershipRound images(&random);
    for (int step = 0; step < 40; ++step) images.Step();
  }
}

TEST(RasterPixels, ClearByDepth) {
  CRaster one(9, 2, 1);
  one.Clear(1);
  EXPECT_EQ(one.GetBits(0)[0], 0xFF);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(one.GetPixelIndex(x, 1), 1);
  CRaster four(3, 1, 4);
  four.Clear(3);
  EXPECT_EQ(four.GetBits(0)[0], 0x33);
  four.Clear(0x13);
  EXPECT_EQ(four.GetBits(0)[1], 0x33);
  CRaster eight(3, 1, 8);
  eight.Clear(200);
  EXPECT_EQ(eight.GetPixelIndex(2, 0), 200);
  CRaster empty;
  empty.Clear(5);  // nothing to do, nothing to crash
}

TEST(RasterPixels, CreateFromArrayCopiesAndFlips) {
  // Two rows of 32-bit pixels; the fourth byte is dropped.
  const BYTE quad[2][8] = {{1, 2, 3, 99, 4, 5, 6, 99}, {7, 8, 9, 99, 10, 11, 12, 99}};
  CRaster image;
  ASSERT_TRUE(image.CreateFromArray(&quad[0][0], 2, 2, 32, 8, false));
  EXPECT_EQ(image.GetBpp(), 24);
  EXPECT_EQ(RgbQuadToValue(image.GetPixelColor(1, 0)), 0x060504u);
  EXPECT_EQ(RgbQuadToValue(image.GetPixelColor(0, 1)), 0x090807u);
  ASSERT_TRUE(image.CreateFromArray(&quad[0][0], 2, 2, 32, 8, true));
  EXPECT_EQ(RgbQuadToValue(image.GetPixelColor(0, 0)), 0x090807u);

  const BYTE grey[2][3] = {{0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}};
  ASSERT_TRUE(image.CreateFromArray(&grey[0][0], 3, 2, 8, 3, true));
  EXPECT_TRUE(image.IsGrayScale());
  EXPECT_EQ(image.GetPixelIndex(2, 0), 0x60);
  EXPECT_EQ(image.GetPixelIndex(0, 1), 0x10);

  EXPECT_FALSE(image.CreateFromArray(nullptr, 1, 1, 8, 4, false));
  EXPECT_FALSE(image.CreateFromArray(&grey[0][0], 1, 1, 16, 4, false));
  EXPECT_FALSE(image.CreateFromArray(&grey[0][0], 1, 1, 8, 0, false));
}

TEST(RasterPixels, RowIteratorStaysInside) {
  CRaster image(3, 4, 8);
  CRasterRowIterator rows(&image);
  EXPECT_EQ(rows.GetRow(), image.GetBits(0));
  EXPECT_EQ(rows.SetRow(3), image.GetBits(3));
  EXPECT_EQ(rows.SetRow(4), nullptr);
  EXPECT_EQ(rows.SetRow(-1), nullptr);
  EXPECT_EQ(rows.GetRow(), image.GetBits(3));
  CRaster empty;
  CRasterRowIterator none(&empty);
  EXPECT_EQ(none.SetRow(0), nullptr);
}

TEST(RasterPixels, FlipSwapsRows) {
  CRaster image(3, 5, 8);
  for (int y = 0; y < 5; ++y) image.SetPixelIndex(0, y, BYTE(y + 1));
  ASSERT_TRUE(image.Flip());
  for (int y = 0; y < 5; ++y) EXPECT_EQ(image.GetPixelIndex(0, y), 5 - y);
  ASSERT_TRUE(image.Flip());
  for (int y = 0; y < 5; ++y) EXPECT_EQ(image.GetPixelIndex(0, y), y + 1);
  CRaster single(4, 1, 24);
  single.SetPixelColor(1, 0, RgbQuadFromValue(0x102030));
  ASSERT_TRUE(single.Flip());
  EXPECT_EQ(RgbQuadToValue(single.GetPixelColor(1, 0)), 0x102030u);
  CRaster empty;
  EXPECT_FALSE(empty.Flip());
}

}  // namespace
