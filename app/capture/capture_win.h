#pragma once
// The capture step of a profile: the area its capture mode names (a drag,
// a window or a box on the overlay, the foreground window, the screen, a
// fixed area) becomes a new state of the image history named "(Unnamed)".
#include <windows.h>

#include "app/startup/operation_errors.h"

struct ProfileRecord;

// Capture failed without a memory shortage: an empty area, a box below
// 1 x 1, no foreground window, or a call from another thread than the user
// interface's.
constexpr OperationError kCaptureFailed = OperationCode(OpCapture, ErrFunctionFailed);
constexpr OperationError kCaptureNoMemory = OperationCode(OpCapture, ErrNoMemory);

// 0, 26 when the user cancelled the overlay (or another overlay runs),
// kCaptureNoMemory when the pixels could not be taken or kept, or
// kCaptureFailed.
OperationError CaptureScreen(const ProfileRecord& profile);
// Takes the screen inside the inclusive rectangle into the history: 0,
// kCaptureNoMemory or kCaptureFailed.
OperationError GrabScreenRect(const ProfileRecord& profile, const RECT& rect);
