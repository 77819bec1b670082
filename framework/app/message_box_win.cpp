// The framework's message box: dialog 50100 with an icon, a heading (the
// first line) and the rest of the text, and the button set of the style word.
// The layout engine for long texts and per-monitor fonts belongs to the full
// dialog helpers; this box sizes itself to its text in the simple way.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/app/app_win.h"

namespace {

const int kIconControl = 50106;
const int kHeadingControl = 50108;
const int kTextControl = 50109;
const int kButtons[4] = {IDOK, IDCANCEL, IDYES, IDNO};
const int kButtonTextVariant[4] = {0, 1, 4, 5};

struct MessageBoxParams {
  const char* caption;
  char* text;
  unsigned style;
  HFONT boldFont;
};

int DefaultButton(unsigned style) {
  if (style & 512) return IDOK;
  if (style & 1024) return IDCANCEL;
  if (style & 2048) return IDYES;
  if (style & 4096) return IDNO;
  return (style & 0xF0) >= 64 ? IDYES : IDOK;
}

bool ButtonInSet(int button, unsigned style) {
  switch (style & 0xF0) {
    case 32: return button == IDOK || button == IDCANCEL;
    case 64: return button == IDYES || button == IDNO;
    case 128: return button == IDYES || button == IDNO || button == IDCANCEL;
    default: return button == IDOK;
  }
}

LPCSTR IconOfKind(unsigned kind) {
  switch (kind) {
    case 1: return IDI_HAND;
    case 2: return IDI_EXCLAMATION;
    case 4: return IDI_ASTERISK;
    case 8: return IDI_QUESTION;
  }
  return nullptr;
}

UINT SoundOfKind(unsigned kind) {
  switch (kind) {
    case 1: return MB_ICONHAND;
    case 2: return MB_ICONASTERISK;
    case 4: return MB_ICONEXCLAMATION;
    case 8: return MB_ICONQUESTION;
  }
  return MB_OK;
}

// Text height of `text` in the control's font at the control's width.
int MeasureHeight(HWND control, const char* text) {
  RECT rect;
  GetClientRect(control, &rect);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return rect.bottom - rect.top;
}

void PlaceButtons(HWND dialog, unsigned style, int extraHeight) {
  RECT client;
  GetClientRect(dialog, &client);
  int shown = 0;
  int width = 0;
  int height = 0;
  for (int button : kButtons) {
    HWND control = GetDlgItem(dialog, button);
    if (!control) continue;
    bool show = ButtonInSet(button, style);
    ShowWindow(control, show ? SW_SHOW : SW_HIDE);
    if (!show) continue;
    RECT rect;
    GetWindowRect(control, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    ++shown;
  }
  int gap = height / 3;
  int total = shown * width + (shown - 1) * gap;
  int x = (client.right - total) / 2;
  for (int button : kButtons) {
    HWND control = GetDlgItem(dialog, button);
    if (!control || !ButtonInSet(button, style)) continue;
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(control, nullptr, x, rect.top + extraHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    x += width + gap;
  }
}

void InitMessageBox(HWND dialog, MessageBoxParams* params) {
  SetWindowTextA(dialog, params->caption);
  char* text = params->text;
  char* out = text;
  for (char* in = text; *in; ++in)
    if (*in != '\r') *out++ = *in;
  *out = '\0';
  char* rest = strchr(text, '\n');
  if (rest) *rest++ = '\0';
  SetDlgItemTextA(dialog, kHeadingControl, text);
  HWND textControl = GetDlgItem(dialog, kTextControl);
  int extraHeight = 0;
  if (rest && *rest) {
    SetWindowTextA(textControl, rest);
    RECT rect;
    GetClientRect(textControl, &rect);
    int needed = MeasureHeight(textControl, rest);
    if (needed > rect.bottom) {
      extraHeight = needed - rect.bottom;
      GetWindowRect(textControl, &rect);
      SetWindowPos(textControl, nullptr, 0, 0, rect.right - rect.left, needed,
                   SWP_NOMOVE | SWP_NOZORDER);
    }
  } else if (textControl) {
    DestroyWindow(textControl);
  }
  if (params->style & 0x100) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, kHeadingControl, WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    params->boldFont = CreateFontIndirectA(&font);
    SendDlgItemMessageA(dialog, kHeadingControl, WM_SETFONT, WPARAM(params->boldFont), FALSE);
  }
  RECT window;
  GetWindowRect(dialog, &window);
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, window.right - window.left,
               window.bottom - window.top + extraHeight, SWP_NOMOVE);
  PlaceButtons(dialog, params->style, extraHeight);
  for (int i = 0; i < 4; ++i) {
    const char* label = gStringTable.GetText(0xF200, kButtonTextVariant[i]);
    if (label) SetDlgItemTextA(dialog, kButtons[i], label);
  }
  MessageBeep(SoundOfKind(params->style & 0x0F));
  int defaultButton = DefaultButton(params->style);
  SendMessageA(dialog, DM_SETDEFID, WPARAM(defaultButton), 0);
  SetFocus(GetDlgItem(dialog, defaultButton));
}

INT_PTR CALLBACK MessageBoxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageBoxParams* params =
      reinterpret_cast<MessageBoxParams*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      InitMessageBox(dialog, reinterpret_cast<MessageBoxParams*>(lParam));
      return FALSE;
    case WM_DRAWITEM: {
      DRAWITEMSTRUCT* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      LPCSTR icon = params ? IconOfKind(params->style & 0x0F) : nullptr;
      if (item->CtlID != kIconControl || !icon) break;
      int side = (item->rcItem.right - item->rcItem.left) & ~1;
      DrawIconEx(item->hDC, item->rcItem.left, item->rcItem.top, LoadIconA(nullptr, icon), side,
                 side, 0, nullptr, DI_NORMAL);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO) {
        if (params && params->style && !ButtonInSet(id, params->style) && id == IDCANCEL) break;
        EndDialog(dialog, id);
        return TRUE;
      }
      break;
    }
    case WM_DESTROY:
      if (params && params->boldFont) DeleteObject(params->boldFont);
      break;
  }
  return FALSE;
}

}  // namespace

int CApp::ShowMessage(HWND owner, const char* caption, const char* format, unsigned style,
                      int focusControl, ...) {
  va_list arguments;
  va_start(arguments, focusControl);
  va_list copy;
  va_copy(copy, arguments);
  int length = vsnprintf(nullptr, 0, format ? format : "", copy);
  va_end(copy);
  char* text = length >= 0 ? static_cast<char*>(malloc(size_t(length) + 1)) : nullptr;
  if (!text) {
    va_end(arguments);
    return -666;
  }
  vsnprintf(text, size_t(length) + 1, format ? format : "", arguments);
  va_end(arguments);

  HWND focus = GetFocus();
  if (!owner) {
    HWND foreground = GetForegroundWindow();
    DWORD processId = 0;
    GetWindowThreadProcessId(foreground, &processId);
    if (foreground && processId == GetCurrentProcessId()) owner = foreground;
  }
  if (owner) {
    ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
  }
  MessageBoxParams params = {caption ? caption : m_szProductName, text, style, nullptr};
  EnterModal(true);
  INT_PTR result = DialogBoxParamA(m_hInstance, MAKEINTRESOURCEA(50100), owner,
                                   MessageBoxDlgProc, LPARAM(&params));
  EnterModal(false);
  free(text);
  if (owner && focusControl) {
    HWND control = GetDlgItem(owner, focusControl);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
  } else if (focus) {
    SetFocus(focus);
  }
  return int(result);
}
