// The checks before a metafile reaches GDI: which kind the bytes are,
// whether headers and records hold together, the size in pixels and the
// clamp to 4000 pixels a side.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "imagelib/codecs/wmf/metafile_check.h"
#include "tests/imagelib/codecs/wmf/metafile_bytes.h"

namespace {

std::vector<uint8_t> Rectangle() { return WmfRecord(0x041B, {40, 60, 10, 20}); }

// A WMF record whose size field claims other than its length.
std::vector<uint8_t> Resized(std::vector<uint8_t> record, uint32_t words) {
  WriteLe32(record.data(), words);
  return record;
}

TEST(MetafileCheck, KindAndSize) {
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    MetafileKind kind;
    int64_t width, height;
  };
  const std::vector<uint8_t> wmf = PlaceableWmf(0, 0, 1440, 720, 1440, Rectangle());
  const std::vector<uint8_t> emf = Emf(10, 5, 190, 104, {});
  auto edited = [](std::vector<uint8_t> b, const std::function<void(std::vector<uint8_t>&)>& f) {
    f(b);
    return b;
  };
  const std::vector<Case> cases = {
      {"wmf at 96 dpi", wmf, METAFILE_WMF, 96, 48},
      {"wmf rounds half up", PlaceableWmf(0, 0, 15, 25, 10, {}), METAFILE_WMF, 144, 240},
      {"wmf negative box", PlaceableWmf(100, 0, 0, 50, 96, {}), METAFILE_WMF, -99, 50},
      {"wmf end record only", PlaceableWmf(0, 0, 0, 0, 96, {}), METAFILE_WMF, 0, 0},
      {"wrong checksum", edited(wmf, [](auto& b) { b[20] ^= 1; }), METAFILE_NONE, 0, 0},
      {"wrong key", edited(wmf, [](auto& b) { b[0] ^= 1; }), METAFILE_NONE, 0, 0},
      {"inch 0", PlaceableWmf(0, 0, 10, 10, 0, {}), METAFILE_NONE, 0, 0},
      {"inch 2541", PlaceableWmf(0, 0, 10, 10, 2541, {}), METAFILE_NONE, 0, 0},
      {"inch 2540", PlaceableWmf(0, 0, 2540, 2540, 2540, {}), METAFILE_WMF, 96, 96},
      {"metafile type 3", edited(wmf, [](auto& b) { b[22] = 3; }), METAFILE_NONE, 0, 0},
      {"words past the end", edited(wmf, [](auto& b) { WriteLe32(&b[28], ReadLe32(&b[28]) + 1); }),
       METAFILE_NONE, 0, 0},
      {"record of two words", PlaceableWmf(0, 0, 9, 9, 96, Resized(WmfRecord(0x0001, {}), 2)),
       METAFILE_NONE, 0, 0},
      {"record past the end", PlaceableWmf(0, 0, 9, 9, 96, Resized(Rectangle(), 4000)), METAFILE_NONE,
       0, 0},
      {"wmf cut in its header", std::vector<uint8_t>(wmf.begin(), wmf.begin() + 39), METAFILE_NONE, 0, 0},
      {"emf bounds are inclusive", emf, METAFILE_EMF, 181, 100},
      {"emf 8000 x 2000", Emf(0, 0, 7999, 1999, {}), METAFILE_EMF, 8000, 2000},
      {"emf empty bounds", Emf(0, 0, -1, -1, {}), METAFILE_EMF, 0, 0},
      {"emf with a record", Emf(0, 0, 9, 9, EmfRecord(27, 16)), METAFILE_EMF, 10, 10},
      {"emf byte count past the end", edited(emf, [](auto& b) { WriteLe32(&b[48], uint32_t(b.size() + 4)); }),
       METAFILE_NONE, 0, 0},
      {"emf without end record", Emf(0, 0, 9, 9, EmfRecord(27, 16), false), METAFILE_NONE, 0, 0},
      {"emf record of 4 bytes", edited(Emf(0, 0, 9, 9, EmfRecord(27, 16)), [](auto& b) { WriteLe32(&b[112], 4); }),
       METAFILE_NONE, 0, 0},
      {"emf record of 10 bytes", edited(Emf(0, 0, 9, 9, EmfRecord(27, 16)), [](auto& b) { WriteLe32(&b[112], 10); }),
       METAFILE_NONE, 0, 0},
      {"emf record past the end", edited(Emf(0, 0, 9, 9, EmfRecord(27, 16)), [](auto& b) { WriteLe32(&b[112], 4096); }),
       METAFILE_NONE, 0, 0},
      {"emf signature", edited(emf, [](auto& b) { b[40] ^= 1; }), METAFILE_NONE, 0, 0},
      {"emf cut in its header", std::vector<uint8_t>(emf.begin(), emf.begin() + 107), METAFILE_NONE, 0, 0},
      {"nothing", {}, METAFILE_NONE, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MetafileLayout layout = CheckMetafile(c.bytes.data(), c.bytes.size(), 96, 96);
    EXPECT_EQ(layout.kind, c.kind);
    if (c.kind == METAFILE_NONE) continue;
    EXPECT_EQ(layout.width, c.width);
    EXPECT_EQ(layout.height, c.height);
    EXPECT_LE(layout.offset + layout.bytes, c.bytes.size());
    EXPECT_EQ(layout.offset, c.kind == METAFILE_WMF ? kPlaceableHeaderBytes : 0u);
  }
}

TEST(MetafileCheck, ClampKeepsTheAspectAndOnePixel) {
  struct Case {
    int64_t width, height, wantWidth, wantHeight;
  } cases[] = {
      {8000, 2000, 4000, 1000}, {2000, 8000, 1000, 4000}, {4000, 4000, 4000, 4000},
      {5000, 4500, 4000, 3600}, {4001, 9000, 1778, 4000}, {int64_t(1) << 40, 3, 4000, 1},
      {3, int64_t(1) << 40, 1, 4000}, {12, 7, 12, 7},
  };
  for (const Case& c : cases) {
    int64_t w = c.width, h = c.height;
    ClampMetafileSize(&w, &h, 4000);
    EXPECT_EQ(w, c.wantWidth) << c.width << " x " << c.height;
    EXPECT_EQ(h, c.wantHeight) << c.width << " x " << c.height;
  }
}

}  // namespace
