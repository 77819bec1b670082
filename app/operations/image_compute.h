#pragma once
// The work of the image operations on a state of their own (a clone or a
// crop of the current state): what a worker thread runs. Each returns 0 or
// the operation's result code; none touches the history, the status bar or
// any window, so that the user interface thread alone commits the outcome.
#include <cstdint>

#include "app/document/image.h"
#include "app/operations/operation_rules.h"
#include "app/startup/operation_errors.h"

// Converts image (of colour class from) to colour class to; classes outside
// 0..4 on either side convert nothing.
OperationError ConvertColorClass(CImage* image, int32_t from, int32_t to, bool dither,
                                 bool windowsPalette);
OperationError ApplyColorAdjustment(CImage* image, const ColorAdjustment& adjustment);
// mode 0 mirror, 1 flip, anything else leaves the image alone.
OperationError FlipByMode(CImage* image, int32_t mode);
// Positive angles turn clockwise; uncovered corners take backColor
// (0xAARRGGBB) with backFill, else they read as transparent.
OperationError RotateByAngle(CImage* image, float angle, bool backFill, uint32_t backColor);
// mode 1 sharpens, anything else softens.
OperationError FilterByMode(CImage* image, int32_t mode);
OperationError ResampleTo(CImage* image, int32_t width, int32_t height, bool antiAlias);
// The profile's replacement pairs: over the palette of a palette image, else
// over the pixels of selection (top-down, inclusive), with progress per row.
OperationError ReplaceColorsIn(CImage* image, const ProfileRecord& profile, RECT selection);
// Inverts the selection, or darkens everything outside it.
OperationError InvertSelection(CImage* image, RECT selection);
OperationError HighlightOutside(CImage* image, RECT selection);
// Fills the selection with color (0xAARRGGBB).
OperationError ClearArea(CImage* image, RECT selection, uint32_t color);
// The selection of source (top-down, inclusive) as a new image in out.
bool CropSelection(CRaster& source, RECT selection, CRaster* out);
