// The notification-area icon of a framework window.
#include <windows.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>

#include "framework/app/app_win.h"

namespace {

// Icons handed to the shell, one per window id that owns a tray icon.
struct TrayIconRecord {
  int windowId;
  HICON icon;
};
CGrowArray<TrayIconRecord> gTrayIcons;

HICON* TrayIconSlot(int windowId) {
  for (int i = 0; i < gTrayIcons.count; ++i)
    if (gTrayIcons.data[i].windowId == windowId) return &gTrayIcons.data[i].icon;
  TrayIconRecord record = {windowId, nullptr};
  int index = gTrayIcons.Append(&record, 1);
  return index < 0 ? nullptr : &gTrayIcons.data[index].icon;
}

}  // namespace

BOOL CApp::SetTrayIcon(int windowId, int iconResourceId, const char* tipFormat, ...) {
  char tip[260];
  if (tipFormat) {
    va_list arguments;
    va_start(arguments, tipFormat);
    vsnprintf(tip, sizeof(tip), tipFormat, arguments);
    va_end(arguments);
  } else {
    snprintf(tip, sizeof(tip), "%s", m_szProductName);
  }
  CAppWindow* owner = FindAppWindowById(uint16_t(windowId));
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = owner ? owner->hwnd : GetDesktopWindow();
  data.uID = UINT(windowId);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = MSG_TRAY_NOTIFY;
  snprintf(data.szTip, sizeof(data.szTip), "%s", tip);
  HICON icon = iconResourceId < 0 ? nullptr
                                  : static_cast<HICON>(LoadImageA(
                                        m_hInstance, MAKEINTRESOURCEA(iconResourceId),
                                        IMAGE_ICON, 64, 64, 0));
  HICON* slot = TrayIconSlot(windowId);
  BOOL result;
  if (!icon) {
    result = Shell_NotifyIconA(NIM_DELETE, &data);
  } else {
    data.hIcon = icon;
    result = Shell_NotifyIconA(NIM_MODIFY, &data);
    if (!result) result = Shell_NotifyIconA(NIM_ADD, &data);
  }
  if (slot) {
    if (*slot) DestroyIcon(*slot);
    *slot = icon;
  } else if (icon) {
    DestroyIcon(icon);
  }
  return result;
}
