#pragma once
// CRaster: the image object of the whole program. The pixels are one packed
// Windows DIB in a single heap block (40-byte header, palette, bottom-up rows
// padded to 4 bytes) that can be handed to Windows unchanged. Depths are 1, 4,
// 8 or 24 bits. Every codec class derives from it (see raster_codec.h).
//
// Coordinates: x from the left, y in stored rows (y = 0 is the bottom row of
// the picture) unless a function says otherwise. A colour is an RGBQUAD; as a
// 32-bit number blue is bits 0-7, green 8-15, red 16-23, reserved 24-31.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "imagelib/raster_exif_info.h"
#include "imagelib/raster_format.h"
#include "imagelib/raster_wintypes.h"

class CNearestIndexMap;
class CRaster;
class CRasterFile;

// Pixel data of one image may not exceed this many bytes (row bytes x height).
constexpr int64_t RASTER_MAX_MEMORY = int64_t(1) << 30;
// True when CRaster::Create would refuse the size for exceeding that limit;
// decoders ask before they check the file's data against the size.
bool RasterExceedsMaxMemory(int32_t width, int32_t height, int32_t bpp);

// A 32-bit value read by one thread while another writes it (progress of a
// running operation, the request to cancel it). Copyable so that the info
// block can still be copied whole.
class CSharedInt32 {
 public:
  CSharedInt32(int32_t value = 0) : mValue(value) {}
  CSharedInt32(const CSharedInt32& other) : mValue(other.Load()) {}
  CSharedInt32& operator=(const CSharedInt32& other) {
    Store(other.Load());
    return *this;
  }
  CSharedInt32& operator=(int32_t value) {
    Store(value);
    return *this;
  }
  operator int32_t() const { return Load(); }
  int32_t Load() const { return mValue.load(std::memory_order_relaxed); }
  void Store(int32_t value) { mValue.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<int32_t> mValue;
};

// Options and state of an image; copied whole by Copy, Ghost and Transfer.
struct CRasterInfo {
  int32_t rowBytes = 0;
  BYTE* pixels = nullptr;        // first pixel row inside the DIB block
  CRaster* ghostOf = nullptr;    // non-null: a read-only view of that image
  int32_t type = RASTER_FORMAT_UNKNOWN;
  char lastError[256] = {};
  CSharedInt32 progress;         // percent done of the running operation
  CSharedInt32 escape;           // non-zero stops a running operation; -1 before
                                 // a decode asks for the size only
  int32_t bkgndIndex = -1;       // transparent palette index, -1 none
  uint32_t bkgndColor = 0;       // low 24 bits
  float jpegQuality = 90.0f;
  BYTE jpegScale = 1;
  int32_t frameIndex = 0;        // frame the GIF and ICO decoders read
  int32_t frameCount = 0;        // entries of CRaster::frames
  int32_t frameDelay = 0;
  int32_t xDpi = 96;
  int32_t yDpi = 96;
  RECT selectionBox = {};        // rows from the bottom, top above bottom
  BYTE alphaMax = 255;
  BYTE paletteAlpha = 0;         // the palette's reserved bytes carry alpha
  BYTE enabled = 1;
  int32_t xOffset = 0;           // frame position within an animation
  int32_t yOffset = 0;
  uint32_t codecOptions[RASTER_CODEC_SLOTS] = {};
  uint32_t lastColor = 0;        // one-entry cache of GetNearestIndex
  BYTE lastIndex = 0;
  BYTE lastValid = 0;
  int32_t layerCount = 0;        // entries of CRaster::layers
  BYTE disposalMethod = 0;       // GIF
  BYTE retrieveAllFrames = 0;    // GIF
  BYTE littleEndianHost = 1;     // 1: the byte-order helpers leave values alone
  ExifInfo exif = {};
};

// Strong type for a Windows COLORREF (red in the low byte), so that a colour
// value never silently picks the COLORREF overloads.
struct CColorRef {
  explicit CColorRef(COLORREF value) : colorref(value) {}
  COLORREF colorref;
};

inline uint32_t RgbQuadToValue(RGBQUAD c) {
  return uint32_t(c.rgbBlue) | uint32_t(c.rgbGreen) << 8 | uint32_t(c.rgbRed) << 16 |
         uint32_t(c.rgbReserved) << 24;
}
inline RGBQUAD RgbQuadFromValue(uint32_t v) {
  RGBQUAD c;
  c.rgbBlue = BYTE(v);
  c.rgbGreen = BYTE(v >> 8);
  c.rgbRed = BYTE(v >> 16);
  c.rgbReserved = BYTE(v >> 24);
  return c;
}
// COLORREF (red low) to colour value (blue low); green stays, reserved 0.
RGBQUAD RgbToRgbQuad(COLORREF color);

// How GetPixelColorInterpolated weighs the pixels around a position; any
// number outside 1..18 means bilinear.
enum InterpolationMethod : int32_t {
  InterpNearest = 1,
  InterpBilinear = 2,
  InterpCubicBSpline = 3,
  InterpCubicSharp = 4,
  InterpCubicHalf = 5,
  InterpLanczos = 6,
  InterpBox = 7,
  InterpHermite = 8,
  InterpHermite92 = 9,
  InterpSinc = 10,
  InterpBlackman = 11,
  InterpBessel = 12,
  InterpGaussian = 13,
  InterpQuadraticBSpline = 14,
  InterpMitchell = 15,
  InterpCatmullRom = 16,
  InterpHannSinc = 17,
  InterpWelch = 18,
};

// What a pixel position outside the image reads; 0 (or any other number)
// reads the replacement colour like OverflowColor.
enum OverflowMethod : int32_t {
  OverflowColor = 1,        // the replacement colour, white when none is given
  OverflowBackground = 2,   // the background colour when there is a background index
  OverflowTransparent = 3,  // GetBkgndColor when there is a background index
  OverflowWrap = 4,
  OverflowRepeat = 5,       // the edge pixels repeat
  OverflowMirror = 6,
};

struct PointF {
  float x = 0;
  float y = 0;
  float Distance(const PointF& other) const;
};

struct RectF {
  float left = 0;
  float top = 0;
  float right = 0;
  float bottom = 0;
  float Width() const { return right - left; }
  float Height() const { return bottom - top; }
  float Surface() const { return Width() * Height(); }
  PointF Center() const { return PointF{(left + right) / 2, (top + bottom) / 2}; }
  // The common part; the rectangle 0, 0, 0, 0 when there is none.
  RectF Intersection(const RectF& other) const;
};

class CRaster {
 public:
  // ---- construction and life (raster.cpp) ----
  explicit CRaster(int32_t type = RASTER_FORMAT_UNKNOWN);
  CRaster(int32_t width, int32_t height, int32_t bpp, int32_t type = RASTER_FORMAT_UNKNOWN);
  CRaster(const CRaster& source, bool copyPixels = true, bool copySelection = true,
          bool copyAlpha = true);
  CRaster& operator=(const CRaster&) = delete;
  virtual ~CRaster();

  // Creates an empty image of the given size. bpp is rounded up to 1, 4, 8 or
  // 24; the pixels are zeroed, the palette black. Returns the DIB block or
  // null with a text in GetLastError().
  BYTE* Create(int32_t width, int32_t height, int32_t bpp, int32_t type);
  bool Destroy();        // frees pixels, selection, alpha, layers; false for a ghost
  bool DestroyFrames();  // false for a ghost
  // Becomes a copy of source (only its palette unless copyPixels). A ghost
  // source makes this a ghost of it. Copy(this) does nothing.
  bool Copy(const CRaster& source, bool copyPixels = true, bool copySelection = true,
            bool copyAlpha = true);
  void CopyInfo(const CRaster& source);  // whole info block; only while empty
  // Read-only view on source's buffers, for encoders; owns nothing.
  void Ghost(const CRaster* source);
  // Takes source's buffers (and frames when takeFrames) and leaves source
  // empty. Transfer(this) does nothing.
  bool Transfer(CRaster& source, bool takeFrames = true);
  void Clear(BYTE value);
  bool CreateFromArray(const BYTE* buffer, int32_t width, int32_t height, int32_t bpp,
                       int32_t sourceRowBytes, bool flip);

  // ---- accessors (raster.cpp) ----
  bool IsValid() const { return dib != nullptr; }
  bool IsIndexed() const { return header.biClrUsed != 0; }
  int32_t GetWidth() const { return header.biWidth; }
  int32_t GetHeight() const { return header.biHeight; }
  WORD GetBpp() const { return header.biBitCount; }
  int32_t GetRowBytes() const { return info.rowBytes; }
  DWORD GetNumColors() const { return header.biClrUsed; }
  BYTE* GetDib() const { return dib; }
  BYTE* GetBits(int32_t row = 0) const;
  DWORD GetSize() const;
  DWORD GetPaletteSize() const { return header.biClrUsed * 4; }
  int32_t GetType() const { return info.type; }
  bool SetType(int32_t type);
  const char* GetLastError() const { return info.lastError; }
  int32_t GetProgress() const { return info.progress; }
  void SetProgress(int32_t percent) { info.progress = percent; }
  void SetEscape(int32_t value) { info.escape = value; }
  int32_t GetEscape() const { return info.escape; }
  int32_t GetXDpi() const { return info.xDpi; }
  int32_t GetYDpi() const { return info.yDpi; }
  void SetXDpi(int32_t dpi);
  void SetYDpi(int32_t dpi);
  int32_t GetJpegQuality() const { return int32_t(info.jpegQuality + 0.5f); }
  void SetJpegQuality(BYTE quality) { info.jpegQuality = quality; }
  BYTE GetJpegScale() const { return info.jpegScale; }
  // Slot of the type's codec; type 0 (or an id without a slot) means the
  // image's own type.
  uint32_t GetCodecOption(int32_t type = RASTER_FORMAT_UNKNOWN) const;
  bool SetCodecOption(uint32_t option, int32_t type = RASTER_FORMAT_UNKNOWN);
  int32_t GetBkgndIndex() const { return info.bkgndIndex; }
  bool HasBkgndIndex() const { return info.bkgndIndex >= 0; }
  void SetBkgndIndex(int32_t index);
  RGBQUAD GetBkgndColor() const;
  void SetBkgndColor(RGBQUAD color) { info.bkgndColor = RgbQuadToValue(color) & 0xFFFFFF; }
  int32_t GetNumFrames() const { return info.frameCount; }
  void SetOffset(int32_t x, int32_t y) {
    info.xOffset = x;
    info.yOffset = y;
  }
  BYTE GetDisposalMethod() const { return info.disposalMethod; }
  void SetDisposalMethod(BYTE method) { info.disposalMethod = method; }
  void SetRetrieveAllFrames(bool all) { info.retrieveAllFrames = all ? 1 : 0; }
  DWORD GetClrImportant() const { return header.biClrImportant; }
  void SetClrImportant(DWORD count);
  bool IsInside(int32_t x, int32_t y) const {
    return x >= 0 && x < header.biWidth && y >= 0 && y < header.biHeight;
  }

  // ---- byte order of file fields (raster.cpp) ----
  DWORD SwapLong(DWORD value) const;
  WORD SwapShort(WORD value) const;
  void SwapBitmapInfoHeader(BITMAPINFOHEADER* bih) const;

  // ---- codec dispatch (raster_dispatch.cpp) ----
  // type 0 tries every codec in turn, rewinding the file between tries.
  bool Decode(CRasterFile* file, int32_t type);
  bool Decode(FILE* stream, int32_t type);  // the stream stays open
  bool Encode(CRasterFile* file, int32_t type);
  bool Encode(FILE* stream, int32_t type);
  bool Load(const char* path, int32_t type);
  // Writes a new temporary file "~bwXXXX.tmp" in path's folder, flushes it
  // to the disk and only then moves it over path. Refuses a read-only path.
  bool Save(const char* path, int32_t type);
  // True (do not encode) without a file or without pixels, with a text.
  bool EncodeSafeCheck(CRasterFile* file);

  // ---- pixel access (raster_pixels.cpp) ----
  BYTE GetPixelIndexUnchecked(int32_t x, int32_t y) const;
  void SetPixelIndexUnchecked(int32_t x, int32_t y, BYTE index);
  BYTE GetPixelIndex(int32_t x, int32_t y) const;
  void SetPixelIndex(int32_t x, int32_t y, BYTE index);
  RGBQUAD GetPixelColorUnchecked(int32_t x, int32_t y, bool withAlpha = false) const;
  void SetPixelColorUnchecked(int32_t x, int32_t y, RGBQUAD color, bool withAlpha = false);
  RGBQUAD GetPixelColor(int32_t x, int32_t y, bool withAlpha = false) const;
  void SetPixelColor(int32_t x, int32_t y, RGBQUAD color, bool withAlpha = false);
  void SetPixelColor(int32_t x, int32_t y, CColorRef color);
  BYTE* GetPixelAddress(int32_t x, int32_t y) const;  // 24-bit only, no bounds check
  // y counts from the top of the picture here; corners in any order.
  bool FillRectColor(int32_t left, int32_t top, int32_t right, int32_t bottom, RGBQUAD color,
                     bool withAlpha = false);

  // ---- palette (raster_palette.cpp) ----
  RGBQUAD* GetPalette();  // writable: forgets the nearest-colour cache
  const RGBQUAD* GetPalette() const;
  RGBQUAD GetPaletteColor(BYTE index) const;
  bool GetPaletteRgb(BYTE index, BYTE* red, BYTE* green, BYTE* blue) const;
  void SetPaletteColor(BYTE index, RGBQUAD color);
  void SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alpha = 0);
  void SetPalette(const RGBQUAD* entries, DWORD count);
  // A missing green array takes the red one; a missing blue one the green.
  void SetPalette(DWORD count, const BYTE* red, const BYTE* green = nullptr,
                  const BYTE* blue = nullptr);
  void SetPalette(const BYTE* rgbTriples, DWORD count);  // red, green, blue
  void SetGrayPalette();
  void SetStandardPalette();
  bool IsGrayScale() const;  // palette is the identity ramp 0, 1, 2, ...
  bool SwapIndex(BYTE a, BYTE b);
  BYTE GetNearestIndex(RGBQUAD color);
  void RgbToBgr(BYTE* buffer, uint32_t length) const;
  // qsort comparator on RGBQUADs by luminance.
  static int CompareColors(const void* a, const void* b);

  // ---- colour operations and filters (raster_color.cpp) ----
  // These work on the selection box when the image has a selection mask.
  // Square kernel of size x size weights, row by row; kernel row 0 meets the
  // stored row below. Near the border the sum of the neighbours inside is
  // rescaled by total / used weight. Palette images take the nearest entry.
  bool Filter(const int32_t* kernel, int32_t size, int32_t divisor, int32_t offset);
  bool Gamma(float gamma);
  // contrast is in percent added to 100; (0, 0) changes nothing.
  bool BrightnessContrast(int32_t brightness, int32_t contrast);
  // table[v] is the new value of channel value v; a grey image stays grey.
  bool ApplyLut(const BYTE* table);
  bool Negative();
  float MeanGray();  // 0 for an empty image or region
  // Packed HSL uses the colour layout: hue (0..255 a full turn) in the red
  // byte, saturation in the green byte, lightness in the blue byte.
  static RGBQUAD RgbToHsl(RGBQUAD color);
  static RGBQUAD HslToRgb(RGBQUAD hsl);

  // ---- resampling and interpolation (raster_interpolate.cpp, raster_resample.cpp) ----
  // Scales to the new size. Enlarging (or with noAveraging) samples each new
  // pixel's centre by the method; shrinking averages the area it covers.
  // The result goes into destination, or into this image when null.
  bool Resample(int32_t newWidth, int32_t newHeight, int32_t method = InterpBilinear,
                int32_t overflow = OverflowRepeat, CRaster* destination = nullptr,
                bool noAveraging = false);
  // The colour at a fractional position (pixel centres at whole numbers);
  // reserved byte 0. Positions that are not finite or beyond 2^30 are outside.
  RGBQUAD GetPixelColorInterpolated(float x, float y, int32_t method, int32_t overflow,
                                    const RGBQUAD* replacement) const;
  // The mean colour of the width x height area centred on (x, y), pixels at
  // its border weighted by how much of them it covers.
  RGBQUAD GetAreaColorInterpolated(float x, float y, float width, float height, int32_t method,
                                   int32_t overflow, const RGBQUAD* replacement) const;
  RGBQUAD GetPixelColorWithOverflow(int32_t x, int32_t y, int32_t overflow,
                                    const RGBQUAD* replacement) const;
  // Moves a position outside the image inside by wrapping, repeating or
  // mirroring (overflow 4 to 6); anything else is left alone.
  void OverflowCoordinates(int32_t& x, int32_t& y, int32_t overflow) const;
  void OverflowCoordinates(float& x, float& y, int32_t overflow) const;

  // ---- bit-depth conversion and dithering (raster_depth.cpp) ----
  // To an 8-bit identity-ramp grey image; grey = (601 g + 306 r + 117 b) / 1024.
  bool GrayScale();
  bool IncreaseBpp(int32_t bpp);  // 4, 8 or 24
  // To bpp with the given palette (the standard one when null), its first
  // important entries when that is not 0; the same depth re-maps.
  bool DecreaseBpp(int32_t bpp, bool errorDiffusion, const RGBQUAD* palette = nullptr,
                   DWORD important = 0);
  // To black and white: 1 ordered 4 x 4, 2 Burkes, 3 Stucki, 4 Jarvis-Judice-
  // Ninke, 5 Sierra, 6 Stevenson-Arce, 7 ordered 4 x 4 full scale, 8 ordered
  // 8 x 8, 9 ordered 16 x 16, anything else Floyd-Steinberg.
  bool Dither(int32_t method = 0);

  // ---- geometry (raster_flip.cpp, raster_geometry.cpp) ----
  // Turns the stored rows upside down. The arguments are accepted and unused.
  bool Flip(bool flipSelection = false, bool flipAlpha = false);
  // Crop and the turns put their result into destination, or into this image
  // when it is null. Crop's y counts from the top; corners in any order.
  bool Crop(int32_t left, int32_t top, int32_t right, int32_t bottom,
            CRaster* destination = nullptr);
  // Left to right; the selection and alpha buffers stay as they are, as do
  // the arguments.
  bool Mirror(bool mirrorSelection = false, bool mirrorAlpha = false);
  bool Rotate180(CRaster* destination = nullptr);
  bool RotateLeft(CRaster* destination = nullptr);   // counter-clockwise
  bool RotateRight(CRaster* destination = nullptr);  // clockwise
  // Positive angles (degrees) turn clockwise. Uncovered corners read the
  // overflow method's colour (replacement, white when null). Quarter and half
  // turns optimised move pixels exactly; keepSize keeps the size.
  bool Rotate(float angle, CRaster* destination = nullptr, int32_t method = InterpBilinear,
              int32_t overflow = OverflowColor, const RGBQUAD* replacement = nullptr,
              bool optimizeRightAngles = true, bool keepSize = false);

  // ---- Windows bitmap interchange (raster_dib*.cpp, raster_bitmap_win.cpp) ----
  // Builds the image from a packed DIB of size bytes (header, palette or masks,
  // rows); every read stays inside the block. False for a malformed DIB.
  bool CreateFromPackedDib(const void* packedDib, size_t size);
  // Fills the existing 24-bit rows from 16 or 32-bit pixels under the masks.
  void BitfieldDibToRgb(const BYTE* source, DWORD redMask, DWORD greenMask, DWORD blueMask,
                        int32_t bpp);
#ifdef _WIN32
  HGLOBAL CopyToDibHandle() const;
  bool CreateFromDibHandle(HGLOBAL handle);
  bool CreateFromBitmap(HBITMAP bitmap, HPALETTE palette = nullptr, bool keepAlpha = false);
  static bool HasAlphaBitmap(HBITMAP bitmap);
#endif

 protected:
  // ---- shared by the operations that build a new image (raster_operation.cpp) ----
  // Makes result an empty image of this one's kind: its info block, type and
  // resolution, the given size and depth, and (with keepPalette) its palette
  // and important-colour count. On failure the text comes here: false.
  bool CreateResult(CRaster& result, int32_t width, int32_t height, int32_t bpp,
                    bool keepPalette);
  // Moves a finished result into destination, or into this image when null;
  // the Transfer's answer (a ghost refuses).
  bool FinishResult(CRaster& result, CRaster* destination);
  // progress = done x 100 / total on this image; true, with "Cancelled",
  // when escape is set.
  bool StopRequested(int64_t done, int64_t total);
  // A size computed in floating point, refused ("RASTER_MAX_MEMORY
  // exceeded") before any cast when the pixels would pass the limit.
  bool CheckNewSize(double width, double height, int32_t bpp, int32_t* outWidth,
                    int32_t* outHeight);
  void Startup(int32_t type);
  void SetErrorText(const char* text);  // truncated to 255 characters
  bool IsGhost() const { return info.ghostOf != nullptr; }
  // Forgets the nearest-colour cache here and, for a ghost, in its source.
  void InvalidateNearestCache();

  BYTE* dib = nullptr;               // the DIB block (malloc), null when empty
  BITMAPINFOHEADER header = {};      // copy of the block's header
  CRasterInfo info;
  BYTE* selection = nullptr;         // one byte per pixel (malloc)
  BYTE* alpha = nullptr;             // one byte per pixel (malloc)
  // Side arrays come from malloc, their entries from new; the image frees
  // them (unless it is a ghost).
  CRaster** layers = nullptr;        // info.layerCount entries
  CRaster** frames = nullptr;        // info.frameCount entries

 private:
  bool QuarterTurn(bool left, CRaster* destination);
  // Stored row y, right to left, into row targetY of an image of this size.
  void CopyRowReversed(int32_t y, CRaster& target, int32_t targetY) const;

  // Search structure of GetNearestIndex for this image's palette; its own,
  // never shared, copied or transferred.
  CNearestIndexMap* nearestMap = nullptr;

  void SetDpiField(int32_t dpi, int32_t* field, LONG BITMAPINFOHEADER::*pelsPerMeter);
  void TakeBuffers(CRaster& source, bool takeFrames);
  void CopyBuffers(const CRaster& source, bool copyPixels, bool copySelection, bool copyAlpha);
  void RecomputeLayout();
  bool HoldsFrame(const CRaster* image) const;  // among the frames, at any depth
  void ResetForImport();
  // The options a decode hands from the caller to the codec object.
  void TakeDecodeOptions(const CRaster& caller);
  bool DecodeWith(int32_t type, CRasterFile* file, int32_t start);
};

// One channel (0..1) of an HSL colour at a hue in degrees; m1 and m2 are the
// lower and upper channel bounds that lightness and saturation give.
float HueToRgb(float m1, float m2, float hue);

// Walks the stored rows of an image; codecs write rows through it.
class CRasterRowIterator {
 public:
  explicit CRasterRowIterator(CRaster* image);
  // Moves to row n (0 <= n < height) and returns its start, else null
  // without moving.
  BYTE* SetRow(int32_t row);
  BYTE* GetRow() const { return mRowPointer; }

 private:
  CRaster* mImage;
  int32_t mRow = 0;
  BYTE* mRowPointer = nullptr;
};
