// GIF decoding: PIL and ImageMagick files, interlaced twins of every small
// height, every frame of a placed animation with local tables, a true-colour
// file of small frames, crafted hostile files, and files cut at every length.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imagelib/codecs/gif/raster_gif.h"
#include "imagelib/raster_io_file.h"
#include "imagelib/raster_mem_file.h"
#include "tests/imagelib/codecs/codec_decode_util.h"
#include "tests/imagelib/codecs/codec_test_util.h"

namespace {

// The frame to decode and the graphic control's values are the image's own
// state; the program sets the first and reads the rest through other paths.
class CGifProbe : public CRasterGIF {
 public:
  void SetFrame(int32_t index) { info.frameIndex = index; }
  int32_t GetDelay() const { return info.frameDelay; }
};

// The frame to decode from <name>.meta, set before decoding.
int32_t MetaFrame(const std::string& name) {
  std::ifstream in(FixturePath(name + ".meta"));
  std::string key, value;
  while (in >> key >> value)
    if (key == "frame") return std::stoi(value);
  return 0;
}

void CheckMeta(const CGifProbe& image, const std::string& name) {
  std::ifstream in(FixturePath(name + ".meta"));
  std::string key;
  while (in >> key) {
    if (key == "comment") {
      std::string text;
      in >> text;
      EXPECT_STREQ(image.GetComment(), text.c_str());
      continue;
    }
    int32_t value = 0;
    in >> value;
    if (key == "delay")
      EXPECT_EQ(image.GetDelay(), value);
    else if (key == "disposal")
      EXPECT_EQ(image.GetDisposalMethod(), value);
    else if (key == "loop")
      EXPECT_EQ(image.GetLoopCount(), value);
    else if (key == "frames")
      EXPECT_EQ(image.GetNumFrames(), value);
    else if (key == "bpp")
      EXPECT_EQ(image.GetBpp(), value);
    else if (key == "bkgnd")
      EXPECT_EQ(image.GetBkgndIndex(), value);
    else if (key != "frame")
      ADD_FAILURE() << "unknown meta key " << key;
  }
}

TEST(GifDecode, ForeignFilesMatchOtherReaders) {
  const std::vector<FixtureCase> cases = ReadManifest();
  ASSERT_GE(cases.size(), 60u) << "fixture manifest missing: " << FixturePath("manifest.txt");
  for (const FixtureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> expected = ReadBytes(FixturePath(c.name + "." + c.kind));
    CGifProbe gif;
    gif.SetFrame(MetaFrame(c.name));
    ASSERT_TRUE(DecodeWithBytes(gif, ReadBytes(FixturePath(c.file)))) << gif.GetLastError();
    EXPECT_EQ(gif.GetType(), RASTER_FORMAT_GIF);
    if (c.kind == "idx") {
      EXPECT_EQ(gif.GetWidth(), c.width);
      EXPECT_TRUE(SameIndices(gif, expected));
    } else {
      EXPECT_TRUE(SameRgb(gif, expected, c.width, c.height));
    }
    CheckMeta(gif, c.name);
  }
}

// The file behind the decoder's read-ahead, not 16 KiB on: the decode ends
// right after the last sub-block the frame's codes used, on its terminator.
TEST(GifDecode, LeavesTheFileBehindTheLastByteUsed) {
  std::vector<uint8_t> bytes = ReadBytes(FixturePath("pil_16.gif"));
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(bytes.back(), ';');
  const size_t end = bytes.size();
  bytes.insert(bytes.end(), {'T', 'A', 'I', 'L'});
  CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
  CRasterGIF gif;
  ASSERT_TRUE(gif.Decode(&file)) << gif.GetLastError();
  ASSERT_EQ(bytes[end - 2], 0);
  EXPECT_EQ(size_t(file.Tell()), end - 2);
}

TEST(GifDecode, HostileFilesEndAndFailWithAText) {
  std::ifstream list(FixturePath("hostile.txt"));
  std::string file, kind;
  int count = 0;
  while (list >> file >> kind) {
    ++count;
    SCOPED_TRACE(file);
    CRasterGIF gif;
    const bool ok = DecodeWithBytes(gif, ReadBytes(FixturePath(file)));
    if (kind == "fail") EXPECT_FALSE(ok);
    if (!ok) EXPECT_STRNE(gif.GetLastError(), "");
    if (ok) EXPECT_TRUE(gif.IsValid());
  }
  EXPECT_GE(count, 10);
}

// Every prefix of a few small files: each decode ends, a success has an
// image and a failure a text.
TEST(GifDecode, FilesCutAtEveryLength) {
  for (const char* name : {"pil_256_interlaced.gif", "im_anim.gif", "built_true_colour.gif"}) {
    ExpectEveryCutEnds<CRasterGIF>(name);
  }
}

TEST(GifDecode, SizeProbeFrameRangeAndCancel) {
  const std::vector<uint8_t> anim = ReadBytes(FixturePath("im_anim.gif"));
  ASSERT_FALSE(anim.empty());
  CRasterGIF probe;
  probe.SetEscape(-1);
  ASSERT_TRUE(DecodeWithBytes(probe, anim));
  EXPECT_EQ(probe.GetWidth(), 20);
  EXPECT_EQ(probe.GetHeight(), 14);
  EXPECT_EQ(probe.GetType(), RASTER_FORMAT_GIF);
  EXPECT_FALSE(probe.IsValid());

  CGifProbe past;
  past.SetFrame(4);
  EXPECT_FALSE(DecodeWithBytes(past, anim));

  CRasterGIF cancelled;
  cancelled.SetEscape(1);
  EXPECT_FALSE(DecodeWithBytes(cancelled, anim));
  EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");

  // A screen without area takes the first frame's size, in the probe too.
  std::vector<uint8_t> empty = ReadBytes(FixturePath("pil_2.gif"));
  ASSERT_GT(empty.size(), 10u);
  empty[6] = empty[7] = empty[8] = empty[9] = 0;
  for (int escape : {-1, 0}) {
    CRasterGIF gif;
    gif.SetEscape(escape);
    ASSERT_TRUE(DecodeWithBytes(gif, empty)) << gif.GetLastError();
    EXPECT_EQ(gif.GetWidth(), 37);
    EXPECT_EQ(gif.GetHeight(), 23);
  }
}

TEST(GifDecode, ReadsFromAFileStream) {
  FILE* stream = std::fopen(FixturePath("im_anim.gif").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  CRasterIOFile file(stream, true);
  CGifProbe gif;
  gif.SetFrame(2);
  ASSERT_TRUE(gif.Decode(&file)) << gif.GetLastError();
  CGifProbe fromMemory;
  fromMemory.SetFrame(2);
  ASSERT_TRUE(DecodeWithBytes(fromMemory, ReadBytes(FixturePath("im_anim.gif"))));
  EXPECT_EQ(RgbRows(gif), RgbRows(fromMemory));
}

}  // namespace
