#include "imagelib/raster.h"

#include "imagelib/raster_nearest_map.h"

#include <cstdlib>
#include <cstring>

namespace {

int32_t SupportedDepth(int32_t bpp) {
  if (bpp <= 1) return 1;
  if (bpp <= 4) return 4;
  if (bpp <= 8) return 8;
  return 24;
}

int64_t RowBytesFor(int64_t width, int32_t bpp) { return ((width * bpp + 31) / 32) * 4; }

BYTE* DuplicateBytes(const BYTE* source, size_t size) {
  BYTE* copy = static_cast<BYTE*>(malloc(size ? size : 1));
  if (copy) memcpy(copy, source, size);
  return copy;
}

}  // namespace

bool RasterExceedsMaxMemory(int32_t width, int32_t height, int32_t bpp) {
  if (width <= 0 || height <= 0) return false;
  // row bytes x height itself could overflow for the widest rows.
  return RowBytesFor(width, SupportedDepth(bpp)) > RASTER_MAX_MEMORY / height;
}

CRaster::CRaster(int32_t type) { Startup(type); }

CRaster::CRaster(int32_t width, int32_t height, int32_t bpp, int32_t type) {
  Startup(type);
  Create(width, height, bpp, type);
}

CRaster::CRaster(const CRaster& source, bool copyPixels, bool copySelection, bool copyAlpha) {
  Startup(source.info.type);
  Copy(source, copyPixels, copySelection, copyAlpha);
}

CRaster::~CRaster() {
  DestroyFrames();
  Destroy();
  delete nearestMap;
}

void CRaster::Startup(int32_t type) {
  dib = nullptr;
  selection = nullptr;
  alpha = nullptr;
  layers = nullptr;
  frames = nullptr;
  header = BITMAPINFOHEADER{};
  info = CRasterInfo{};
  info.type = type;
  SetXDpi(96);
  SetYDpi(96);
}

void CRaster::SetErrorText(const char* text) {
  if (!text) text = "";
  strncpy(info.lastError, text, sizeof(info.lastError) - 1);
  info.lastError[sizeof(info.lastError) - 1] = '\0';
}

void CRaster::RecomputeLayout() {
  if (!dib) {
    info.pixels = nullptr;
    return;
  }
  info.rowBytes = int32_t(RowBytesFor(header.biWidth, header.biBitCount));
  info.pixels = dib + header.biSize + GetPaletteSize();
}

BYTE* CRaster::Create(int32_t width, int32_t height, int32_t bpp, int32_t type) {
  if (!Destroy()) return nullptr;
  if (width <= 0 || height <= 0) {
    SetErrorText("CRaster::Create : width and height must be greater than zero");
    return nullptr;
  }
  if (RasterExceedsMaxMemory(width, height, bpp)) {
    SetErrorText("RASTER_MAX_MEMORY exceeded");
    return nullptr;
  }
  bpp = SupportedDepth(bpp);
  const int64_t rowBytes = RowBytesFor(width, bpp);
  const DWORD entries = bpp == 24 ? 0 : DWORD(1) << bpp;
  info.type = type;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = WORD(bpp);
  header.biCompression = BI_RGB;
  header.biSizeImage = DWORD(rowBytes * height);
  header.biClrUsed = entries;
  if (header.biClrImportant > entries) header.biClrImportant = entries;
  info.rowBytes = int32_t(rowBytes);
  info.lastValid = 0;
  info.paletteAlpha = 0;  // the new palette is black and carries no alpha

  // Zeroed: black palette with reserved bytes 0, every pixel index 0.
  dib = static_cast<BYTE*>(calloc(1, GetSize()));
  if (!dib) {
    SetErrorText("CRaster::Create can't allocate memory");
    return nullptr;
  }
  memcpy(dib, &header, sizeof(header));
  info.pixels = dib + header.biSize + GetPaletteSize();
  return dib;
}

bool CRaster::Destroy() {
  if (IsGhost()) return false;
  if (layers) {
    for (int32_t i = 0; i < info.layerCount; ++i) delete layers[i];
    free(layers);
    layers = nullptr;
  }
  info.layerCount = 0;
  free(selection);
  selection = nullptr;
  free(alpha);
  alpha = nullptr;
  free(dib);
  dib = nullptr;
  info.pixels = nullptr;
  // A later block may come at the same address with another palette.
  delete nearestMap;
  nearestMap = nullptr;
  return true;
}

bool CRaster::DestroyFrames() {
  if (IsGhost()) return false;
  if (!frames) return true;
  for (int32_t i = 0; i < info.frameCount; ++i) delete frames[i];
  free(frames);
  frames = nullptr;
  info.frameCount = 0;
  return true;
}

bool CRaster::Copy(const CRaster& source, bool copyPixels, bool copySelection, bool copyAlpha) {
  if (&source == this) return true;
  if (HoldsFrame(&source) || source.HoldsFrame(this)) return false;
  if (source.IsGhost()) {
    Ghost(&source);
    return true;
  }
  if (IsGhost()) return false;
  DestroyFrames();
  Destroy();
  info = source.info;
  header = source.header;
  // Only this image's own (now empty) side arrays count.
  info.ghostOf = nullptr;
  info.frameCount = 0;
  info.layerCount = 0;
  info.lastValid = 0;
  info.pixels = nullptr;
  if (!source.dib) return true;
  if (!Create(source.GetWidth(), source.GetHeight(), source.GetBpp(), source.info.type)) {
    return false;
  }
  CopyBuffers(source, copyPixels, copySelection, copyAlpha);
  info.paletteAlpha = source.info.paletteAlpha;  // the palette came with its alpha
  return IsValid();
}

// Frames belong to their image: one of them as the source or the target of
// an operation on that image would be freed while it is read, or would come
// to own the array that holds it.
bool CRaster::HoldsFrame(const CRaster* image) const {
  for (int32_t i = 0; frames && i < info.frameCount; ++i) {
    if (frames[i] == image || (frames[i] && frames[i]->HoldsFrame(image))) return true;
  }
  return false;
}

// Imports start from the defaults, keeping only the options a caller set for
// reading, as a decode does: no background index, palette alpha or
// important-colour count of an earlier image survives. Frames stay.
void CRaster::ResetForImport() {
  CRaster fresh(info.type);
  fresh.TakeDecodeOptions(*this);
  const int32_t frameCount = info.frameCount;
  header = fresh.header;
  info = fresh.info;
  info.frameCount = frameCount;
}

void CRaster::CopyBuffers(const CRaster& source, bool copyPixels, bool copySelection,
                          bool copyAlpha) {
  if (copyPixels && source.GetSize() == GetSize()) {
    memcpy(dib, source.dib, GetSize());
    memcpy(dib, &header, sizeof(header));
  } else {
    DWORD entries = GetNumColors() < source.GetNumColors() ? GetNumColors() : source.GetNumColors();
    if (entries > 256) entries = 256;
    memcpy(dib + header.biSize, source.dib + source.header.biSize, entries * sizeof(RGBQUAD));
  }
  const size_t maskBytes = size_t(GetWidth()) * size_t(GetHeight());
  if (copySelection && source.selection) selection = DuplicateBytes(source.selection, maskBytes);
  if (copyAlpha && source.alpha) alpha = DuplicateBytes(source.alpha, maskBytes);
}

void CRaster::CopyInfo(const CRaster& source) {
  if (dib || &source == this) return;
  const int32_t frameCount = info.frameCount;
  const int32_t layerCount = info.layerCount;
  info = source.info;
  info.ghostOf = nullptr;
  info.pixels = nullptr;
  info.frameCount = frameCount;
  info.layerCount = layerCount;
}

void CRaster::Ghost(const CRaster* source) {
  if (!source || source == this || HoldsFrame(source) || source->HoldsFrame(this)) return;
  if (!IsGhost()) {
    DestroyFrames();
    Destroy();
  }
  header = source->header;
  info = source->info;
  dib = source->dib;
  selection = source->selection;
  alpha = source->alpha;
  layers = source->layers;
  frames = source->frames;
  info.ghostOf = const_cast<CRaster*>(source);
}

bool CRaster::Transfer(CRaster& source, bool takeFrames) {
  if (&source == this) return true;
  if (IsGhost() || source.IsGhost()) return false;
  if (HoldsFrame(&source) || source.HoldsFrame(this)) return false;
  Destroy();
  if (takeFrames) DestroyFrames();
  TakeBuffers(source, takeFrames);
  return true;
}

void CRaster::TakeBuffers(CRaster& source, bool takeFrames) {
  CRaster** ownFrames = frames;
  const int32_t ownFrameCount = info.frameCount;
  CRaster** sourceFrames = source.frames;
  const int32_t sourceFrameCount = source.info.frameCount;

  header = source.header;
  info = source.info;
  dib = source.dib;
  selection = source.selection;
  alpha = source.alpha;
  layers = source.layers;
  info.ghostOf = nullptr;
  if (takeFrames) {
    frames = sourceFrames;
    info.frameCount = sourceFrameCount;
  } else {
    frames = ownFrames;
    info.frameCount = ownFrameCount;
  }
  RecomputeLayout();

  // The source is left empty with fresh defaults; frames it kept stay its own.
  source.Startup(RASTER_FORMAT_UNKNOWN);
  if (!takeFrames) {
    source.frames = sourceFrames;
    source.info.frameCount = sourceFrameCount;
  }
}

void CRaster::Clear(BYTE value) {
  if (!dib) return;
  BYTE fill = value;
  if (header.biBitCount == 1) fill = value ? 255 : 0;
  if (header.biBitCount == 4) fill = BYTE((value % 16) * 17);
  memset(info.pixels, fill, header.biSizeImage);
}

bool CRaster::CreateFromArray(const BYTE* buffer, int32_t width, int32_t height, int32_t bpp,
                              int32_t sourceRowBytes, bool flip) {
  if (!buffer || sourceRowBytes <= 0) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  if (bpp == 32 && int64_t(sourceRowBytes) < int64_t(width) * 4) return false;
  if (!Destroy()) return false;
  ResetForImport();
  if (!Create(width, height, bpp == 32 ? 24 : bpp, info.type)) return false;
  if (bpp < 24) SetGrayPalette();
  const size_t rowCopy = size_t(sourceRowBytes < info.rowBytes ? sourceRowBytes : info.rowBytes);
  for (int32_t i = 0; i < height; ++i) {
    BYTE* row = GetBits(flip ? height - 1 - i : i);
    if (bpp == 32) {
      for (int32_t x = 0; x < width; ++x) memcpy(row + 3 * x, buffer + 4 * x, 3);
    } else {
      memcpy(row, buffer, rowCopy);
    }
    buffer += sourceRowBytes;
  }
  return true;
}
