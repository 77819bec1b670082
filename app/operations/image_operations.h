#pragma once
// The image operations that commands and profiles start. Each returns 0 or
// an operation result (operation number and detail); a launcher that needs
// a current image and finds none returns its operation with ErrNoImage and
// starts nothing. A successful change pushes one new state into the history;
// a failed one leaves the history as it was.
#include <cstdint>

#include "app/startup/operation_errors.h"

struct ProfileRecord;

// To colour class 0..4 (black and white, grey, 16, 256, true colour); the
// image's own class (or a class outside 0..4) adds no state.
OperationError ConvertColors(int32_t colorClass, bool dither, bool windowsPalette);
OperationError FlipImage(int32_t mode);  // 0 mirror, 1 flip
OperationError AdjustColors(const ProfileRecord* profile);
OperationError RotateImage(float angle);  // degrees, positive clockwise
OperationError FilterImage(int32_t mode);  // 1 sharpen, else soften
// Reads the profile's new size and writes its aspect back; sets the current
// state's resolution even when the size stays.
OperationError ResizeImage(ProfileRecord* profile);
// The same, with startWidth x startHeight as the size that percentages, a
// missing side and the aspect refer to; 0 x 0: the image's own size.
OperationError ResizeImageFrom(ProfileRecord* profile, int32_t startWidth, int32_t startHeight);
OperationError ReplaceColors(const ProfileRecord* profile);
OperationError InvertImage();
OperationError HighlightSelection();
OperationError CropToSelection();
OperationError ClearSelection(uint32_t color);  // 0xAARRGGBB
OperationError LoadImageFile(const char* path);
OperationError SaveImageFile(const ProfileRecord* profile, const char* path);
OperationError SaveToProfileDestination(const ProfileRecord* profile);
OperationError CopyImageToClipboard();
OperationError PasteImageFromClipboard();
// The clipboard's text in the ANSI code page, or "" without one.
void GetClipboardText(char* buffer, int size);
