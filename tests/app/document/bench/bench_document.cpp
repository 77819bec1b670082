// Times the history's clone and the whole-image area operations and fill on
// a 7680x4320 24-bit image, beside malloc + memcpy of the same bytes. Prints
// one line per operation: name and best milliseconds. Run through
// scripts/bench-document.sh, which adds PIL's and ImageMagick's times.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/document/history.h"
#include "app/profiles/program_records.h"

namespace {

template <class Work>
double BestMilliseconds(Work work) {
  double best = 1e30, total = 0;
  for (int run = 0; run < 20 && (run < 3 || total < 2000); ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms < best) best = ms;
    total += ms;
  }
  return best;
}

}  // namespace

int main() {
  const int32_t w = 7680, h = 4320;
  gOptions.iUndoBufMB = 8192;
  CImage* image = new CImage;
  if (!image->Create(w, h, 24, 0)) return 1;
  for (int32_t y = 0; y < h; ++y) {
    BYTE* row = image->GetBits(y);
    for (int32_t i = 0; i < w * 3; ++i) row[i] = BYTE((i * 7 + y * 3) & 0xFF);
  }
  image->SelectAll();
  if (AddToHistory(image, nullptr, 0) != 0) return 1;
  const size_t bytes = image->GetSize();

  printf("clone %.3f\n", BestMilliseconds([&] { delete CloneCurrentImage(); }));
  printf("memcpy %.3f\n", BestMilliseconds([&] {
           void* copy = malloc(bytes);
           memcpy(copy, image->GetDib(), bytes);
           // Keep the copy observable so that it is really made.
           if (static_cast<volatile BYTE*>(copy)[bytes / 2] == 0x5A) puts("");
           free(copy);
         }));
  printf("invert %.3f\n", BestMilliseconds([&] { image->InvertRect(RECT{0, 0, w - 1, h - 1}); }));
  printf("darken %.3f\n", BestMilliseconds([&] {
           image->DarkenOutsideSelection(RECT{-10, -10, -5, -5}, 0.8);
         }));
  // Each run fills the whole image with a colour it does not hold yet.
  image->FillRectColor(0, 0, w, h, RgbQuadFromValue(0));
  uint32_t color = 1;
  gptAnchor = POINT{0, 0};
  printf("floodfill %.3f\n", BestMilliseconds([&] {
           image->SetPen(1, 0xFF000000u | color++);
           if (!image->FloodFill()) exit(1);
         }));
  ClearHistory();
  return 0;
}
