#pragma once
// Saving an image by path with the profile's codec options. The file at the
// path is replaced in one step or not at all: a failed save never damages or
// deletes what was there.
#include <cstddef>
#include <cstdint>

#include "app/document/image.h"
#include "app/startup/operation_errors.h"

struct ProfileRecord;

// Sets the codec options of type from the profile and changes the depth the
// format needs (JPEG: grey or true colour; GIF: 256 colours when asked).
// 0, or OpConvert with ErrFunctionFailed when the depth cannot be changed.
OperationError PrepareForSave(CImage* image, const ProfileRecord& profile, int32_t type);
// Saves image to path as the type its extension names (BMP without one).
// "x.opt" encodes a JPEG and a PNG in memory and writes only the one the size
// rule keeps, as "x.jpg" or "x.png". finalPath receives the path written.
// 0, or OpSave / OpConvert with ErrFunctionFailed.
OperationError SaveImageTo(CImage* image, const ProfileRecord& profile, const char* path,
                           char* finalPath, size_t finalSize);
// Writes bytes to path through a temporary file beside it that replaces the
// path only when complete; a read-only path is refused.
bool WriteFileReplacing(const char* path, const void* bytes, size_t size);
