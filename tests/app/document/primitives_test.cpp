// Every drawing primitive at 1, 4, 8 and 24 bits against the cases and
// expected images of document_fixtures.py (PIL, numpy and exact integer
// models), with selection and border clipping, the dirty rectangle, the
// modified flag and the pen kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/document/image.h"
#include "app/document/stamp_buffer.h"
#include "tests/imagelib/fixture_reader.h"

namespace {

enum {
  kLine = 1, kFillRect, kDrawRect, kDisc, kFlood, kInvert, kDarken, kTextMask, kPaste,
  kHueSaturation
};

// An image as the fixture stores it: top-down indices, or RGB triples.
struct Picture {
  int32_t depth = 0, width = 0, height = 0;
  std::vector<RGBQUAD> palette;
  std::vector<uint8_t> pixels;

  bool Read(CFixtureReader* in) {
    depth = in->Int();
    width = in->Int();
    height = in->Int();
    palette.resize(size_t(in->Int()));
    for (RGBQUAD& entry : palette) {
      const uint8_t* p = in->Take(4);
      if (!p) return false;
      memcpy(&entry, p, 4);
    }
    const size_t bytes = size_t(width) * height * (depth == 24 ? 3 : 1);
    const uint8_t* p = in->Take(bytes);
    if (!p) return false;
    pixels.assign(p, p + bytes);
    return !in->Failed();
  }

  void Build(CRaster* image) const {
    ASSERT_TRUE(image->Create(width, height, depth, 0));
    if (!palette.empty()) image->SetPalette(palette.data(), DWORD(palette.size()));
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = &pixels[(size_t(y) * width + x) * (depth == 24 ? 3 : 1)];
        if (depth == 24) {
          image->SetPixelColor(x, height - 1 - y, RgbQuadFromValue(uint32_t(p[0]) << 16 | p[1] << 8 | p[2]));
        } else {
          image->SetPixelIndex(x, height - 1 - y, *p);
        }
      }
    }
  }

  // The largest difference of red, green or blue over all pixels.
  int32_t MaxColorDifference(const CRaster& image) const {
    int32_t worst = 0;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const size_t at = size_t(y) * width + x;
        const RGBQUAD want = depth == 24 ? RgbQuadFromValue(uint32_t(pixels[3 * at]) << 16 |
                                                            pixels[3 * at + 1] << 8 |
                                                            pixels[3 * at + 2])
                                         : palette[pixels[at]];
        const RGBQUAD got = image.GetPixelColor(x, height - 1 - y);
        for (int32_t d : {want.rgbRed - got.rgbRed, want.rgbGreen - got.rgbGreen,
                          want.rgbBlue - got.rgbBlue})
          worst = std::max(worst, std::abs(d));
      }
    }
    return worst;
  }

  // The first pixel that differs, as text; empty when the image matches.
  std::string Compare(const CRaster& image) const {
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = &pixels[(size_t(y) * width + x) * (depth == 24 ? 3 : 1)];
        const int32_t row = height - 1 - y;
        uint32_t want, got;
        if (depth == 24) {
          want = uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
          got = RgbQuadToValue(image.GetPixelColor(x, row)) & 0xFFFFFF;
        } else {
          want = *p;
          got = image.GetPixelIndex(x, row);
        }
        if (want != got) {
          char text[96];
          snprintf(text, sizeof(text), "pixel (%d, %d): expected %06X, got %06X", x, y, want, got);
          return text;
        }
      }
    }
    return "";
  }
};

struct DrawingCase {
  int32_t op = 0;
  Picture before;
  RECT selection = {};
  int32_t args[8] = {};
  std::vector<uint8_t> mask;  // text masks
  int32_t maskWidth = 0, maskHeight = 0;
  Picture source;             // pastes
  Picture after;
  RECT dirty = {};
  bool modified = false;

  bool Read(CFixtureReader* in) {
    op = in->Int();
    if (in->Failed() || !before.Read(in)) return false;
    selection = RECT{in->Int(), in->Int(), in->Int(), in->Int()};
    for (int32_t& a : args) a = in->Int();
    if (op == kTextMask) {
      maskWidth = in->Int();
      maskHeight = in->Int();
      const uint8_t* p = in->Take(size_t(maskWidth) * maskHeight);
      if (!p) return false;
      mask.assign(p, p + size_t(maskWidth) * maskHeight);
    }
    if (op == kPaste && !source.Read(in)) return false;
    if (!after.Read(in)) return false;
    dirty = RECT{in->Int(), in->Int(), in->Int(), in->Int()};
    modified = in->Int() != 0;
    return !in->Failed();
  }
};

constexpr uint32_t kOpaque = 0xFF000000u;
// Measured here: 12 at most (the round trip alone moves up to 11).
constexpr int32_t kHslTolerance = 14;

// Runs the case's primitive. The pen just before the call comes back in
// *pen and *penIndex.
void Draw(const DrawingCase& c, CImage* image, uint32_t* pen, int32_t* penIndex) {
  const int32_t* a = c.args;
  switch (c.op) {
    case kLine:
      image->SetPen(a[4], kOpaque | uint32_t(a[5]));
      image->MoveTo(a[0], a[1]);
      image->DrawLine(a[2], a[3], true);
      break;
    case kFillRect:
      gptAnchor = POINT{a[0], a[1]};
      image->FillRectangle(a[2], a[3], kOpaque | uint32_t(a[4]));
      break;
    case kDrawRect:
      image->SetPen(1, kOpaque | uint32_t(a[4]));
      gptAnchor = POINT{a[0], a[1]};
      image->DrawRectangle(a[2], a[3]);
      break;
    case kDisc:
      image->SetPen(1, kOpaque | uint32_t(a[3]));
      image->FillDisc(a[0], a[1], a[2]);
      break;
    case kFlood:
      image->SetPen(1, kOpaque | uint32_t(a[2]));
      gptAnchor = POINT{a[0], a[1]};
      EXPECT_TRUE(image->FloodFill());
      EXPECT_EQ(image->aFillStack.data, nullptr) << "the fill's stack is freed";
      break;
    case kInvert:
      image->InvertRect(RECT{a[0], a[1], a[2], a[3]});
      break;
    case kDarken:
      image->DarkenOutsideSelection(RECT{a[0], a[1], a[2], a[3]}, 0.8);
      break;
    case kTextMask: {
      uint8_t* mask = AllocateTextMask(c.maskWidth, c.maskHeight);
      ASSERT_NE(mask, nullptr);
      memcpy(mask, c.mask.data(), c.mask.size());
      image->SetPen(1, kOpaque | uint32_t(a[4]));
      *pen = image->rgbPen;
      *penIndex = image->bPenIndex;
      image->StampTextMask(a[0], a[1], a[2], uint32_t(a[3]));
      break;
    }
    case kPaste: {
      CRaster source;
      c.source.Build(&source);
      ASSERT_EQ(image->CopyToStamp(source), 0);
      EXPECT_TRUE(image->HasStamp());
      image->PasteStamp(a[0], a[1]);
      break;
    }
  }
}

void RunCases(const char* file, int expectedOp) {
  CFixtureReader in(file);
  ASSERT_TRUE(in.Loaded()) << file << " " BW_FIXTURE_HINT;
  int count = 0;
  for (DrawingCase c; c.Read(&in); c = DrawingCase()) {
    ++count;
    SCOPED_TRACE(std::string(file) + " case " + std::to_string(count) + ", depth " +
                 std::to_string(c.before.depth));
    ASSERT_TRUE(c.op == expectedOp || (expectedOp == kFillRect && c.op == kDrawRect));
    CImage image;
    c.before.Build(&image);
    image.PrepareDrawing();
    image.rcSelection = c.selection;
    // A pen that the primitives which bring their own colour must give back.
    image.SetPen(1, kOpaque | 0x123456);
    uint32_t pen = image.rgbPen;
    int32_t penIndex = image.bPenIndex;
    Draw(c, &image, &pen, &penIndex);
    const std::string diff = c.after.Compare(image);
    EXPECT_EQ(diff, "");
    const RECT d = image.GetDirtyRect();
    EXPECT_TRUE(d.left == c.dirty.left && d.top == c.dirty.top && d.right == c.dirty.right &&
                d.bottom == c.dirty.bottom)
        << "dirty (" << d.left << "," << d.top << "," << d.right << "," << d.bottom
        << ") expected (" << c.dirty.left << "," << c.dirty.top << "," << c.dirty.right << ","
        << c.dirty.bottom << ")";
    EXPECT_EQ(image.IsModified(), c.modified);
    if (c.op == kFillRect || c.op == kInvert || c.op == kDarken || c.op == kTextMask ||
        c.op == kPaste) {
      EXPECT_EQ(image.rgbPen, pen);
      EXPECT_EQ(image.bPenIndex, penIndex);
    }
    if (c.op == kDarken) {
      EXPECT_EQ(image.rcSelection.left, c.selection.left);
      EXPECT_EQ(image.rcSelection.bottom, c.selection.bottom);
    }
    if (!diff.empty() || ::testing::Test::HasFailure()) break;  // one case's report is enough
  }
  EXPECT_GT(count, 100) << file;
  if (expectedOp == kPaste) {
    // No room for the copy: the old stamp is gone, pasting does nothing.
    CImage empty, image;
    ASSERT_TRUE(image.Create(4, 4, 8, 0));
    EXPECT_EQ(image.CopyToStamp(empty), 1);
    EXPECT_FALSE(image.HasStamp());
  }
  FreeStampBuffer();
}

TEST(DocumentPrimitives, LinesAndPensMatchPil) { RunCases("lines.bin", kLine); }
TEST(DocumentPrimitives, RectanglesMatchPil) { RunCases("rectangles.bin", kFillRect); }
TEST(DocumentPrimitives, DiscsFollowTheDiscRule) { RunCases("discs.bin", kDisc); }
TEST(DocumentPrimitives, FloodFillMatchesPil) { RunCases("fills.bin", kFlood); }
TEST(DocumentPrimitives, InvertMatchesImageOps) { RunCases("inverts.bin", kInvert); }
TEST(DocumentPrimitives, DarkenMatchesNumpy) { RunCases("darkens.bin", kDarken); }
TEST(DocumentPrimitives, TextMaskBlendIsExact) { RunCases("text_masks.bin", kTextMask); }
TEST(DocumentPrimitives, StampsPasteAcrossDepths) { RunCases("pastes.bin", kPaste); }

// colorsys's colours against the library's 8-bit packed HSL: a few levels
// apart at most (the turn is 1.4 degrees a step), palettes and pixels alike.
TEST(DocumentPrimitives, HueAndSaturationFollowColorsys) {
  CFixtureReader in("hue_saturation.bin");
  ASSERT_TRUE(in.Loaded()) << BW_FIXTURE_HINT;
  int count = 0;
  for (DrawingCase c; c.Read(&in); c = DrawingCase(), ++count) {
    CImage image;
    c.before.Build(&image);
    ASSERT_TRUE(AdjustHueSaturation(c.args[0], &image, float(c.args[1]) / 1000));
    EXPECT_LE(c.after.MaxColorDifference(image), kHslTolerance)
        << "shift " << c.args[0] << ", factor " << c.args[1] << ", depth " << c.before.depth;
    if (c.before.depth == 8) {
      CImage untouched;
      c.before.Build(&untouched);
      EXPECT_EQ(memcmp(image.GetBits(0), untouched.GetBits(0), image.GetHeight() * size_t(image.GetRowBytes())), 0)
          << "palette images keep their indices";
    }
  }
  EXPECT_EQ(count, 16);
  CImage empty;
  EXPECT_FALSE(AdjustHueSaturation(10, &empty, 1.0f));
}

}  // namespace
