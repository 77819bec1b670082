// CRasterWMF's encoder: metafiles are read only.
#include "imagelib/codecs/wmf/raster_wmf.h"

bool CRasterWMF::Encode(CRasterFile* file) {
  if (file) SetErrorText("Save WMF not supported");
  return false;
}
