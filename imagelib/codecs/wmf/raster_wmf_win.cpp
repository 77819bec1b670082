// CRasterWMF::Decode: the checked metafile played by GDI into a bitmap
// compatible with the screen, read back as the image's rows.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "imagelib/codecs/wmf/metafile_check.h"
#include "imagelib/codecs/wmf/raster_wmf.h"

namespace {

const char kCorrupted[] = "corrupted WMF";
const char kEmpty[] = "empty WMF";
const char kCancelled[] = "Cancelled";
constexpr int64_t kMaxSide = 4000;

// Every GDI object of one decode, released on every path.
struct GdiObjects {
  HDC screen = GetDC(nullptr);
  HENHMETAFILE metafile = nullptr;
  HDC memory = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HPALETTE palette = nullptr;
  HPALETTE oldPalette = nullptr;
  ~GdiObjects() {
    if (oldPalette) SelectPalette(memory, oldPalette, FALSE);
    if (oldBitmap) SelectObject(memory, oldBitmap);
    if (palette) DeleteObject(palette);
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    if (metafile) DeleteEnhMetaFile(metafile);
    if (screen) ReleaseDC(nullptr, screen);
  }
};

// The Windows metafile as an enhanced one: scaled to any rectangle when GDI
// takes it in anisotropic mapping, else in device units.
HENHMETAFILE ConvertWmf(const uint8_t* bytes, size_t size, HDC reference) {
  METAFILEPICT picture = {};
  picture.mm = MM_ANISOTROPIC;
  picture.xExt = 10000;
  picture.yExt = 10000;
  HENHMETAFILE metafile = SetWinMetaFileBits(UINT(size), bytes, reference, &picture);
  if (metafile) return metafile;
  picture.mm = MM_TEXT;
  return SetWinMetaFileBits(UINT(size), bytes, reference, &picture);
}

// The metafile's own palette, selected into the drawing context.
bool SelectMetafilePalette(GdiObjects* gdi) {
  const UINT entries = GetEnhMetaFilePaletteEntries(gdi->metafile, 0, nullptr);
  if (entries == 0 || entries == GDI_ERROR) return true;
  HGLOBAL block = GlobalAlloc(GPTR, sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
  if (!block) return false;
  LOGPALETTE* logical = static_cast<LOGPALETTE*>(static_cast<void*>(block));
  logical->palVersion = 0x300;
  logical->palNumEntries = WORD(entries);
  GetEnhMetaFilePaletteEntries(gdi->metafile, entries, logical->palPalEntry);
  gdi->palette = CreatePalette(logical);
  GlobalFree(block);
  if (gdi->palette) {
    gdi->oldPalette = SelectPalette(gdi->memory, gdi->palette, FALSE);
    RealizePalette(gdi->memory);
  }
  return true;
}

}  // namespace

bool CRasterWMF::Decode(CRasterFile* file) {
  if (!file) return false;
  const int32_t start = file->Tell(), size = file->Size();
  if (start < 0 || size <= start || int64_t(size) - start > RASTER_MAX_MEMORY) {
    SetErrorText(kCorrupted);
    return false;
  }
  std::vector<uint8_t> bytes(size_t(size - start));
  if (file->Read(bytes.data(), 1, bytes.size()) != bytes.size()) {
    SetErrorText(kCorrupted);
    return false;
  }
  GdiObjects gdi;
  if (!gdi.screen) return false;
  const int32_t dpiX = GetDeviceCaps(gdi.screen, LOGPIXELSX);
  const int32_t dpiY = GetDeviceCaps(gdi.screen, LOGPIXELSY);
  const MetafileLayout layout = CheckMetafile(bytes.data(), bytes.size(), dpiX, dpiY);
  const uint8_t* body = bytes.data() + layout.offset;
  if (layout.kind == METAFILE_WMF) gdi.metafile = ConvertWmf(body, layout.bytes, gdi.screen);
  if (layout.kind == METAFILE_EMF) gdi.metafile = SetEnhMetaFileBits(UINT(layout.bytes), body);
  ENHMETAHEADER emfHeader = {};
  if (!gdi.metafile || !GetEnhMetaFileHeader(gdi.metafile, sizeof emfHeader, &emfHeader)) {
    SetErrorText(kCorrupted);
    return false;
  }
  int64_t width = layout.width, height = layout.height;
  if (info.escape == -1) {
    header.biWidth = int32_t(width > 0 ? (width < INT32_MAX ? width : INT32_MAX) : 0);
    header.biHeight = int32_t(height > 0 ? (height < INT32_MAX ? height : INT32_MAX) : 0);
    info.type = RASTER_FORMAT_WMF;
    SetErrorText("output dimensions returned");
    return true;
  }
  if (width <= 0 || height <= 0) {
    SetErrorText(kEmpty);
    return false;
  }
  ClampMetafileSize(&width, &height, kMaxSide);

  gdi.bitmap = CreateCompatibleBitmap(gdi.screen, int(width), int(height));
  if (!gdi.bitmap) return false;
  gdi.memory = CreateCompatibleDC(gdi.screen);
  if (!gdi.memory) return false;
  gdi.oldBitmap = SelectObject(gdi.memory, gdi.bitmap);
  RECT box = {0, 0, LONG(width), LONG(height)};
  SetBkColor(gdi.memory, GetSysColor(COLOR_WINDOW));
  ExtTextOutA(gdi.memory, 0, 0, ETO_OPAQUE, &box, "", 0, nullptr);
  if (!SelectMetafilePalette(&gdi)) {
    SetErrorText(kCancelled);
    return false;
  }
  PlayEnhMetaFile(gdi.memory, gdi.metafile, &box);
  if (info.escape != 0) {
    SetErrorText(kCancelled);
    return false;
  }
  if (!Create(int32_t(width), int32_t(height), GetDeviceCaps(gdi.screen, BITSPIXEL), RASTER_FORMAT_WMF))
    return false;
  // GetDIBits wants the bitmap out of every device context.
  SelectObject(gdi.memory, gdi.oldBitmap);
  gdi.oldBitmap = nullptr;
  const int lines = GetDIBits(gdi.memory, gdi.bitmap, 0, UINT(height), GetBits(0),
                              reinterpret_cast<BITMAPINFO*>(GetDib()), DIB_RGB_COLORS);
  return lines > 0;
}
