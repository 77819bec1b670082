#include "app/profiles/user_comment_win.h"

#include <cstring>

#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"
#include "framework/ui/dialog_helpers_win.h"

namespace {

constexpr int kUserCommentDialog = 2016;
constexpr int kCommentEdit = 1123;
constexpr int kHelpButton = 9;
constexpr UINT kOpenHelpMessage = 32771;
constexpr char kHelpTopic[] = "User_Comment.htm";

HWND MainWindow() {
  return gProgramHooks.pfnGetMainWindow ? static_cast<HWND>(gProgramHooks.pfnGetMainWindow())
                                        : nullptr;
}

void FollowDpiChange(HWND dialog, WPARAM wParam, LPARAM lParam) {
  SetDialogFont(dialog, HIWORD(wParam));
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
               suggested->right - suggested->left, suggested->bottom - suggested->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR AskUserComment(char* comment) {
  comment[0] = '\0';
  return gApp.RunModalDialog(MainWindow(), kUserCommentDialog, UserCommentDlgProc,
                             reinterpret_cast<LPARAM>(comment));
}

INT_PTR CALLBACK UserCommentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      PrepareDialog(dialog);
      SendDlgItemMessageA(dialog, kCommentEdit, EM_LIMITTEXT, kUserCommentChars, 0);
      FocusDlgItem(dialog, kCommentEdit);
      return FALSE;  // the focus is set
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && gProgramHooks.pfnSetHelpTopic)
        gProgramHooks.pfnSetHelpTopic(kHelpTopic);
      return FALSE;
    case WM_DPICHANGED:
      FollowDpiChange(dialog, wParam, lParam);
      return TRUE;
    case WM_COMMAND: {
      char* comment = reinterpret_cast<char*>(GetWindowLongPtrA(dialog, DWLP_USER));
      switch (LOWORD(wParam)) {
        case IDOK:
          GetDlgItemTextA(dialog, kCommentEdit, comment, kUserCommentChars + 1);
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          comment[0] = '\0';
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case kHelpButton:
          if (HWND main = MainWindow()) PostMessageA(main, kOpenHelpMessage, 0, 0);
          return TRUE;
      }
      break;
    }
  }
  return FALSE;
}
