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
      {"Rotate", 24, [](CRaster& r) { return r.Rotate(17); }},
      {"Resample up", 8, [](CRaster& r) {
         return r.Resample(r.GetWidth() * 3 / 2, r.GetHeight() * 3 / 2, InterpLanczos);
       }},
      {"Resample down", 24, [](CRaster& r) {
         return r.Resample(r.GetWidth() / 3, r.GetHeight() / 2, InterpBilinear);
       }},
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

// Another thread stops the operation once it reports a quarter done. A try in
// which the operation ended before the stop could land is made again on a
// picture twice as tall.
TEST(Operations, StopHalfwayKeepsTheImageAndProgressIsTheCallers) {
  for (const Operation& op : StoppableOperations()) {
    bool stopped = false;
    for (int32_t height = 600; height <= 38400 && !stopped; height *= 2) {
      CRaster image = Picture(700, height, op.bpp);
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
    EXPECT_TRUE(stopped) << op.name << " always ran to its end before the stop";
  }
}

}  // namespace
