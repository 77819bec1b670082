#pragma once
// Wine's notification area starts on its first icon, which takes seconds
// once per session; tests that time something else call this first.
#include <windows.h>
#include <shellapi.h>

inline void WarmUpNotificationArea() {
  static bool warm = false;
  if (warm) return;
  warm = true;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, nullptr, nullptr);
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = 7;
  data.uFlags = NIF_ICON;
  data.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  Shell_NotifyIconA(NIM_ADD, &data);
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(window);
}
