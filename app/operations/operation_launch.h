#pragma once
// What every launcher does around its worker on the thread that started it:
// the busy display and the commit of a finished state.
#include <cstdint>

#include "app/startup/operation_errors.h"

class CImage;

// The status bar's busy display for the life of the holder; a null text
// shows none.
class BusyDisplay {
 public:
  explicit BusyDisplay(const char* text);
  ~BusyDisplay();
  BusyDisplay(const BusyDisplay&) = delete;
  BusyDisplay& operator=(const BusyDisplay&) = delete;

 private:
  bool mShown;
};

// Pushes a finished state (named name, or as the state before it) and
// refreshes the status bar: 0, or operation with ErrNoMemory when the
// history refuses it (the image is then deleted).
OperationError CommitNewState(CImage* image, const char* name, uint8_t loadedFromFile,
                              uint32_t operation);
// A new image of the current state's selection, for the operations that
// deliver it (save, copy); null when it cannot be made.
CImage* CropCurrentSelection();
// Expands a file-name template into out (size characters): false when the
// expansion would pass the path limit.
bool ExpandFileName(const char* text, char* out, int size);
// The window that owns the clipboard while the program writes it.
void* OperationOwnerWindow();
