// The window menu: its entries and their states, what each command does,
// restyling, the colour and font dialogs and the restart question.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "framework/app/app_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/window/app_window_win.h"
#include "framework/window/dock_bar_win.h"

namespace {

enum : uint16_t {
  kCmdTopmost = 61712, kCmdTaskbar = 61713, kCmdCaption = 61728, kCmdCaptionNormal = 61729,
  kCmdCaptionSmall = 61730, kCmdCaptionNone = 61731, kCmdBorderless = 61732, kCmdColor = 61744,
  kCmdSchemeNone = 61745, kCmdSchemeDefault = 61746, kCmdSchemeCustom = 61747,
  kCmdColorBackground = 61748, kCmdColorHighlightText = 61751, kCmdFont = 61760,
  kCmdFontDefault = 61761, kCmdFontCustom = 61762, kCmdLock = 61776, kCmdLockBarPositions = 61777,
  kCmdLockBarSizes = 61778, kCmdLockPosition = 61779, kCmdLockSize = 61780, kCmdLockAll = 61781,
  kCmdResolution = 61782, kCmdTransparency = 61792, kCmdTransparencyOff = 61793,
  kCmdTransparency90 = 61802, kCmdGhost = 61803,
};
constexpr uint16_t kRestartQuestion = 61451;

// Custom colour slots of the four colour entries.
const int kCustomSlot[4] = {kCustomBackground, kCustomFocus, kCustomText, kCustomHighlightText};

COLORREF gDialogCustomColors[16];  // the colour dialog's own 16 custom colours

int CurrentScheme() {
  int scheme = gApp.m_state.bColorScheme;
  return scheme == kSchemeUnset ? FontCache().scheme : scheme;
}

bool AskRestart(HWND owner) {
  return gApp.ShowMessageText(owner, gApp.m_szProductName, kRestartQuestion, 0, 0x328, 0) == 1;
}

void ChooseCustomColor(HWND owner, int entry) {
  uint32_t& stored = gApp.m_state.aulThemeValues[kCustomSlot[entry]];
  CHOOSECOLORA choose = {};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = owner;
  choose.rgbResult = stored & 0xFFFFFF;
  choose.lpCustColors = gDialogCustomColors;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  gApp.EnterModal(true);
  BOOL chosen = ChooseColorA(&choose);
  gApp.EnterModal(false);
  if (!chosen) return;
  stored = choose.rgbResult;
  gApp.SetTheme(kSchemeCustom);
}

// Sizes are pixels at 96 DPI; the dialog speaks points at the screen's DPI.
bool ChooseCustomFont(HWND owner) {
  HDC screen = GetDC(nullptr);
  int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  int size = gApp.m_state.iFontSize > 0 ? gApp.m_state.iFontSize : kDefaultUISize;
  LOGFONTA font = {};
  font.lfHeight = -MulDiv(size, screenDpi, 96);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s",
           gApp.m_state.szFontFace[0] ? gApp.m_state.szFontFace : "MS Shell Dlg");
  CHOOSEFONTA choose = {};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = owner;
  choose.lpLogFont = &font;
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
  gApp.EnterModal(true);
  BOOL chosen = ChooseFontA(&choose);
  gApp.EnterModal(false);
  if (!chosen) return false;
  snprintf(gApp.m_state.szFontFace, sizeof(gApp.m_state.szFontFace), "%s", font.lfFaceName);
  if (choose.iPointSize > 0) gApp.m_state.iFontSize = MulDiv(choose.iPointSize, 96, 720);
  return true;
}

}  // namespace

const uint16_t* CAppWindow::UpdateBarCommands() {
  int n = 0;
  bool anyBar = false;
  const int fixedCount = 8;  // separator, seven entries; the end mark follows
  for (int i = 0; i < gApp.GetBarCount() && n < kWindowMenuIds - fixedCount - 1; ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId != id) continue;
    menuIds[n++] = bar->id;
    gApp.CheckCommand(bar->id, bar->IsVisible());
    anyBar = true;
  }
  if (anyBar) menuIds[n++] = kSeparatorCommand;
  for (uint16_t fixed : {kCmdTopmost, kCmdTaskbar, kCmdCaption, kCmdColor, kCmdFont, kCmdLock,
                         kCmdTransparency})
    menuIds[n++] = fixed;
  menuIds[n] = kListEnd;
  gApp.CheckCommand(kCmdTopmost, flags & kWindowTopmost);
  gApp.CheckCommand(kCmdTaskbar, flags & kWindowTaskbarButton);
  gApp.CheckCommand(kCmdCaptionNormal, !(flags & kWindowCaptionBits));
  gApp.CheckCommand(kCmdCaptionSmall, flags & kWindowSmallCaption);
  gApp.CheckCommand(kCmdCaptionNone, flags & kWindowNoCaption);
  gApp.CheckCommand(kCmdBorderless, flags & kWindowBorderless);
  int scheme = CurrentScheme();
  for (int s = 0; s < 3; ++s) gApp.CheckCommand(uint16_t(kCmdSchemeNone + s), scheme == s);
  bool customFace = gApp.m_state.szFontFace[0] != 0;
  gApp.CheckCommand(kCmdFontDefault, !customFace);
  gApp.CheckCommand(kCmdFontCustom, customFace);
  gApp.CheckCommand(kCmdLockBarPositions, flags & kWindowBarPositionsLocked);
  gApp.CheckCommand(kCmdLockBarSizes, flags & kWindowBarSizesLocked);
  gApp.EnableCommand(kCmdLockBarPositions, anyBar);
  gApp.EnableCommand(kCmdLockBarSizes, anyBar);
  gApp.CheckCommand(kCmdLockPosition, flags & kWindowPositionLocked);
  gApp.CheckCommand(kCmdLockSize, flags & kWindowSizeLocked);
  gApp.CheckCommand(kCmdLockAll, (flags & kWindowAllLocks) == kWindowAllLocks);
  gApp.CheckCommand(kCmdResolution, flags & kWindowKeepOnRescale);
  for (int i = 0; i <= 9; ++i)
    gApp.CheckCommand(uint16_t(kCmdTransparencyOff + i), transparency == 10 * i);
  gApp.EnableCommand(kCmdGhost, transparency > 0);
  gApp.CheckCommand(kCmdGhost, ghost);
  return menuIds;
}

void CAppWindow::Restyle() {
  if (!hwnd) return;
  restyling = true;
  bool visible = IsWindowVisible(hwnd) != 0;
  if (visible) {
    ShowWindow(hwnd, SW_HIDE);
    for (int i = 0; i < gApp.GetBarCount(); ++i) {
      CDockBar* bar = gApp.GetBarAt(i);
      if (bar->frameId == id && bar->dockSide < 0 && bar->hwnd) ShowWindow(bar->hwnd, SW_HIDE);
    }
  }
  DWORD style, exStyle;
  GetStyles(&style, &exStyle);
  style &= ~DWORD(WS_MAXIMIZE);  // ShowWindow decides
  LONG_PTR layered = GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT);
  SetWindowLongPtrA(hwnd, GWL_STYLE, LONG_PTR(style));
  SetWindowLongPtrA(hwnd, GWL_EXSTYLE, LONG_PTR(exStyle) | layered);
  SendMessageA(hwnd, MSG_STYLE_CHANGED, style, exStyle);
  ApplyTransparency();
  // WM_SHOWWINDOW brings the floating bars back; `shown` stays as it was.
  if (visible) ShowWindow(hwnd, (flags & kWindowMaximized) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  restyling = false;
  Relayout();
}

void CAppWindow::SetCaptionStyle(uint32_t bits) {
  flags = (flags & ~kWindowCaptionBits) | (bits & kWindowCaptionBits);
  Restyle();
}

void CAppWindow::ToggleFlag(uint32_t bit) {
  flags ^= bit;
  Relayout();
}

void CAppWindow::SetLock(uint32_t bit, bool on) {
  if (on) flags |= bit;
  else flags &= ~bit;
  Relayout();
}

bool CAppWindow::OnCommand(uint16_t command) {
  switch (command) {
    case kCmdTopmost:
      flags ^= kWindowTopmost;
      SetWindowPos(hwnd, (flags & kWindowTopmost) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return true;
    case kCmdTaskbar:
      flags ^= kWindowTaskbarButton;
      Restyle();
      return true;
    case kCmdCaptionNormal: SetCaptionStyle(0); return true;
    case kCmdCaptionSmall: SetCaptionStyle(kWindowSmallCaption); return true;
    case kCmdCaptionNone: SetCaptionStyle(kWindowNoCaption); return true;
    case kCmdBorderless: SetCaptionStyle(kWindowBorderless); return true;
    case kCmdSchemeNone: case kCmdSchemeDefault: case kCmdSchemeCustom:
      gApp.SetTheme(command - kCmdSchemeNone);
      return true;
    case kCmdFontDefault:
      if (gApp.m_state.szFontFace[0] && AskRestart(hwnd)) {
        gApp.m_state.szFontFace[0] = 0;
        gApp.RequestRestart();
      }
      return true;
    case kCmdFontCustom:
      if (ChooseCustomFont(hwnd) && AskRestart(hwnd)) gApp.RequestRestart();
      return true;
    case kCmdLockBarPositions: ToggleFlag(kWindowBarPositionsLocked); return true;
    case kCmdLockBarSizes: ToggleFlag(kWindowBarSizesLocked); return true;
    case kCmdLockPosition: ToggleFlag(kWindowPositionLocked); return true;
    case kCmdLockSize: ToggleFlag(kWindowSizeLocked); return true;
    case kCmdLockAll: {
      bool all = (flags & kWindowAllLocks) == kWindowAllLocks;
      for (uint32_t bit : {kWindowBarPositionsLocked, kWindowBarSizesLocked,
                           kWindowPositionLocked, kWindowSizeLocked})
        SetLock(bit, !all);
      return true;
    }
    case kCmdResolution: flags ^= kWindowKeepOnRescale; return true;
    case kCmdGhost: SetGhost(!ghost); return true;
  }
  if (command >= kCmdTransparencyOff && command <= kCmdTransparency90) {
    SetTransparency(10 * (command - kCmdTransparencyOff));
    return true;
  }
  if (command >= kCmdColorBackground && command <= kCmdColorHighlightText) {
    ChooseCustomColor(hwnd, command - kCmdColorBackground);
    return true;
  }
  CDockBar* bar = gApp.FindBar(command);
  if (bar && bar->frameId == id) {
    gApp.ShowBar(bar, !bar->IsVisible());
    return true;
  }
  return false;
}

LRESULT DrawWindowMenuSwatch(HDC dc, DrawIconRecord* record) {
  if (!record || record->key < kCmdColorBackground || record->key > kCmdColorHighlightText)
    return 0;
  RECT& rect = record->rect;
  if (!dc || rect.right <= rect.left || rect.bottom <= rect.top) {
    rect.right = rect.left + 16;
    rect.bottom = rect.top + 16;
    return 1;
  }
  RECT frame, fill;
  DeflateRectBy(rect, &frame, 4);
  FrameRectColor(dc, frame, RGB(0, 0, 0));
  DeflateRectBy(frame, &fill, 1);
  uint32_t colour = gApp.m_state.aulThemeValues[kCustomSlot[record->key - kCmdColorBackground]];
  FillRectColor(dc, fill, colour & 0xFFFFFF);
  return 1;
}

void FitFloatingBarsOnMonitors(CAppWindow* window) {
  for (int i = 0; i < gApp.GetBarCount(); ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId != window->id || bar->dockSide >= 0 || !bar->hwnd) continue;
    RECT rect;
    GetWindowRect(bar->hwnd, &rect);
    if (!FitRectOnMonitors(gMonitorLayout, &rect)) continue;
    SetWindowPos(bar->hwnd, nullptr, rect.left, rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    bar->x = int16_t(rect.left);
    bar->y = int16_t(rect.top);
  }
}
