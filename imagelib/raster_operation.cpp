// What every operation that builds a new image shares: the result image,
// moving it into place, progress and cancelling, and size checks.
#include <cmath>

#include "imagelib/raster.h"

bool CRaster::CreateResult(CRaster& result, int32_t width, int32_t height, int32_t bpp,
                           bool keepPalette) {
  result.CopyInfo(*this);
  result.SetXDpi(info.xDpi);
  result.SetYDpi(info.yDpi);
  result.header.biClrImportant = keepPalette ? header.biClrImportant : 0;
  if (!result.Create(width, height, bpp, info.type)) {
    SetErrorText(result.GetLastError());
    return false;
  }
  if (keepPalette && IsIndexed()) {
    DWORD entries = GetNumColors() < result.GetNumColors() ? GetNumColors() : result.GetNumColors();
    if (entries > 256) entries = 256;
    result.SetPalette(GetPalette(), entries);
    result.info.paletteAlpha = info.paletteAlpha;  // the entries came with their alpha
  }
  return true;
}

bool CRaster::FinishResult(CRaster& result, CRaster* destination) {
  CRaster* target = destination ? destination : this;
  return target->Transfer(result, true);
}

bool CRaster::StopRequested(int64_t done, int64_t total) {
  info.progress = total > 0 ? int32_t(done * 100 / total) : 0;
  if (info.escape == 0) return false;
  SetErrorText("Cancelled");
  return true;
}

bool CRaster::CheckNewSize(double width, double height, int32_t bpp, int32_t* outWidth,
                           int32_t* outHeight) {
  if (!(width >= 1) || !(height >= 1)) {
    SetErrorText("CRaster::Create : width and height must be greater than zero");
    return false;
  }
  const double rowBytes = std::ceil(width * bpp / 32) * 4;
  if (rowBytes * height > double(RASTER_MAX_MEMORY) || width > 2147483647.0 ||
      height > 2147483647.0) {
    SetErrorText("RASTER_MAX_MEMORY exceeded");
    return false;
  }
  *outWidth = int32_t(width);
  *outHeight = int32_t(height);
  return true;
}
