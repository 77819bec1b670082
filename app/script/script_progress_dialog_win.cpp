#include "app/script/script_progress_dialog_win.h"

#include "app/operations/operation_runner.h"
#include "framework/app/app_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/ui/dialog_helpers_win.h"

namespace {

constexpr int kScriptProgressDialog = 2011;
constexpr int kScriptPathText = 1245;
// Set in gbAbort by Cancel: the script ends with success, unlike a quit.
constexpr uint8_t kScriptCancelled = 2;

struct DialogStart {
  const char* path;
  HANDLE cancelEvent;
};

}  // namespace

INT_PTR CALLBACK ScriptProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const DialogStart* start = reinterpret_cast<const DialogStart*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(start->cancelEvent));
      SetDialogFont(dialog, int(GetWindowDpi(dialog)));
      SetDlgItemTextA(dialog, kScriptPathText, start->path);
      CenterWindow(dialog, nullptr, nullptr);
      return FALSE;  // no focus: the keys the script presses go elsewhere
    }
    case WM_DPICHANGED: {
      SetDialogFont(dialog, HIWORD(wParam));
      const RECT* r = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(dialog, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        // The worker sees the flag between commands; the event wakes it from
        // a SLEEP or WAIT at once.
        uint8_t running = 0;
        gbAbort.compare_exchange_strong(running, kScriptCancelled);
        SetEvent(reinterpret_cast<HANDLE>(GetWindowLongPtrA(dialog, DWLP_USER)));
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

HWND OpenScriptProgressDialog(HWND owner, const char* path, HANDLE cancelEvent) {
  DialogStart start = {path, cancelEvent};
  HWND dialog = CreateDialogParamA(gApp.m_hInstance, MAKEINTRESOURCEA(kScriptProgressDialog),
                                   owner, ScriptProgressDlgProc, reinterpret_cast<LPARAM>(&start));
  if (dialog) ShowWindow(dialog, SW_SHOWNOACTIVATE);
  return dialog;
}

void CloseScriptProgressDialog(HWND dialog) {
  if (dialog) DestroyWindow(dialog);
}
