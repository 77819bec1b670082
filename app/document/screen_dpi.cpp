#include "app/document/screen_dpi.h"

#include <cmath>

#include "app/profiles/program_records.h"

const MonitorSize gaMonitorSizes[kMonitorSizeRows] = {
    {32.0f, 24.0f, "Custom"}, {26.4f, 19.8f, "14 \""}, {28.2f, 21.2f, "15 \""},
    {32.0f, 24.0f, "17 \""},  {35.8f, 26.8f, "19 \""}, {37.6f, 28.2f, "20 \""},
    {39.5f, 29.6f, "21 \""},  {51.7f, 32.3f, "24 \""}, {64.0f, 40.0f, "30 \""},
};

namespace {

bool IsUsableSize(float v) { return std::isfinite(v) && v > 0.0f; }

// Truncated dots per inch, limited so that the sum of two stays in 32 bits.
int64_t DotsPerInch(int32_t pixels, float centimetres) {
  const double dpi = double(pixels) / (double(centimetres) / 2.54);
  if (!(dpi > 0)) return 0;
  return dpi >= 1e9 ? int64_t(1e9) : int64_t(dpi);
}

}  // namespace

void GetMonitorSize(int32_t row, float customWidth, float customHeight, float* width,
                    float* height) {
  float w = gaMonitorSizes[0].fWidth, h = gaMonitorSizes[0].fHeight;
  if (row == 0) {
    w = customWidth;
    h = customHeight;
  } else if (row > 0 && row < kMonitorSizeRows) {
    w = gaMonitorSizes[row].fWidth;
    h = gaMonitorSizes[row].fHeight;
  }
  if (!IsUsableSize(w) || !IsUsableSize(h)) {
    w = gaMonitorSizes[0].fWidth;
    h = gaMonitorSizes[0].fHeight;
  }
  *width = w;
  *height = h;
}

int32_t ComputeScreenDpi(int32_t pixelsX, int32_t pixelsY, float width, float height) {
  return int32_t((DotsPerInch(pixelsX, width) + DotsPerInch(pixelsY, height)) / 2);
}

int32_t GetScreenDpi() {
  int32_t pixelsX, pixelsY;
  GetPrimaryScreenPixels(&pixelsX, &pixelsY);
  float width, height;
  // Row 0 is the user's own size, straight from the options.
  GetMonitorSize(gOptions.iMonSize, gOptions.fMonWidth, gOptions.fMonHeight, &width, &height);
  return ComputeScreenDpi(pixelsX, pixelsY, width, height);
}
