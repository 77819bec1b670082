#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "app/document/history.h"
#include "app/operations/image_compute.h"
#include "app/operations/operation_launch.h"
#include "app/operations/operation_rules.h"
#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"

namespace {
constexpr uint16_t kMainWindowId = 0;
}

BusyDisplay::BusyDisplay(const char* text) : mShown(text && gProgramHooks.pfnBeginBusy) {
  if (mShown) gProgramHooks.pfnBeginBusy(text);
}

BusyDisplay::~BusyDisplay() {
  if (mShown && gProgramHooks.pfnEndBusy) gProgramHooks.pfnEndBusy();
}

OperationError CommitNewState(CImage* image, const char* name, uint8_t loadedFromFile,
                              uint32_t operation) {
  // A stop asked of the worker must not follow the state into the history,
  // where every later clone would inherit it.
  image->SetEscape(0);
  image->SetProgress(0);
  if (AddToHistory(image, name, loadedFromFile) != 0) {
    delete image;
    return OperationCode(operation, ErrNoMemory);
  }
  if (gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(0);
  return 0;
}

CImage* CropCurrentSelection() {
  CImage* current = GetHistoryImage(giCurrentImage);
  CImage* crop = current ? new (std::nothrow) CImage : nullptr;
  if (crop && !CropSelection(*current, current->rcSelection, crop)) {
    delete crop;
    return nullptr;
  }
  return crop;
}

bool ExpandFileName(const char* text, char* out, int size) {
  // Expanded into more room than a path may take, so that an overlong
  // result is seen and refused rather than cut into another file's name.
  char expanded[4 * (kMaxPathChars + 1)];
  if (gProgramHooks.pfnExpandTemplate)
    gProgramHooks.pfnExpandTemplate(text, expanded, int(sizeof(expanded)), 1);
  else
    snprintf(expanded, sizeof(expanded), "%s", text);
  const size_t length = strlen(expanded);
  if (length > size_t(kMaxPathChars) || strlen(text) > size_t(kMaxPathChars) ||
      length >= size_t(size))
    return false;
  memcpy(out, expanded, length + 1);
  return true;
}

void* OperationOwnerWindow() {
  if (gProgramHooks.pfnGetMainWindow) return gProgramHooks.pfnGetMainWindow();
  CAppWindow* window = gApp.FindAppWindowById(kMainWindowId);
  return window ? window->hwnd : nullptr;
}
