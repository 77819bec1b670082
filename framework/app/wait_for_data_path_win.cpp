#include "framework/app/wait_for_data_path_win.h"

#include <shellapi.h>

#include <cstdio>

#include "framework/app/icon_by_size_win.h"
#include "framework/settings/data_files.h"

namespace {

const char kWindowClass[] = "ORVWaitForDataPath";

bool FolderExists(const char* folder) {
  DWORD attributes = GetFileAttributesA(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Registered once for the process; a second registration is no failure.
bool RegisterWaitClass(HINSTANCE module) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WaitForDataPathWndProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassA(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void ShowQuitMenu(HWND window, CWaitForDataPath* waiter) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuA(menu, MF_STRING, kWaitQuitCommand, waiter->GetMenuText());
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(window);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

}  // namespace

LRESULT CALLBACK WaitForDataPathWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWaitForDataPath* waiter =
      reinterpret_cast<CWaitForDataPath*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kWaitTrayMessage && waiter &&
      (lParam == WM_LBUTTONDOWN || lParam == WM_LBUTTONDBLCLK || lParam == WM_RBUTTONDOWN)) {
    ShowQuitMenu(window, waiter);
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == kWaitQuitCommand && waiter) {
    waiter->Cancel();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

CWaitForDataPath::CWaitForDataPath() : m_hModule(GetModuleHandleA(nullptr)) {}

CWaitForDataPath::~CWaitForDataPath() { Release(); }

// Takes down the tray icon, the icons and the hidden window.
void CWaitForDataPath::Release() {
  RemoveTrayIcon();
  if (m_aIcons[0]) DestroyIcon(m_aIcons[0]);
  if (m_aIcons[1]) DestroyIcon(m_aIcons[1]);
  m_aIcons[0] = m_aIcons[1] = nullptr;
  if (m_hwnd) DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

void CWaitForDataPath::RemoveTrayIcon() {
  if (!m_bTrayShown) return;
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = m_hwnd;
  data.uID = 1;
  // Removed before the wait returns: the process may end right after it,
  // and an icon whose owner is gone would stay in the notification area.
  Shell_NotifyIconA(NIM_DELETE, &data);
  m_bTrayShown = false;
}

bool CWaitForDataPath::ShowAttempt(int attempt, int iconResourceId) {
  if (!m_hwnd) {
    MakeGrayIcon(m_hModule, iconResourceId, m_aIcons);
    if (!RegisterWaitClass(m_hModule)) return false;
    m_hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, m_hModule, nullptr);
    if (!m_hwnd) return false;
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, LONG_PTR(this));
  }
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof(data);
  data.hWnd = m_hwnd;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kWaitTrayMessage;
  data.hIcon = m_aIcons[attempt % 2 == 0 ? 1 : 0];  // grey first, then the program's icon
  snprintf(data.szTip, sizeof(data.szTip), "%s", m_szTip);
  if (Shell_NotifyIconA(NIM_MODIFY, &data) || Shell_NotifyIconA(NIM_ADD, &data))
    m_bTrayShown = true;
  return true;
}

void CWaitForDataPath::PumpForOneSecond() {
  for (int round = 0; round < 10 && !m_bCancelled; ++round) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(int(message.wParam));
        m_bCancelled = true;
        return;
      }
      if (message.hwnd == m_hwnd && IsDialogMessageA(m_hwnd, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (!m_bCancelled) Sleep(100);
  }
}

int CWaitForDataPath::Wait(const char* folder, int tries, int iconResourceId, const char* tip,
                           const char* menuText) {
  if (!folder || !folder[0]) return 2;
  m_bCancelled = false;
  int result = 2;
  for (int attempt = 0;; ++attempt) {
    if (FolderExists(folder) || CreateDirectoryPath(folder, false) == 0) {
      result = 0;
      break;
    }
    if (tries == 0) break;
    snprintf(m_szTip, sizeof(m_szTip), "%s", tip ? tip : "");
    snprintf(m_szMenuText, sizeof(m_szMenuText), "%s", menuText ? menuText : "");
    ShowAttempt(attempt, iconResourceId);
    PumpForOneSecond();
    if (m_bCancelled) {
      result = 1;
      break;
    }
    if (tries > 0 && --tries == 0) break;
  }
  Release();
  return result;
}
