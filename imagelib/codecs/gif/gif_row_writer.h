#pragma once
// Puts the decoded lines of one GIF image into its rows: top row first, or
// in the four interlace passes (rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...;
// 1, 3, ...). Indices are cut to the image's depth and packed (1 bit: most
// significant bit first; 4 bits: high nibble first).
#include <cstdint>

class CRaster;

class CGifRowWriter {
 public:
  CGifRowWriter(CRaster* image, bool interlaced);
  // Writes the next row from width indices. False when a plain image has no
  // row left; interlaced images drop lines past their last pass instead.
  bool Put(const uint8_t* indices);

 private:
  void Store(int32_t rowFromTop, const uint8_t* indices);
  void NextInterlacedRow();

  CRaster* mImage;
  bool mInterlaced;
  int32_t mWidth;
  int32_t mHeight;
  int32_t mRow = 0;  // next row, counted from the top
  int mPass = 0;     // interlace pass 0..3; 4 when all passes are done
};
