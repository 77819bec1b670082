// The common start of a dialog, its fonts, simple control helpers, centring
// and the modal run.
#include "framework/ui/dialog_helpers_win.h"

#include <cstdarg>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/ui/window_centring.h"

namespace {

// Marks a title check box that was widened (its user data is unused).
const LONG_PTR kWidenedMark = 0x4F525657;

bool IsButtonClass(HWND window) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  return lstrcmpiA(name, "Button") == 0;
}

bool IsCheckBoxStyle(LONG_PTR style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: return true;
  }
  return false;
}

RECT ChildRect(HWND dialog, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A check box that sits in the title of a group box (its left neighbour is
// another button, their tops within half the box's height, and it starts
// within three heights of the neighbour's left edge).
bool IsTitleCheckBox(HWND dialog, HWND child) {
  if (!IsCheckBoxStyle(GetWindowLongPtrA(child, GWL_STYLE))) return false;
  RECT own = ChildRect(dialog, child);
  int height = own.bottom - own.top;
  POINT probe = {own.left - 1, (own.top + own.bottom) / 2};
  HWND neighbour = ChildWindowFromPointEx(dialog, probe, CWP_SKIPINVISIBLE);
  if (!neighbour || neighbour == dialog || neighbour == child || !IsButtonClass(neighbour))
    return false;
  RECT other = ChildRect(dialog, neighbour);
  return abs(own.top - other.top) <= height / 2 && own.left - other.left <= 3 * height;
}

struct FontPass {
  HWND dialog;
  HFONT bold;
  int defaultId;
};

BOOL CALLBACK SetBoldFontProc(HWND child, LPARAM lParam) {
  FontPass* pass = reinterpret_cast<FontPass*>(lParam);
  if (GetParent(child) != pass->dialog || !IsButtonClass(child)) return TRUE;
  LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
  int id = GetDlgCtrlID(child);
  bool bold = id == pass->defaultId || (style & BS_TYPEMASK) == BS_GROUPBOX;
  if (!bold && IsTitleCheckBox(pass->dialog, child)) {
    bold = true;
    // The bold title needs room; widen once, not on every DPI change.
    if (GetWindowLongPtrA(child, GWLP_USERDATA) != kWidenedMark) {
      RECT rect = ChildRect(pass->dialog, child);
      SetWindowPos(child, nullptr, 0, 0, (rect.right - rect.left) * 6 / 5, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowLongPtrA(child, GWLP_USERDATA, kWidenedMark);
    }
  }
  if (bold) SendMessageA(child, WM_SETFONT, WPARAM(pass->bold), TRUE);
  return TRUE;
}

}  // namespace

HFONT SetDialogFont(HWND dialog, int dpi) {
  if (dpi < 96) dpi = 96;
  HFONT bold = GetAppFont(kFontUIBold, dpi);
  LRESULT defaultId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  FontPass pass = {dialog, bold, HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : -1};
  EnumChildWindows(dialog, SetBoldFontProc, LPARAM(&pass));
  return bold;
}

HFONT PrepareDialog(HWND dialog) {
  HFONT bold = SetDialogFont(dialog, int(GetWindowDpi(dialog)));
  HICON icon = LoadIconA(gApp.m_hInstance, MAKEINTRESOURCEA(1));
  if (icon) SetClassLongPtrA(dialog, GCLP_HICON, LONG_PTR(icon));
  SetFocus(dialog);
  CenterWindow(dialog, nullptr, nullptr);
  KeepOnTopOfParent(dialog);
  return bold;
}

void EnableDlgItem(bool enable, HWND dialog, int id, ...) {
  va_list ids;
  va_start(ids, id);
  for (int current = id; current > 0; current = va_arg(ids, int))
    EnableWindow(GetDlgItem(dialog, current), enable);
  va_end(ids);
}

bool IsDlgItemChecked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckDlgItem(HWND dialog, int id, int state) {
  SendDlgItemMessageA(dialog, id, BM_SETCHECK, WPARAM(state), 0);
}

void FocusDlgItem(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return;
  SetFocus(control);
  SendMessageA(control, EM_SETSEL, 0, -1);
}

void CenterWindow(HWND window, RECT* rect, HWND reference) {
  if (!reference) reference = GetParent(window);
  if (!reference) reference = GetDesktopWindow();
  RECT own;
  if (rect) own = *rect;
  else GetWindowRect(window, &own);
  RECT area;
  GetWindowRect(reference, &area);
  RECT monitor;
  GetMonitorRect(area.left, area.top, &monitor, false);
  POINT at = CenterRectOver(own, area, monitor);
  if (rect) {
    rect->left = at.x;
    rect->top = at.y;
    return;
  }
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool KeepOnTopOfParent(HWND window) {
  HWND parent = GetParent(window);
  if (!parent || !(GetWindowLongPtrA(parent, GWL_EXSTYLE) & WS_EX_TOPMOST)) return false;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  return true;
}

INT_PTR CApp::RunModalDialog(HWND owner, int dialogId, DLGPROC procedure, LPARAM parameter) {
  if (owner) {
    CAppWindow* frame = FindAppWindow(owner);
    if (frame) frame->Show(SW_SHOW, -1);
    else ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
  }
  EnterModal(true);
  INT_PTR result = DialogBoxParamA(m_hInstance, MAKEINTRESOURCEA(dialogId), owner, procedure,
                                   parameter);
  EnterModal(false);
  return result;
}
