#pragma once
// The screen's dots per inch from its pixels and the monitor size the user
// chose (gOptions.iMonSize; row 0 is the custom size in gOptions.fMonWidth
// and fMonHeight). It is the resolution of images that have none.
#include <cstdint>

struct MonitorSize {
  float fWidth;   // centimetres
  float fHeight;
  char szName[8];
};

constexpr int32_t kMonitorSizeRows = 9;
// Row 0 "Custom" holds the default custom size; rows 1-8 name the diagonal.
extern const MonitorSize gaMonitorSizes[kMonitorSizeRows];

// Width and height in centimetres of a row (0: the custom size given). A row
// outside the table or a size that is not a finite positive number gives
// row 0's 32.0 x 24.0.
void GetMonitorSize(int32_t row, float customWidth, float customHeight, float* width,
                    float* height);

// The average of pixelsX / (width / 2.54) and pixelsY / (height / 2.54),
// each truncated.
int32_t ComputeScreenDpi(int32_t pixelsX, int32_t pixelsY, float width, float height);

// The primary screen's size in pixels; 0 x 0 where there is no screen.
void GetPrimaryScreenPixels(int32_t* width, int32_t* height);

// ComputeScreenDpi of the primary screen at the monitor size of the options.
int32_t GetScreenDpi();
