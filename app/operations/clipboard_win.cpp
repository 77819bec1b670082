// Copy and paste through the system clipboard. The bitmap is complete before
// the clipboard is emptied, so a copy that fails leaves the old content.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>

#include "app/document/history.h"
#include "app/operations/image_compute.h"
#include "app/operations/image_operations.h"
#include "app/operations/operation_launch.h"
#include "app/operations/operation_runner.h"
#include "app/startup/program_hooks.h"

namespace {

// Open for the life of the holder.
class CClipboardOpen {
 public:
  explicit CClipboardOpen(HWND owner) : mOpen(OpenClipboard(owner) != FALSE) {}
  ~CClipboardOpen() {
    if (mOpen) CloseClipboard();
  }
  CClipboardOpen(const CClipboardOpen&) = delete;
  CClipboardOpen& operator=(const CClipboardOpen&) = delete;
  bool IsOpen() const { return mOpen; }

 private:
  bool mOpen;
};

OperationError CopyWorker(void* argument) {
  HGLOBAL* dib = static_cast<HGLOBAL*>(argument);
  std::unique_ptr<CImage> crop(CropCurrentSelection());
  if (!crop) return OperationCode(OpCopy, ErrNoMemory);
  SetProgressSource(crop.get());
  const int stamped = crop->CopyToStamp(*crop);
  *dib = stamped == 0 ? crop->CopyToDibHandle() : nullptr;
  SetProgressSource(nullptr);
  if (stamped != 0) return OperationCode(OpCopy, ErrNoMemory);
  return *dib ? 0 : OperationCode(OpCopy, ErrClipboard);
}

}  // namespace

OperationError CopyImageToClipboard() {
  if (!IsHistoryIndexValid(giCurrentImage)) return OperationCode(OpCopy, ErrNoImage);
  HGLOBAL dib = nullptr;
  OperationError result;
  {
    BusyDisplay busy("Copying:");
    result = RunImageOperation(CopyWorker, &dib);
  }
  if (result != 0) return result;
  CClipboardOpen clipboard(static_cast<HWND>(OperationOwnerWindow()));
  if (!clipboard.IsOpen() || !EmptyClipboard() || !SetClipboardData(CF_DIB, dib)) {
    GlobalFree(dib);  // the clipboard did not take it
    return OperationCode(OpCopy, ErrClipboard);
  }
  gbImageChanged = 0;
  return 0;
}

OperationError PasteImageFromClipboard() {
  std::unique_ptr<CImage> image;
  {
    CClipboardOpen clipboard(static_cast<HWND>(OperationOwnerWindow()));
    if (!clipboard.IsOpen()) return OperationCode(OpPaste, ErrClipboard);
    if (!IsClipboardFormatAvailable(CF_DIB)) return 0;
    image.reset(new (std::nothrow) CImage);
    if (!image) return OperationCode(OpPaste, ErrNoMemory);
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data || !image->CreateFromDibHandle(static_cast<HGLOBAL>(data)) || !image->IsValid())
      return OperationCode(OpPaste, ErrClipboard);
  }
  image->SelectAll();
  const OperationError result = CommitNewState(image.release(), "(Unnamed)", 0, OpPaste);
  if (result == 0 && gProgramHooks.pfnSelectDrawTool) gProgramHooks.pfnSelectDrawTool(0);
  return result;
}

void GetClipboardText(char* buffer, int size) {
  if (!buffer || size <= 0) return;
  buffer[0] = '\0';
  CClipboardOpen clipboard(static_cast<HWND>(OperationOwnerWindow()));
  if (!clipboard.IsOpen()) return;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return;
  const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
  if (!text) return;
  const int written = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, size, nullptr, nullptr);
  // A text longer than the buffer still ends inside it.
  if (written == 0) buffer[size - 1] = '\0';
  GlobalUnlock(data);
}
