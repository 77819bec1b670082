// JPEG encoding: each option word is written with its source pixels for the
// oracle (cjpeg with the matching switches must give the same bytes after
// the JFIF header; identify and PIL read quality, interlace and resolution),
// and the images and streams that cannot be written fail with their texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imagelib/codecs/jpg/raster_jpg.h"
#include "tests/imagelib/codecs/codec_encode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

// The source as a binary PNM (P6, or P5 for grey) for cjpeg.
std::vector<uint8_t> Pnm(const CRaster& image, bool grey) {
  const std::string head = std::string(grey ? "P5" : "P6") + "\n" + std::to_string(image.GetWidth()) +
                           " " + std::to_string(image.GetHeight()) + "\n255\n";
  std::vector<uint8_t> out(head.begin(), head.end());
  const std::vector<uint8_t> rgb = RgbRows(image);
  for (size_t i = 0; i < rgb.size(); i += grey ? 3 : 1) out.push_back(rgb[i]);
  return out;
}

TEST(JpgEncode, OptionWordsMatchCjpeg) {
  const struct {
    const char* name;
    uint32_t option;
    BYTE quality;
    bool grey;
    int32_t dpi;
    const char* switches;
  } cases[] = {
      {"opt0", 0, 90, false, 300, ""},
      {"opt2001", 0x2001, 90, false, 72, "-baseline -sample 1x1"},
      {"opt2010", 0x2010, 90, false, 96, "-progressive -sample 1x1"},
      {"opt2008", 0x2008, 90, false, 96, "-optimize -sample 1x1"},
      {"opt1000", 0x1000, 90, false, 96, "-sample 2x1"},
      {"opt2", 0x2, 90, false, 96, "-arithmetic"},
      {"opt4", 0x4, 90, false, 96, "-grayscale -sample 2x2"},
      {"opt14", 0x14, 90, false, 96, "-grayscale -progressive -sample 2x2"},
      {"opt1_q10", 0x1, 10, false, 600, "-baseline"},
      {"opt2011_q50", 0x2011, 50, false, 96, "-baseline -progressive -sample 1x1"},
      {"grey8", 0, 75, true, 70000, "-sample 2x2"},
  };
  CWrittenCases written("written");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CRaster image(61, 37, c.grey ? 8 : 24);
    FillRandom(image, c.option + c.quality, c.grey);
    image.SetCodecOption(c.option, RASTER_FORMAT_JPG);
    image.SetJpegQuality(c.quality);
    image.SetXDpi(c.dpi);
    image.SetYDpi(c.dpi / 2);
    const std::string name = c.name;
    ASSERT_TRUE(WriteBytes(written.Path(name + ".jpg"), EncodeWithToBytes<CRasterJPG>(image)));
    ASSERT_TRUE(WriteBytes(written.Path(name + ".pnm"), Pnm(image, c.grey)));
    const std::string meta = "quality " + std::to_string(c.quality) + "\ndpi " +
                             std::to_string(c.dpi) + " " + std::to_string(c.dpi / 2) +
                             "\nswitches " + c.switches + "\n";
    ASSERT_TRUE(WriteBytes(written.Path(name + ".meta"), std::vector<uint8_t>(meta.begin(), meta.end())));
    written.Add(name, name + ".jpg", image);
  }
  EXPECT_TRUE(written.Finish());
}

TEST(JpgEncode, RefusedImagesAndStreams) {
  const char kOnly[] = "JPEG can save only RGB or GreyScale images";
  CRaster colour4(5, 3, 4);
  FillRandom(colour4, 1);
  // Identity palettes count as grey ramps, but their rows are packed.
  CRaster identity1(9, 3, 1), identity4(9, 3, 4), palette8(5, 3, 8);
  for (BYTE i = 0; i < 16; ++i) identity4.SetPaletteColor(i, i, i, i);
  identity1.SetPaletteColor(1, 1, 1, 1);
  FillRandom(palette8, 2);
  for (const CRaster* image : {&colour4, &identity1, &identity4, &palette8}) {
    CRasterMemFile sink;
    sink.Open();
    std::string error;
    EXPECT_FALSE(EncodeWith<CRasterJPG>(*image, &sink, &error));
    EXPECT_EQ(error, kOnly);
    EXPECT_EQ(sink.Size(), 0);
  }

  CRaster image(40, 30, 24);
  FillRandom(image, 3);
  std::string error;
  EXPECT_TRUE(EncodeFailsOnReadOnlyStream<CRasterJPG>(image, "read_only.jpg", &error));
  EXPECT_EQ(error, "Output file write error --- out of disk space?");

  // A refused save leaves the file that was there.
  const std::string keptPath = TestOutputPath("kept.jpg");
  ASSERT_TRUE(image.Save(keptPath.c_str(), RASTER_FORMAT_JPG)) << image.GetLastError();
  const std::vector<uint8_t> kept = ReadBytes(keptPath);
  EXPECT_FALSE(colour4.Save(keptPath.c_str(), RASTER_FORMAT_JPG));
  EXPECT_STREQ(colour4.GetLastError(), kOnly);
  EXPECT_EQ(ReadBytes(keptPath), kept);
}

}  // namespace
