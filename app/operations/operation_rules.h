#pragma once
// The pure rules of the image operations: which codec a path names, how the
// profile's destination becomes a path, which of the two "Optimized"
// candidates is kept, the new size of a resize and the numbers of a colour
// adjustment. No image and no system call here, so they are tested alone.
#include <cstdint>

#include "app/profiles/program_records.h"

// Paths longer than this do not fit the program's path fields (260 bytes
// with the terminator); they are refused, never cut.
constexpr int kMaxPathChars = 259;

// The text after the last dot of the path's file name, or null when the name
// has none (a dot in a folder name does not count).
const char* PathExtension(const char* path);
// The library's type for the text after the last dot ("photo.jpeg" is JPEG),
// or fallback when the name has no extension.
int32_t ImageTypeOfPath(const char* path, int32_t fallback);
// Index of the extension in "BMP", "GIF", "JPG", "PNG", "TIF", "OPT" (case
// ignored, the whole extension compared), or -1.
int GetExtensionIndex(const char* path);
// The extension of iDSType's entry in that table ("bmp" .. "opt"); types
// outside it name BMP.
const char* DestinationExtension(int32_t type);
// The Save As filter (0-based: all formats, BMP, GIF, JPG, PNG, TIF,
// Optimized) that an extension's first letter names; 0 for any other.
int SaveAsFilterOfExtension(const char* ext);
// path with its extension replaced by ext (appended when it has none) into
// out: false when the result would pass kMaxPathChars.
bool ReplacePathExtension(const char* path, const char* ext, char* out, int size);
// szDSPath, a backslash when missing, then szDSFile when not empty: false
// when the joined path would pass kMaxPathChars.
bool JoinDestinationPath(const char* folder, const char* file, char* out, int size);
// An expanded destination path: ".ext" of type appended when the name has
// no extension of an image type the program saves, then the extension
// lower-cased. False when the appended path would pass kMaxPathChars.
bool FinishDestinationPath(char* path, int size, int32_t type);

// The "Optimized" choice: the PNG is kept unless it is more than one and a
// half times the size of the JPEG.
bool KeepPngCandidate(uint64_t pngBytes, uint64_t jpgBytes);

// What a resize asks for, from the profile and the current image.
struct ResizeInput {
  int32_t width;
  int32_t height;
  int32_t xDpi;
  int32_t yDpi;
  float newWidth;    // fIGNewW
  float newHeight;   // fIGNewH
  int32_t unit;      // iIGUnit: 0 pixels, 1 length, 2 percent
  int32_t dpi;       // iIGDpi, 0: the image's own
  float aspect;      // fIGAspect
  bool inches;       // gOptions.iUnits
};
struct ResizeResult {
  int32_t width;
  int32_t height;
  int32_t dpi;       // the resolution the image takes
  float aspect;      // fIGAspect as the profile keeps it
};
// The new size. False when a computed side is not finite, negative or above
// 2^30 (or the result is empty): such a request is refused, not clamped.
bool ComputeResizeSize(const ResizeInput& in, ResizeResult* out);

// A brightness and colour adjustment from the profile's signed fields, each
// held to -100..100.
struct ColorAdjustment {
  int32_t brightness;   // for BrightnessContrast
  int32_t contrast;
  float gamma;          // 1: no gamma step
  float saturation;     // 1: unchanged
  int32_t hue;          // 0: unchanged
};
ColorAdjustment ComputeColorAdjustment(int32_t brightness, int32_t contrast, int32_t gamma,
                                       int32_t saturation, int32_t hue);

// Runs one colour (red, green, blue) through the replacement pairs in
// order; each replacement changes what the later pairs see. True when a pair
// matched. count is held to 0..16.
bool ReplaceThroughPairs(uint8_t rgb[3], const ColorEntry* oldColors,
                         const ColorEntry* newColors, int32_t count);

// A float that a geometry operation may take: finite and at most 2^30 in
// size (negative allowed when allowNegative).
bool IsUsableMeasure(double value, bool allowNegative);
