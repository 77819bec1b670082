#pragma once
// CImage: one editable state of the image history. An image of the library
// plus what editing needs: a name, a selection, a colour class, the pen of the
// drawing tools, the area touched since the last reset and a modified flag.
//
// Every primitive takes (x, y) with y = 0 at the top row; the library's
// bottom-up row is nHeight - y - 1. Points outside the selection (inclusive)
// or the drawing area are skipped: primitives never fail. Colours are
// 0xAARRGGBB values (ColorToArgb).
#include <cstdint>

#include "framework/app/grow_array.h"
#include "imagelib/raster.h"

struct StampBuffer;

// Colour classes of a state; the colour-format operation converts between them.
enum : int32_t {
  kColorClassBlackWhite = 0,
  kColorClassGray = 1,
  kColorClass16 = 2,
  kColorClass256 = 3,
  kColorClassTrueColor = 4,
};

constexpr int kImageNameChars = 260;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// Where the current stroke of the drawing tools began, in image coordinates;
// FillRectangle, DrawRectangle and FloodFill take their second corner or seed
// from it.
extern POINT gptAnchor;

// One pending run of the flood fill: row y between xl and xr (inclusive) is
// to be explored, coming from row y - dy.
struct FillSegment {
  int32_t y;
  int32_t xl;
  int32_t xr;
  int32_t dy;
};

// Alignment bits of StampTextMask: horizontal centre / right, vertical
// centre / bottom; the second of each pair wins.
enum : int32_t {
  kStampCenterX = 1,
  kStampRight = 2,
  kStampCenterY = 4,
  kStampBottom = 8,
};

class CImage;

// Turns every hue by hueShift (of 256 a full turn) and scales every
// saturation by saturationFactor: the palette of a palette image, else the
// pixels of the selection box (the whole image without a selection mask),
// stopping early when the image's escape flag is set. False without pixels.
bool AdjustHueSaturation(int32_t hueShift, CImage* image, float saturationFactor);

class CImage : public CRaster {
 public:
  CImage();
  ~CImage() override;
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  int32_t iColorClass = kColorClassBlackWhite;
  char szName[kImageNameChars] = {};
  RECT rcSelection = {};            // top-down, inclusive on all sides
  StampBuffer* pStamp = nullptr;    // gStampBuffer once prepared
  // Drawing cache, filled by PrepareDrawing.
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nColors = 0;              // palette entries, 0 for true colour
  int32_t nBpp = 0;
  RGBQUAD* pPalette = nullptr;
  POINT ptLast = {};                // the pen's current point
  int32_t nPenWidth = 1;
  int32_t bPenIndex = 0;            // palette images; low 8 bits used
  uint32_t rgbPen = kOpaqueBlack;
  RECT rcDirty = {};
  uint8_t bModified = 0;
  CGrowArray<FillSegment> aFillStack;

  // Selection, colour class, name and stamp pointer of another state (after
  // a library copy).
  void CopyState(const CImage& other);
  // Refills the drawing cache; call after any change of size, depth or
  // palette and before drawing.
  void PrepareDrawing();
  // The selection becomes the whole image.
  void SelectAll();

  void SetPen(int32_t width, uint32_t color);
  void MoveTo(int32_t x, int32_t y) { ptLast = POINT{x, y}; }
  bool IsModified() const { return bModified != 0; }
  void ClearModified() { bModified = 0; }
  RECT GetDirtyRect() const { return rcDirty; }
  // rcDirty = the point, its left and top raised to 0 and its right and
  // bottom lowered to the last column and row.
  void ResetDirtyRect(int32_t x, int32_t y);

  // ---- primitives (image_primitives.cpp) ----
  void PlotPoint(int32_t x, int32_t y);
  void DrawSpan(int32_t x0, int32_t y, int32_t x1);
  void FillDisc(int32_t cx, int32_t cy, int32_t r);
  void DrawDot(int32_t x, int32_t y);
  // From ptLast to (x, y), both ends included, with the pen.
  void DrawLine(int32_t x, int32_t y, bool resetDirty);
  void FillRectangle(int32_t x, int32_t y, uint32_t color);  // anchor to (x, y)
  void DrawRectangle(int32_t x, int32_t y);                  // anchor to (x, y)

  // ---- area operations (image_area_ops.cpp) ----
  void InvertRect(RECT rect);
  // Every pixel outside rect darkens by factor (the selection does not clip).
  void DarkenOutsideSelection(RECT rect, double factor);

  // ---- flood fill (image_flood_fill.cpp) ----
  // Fills the 4-connected area of the anchor's colour with the pen, inside
  // the selection. False only when memory runs out (the image may then be
  // partly filled: drop the working copy).
  bool FloodFill();

  // ---- stamps (image_stamp.cpp) ----
  // Blends gStampBuffer's text mask in at (x, y) with the alignment bits;
  // background's alpha byte 0 means transparent.
  void StampTextMask(int32_t x, int32_t y, int32_t align, uint32_t background);
  // Copies the source's pixels into gStampBuffer: 1 when memory runs out (the
  // stamp is then empty), else 0.
  int CopyToStamp(const CRaster& source);
  void PasteStamp(int32_t x, int32_t y);  // centred on (x, y)
  bool StampFitsSelection() const;
  bool HasStamp() const;

  // ---- palettes (image_palette.cpp) ----
  // An optimal palette of at most colors entries from the colour quantizer,
  // in a new zeroed block of 256 entries that the caller frees with free();
  // null when the quantizer refuses the image or memory runs out.
  RGBQUAD* CreateOptimalPalette(int32_t colors) const;

#ifdef _WIN32
  // A GDI palette of the image's palette; null without one (image_palette_win.cpp).
  HPALETTE CreateHPalette() const;
#endif

 private:
  // It reads the library's selection mask and box.
  friend bool AdjustHueSaturation(int32_t hueShift, CImage* image, float saturationFactor);

  void GrowDirty(int32_t x, int32_t y);
  void GrowDirty(const RECT& r);
  void PenAt(int32_t x, int32_t y);
  // Write pixels that the caller has checked with IsDrawable or
  // ClipToDrawable.
  void PutPen(int32_t x, int32_t y);
  void FillRowSpan(int32_t y, int32_t x0, int32_t x1);
  // The selection cut to the pixels (empty without an image).
  RECT DrawableArea() const;
  bool IsDrawable(int32_t x, int32_t y) const;
  // rect (inclusive, top-down) cut to the selection and the drawing area;
  // false when nothing is left.
  bool ClipToDrawable(RECT* rect) const;
};
