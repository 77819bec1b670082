// Metafiles through CRaster: drawings recorded by GDI itself (enhanced and
// placeable Windows metafiles) decode like the same calls drawn at that
// size, a struct-built WMF like libwmf draws it, the size rules and texts,
// and every path many times over, so that a GDI object lost per decode
// exhausts Wine's object table and fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "imagelib/codecs/wmf/raster_wmf.h"
#include "imagelib/raster.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"
#include "tests/imagelib/codecs/wmf/metafile_bytes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

struct Block {
  RECT box;
  COLORREF color;
};
const Block kBlocks[] = {
    {{10, 10, 190, 120}, RGB(200, 30, 40)},
    {{40, 30, 90, 100}, RGB(20, 160, 60)},
    {{120, 60, 180, 110}, RGB(30, 40, 220)},
    {{0, 0, 10, 10}, RGB(250, 200, 0)},
};

void DrawBlocks(HDC dc, int dx, int dy) {
  for (const Block& b : kBlocks) {
    HBRUSH brush = CreateSolidBrush(b.color);
    RECT r = b.box;
    OffsetRect(&r, dx, dy);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
}

// A top-down 32-bit picture of the window colour with the blocks drawn at
// an offset, as RGB rows.
std::vector<uint8_t> DrawnDirectly(int width, int height, int dx, int dy) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, width, height};
  HBRUSH window = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  FillRect(dc, &all, window);
  DeleteObject(window);
  DrawBlocks(dc, dx, dy);
  GdiFlush();
  std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
  const uint8_t* p = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
    rgb[3 * i] = p[4 * i + 2];
    rgb[3 * i + 1] = p[4 * i + 1];
    rgb[3 * i + 2] = p[4 * i];
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return rgb;
}

// Every decoded pixel equals a reference pixel in its 3 x 3 neighbourhood;
// returns the share that equals the reference pixel at its own place.
double ShareExactWithinNeighbourhood(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want,
                                     int width, int height, int* outside) {
  int exact = 0;
  *outside = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* g = &got[3 * (size_t(y) * width + x)];
      auto same = [&](int nx, int ny) {
        if (nx < 0 || ny < 0 || nx >= width || ny >= height) return false;
        const uint8_t* w = &want[3 * (size_t(ny) * width + nx)];
        return g[0] == w[0] && g[1] == w[1] && g[2] == w[2];
      };
      if (same(x, y)) {
        ++exact;
        continue;
      }
      bool matched = false;
      for (int dy = -1; dy <= 1 && !matched; ++dy)
        for (int dx = -1; dx <= 1 && !matched; ++dx) matched = same(x + dx, y + dy);
      if (!matched) ++*outside;
    }
  return double(exact) / (double(width) * height);
}

bool LoadBytes(CRaster& image, const std::vector<uint8_t>& bytes, const std::string& name) {
  const std::string path = TestOutputPath(name);
  EXPECT_TRUE(WriteWholeFile(path, bytes.data(), bytes.size()));
  return image.Load(path.c_str(), RASTER_FORMAT_WMF);
}

bool DecodeBytes(CRaster& image, const std::vector<uint8_t>& bytes) {
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  return image.Decode(&file, RASTER_FORMAT_WMF);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

std::vector<uint8_t> RecordedEmf(RECT* bounds) {
  HDC reference = GetDC(nullptr);
  HDC recorder = CreateEnhMetaFileA(reference, nullptr, nullptr, nullptr);
  ReleaseDC(nullptr, reference);
  DrawBlocks(recorder, 0, 0);
  HENHMETAFILE emf = CloseEnhMetaFile(recorder);
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, UINT(bytes.size()), bytes.data());
  ENHMETAHEADER header = {};
  GetEnhMetaFileHeader(emf, sizeof header, &header);
  *bounds = {header.rclBounds.left, header.rclBounds.top, header.rclBounds.right, header.rclBounds.bottom};
  DeleteEnhMetaFile(emf);
  return bytes;
}

// The blocks recorded as a Windows metafile whose window is width x height,
// behind a placeable header of one unit per pixel at 96 dpi.
std::vector<uint8_t> RecordedPlaceableWmf(int width, int height) {
  HDC recorder = CreateMetaFileA(nullptr);
  SetWindowOrgEx(recorder, 0, 0, nullptr);
  SetWindowExtEx(recorder, width, height, nullptr);
  DrawBlocks(recorder, 0, 0);
  HMETAFILE wmf = CloseMetaFile(recorder);
  std::vector<uint8_t> body(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, UINT(body.size()), body.data());
  DeleteMetaFile(wmf);
  std::vector<uint8_t> out;
  PutLe32(out, kPlaceableKey);
  PutLe16(out, 0);
  for (int v : {0, 0, width, height}) PutLe16(out, uint16_t(v));
  PutLe16(out, 96);
  PutLe32(out, 0);
  PutLe16(out, PlaceableChecksum(out.data()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TEST(WmfDecode, RecordedDrawingsDecodeAsDrawn) {
  RECT bounds;
  const std::vector<uint8_t> emf = RecordedEmf(&bounds);
  const int width = bounds.right - bounds.left + 1, height = bounds.bottom - bounds.top + 1;
  CRaster fromEmf;
  ASSERT_TRUE(LoadBytes(fromEmf, emf, "recorded.emf")) << fromEmf.GetLastError();
  EXPECT_EQ(fromEmf.GetType(), RASTER_FORMAT_WMF);
  ASSERT_EQ(fromEmf.GetWidth(), width);
  ASSERT_EQ(fromEmf.GetHeight(), height);
  int outside = 0;
  const double share = ShareExactWithinNeighbourhood(
      RgbRows(fromEmf), DrawnDirectly(width, height, -bounds.left, -bounds.top), width, height, &outside);
  EXPECT_EQ(outside, 0);
  EXPECT_GE(share, 0.95);

  if (ScreenDpi() != 96) GTEST_SKIP() << "placeable sizes below assume 96 dpi";
  const std::vector<uint8_t> wmf = RecordedPlaceableWmf(200, 130);
  CRaster fromWmf;
  ASSERT_TRUE(LoadBytes(fromWmf, wmf, "recorded.wmf")) << fromWmf.GetLastError();
  ASSERT_EQ(fromWmf.GetWidth(), 200);
  ASSERT_EQ(fromWmf.GetHeight(), 130);
  EXPECT_TRUE(SameRgb(fromWmf, DrawnDirectly(200, 130, 0, 0), 200, 130));
}

TEST(WmfDecode, StructBuiltWmfAsLibwmfDrawsIt) {
  if (ScreenDpi() != 96) GTEST_SKIP() << "the reference was drawn for 96 dpi";
  CRaster image;
  ASSERT_TRUE(image.Load(FixturePath("blocks.wmf").c_str(), RASTER_FORMAT_WMF)) << image.GetLastError();
  ASSERT_EQ(image.GetWidth(), 160);
  ASSERT_EQ(image.GetHeight(), 90);
  int outside = 0;
  const double share = ShareExactWithinNeighbourhood(RgbRows(image), ReadBytes(FixturePath("blocks.rgb")),
                                                     160, 90, &outside);
  EXPECT_EQ(outside, 0);
  EXPECT_GE(share, 0.98);
}

TEST(WmfDecode, SizesAndTexts) {
  const int dpi = ScreenDpi();
  CRaster inches;
  ASSERT_TRUE(DecodeBytes(inches, PlaceableWmf(0, 0, 1440, 720, 1440, {}))) << inches.GetLastError();
  EXPECT_EQ(inches.GetWidth(), dpi);
  EXPECT_EQ(inches.GetHeight(), dpi / 2);

  CRaster wide;
  ASSERT_TRUE(DecodeBytes(wide, Emf(0, 0, 7999, 1999, {}))) << wide.GetLastError();
  EXPECT_EQ(wide.GetWidth(), 4000);
  EXPECT_EQ(wide.GetHeight(), 1000);
  // Nothing drawn: the window colour everywhere.
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const RGBQUAD c = wide.GetPixelColor(1234, 567);
  EXPECT_EQ(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), window);

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* error;
  };
  std::vector<uint8_t> badChecksum = PlaceableWmf(0, 0, 100, 100, 96, {});
  badChecksum[20] ^= 0x55;
  const Case cases[] = {
      {"wrong checksum", badChecksum, "corrupted WMF"},
      {"empty placeable box", PlaceableWmf(5, 5, 5, 40, 96, {}), "empty WMF"},
      {"empty emf bounds", Emf(0, 0, -1, -1, {}), "empty WMF"},
      {"emf size past the end", [] {
         std::vector<uint8_t> b = Emf(0, 0, 9, 9, {});
         b.resize(b.size() - 4);
         return b;
       }(), "corrupted WMF"},
      {"not a metafile", std::vector<uint8_t>(200, 7), "corrupted WMF"},
  };
  for (const Case& k : cases) {
    CRaster image;
    EXPECT_FALSE(DecodeBytes(image, k.bytes)) << k.name;
    EXPECT_STREQ(image.GetLastError(), k.error) << k.name;
  }

  CRaster image(4, 4, 24);
  CRasterMemFile out;
  ASSERT_TRUE(out.Open());
  EXPECT_FALSE(image.Encode(&out, RASTER_FORMAT_WMF));
  EXPECT_STREQ(image.GetLastError(), "Save WMF not supported");
}

// Probe, empty, cancel and success, each often enough that one GDI object
// kept per decode would fill Wine's table of about 65,000.
TEST(WmfDecode, EveryPathReleasesItsGdiObjects) {
  const int runs = std::getenv("BW_WMF_RUNS") ? std::atoi(std::getenv("BW_WMF_RUNS")) : 70000;
  const std::vector<uint8_t> small = PlaceableWmf(0, 0, 12, 8, 96, WmfRecord(0x041B, {6, 9, 2, 3}));
  const std::vector<uint8_t> empty = Emf(0, 0, -1, -1, {});
  int failures = 0;
  for (int i = 0; i < runs && failures < 5; ++i) {
    CRaster probe;
    probe.SetEscape(-1);
    if (!DecodeBytes(probe, small) || probe.IsValid() || probe.GetWidth() != 12) ++failures;
    CRaster nothing;
    if (DecodeBytes(nothing, empty) || std::string(nothing.GetLastError()) != "empty WMF") ++failures;
    CRaster cancelled;
    cancelled.SetEscape(1);
    if (DecodeBytes(cancelled, small) || std::string(cancelled.GetLastError()) != "Cancelled") ++failures;
    CRaster decoded;
    if (!DecodeBytes(decoded, small) || decoded.GetWidth() != 12 || decoded.GetHeight() != 8) ++failures;
    if (failures) ADD_FAILURE() << "run " << i;
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
