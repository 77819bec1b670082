// Saving over a file keeps the file's own marks (hidden, system, archive),
// and a file marked read-only is refused, whatever Wine's rename would allow.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "imagelib/raster.h"
#include "tests/support/test_paths.h"

namespace {

TEST(SaveWin, AttributesOfTheTargetHold) {
  CRaster image(4, 4, 24);
  const std::string path = TestOutputPath("marked.bmp");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(image.Save(path.c_str(), RASTER_FORMAT_BMP)) << image.GetLastError();
  const DWORD marks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), marks));
  ASSERT_TRUE(image.Save(path.c_str(), RASTER_FORMAT_BMP)) << image.GetLastError();
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & marks, marks);

  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(image.Save(path.c_str(), RASTER_FORMAT_PNG));
  EXPECT_STREQ(image.GetLastError(), "The file is read-only");
  CRaster back;
  EXPECT_TRUE(back.Load(path.c_str(), RASTER_FORMAT_UNKNOWN));
  EXPECT_EQ(back.GetType(), RASTER_FORMAT_BMP);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
