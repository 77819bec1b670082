// What every image operation shares: a stop request ends it with "Cancelled"
// and leaves the image as it was, progress runs on the image the caller
// watches, and a ghost destination refuses the result.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "imagelib/raster.h"
#include "tests/imagelib/operation_test_util.h"

namespace {

const int32_t kSoften[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};

struct Operation {
  const char* name;
  int32_t bpp;
  std::function<bool(CRaster&)> run;
};

std::vector<Operation> StoppableOperations() {
  return {
      {"Filter", 24, [](CRaster& r) { return r.Filter(kSoften, 3, 16, 0); }},
      {"Filter grey", 8, [](CRaster& r) { return r.Filter(kSoften, 3, 16, 0); }},
      {"IncreaseBpp", 8, [](CRaster& r) { return r.IncreaseBpp(24); }},
      {"DecreaseBpp", 24, [](CRaster& r) { return r.DecreaseBpp(8, false); }},
      {"DecreaseBpp diffused", 24, [](CRaster& r) { return r.DecreaseBpp(4, true); }},
      {"Dither ordered", 8, [](CRaster& r) { return r.Dither(9); }},
      {"Dither diffused", 8, [](CRaster& r) { return r.Dither(3); }},
  };
}

CRaster Picture(int32_t w, int32_t h, int32_t bpp) {
  CRaster image(w, h, 24);
  FillPhoto(&image, 3);
  if (bpp == 8) {
    image.GrayScale();  // a grey ramp: the dithers keep it as it is
  }
  return image;
}

bool SameImage(const CRaster& a, const CRaster& b) {
  return a.GetSize() == b.GetSize() && memcmp(a.GetDib(), b.GetDib(), a.GetSize()) == 0;
}

TEST(Operations, StopRequestedBeforehandKeepsTheImage) {
  for (const Operation& op : StoppableOperations()) {
    CRaster image = Picture(23, 17, op.bpp);
    const CRaster before(image);
    image.SetEscape(1);
    EXPECT_FALSE(op.run(image)) << op.name;
    EXPECT_STREQ(image.GetLastError(), "Cancelled") << op.name;
    EXPECT_TRUE(SameImage(image, before)) << op.name;
  }
}

// Stops the operation once it reports a quarter done. On a loaded machine the
// watcher may not run before a small image is finished, so each operation gets
// a few tries on ever larger images; one of them must be stopped halfway.
TEST(Operations, StopHalfwayKeepsTheImageAndProgressIsTheCallers) {
  for (const Operation& op : StoppableOperations()) {
    bool stopped = false;
    for (int32_t attempt = 0; attempt < 6 && !stopped; ++attempt) {
      CRaster image = Picture(700, 1200 << (attempt / 2), op.bpp);
      const CRaster before(image);
      std::atomic<bool> done(false);
      std::atomic<int32_t> seen(0);
      std::thread watcher([&] {
        while (!done) {
          const int32_t progress = image.GetProgress();
          if (progress >= 25) {
            seen = progress;
            image.SetEscape(1);
            return;
          }
          std::this_thread::yield();
        }
      });
      const bool finished = op.run(image);
      done = true;
      watcher.join();
      if (finished) continue;
      stopped = true;
      EXPECT_STREQ(image.GetLastError(), "Cancelled") << op.name;
      EXPECT_GE(seen.load(), 25) << op.name;
      EXPECT_GE(image.GetProgress(), seen.load()) << op.name;
      EXPECT_LT(image.GetProgress(), 100) << op.name;
      image.SetEscape(0);
      EXPECT_TRUE(SameImage(image, before)) << op.name;
    }
    EXPECT_TRUE(stopped) << op.name << " ran to its end before every stop";
  }
}

}  // namespace
