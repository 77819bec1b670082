// JPEG decoding through codec dispatch against the fixture folder: djpeg's
// pixels at every scale and option, exiftool's Exif fields and resolution,
// hostile Exif data, damaged files and memory bombs (see jpg_fixtures.py);
// then what dispatch adds: the size probe, cancel, stale values, file names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imagelib/codecs/jpg/exif_reader.h"
#include "imagelib/raster.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

// The settings and values an image keeps in its info block.
class CTestRaster : public CRaster {
 public:
  void SetJpegScale(BYTE scale) { info.jpegScale = scale; }
  const ExifInfo& Exif() const { return info.exif; }
};

bool DecodeBytes(CRaster& image, const std::vector<uint8_t>& bytes, int32_t type) {
  // An empty file is still a buffer (a null one would be no stream at all).
  static const uint8_t kNothing = 0;
  CRasterMemFile file(static_cast<const void*>(bytes.empty() ? &kNothing : bytes.data()), bytes.size());
  return image.Decode(&file, type);
}

enum class Kind { Text, Int, Float, Bool };
struct ExifField {
  const char* name;
  Kind kind;
  size_t offset;
};
#define BW_EXIF_FIELD(kind, member) {#member, Kind::kind, offsetof(ExifInfo, member)}
const ExifField kExifFields[] = {
    BW_EXIF_FIELD(Text, szVersion), BW_EXIF_FIELD(Text, szCameraMake),
    BW_EXIF_FIELD(Text, szCameraModel), BW_EXIF_FIELD(Text, szDateTime),
    BW_EXIF_FIELD(Int, iHeight), BW_EXIF_FIELD(Int, iWidth), BW_EXIF_FIELD(Int, iOrientation),
    BW_EXIF_FIELD(Int, iIsColor), BW_EXIF_FIELD(Int, iProcess), BW_EXIF_FIELD(Int, iFlashUsed),
    BW_EXIF_FIELD(Float, fFocalLength), BW_EXIF_FIELD(Float, fExposureTime),
    BW_EXIF_FIELD(Float, fApertureFNumber), BW_EXIF_FIELD(Float, fDistance),
    BW_EXIF_FIELD(Float, fCcdWidth), BW_EXIF_FIELD(Float, fExposureBias),
    BW_EXIF_FIELD(Int, iLightSource), BW_EXIF_FIELD(Int, iMeteringMode),
    BW_EXIF_FIELD(Int, iExposureProgram), BW_EXIF_FIELD(Int, iIsoEquivalent),
    BW_EXIF_FIELD(Int, iCompressionLevel), BW_EXIF_FIELD(Float, fFocalPlaneXRes),
    BW_EXIF_FIELD(Float, fFocalPlaneYRes), BW_EXIF_FIELD(Float, fFocalPlaneUnits),
    BW_EXIF_FIELD(Float, fXResolution), BW_EXIF_FIELD(Float, fYResolution),
    BW_EXIF_FIELD(Float, fResolutionUnit), BW_EXIF_FIELD(Float, fBrightness),
    BW_EXIF_FIELD(Text, szComments), BW_EXIF_FIELD(Int, iThumbnailOffset),
    BW_EXIF_FIELD(Int, iThumbnailSize), BW_EXIF_FIELD(Bool, bIsExif),
};

void CheckExifField(const ExifInfo& exif, const std::string& name, std::string want) {
  for (const ExifField& f : kExifFields) {
    if (name != f.name) continue;
    const char* at = reinterpret_cast<const char*>(&exif) + f.offset;
    int32_t i = 0;
    float x = 0;
    switch (f.kind) {
      case Kind::Text:
        for (size_t p; (p = want.find("\\n")) != std::string::npos;) want.replace(p, 2, "\n");
        EXPECT_EQ(std::string(at), want) << name;
        return;
      case Kind::Int:
        std::memcpy(&i, at, sizeof i);
        EXPECT_EQ(i, std::stol(want)) << name;
        return;
      case Kind::Float:
        std::memcpy(&x, at, sizeof x);
        EXPECT_NEAR(x, std::stod(want), 1e-5 * std::fabs(std::stod(want)) + 1e-9) << name;
        return;
      case Kind::Bool:
        EXPECT_EQ(*reinterpret_cast<const bool*>(at), want == "1") << name;
        return;
    }
  }
  ADD_FAILURE() << "no Exif field " << name;
}

// The value of a meta line after its key, or empty.
std::string Rest(std::istringstream& fields) {
  std::string rest;
  std::getline(fields >> std::ws, rest);
  return rest;
}

TEST(JpgDecode, FixturesMatchTheirOracles) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 130u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::ifstream meta(FixturePath(c.name + ".meta"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(meta, line);) lines.push_back(line);
    CTestRaster image;
    for (const std::string& line : lines) {
      std::istringstream fields(line);
      std::string key;
      fields >> key;
      if (key == "option") image.SetCodecOption(std::stoul(Rest(fields), nullptr, 16), RASTER_FORMAT_JPG);
      if (key == "scale") image.SetJpegScale(BYTE(std::stoi(Rest(fields))));
      if (key == "quality") image.SetJpegQuality(BYTE(std::stoi(Rest(fields))));
    }
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath(c.file));
    const bool decoded = DecodeBytes(image, bytes, RASTER_FORMAT_JPG);
    if (c.kind == "err") {
      EXPECT_FALSE(decoded);
    } else {
      ASSERT_TRUE(decoded) << image.GetLastError();
      EXPECT_EQ(image.GetType(), RASTER_FORMAT_JPG);
      EXPECT_EQ(image.GetProgress(), 100);
    }
    const std::vector<uint8_t> expected =
        c.kind == "rgb" || c.kind == "idx" ? ReadBytes(FixturePath(c.name + "." + c.kind)) : std::vector<uint8_t>();
    if (c.kind == "rgb") EXPECT_TRUE(SameRgb(image, expected, c.width, c.height));
    if (c.kind == "idx") EXPECT_TRUE(SameIndices(image, expected));
    // A failed decode leaves the caller alone: its Exif values come from a
    // reader of the test's own.
    ExifInfo own = {};
    CExifReader reader(&own);
    CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
    reader.ScanSections(&file, EXIF_READ_EXIF);
    for (const std::string& line : lines) {
      std::istringstream fields(line);
      std::string key;
      fields >> key;
      if (key == "error") {
        EXPECT_EQ(std::string(image.GetLastError()), Rest(fields));
      } else if (key == "bpp") {
        EXPECT_EQ(image.GetBpp(), std::stoi(Rest(fields)));
      } else if (key == "dpi") {
        int32_t x = 0, y = 0;
        fields >> x >> y;
        EXPECT_EQ(image.GetXDpi(), x);
        EXPECT_EQ(image.GetYDpi(), y);
      } else if (key == "palette") {
        const int count = std::stoi(Rest(fields));
        const std::vector<uint8_t> rgb = ReadBytes(FixturePath(c.name + ".pal"));
        ASSERT_EQ(rgb.size(), size_t(count) * 3);
        EXPECT_EQ(image.GetClrImportant(), DWORD(count));
        for (int i = 0; i < count; ++i) {
          const RGBQUAD e = image.GetPaletteColor(BYTE(i));
          EXPECT_EQ(e.rgbRed << 16 | e.rgbGreen << 8 | e.rgbBlue,
                    rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]) << "entry " << i;
        }
      } else if (key == "exif") {
        std::string field;
        fields >> field;
        CheckExifField(decoded ? image.Exif() : own, field, Rest(fields));
      } else if (key == "reader") {
        EXPECT_EQ(std::string(reader.GetLastError()), Rest(fields));
      }
    }
  }
}

TEST(JpgDecode, DispatchProbeCancelAndStaleValues) {
  const std::vector<uint8_t> exif = ReadBytes(FixturePath("exif_mm_300in.jpg"));
  const std::vector<uint8_t> aspect = ReadBytes(FixturePath("jfif_aspect.jpg"));
  ASSERT_FALSE(exif.empty());
  CTestRaster probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(DecodeBytes(probe, exif, RASTER_FORMAT_JPG)) << probe.GetLastError();
  EXPECT_EQ(probe.GetWidth(), 17);
  EXPECT_EQ(probe.GetHeight(), 9);
  EXPECT_EQ(probe.GetType(), RASTER_FORMAT_JPG);
  EXPECT_FALSE(probe.IsValid());

  CTestRaster cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(DecodeBytes(cancelled, exif, RASTER_FORMAT_JPG));
  EXPECT_STREQ(cancelled.GetLastError(), "");

  // The second file's resolution and Exif values, none of the first's.
  CTestRaster image;
  ASSERT_TRUE(DecodeBytes(image, exif, RASTER_FORMAT_UNKNOWN));
  EXPECT_EQ(image.GetXDpi(), 300);
  ASSERT_TRUE(DecodeBytes(image, aspect, RASTER_FORMAT_UNKNOWN));
  EXPECT_EQ(image.GetXDpi(), 96);
  EXPECT_EQ(image.GetYDpi(), 144);
  EXPECT_FALSE(image.Exif().bIsExif);
  EXPECT_STREQ(image.Exif().szCameraMake, "");

  // A JPEG named as a PNG opens through the other codecs.
  const std::string path = TestOutputPath("named_wrongly.png");
  ASSERT_TRUE(WriteBytes(path, exif));
  CRaster loaded;
  ASSERT_TRUE(loaded.Load(path.c_str(), RASTER_FORMAT_PNG)) << loaded.GetLastError();
  EXPECT_EQ(loaded.GetType(), RASTER_FORMAT_JPG);

  CRaster unknown;
  EXPECT_FALSE(DecodeBytes(unknown, ReadBytes(FixturePath("not_jpeg.jpg")), RASTER_FORMAT_UNKNOWN));
  EXPECT_STREQ(unknown.GetLastError(), "Decode: Unknown or wrong format");
}

TEST(JpgDecode, ReaderKeepsTheImageDataInReadImageMode) {
  const std::vector<uint8_t> bytes = ReadBytes(FixturePath("baseline_17x9_s1.jpg"));
  size_t sos = 0;
  while (sos + 1 < bytes.size() && !(bytes[sos] == 0xFF && bytes[sos + 1] == 0xDA)) ++sos;
  ASSERT_LT(sos + 4, bytes.size());
  const size_t scanData = sos + 2 + (size_t(bytes[sos + 2]) << 8 | bytes[sos + 3]);
  for (int mode : {EXIF_READ_EXIF, EXIF_READ_EXIF | EXIF_READ_IMAGE}) {
    CExifReader reader;
    CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
    ASSERT_TRUE(reader.ScanSections(&file, mode)) << reader.GetLastError();
    const int last = reader.GetSectionCount() - 1;
    if (mode & EXIF_READ_IMAGE) {
      EXPECT_EQ(reader.GetSectionMarker(last), EXIF_SECTION_IMAGE);
      EXPECT_EQ(reader.GetSectionSize(last), bytes.size() - scanData);
    } else {
      EXPECT_EQ(reader.GetSectionMarker(last), 0xDA);
    }
  }
}

}  // namespace
