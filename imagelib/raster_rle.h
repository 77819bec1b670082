#pragma once
// Decoder for the Windows run-length encodings BI_RLE8 and BI_RLE4, shared by
// the packed-DIB import and the BMP codec. Every write is addressed by pixel
// (column, stored row) and checked against the image, so no stream can reach
// outside the pixel rows.
#include <cstddef>
#include <cstdint>

// The rows the decoder fills: bottom-up, packed 8 or 4 bits per pixel, the
// high nibble first. The rows must be cleared beforehand; pixels the stream
// skips with deltas or line ends keep index 0.
struct RleTarget {
  uint8_t* pPixels;
  int32_t iWidth;
  int32_t iHeight;
  size_t nRowBytes;
  int iBpp;  // 8 for BI_RLE8, 4 for BI_RLE4
};

// True when the stream reaches its end-of-bitmap code. Pixels that would lie
// right of a row or above the top row are dropped. False for a delta that
// leaves the image, a target that is not 4 or 8 bits, and a stream that runs
// out before its end code, unless bAcceptEarlyEnd is set (files: other
// readers show what such a file holds) and the first row is complete; the
// rows decoded so far then stay and the rest keep index 0.
bool DecodeRle(const uint8_t* pSource, size_t nSize, const RleTarget& target,
               bool bAcceptEarlyEnd = false);
