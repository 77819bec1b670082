// Exchange with Windows: packed DIBs in global memory (clipboard, drag-out,
// TWAIN) and GDI bitmaps (screen capture).
#include "imagelib/raster_bitmap_win.h"

#include <cstdlib>
#include <cstring>

#include "imagelib/raster.h"

namespace {

// Bytes of a width x height bitmap at 32 bits, 0 when above the pixel limit.
// Counted in 64 bits: a size_t product would wrap in a 32-bit build.
size_t Bytes32(LONG width, LONG height) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
  return bytes > uint64_t(RASTER_MAX_MEMORY) ? 0 : size_t(bytes);
}

BITMAPINFOHEADER Header32(LONG width, LONG height) {
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;  // positive: bottom-up rows
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  return h;
}

// The bitmap's pixels as bottom-up 32-bit BI_RGB rows in a malloc'ed buffer.
BYTE* Read32BitRows(HBITMAP bitmap, const BITMAP& bm) {
  const size_t bytes = Bytes32(bm.bmWidth, bm.bmHeight);
  if (bytes == 0) return nullptr;
  BYTE* buffer = static_cast<BYTE*>(std::malloc(bytes));
  if (!buffer) return nullptr;
  BITMAPINFO bi = {};
  bi.bmiHeader = Header32(bm.bmWidth, bm.bmHeight);
  CScreenDC dc;
  if (!dc.Get() || GetDIBits(dc.Get(), bitmap, 0, UINT(bm.bmHeight), buffer, &bi,
                             DIB_RGB_COLORS) == 0) {
    std::free(buffer);
    return nullptr;
  }
  return buffer;
}

}  // namespace

HGLOBAL CRaster::CopyToDibHandle() const {
  if (!IsValid()) return nullptr;
  const DWORD size = GetSize();
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!handle) return nullptr;
  {
    CGlobalLock lock(handle);
    if (!lock.Get()) {
      GlobalFree(handle);
      return nullptr;
    }
    std::memcpy(lock.Get(), dib, size);
  }
  return handle;
}

bool CRaster::CreateFromDibHandle(HGLOBAL handle) {
  if (!Destroy()) return false;
  const SIZE_T size = handle ? GlobalSize(handle) : 0;
  if (size == 0) return false;
  CGlobalLock lock(handle);
  return lock.Get() && CreateFromPackedDib(lock.Get(), size);
}

bool CRaster::HasAlphaBitmap(HBITMAP bitmap) {
  BITMAP bm = {};
  if (!bitmap || !GetObject(bitmap, sizeof bm, &bm) || bm.bmBitsPixel != 32) return false;
  BYTE* rows = Read32BitRows(bitmap, bm);
  if (!rows) return false;
  const size_t bytes = Bytes32(bm.bmWidth, bm.bmHeight);
  bool alpha = false;
  for (size_t i = 3; i < bytes && !alpha; i += 4) alpha = rows[i] != 0;
  std::free(rows);
  return alpha;
}

bool CRaster::CreateFromBitmap(HBITMAP bitmap, HPALETTE palette, bool keepAlpha) {
  if (!Destroy()) return false;
  ResetForImport();
  BITMAP bm = {};
  if (!bitmap || !GetObject(bitmap, sizeof bm, &bm)) return false;
  if (keepAlpha && HasAlphaBitmap(bitmap)) {
    BYTE* rows = Read32BitRows(bitmap, bm);
    if (!rows) return false;
    const bool ok = CreateFromArray(rows, bm.bmWidth, bm.bmHeight, 32, bm.bmWidth * 4, false);
    std::free(rows);
    return ok;
  }
  if (!Create(bm.bmWidth, bm.bmHeight, bm.bmBitsPixel, RASTER_FORMAT_UNKNOWN)) return false;
  int lines = 0;
  {
    CScreenDC dc;
    CSelectedPalette selected(dc.Get(), palette);
    // The image's own header and palette serve as the BITMAPINFO, so GDI
    // converts to the image's depth and fills its palette.
    if (dc.Get())
      lines = GetDIBits(dc.Get(), bitmap, 0, UINT(GetHeight()), GetBits(0),
                        reinterpret_cast<BITMAPINFO*>(dib), DIB_RGB_COLORS);
  }
  // GDI may have rewritten header fields it considers its own.
  std::memcpy(dib, &header, sizeof header);
  if (lines == 0) {
    Destroy();  // no blank image that looks like a capture
    SetErrorText("GetDIBits failed");
    return false;
  }
  InvalidateNearestCache();
  return true;
}
