#include "app/document/history.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include "app/document/screen_dpi.h"
#include "app/profiles/program_records.h"
#include "app/startup/program_hooks.h"

CPointerArray gaImageHistory;
int32_t giCurrentImage = 0;
uint8_t gbImageChanged = 0;
uint8_t gbLoadedFromFile = 0;
int32_t (*gpfnHistoryAppend)(CPointerArray* array, void* element) = PtrArrayAppend;

namespace {

const char kUnnamed[] = "(Unnamed)";

// Static initialisation runs on the thread that becomes the user interface
// thread (WinMain's, or the test's main thread).
const std::thread::id gHistoryThread = std::this_thread::get_id();

void RefreshDrawBackup() {
  if (gProgramHooks.pfnRefreshDrawBackup) {
    gProgramHooks.pfnRefreshDrawBackup();
  } else if (CImage* current = GetHistoryImage(giCurrentImage)) {
    current->PrepareDrawing();
  }
}

void UpdateStatusBar() {
  if (gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(0);
}

int32_t ColorClassOf(const CImage& image) {
  switch (image.GetBpp()) {
    case 1: return kColorClassBlackWhite;
    case 4: return image.IsGrayScale() ? kColorClassGray : kColorClass16;
    case 8: return image.IsGrayScale() ? kColorClassGray : kColorClass256;
    default: return image.IsGrayScale() ? kColorClassGray : kColorClassTrueColor;
  }
}

void SetName(CImage* image, const char* name) {
  snprintf(image->szName, sizeof(image->szName), "%s", name);
}

}  // namespace

CImage* GetHistoryImage(int32_t index) {
  if (index < 0 || index >= gaImageHistory.count) return nullptr;
  return static_cast<CImage*>(*gaImageHistory.GetAt(index));
}

bool IsHistoryIndexValid(int32_t index) {
  const CImage* image = GetHistoryImage(index);
  return image && image->IsValid();
}

void DeleteHistoryEntry(int32_t index) {
  CImage* image = GetHistoryImage(index);
  if (!image) return;
  delete image;
  PtrArrayRemoveAt(&gaImageHistory, index);
  if (index < giCurrentImage) --giCurrentImage;
  if (giCurrentImage >= gaImageHistory.count)
    giCurrentImage = gaImageHistory.count > 0 ? gaImageHistory.count - 1 : 0;
}

uint64_t GetHistoryMemorySize() {
  uint64_t total = 0;
  for (int32_t i = 0; i < gaImageHistory.count; ++i) {
    const CImage* image = GetHistoryImage(i);
    if (image && image->IsValid()) total += image->GetSize();
  }
  return total;
}

uint64_t GetHistoryLimit() {
  // 64 bits: the options page allows 8,192 megabytes.
  return uint64_t(gOptions.iUndoBufMB > 0 ? gOptions.iUndoBufMB : 0) << 20;
}

int AddToHistory(CImage* image, const char* name, uint8_t loadedFromFile) {
  if (!image || !image->IsValid() || std::this_thread::get_id() != gHistoryThread) return 1;
  while (gaImageHistory.count > giCurrentImage + 1) DeleteHistoryEntry(gaImageHistory.count - 1);

  image->iColorClass = ColorClassOf(*image);
  if (image->GetXDpi() <= 0) {
    const int32_t dpi = GetScreenDpi();
    image->SetXDpi(dpi);
    image->SetYDpi(dpi);
  }
  if (name && *name)
    SetName(image, name);
  else if (const CImage* newest = GetHistoryImage(gaImageHistory.count - 1))
    SetName(image, newest->szName);
  else
    SetName(image, kUnnamed);

  // Make room by dropping older states, but never the current one.
  while (gpfnHistoryAppend(&gaImageHistory, image) < 0) {
    if (gaImageHistory.count <= 1) return 1;
    DeleteHistoryEntry(0);
  }
  giCurrentImage = gaImageHistory.count - 1;
  const uint64_t limit = GetHistoryLimit();
  while (gaImageHistory.count > 1 && GetHistoryMemorySize() > limit) DeleteHistoryEntry(0);

  gbImageChanged = 1;
  gbLoadedFromFile = loadedFromFile;
  RefreshDrawBackup();
  return 0;
}

CImage* CloneCurrentImage() {
  const CImage* current = GetHistoryImage(giCurrentImage);
  if (!current || !current->IsValid()) return nullptr;
  CImage* clone = new (std::nothrow) CImage;
  if (!clone) return nullptr;
  if (!clone->Copy(*current) || !clone->IsValid()) {
    delete clone;
    return nullptr;
  }
  clone->CopyState(*current);
  clone->ClearModified();
  return clone;
}

int PushWorkingCopy() {
  if (!IsHistoryIndexValid(giCurrentImage)) return 2;
  CImage* clone = CloneCurrentImage();
  if (!clone) return 1;
  if (AddToHistory(clone, nullptr, gbLoadedFromFile) != 0) {
    delete clone;
    return 1;
  }
  UpdateStatusBar();
  return 0;
}

int UndoImage() {
  if (!IsHistoryIndexValid(giCurrentImage)) return 2;
  if (giCurrentImage > 0) {
    --giCurrentImage;
    DeleteHistoryEntry(giCurrentImage + 1);
  }
  UpdateStatusBar();
  return 0;
}

void ClearHistory() {
  if (gProgramHooks.pfnEndDrawingTool) gProgramHooks.pfnEndDrawingTool();
  while (gaImageHistory.count > 0) DeleteHistoryEntry(gaImageHistory.count - 1);
  PtrArrayFree(&gaImageHistory);
  gbImageChanged = 0;
  gbLoadedFromFile = 0;
  giCurrentImage = 0;
  RefreshDrawBackup();
}

bool MoveHistoryBack() {
  if (giCurrentImage <= 0 || giCurrentImage >= gaImageHistory.count) return false;
  --giCurrentImage;
  return true;
}

bool MoveHistoryForward() {
  if (giCurrentImage + 1 >= gaImageHistory.count) return false;
  ++giCurrentImage;
  return true;
}
