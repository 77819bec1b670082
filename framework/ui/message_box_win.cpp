// The framework's message box: dialog 50100 with an icon, a heading (the
// first line, bold on request) and the rest of the text, sized to the text,
// with the button set of the style word.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/ui/dialog_helpers_win.h"
#include "framework/ui/message_box_layout.h"

namespace {

const int kMessageBoxDialog = 50100;
const int kIconControl = 50106;
const int kHeadingControl = 50108;
const int kTextControl = 50109;
const uint16_t kButtonTexts = 0xF200;
const int kButtonTextVariant[4] = {0, 1, 4, 5};

// Each box keeps its own state, so a box opened from a box leaves the
// outer one's default button and fonts alone.
struct BoxState {
  const char* caption;
  const char* message;
  unsigned style;
  int defaultButton;
  HFONT normal;
  HFONT bold;
  char text[kBoxTextChars + 1];
};

BoxState* StateOf(HWND dialog) {
  return reinterpret_cast<BoxState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

LPCSTR IconOfKind(unsigned kind) {
  switch (kind) {
    case kBoxIconError: return IDI_HAND;
    case kBoxIconExclamation: return IDI_EXCLAMATION;
    case kBoxIconAsterisk: return IDI_ASTERISK;
    case kBoxIconQuestion: return IDI_QUESTION;
  }
  return nullptr;
}

UINT SoundOfKind(unsigned kind) {
  switch (kind) {
    case kBoxIconError: return MB_ICONHAND;
    case kBoxIconExclamation: return MB_ICONASTERISK;
    case kBoxIconAsterisk: return MB_ICONEXCLAMATION;
    case kBoxIconQuestion: return MB_ICONQUESTION;
  }
  return MB_OK;
}

RECT ControlRect(HWND dialog, int id) {
  RECT rect = {0, 0, 0, 0};
  HWND control = GetDlgItem(dialog, id);
  if (!control) return rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Place(HWND dialog, int id, const RECT& rect) {
  SetWindowPos(GetDlgItem(dialog, id), nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Width of each line on one line, and its height wrapped at the text width,
// as the statics draw them.
struct Measured {
  int lines;
  int* widths;
  int* heights;
};

void MeasureLines(HWND dialog, const BoxState& state, int maxWidth, Measured* m, int* textWidth) {
  HDC dc = GetDC(dialog);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < m->lines; ++i) {
      int length = 0;
      const char* line = BoxLine(state.text, i, &length);
      if (length == 0) {
        line = " ";
        length = 1;
      }
      bool bold = i == 0 && (state.style & kBoxBoldHeading);
      HGDIOBJ old = SelectObject(dc, bold ? state.bold : state.normal);
      RECT rect = {0, 0, pass == 0 ? 0 : *textWidth, 0};
      UINT flags = DT_CALCRECT | DT_NOPREFIX |
                   (pass == 0 ? DT_SINGLELINE : DT_WORDBREAK | DT_EDITCONTROL);
      DrawTextA(dc, line, length, &rect, flags);
      SelectObject(dc, old);
      if (pass == 0) m->widths[i] = rect.right - rect.left;
      else m->heights[i] = rect.bottom - rect.top;
    }
    if (pass == 0) *textWidth = BoxTextWidth(m->widths, m->lines, maxWidth);
  }
  ReleaseDC(dialog, dc);
}

// A text taller than the screen goes into a read-only field that scrolls.
void MakeScrollingText(HWND dialog, const BoxState& state, const char* rest, const RECT& rect) {
  DestroyWindow(GetDlgItem(dialog, kTextControl));
  size_t length = strlen(rest);
  char* crlf = static_cast<char*>(malloc(length * 2 + 1));
  if (!crlf) return;
  char* out = crlf;
  for (const char* in = rest; *in; ++in) {
    if (*in == '\n') *out++ = '\r';
    *out++ = *in;
  }
  *out = '\0';
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", crlf,
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                              dialog, reinterpret_cast<HMENU>(uintptr_t(kTextControl)),
                              gApp.m_hInstance, nullptr);
  free(crlf);
  if (edit) SendMessageA(edit, WM_SETFONT, WPARAM(state.normal), FALSE);
}

int MonitorWidthUnder(HWND window) {
  RECT area;
  GetWindowRect(window ? window : GetDesktopWindow(), &area);
  RECT monitor;
  GetMonitorRect((area.left + area.right) / 2, (area.top + area.bottom) / 2, &monitor, false);
  return monitor.right - monitor.left;
}

int WorkAreaHeight(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork.bottom - info.rcWork.top;
}

// The button look: the default one bold with the default frame.
void ApplyFonts(HWND dialog, const BoxState& state) {
  for (int id : kBoxButtonIds) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) continue;
    bool isDefault = id == state.defaultButton;
    SendMessageA(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SendMessageA(button, WM_SETFONT, WPARAM(isDefault ? state.bold : state.normal), TRUE);
  }
  SendDlgItemMessageA(dialog, kHeadingControl, WM_SETFONT,
                      WPARAM((state.style & kBoxBoldHeading) ? state.bold : state.normal), TRUE);
  SendDlgItemMessageA(dialog, kTextControl, WM_SETFONT, WPARAM(state.normal), TRUE);
}

void LayOut(HWND dialog, BoxState* state) {
  int lines = PrepareBoxText(state->message, state->text, sizeof(state->text));
  Measured m = {lines, new int[size_t(lines)], new int[size_t(lines)]};
  HWND owner = GetParent(dialog);
  int textWidth = 0;
  MeasureLines(dialog, *state, MonitorWidthUnder(owner) / 4, &m, &textWidth);

  BoxTemplate t;
  t.icon = ControlRect(dialog, kIconControl);
  RECT heading = ControlRect(dialog, kHeadingControl);
  t.textLeft = heading.left;
  t.headingTop = heading.top;
  RECT ok = ControlRect(dialog, IDOK);
  t.buttonWidth = ok.right - ok.left;
  t.buttonHeight = ok.bottom - ok.top;
  t.buttonTop = ok.top;
  RECT client;
  GetClientRect(dialog, &client);
  t.bottomMargin = client.bottom - ok.bottom;
  RECT window;
  GetWindowRect(dialog, &window);
  int frameHeight = (window.bottom - window.top) - client.bottom;
  int frameWidth = (window.right - window.left) - client.right;
  BoxLayout b = LayoutMessageBox(t, m.heights, lines, textWidth, BoxButtonCount(state->style),
                                 WorkAreaHeight(dialog) - frameHeight);
  delete[] m.widths;
  delete[] m.heights;

  int headingLength = 0;
  const char* first = BoxLine(state->text, 0, &headingLength);
  char* headingText = static_cast<char*>(malloc(size_t(headingLength) + 1));
  if (headingText) {
    memcpy(headingText, first, size_t(headingLength));
    headingText[headingLength] = '\0';
    SetDlgItemTextA(dialog, kHeadingControl, headingText);
    free(headingText);
  }
  Place(dialog, kHeadingControl, b.heading);
  int restLength = 0;
  const char* rest = lines > 1 ? BoxLine(state->text, 1, &restLength) : nullptr;
  if (!b.hasText) {
    DestroyWindow(GetDlgItem(dialog, kTextControl));
  } else if (b.scrolling) {
    MakeScrollingText(dialog, *state, rest, b.text);
  } else {
    SetDlgItemTextA(dialog, kTextControl, rest);
    Place(dialog, kTextControl, b.text);
  }
  int x = b.buttonsLeft;
  for (int id : kBoxButtonIds) {
    HWND button = GetDlgItem(dialog, id);
    bool shown = BoxShowsButton(state->style, id);
    ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
    if (!shown) continue;
    SetWindowPos(button, nullptr, x, b.buttonTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    x += t.buttonWidth + b.gap;
  }
  SetWindowPos(dialog, nullptr, 0, 0, b.clientWidth + frameWidth, b.clientHeight + frameHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitBox(HWND dialog, BoxState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, LONG_PTR(state));
  int dpi = int(GetWindowDpi(dialog));
  if (dpi < 96) dpi = 96;
  state->bold = SetDialogFont(dialog, dpi);
  state->normal = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  if (!state->normal) state->normal = GetAppFont(kFontUI, dpi);
  HICON icon = (state->style & kBoxProgramIcon)
                   ? static_cast<HICON>(LoadImageA(gApp.m_hInstance, MAKEINTRESOURCEA(2),
                                                   IMAGE_ICON, 32, 32, LR_SHARED))
                   : LoadIconA(gApp.m_hInstance, MAKEINTRESOURCEA(1));
  if (icon) SetClassLongPtrA(dialog, GCLP_HICON, LONG_PTR(icon));
  SetWindowTextA(dialog, state->caption);
  if (!BoxHasCloseBox(state->style)) {
    // Yes and No must be answered: no close box, and Escape does nothing.
    SetWindowLongPtrA(dialog, GWL_STYLE, GetWindowLongPtrA(dialog, GWL_STYLE) & ~LONG_PTR(WS_SYSMENU));
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  LayOut(dialog, state);
  CenterWindow(dialog, nullptr, nullptr);
  KeepOnTopOfParent(dialog);
  MessageBeep(SoundOfKind(state->style & 0x0F));
  for (int i = 0; i < 4; ++i) {
    const char* label = gStringTable.GetText(kButtonTexts, kButtonTextVariant[i]);
    if (label) SetDlgItemTextA(dialog, kBoxButtonIds[i], label);
  }
  state->defaultButton = BoxDefaultButton(state->style);
  SendMessageA(dialog, DM_SETDEFID, WPARAM(state->defaultButton), 0);
  SetFocus(GetDlgItem(dialog, state->defaultButton));
}

void DrawBoxIcon(const BoxState& state, const DRAWITEMSTRUCT& item) {
  HICON icon = nullptr;
  LPCSTR kind = IconOfKind(state.style & 0x0F);
  if (state.style & kBoxProgramIcon)
    icon = static_cast<HICON>(LoadImageA(gApp.m_hInstance, MAKEINTRESOURCEA(2), IMAGE_ICON, 32,
                                         32, LR_SHARED));
  else if (kind)
    icon = LoadIconA(nullptr, kind);
  if (!icon) return;
  int side = (item.rcItem.right - item.rcItem.left) & ~1;
  DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon, side, side, 0, nullptr, DI_NORMAL);
}

INT_PTR CALLBACK MessageBoxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  BoxState* state = StateOf(dialog);
  switch (message) {
    case WM_INITDIALOG:
      InitBox(dialog, reinterpret_cast<BoxState*>(lParam));
      return FALSE;
    case WM_SHOWWINDOW:
      if (state && wParam) ApplyFonts(dialog, *state);
      break;
    case WM_DPICHANGED:
      if (state) {
        state->bold = SetDialogFont(dialog, HIWORD(wParam));
        ApplyFonts(dialog, *state);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return TRUE;
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!state || item->CtlID != kIconControl) break;
      DrawBoxIcon(*state, *item);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (!state || (id != IDOK && id != IDCANCEL && id != IDYES && id != IDNO)) break;
      // Escape and the close box arrive as Cancel; a set without Cancel
      // answers them its own way.
      if (id == IDCANCEL && !BoxShowsButton(state->style, IDCANCEL)) {
        id = BoxEscapeResult(state->style);
        if (id == 0) return TRUE;
      }
      HWND parent = GetParent(dialog);
      EndDialog(dialog, id);
      if (parent) BringWindowToTop(parent);
      return TRUE;
    }
  }
  return FALSE;
}

// The owner a box falls back on: the foreground window, when it is one of
// this thread's (a box must not hang off another thread's window).
HWND OwnForegroundWindow() {
  HWND foreground = GetForegroundWindow();
  DWORD processId = 0;
  DWORD threadId = GetWindowThreadProcessId(foreground, &processId);
  return foreground && processId == GetCurrentProcessId() && threadId == GetCurrentThreadId()
             ? foreground
             : nullptr;
}

}  // namespace

namespace {

int RunBox(CApp* app, HWND owner, const char* caption, char* text, unsigned style,
           int focusControl) {
  HWND focus = GetFocus();
  if (!owner) owner = OwnForegroundWindow();
  if (owner) {
    CAppWindow* frame = app->FindAppWindow(owner);
    if (frame) frame->Show(SW_SHOW, -1);
    else ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
  }
  BoxState* state = static_cast<BoxState*>(calloc(1, sizeof(BoxState)));
  if (!state) return -666;
  state->caption = caption ? caption : app->m_szProductName;
  state->message = text;
  state->style = style;
  app->EnterModal(true);
  INT_PTR result = DialogBoxParamA(app->m_hInstance, MAKEINTRESOURCEA(kMessageBoxDialog), owner,
                                   MessageBoxDlgProc, LPARAM(state));
  app->EnterModal(false);
  free(state);
  if (owner && focusControl) FocusDlgItem(owner, focusControl);
  else if (focus && IsWindow(focus)) SetFocus(focus);
  return int(result);
}

// Formats the whole text, however long.
char* FormatAll(const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  int length = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  char* text = length >= 0 ? static_cast<char*>(malloc(size_t(length) + 1)) : nullptr;
  if (text) vsnprintf(text, size_t(length) + 1, format, arguments);
  return text;
}

// Shows a formatted text and frees it; -666 when it could not be made.
int ShowFormatted(CApp* app, HWND owner, const char* caption, char* text, unsigned style,
                  int focusControl) {
  if (!text) return -666;
  int result = RunBox(app, owner, caption, text, style, focusControl);
  free(text);
  return result;
}

}  // namespace

int CApp::ShowMessage(HWND owner, const char* caption, const char* format, unsigned style,
                      int focusControl, ...) {
  va_list arguments;
  va_start(arguments, focusControl);
  char* text = FormatAll(format ? format : "", arguments);
  va_end(arguments);
  return ShowFormatted(this, owner, caption, text, style, focusControl);
}

int CApp::ShowMessageText(HWND owner, const char* caption, uint16_t textId, int variant,
                          unsigned style, int focusControl, ...) {
  const char* format = m_stringTable.GetText(textId, variant);
  va_list arguments;
  va_start(arguments, focusControl);
  char* text = FormatAll(format ? format : "", arguments);
  va_end(arguments);
  return ShowFormatted(this, owner, caption, text, style, focusControl);
}
