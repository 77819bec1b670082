#include "imagelib/codecs/gif/gif_row_writer.h"

#include <cstring>

#include "imagelib/raster.h"

namespace {

const int32_t kPassStart[4] = {0, 4, 2, 1};
const int32_t kPassStep[4] = {8, 8, 4, 2};

}  // namespace

CGifRowWriter::CGifRowWriter(CRaster* image, bool interlaced)
    : mImage(image), mInterlaced(interlaced), mWidth(image->GetWidth()), mHeight(image->GetHeight()) {}

bool CGifRowWriter::Put(const uint8_t* indices) {
  if (!mInterlaced) {
    if (mRow >= mHeight) return false;
    Store(mRow++, indices);
    return true;
  }
  if (mPass < 4) {
    Store(mRow, indices);
    NextInterlacedRow();
  }
  return true;
}

// A pass whose first row lies below the picture is skipped (a picture of
// height 4 has no rows for the 4, 12, ... pass beyond row 0's).
void CGifRowWriter::NextInterlacedRow() {
  mRow += kPassStep[mPass];
  while (mRow >= mHeight) {
    if (++mPass >= 4) return;
    mRow = kPassStart[mPass];
  }
}

void CGifRowWriter::Store(int32_t rowFromTop, const uint8_t* indices) {
  BYTE* row = mImage->GetBits(mHeight - 1 - rowFromTop);
  if (!row) return;
  switch (mImage->GetBpp()) {
    case 8:
      std::memcpy(row, indices, size_t(mWidth));
      break;
    case 4:
      for (int32_t x = 0; x + 1 < mWidth; x += 2)
        row[x / 2] = BYTE((indices[x] & 15) << 4 | (indices[x + 1] & 15));
      if (mWidth & 1) row[mWidth / 2] = BYTE((indices[mWidth - 1] & 15) << 4);
      break;
    default: {
      BYTE bits = 0;
      for (int32_t x = 0; x < mWidth; ++x) {
        bits = BYTE(bits << 1 | (indices[x] & 1));
        if ((x & 7) == 7) {
          row[x / 8] = bits;
          bits = 0;
        }
      }
      if (mWidth & 7) row[mWidth / 8] = BYTE(bits << (8 - (mWidth & 7)));
      break;
    }
  }
}
