#pragma once
// Image operations run on a worker thread while the user interface thread
// keeps pumping messages with the busy counter raised. The worker only
// computes on an image of its own; whatever changes the program's state (the
// history, the selection, the tool, the status bar) is committed afterwards
// by the thread that started the operation.
#include <atomic>
#include <cstdint>

#include "app/startup/operation_errors.h"

class CRaster;

// Set to 1 when the program leaves its loop: long work that looks at it
// stops early.
extern std::atomic<uint8_t> gbAbort;
// The thread of a running scan transfer (0: none). Operations it starts run
// inline on it: it already runs as an operation of its own.
extern std::atomic<uint32_t> gdwScanThreadId;

// The image whose progress the status bar shows while an operation runs;
// null clears it. Clear it before the image is deleted.
void SetProgressSource(CRaster* image);
// The source's progress in percent, or -1 without a source.
int32_t ReadProgressSource();
// Asks the source's running library call to stop (its escape flag).
void StopProgressSource();

typedef OperationError (*ImageOperationProc)(void* argument);

#ifdef _WIN32
// Runs callback(argument) on a new thread and pumps messages until it ends,
// passing the progress source to the status bar about every 100 ms. The
// callback's result, or 1 when no thread could be made. A quit message that
// arrives meanwhile stops the operation (gbAbort and the source's escape),
// waits for the worker, posts the quit again and returns the worker's own
// result: a half-done operation never reports success.
OperationError RunImageOperation(ImageOperationProc callback, void* argument);
#endif
