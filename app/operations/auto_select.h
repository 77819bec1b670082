#pragma once
// The automatic selection: shrink the current selection to what differs from
// its uniform borders. Runs on the user interface thread, on the current
// state itself (no clone, no history entry).
#include <cstdint>

#include "app/document/image.h"

// The selection (top-down, inclusive) of image shrunk from rect: each side's
// border colour is its most frequent exact colour (first to reach the
// maximum wins), and a side moves in past every row or column whose pixels
// all lie within tolerance of it (distance: mean absolute channel
// difference). rect is first held to the image.
RECT AutoSelectRect(const CRaster& image, RECT rect, int32_t tolerance);
// The current state's selection shrunk with gOptions.iASTolerance; false
// without a current image.
bool AutoSelect();
// True when the current state's mean grey level is below 128.
bool IsImageDark();
