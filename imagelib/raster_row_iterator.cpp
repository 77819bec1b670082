#include "imagelib/raster.h"

CRasterRowIterator::CRasterRowIterator(CRaster* image) : mImage(image) {
  mRowPointer = image ? image->GetBits(0) : nullptr;
}

BYTE* CRasterRowIterator::SetRow(int32_t row) {
  if (!mImage || !mImage->IsValid() || row < 0 || row >= mImage->GetHeight()) return nullptr;
  mRow = row;
  mRowPointer = mImage->GetBits(row);
  return mRowPointer;
}
