// The framework window and dock bar as the application object uses them.
// Interim bodies: the full window (bays, layout, window menu, busy overlay,
// status item) and the dock bars replace them.
#include "framework/app/app_window_win.h"

#include <cstdio>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/settings/data_files.h"

int CDockBay::HitTestDrop(CDockBar*, POINT, POINT) { return -1; }

CAppWindow::~CAppWindow() {
  if (statusMutex_) CloseHandle(statusMutex_);
}

int CAppWindow::Create(uint16_t windowId, WNDPROC procedure, const char* title,
                       uint32_t windowFlags) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = AppWindowDefProc;
  windowClass.hInstance = gApp.m_hInstance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconA(gApp.m_hInstance, MAKEINTRESOURCEA(1));
  windowClass.lpszClassName = "ORVWindow";
  RegisterClassA(&windowClass);
  id = windowId;
  flags = windowFlags;
  statusMutex_ = CreateMutexA(nullptr, FALSE, nullptr);
  if (!statusMutex_) return kStatusWindowFailed;
  hwnd = CreateWindowExA(0, "ORVWindow", title ? title : "",
                         WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU, 0, 0, 0, 0,
                         gApp.m_hwndPhantom, nullptr, gApp.m_hInstance, nullptr);
  if (!hwnd) return kStatusWindowFailed;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(this));
  if (procedure) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(procedure));
  const char* ready = gStringTable.GetText(61444, 0);
  SetStatusText(-3, ready);
  SetStatusText(-2, ready);
  return 0;
}

void CAppWindow::Destroy() {
  if (hwnd) DestroyWindow(hwnd);
  hwnd = nullptr;
  statusTexts_.RemoveAll();
}

void CAppWindow::SetGhost(bool on) {
  ghost = on;
  if (hwnd && (transparency || on)) SetWindowTransparency(hwnd, transparency, ghost);
}

int CAppWindow::SavePlacement() {
  if (hwnd && !IsIconic(hwnd) && !IsZoomed(hwnd)) GetWindowRect(hwnd, &normalRect);
  // A window that never had a size has no placement to keep; a record of
  // 0 x 0 would open it at that size next time.
  if (normalRect.right <= normalRect.left || normalRect.bottom <= normalRect.top) return 0;
  WindowPlacementRecord record = {};
  record.x = int16_t(normalRect.left);
  record.y = int16_t(normalRect.top);
  record.width = uint16_t(normalRect.right - normalRect.left);
  record.height = uint16_t(normalRect.bottom - normalRect.top);
  record.flags = flags;
  record.wTransparency = uint16_t((transparency & 0xFF) | (ghost ? 0x1000 : 0));
  return WriteDataFile("(ORV)Win", id, &record, sizeof(record), 0);
}

void CAppWindow::SetPosition(const RECT& rect, bool show) {
  normalRect = rect;
  if (!hwnd) return;
  SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : 0));
}

bool CAppWindow::MoveFocus(int step) {
  HWND focus = GetFocus();
  HWND next = GetNextDlgTabItem(hwnd, focus && IsChild(hwnd, focus) ? focus : nullptr,
                                step < 0);
  if (!next || next == focus) return false;
  SetFocus(next);
  return true;
}

void CAppWindow::Show(int showCommand, int shownState) {
  if (shownState != -1) shown = shownState != 0;
  if (!hwnd) return;
  if (showCommand == SW_SHOW && IsIconic(hwnd)) showCommand = SW_SHOWNORMAL;
  ShowWindow(hwnd, showCommand);
  if (showCommand == SW_SHOW || showCommand == SW_SHOWNORMAL) SetForegroundWindow(hwnd);
}

void CAppWindow::Relayout() {
  if (!hwnd) return;
  RECT client;
  GetClientRect(hwnd, &client);
  SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// The records of the parts; guarded because other threads report status too.
void CAppWindow::SetStatusText(int part, const char* text) {
  if (!statusMutex_) return;
  DWORD wait = WaitForSingleObject(statusMutex_, 1000);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
  int index = -1;
  for (int i = 0; i < statusTexts_.count; ++i)
    if (statusTexts_.data[i].part == part) index = i;
  if (text && text[0]) {
    if (index < 0) {
      StatusRecord record = {};
      record.part = part;
      index = statusTexts_.Append(&record, 1);
    }
    if (index >= 0)
      snprintf(statusTexts_.data[index].text, sizeof(statusTexts_.data[index].text), "%s", text);
  } else if (index >= 0) {
    statusTexts_.RemoveAt(index);
    bool allNegative = statusTexts_.count > 0;
    for (int i = 0; i < statusTexts_.count; ++i)
      if (statusTexts_.data[i].part >= 0) allNegative = false;
    for (int i = 0; allNegative && i < statusTexts_.count; ++i) {
      if (statusTexts_.data[i].part == -1) {
        statusTexts_.RemoveAt(i);
        break;
      }
    }
  }
  ReleaseMutex(statusMutex_);
}

const char* CAppWindow::GetStatusText(int part) const {
  for (int i = 0; i < statusTexts_.count; ++i)
    if (statusTexts_.data[i].part == part) return statusTexts_.data[i].text;
  return nullptr;
}

CDockBay* CAppWindow::GetBay(int) { return nullptr; }

void CDockBar::Dock(int code, int newX, int newY, int newLength, int newThickness, bool) {
  bayCode = uint16_t(code);
  dockSide = (code & 0xFF) == kBarFloating ? -1 : (code & 0xFF);
  x = int16_t(newX);
  y = int16_t(newY);
  length = uint16_t(newLength);
  thickness = uint16_t(newThickness);
  if (hwnd && dockSide < 0)
    SetWindowPos(hwnd, nullptr, newX, newY, newLength, newThickness, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK AppWindowDefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CAppWindow* self = reinterpret_cast<CAppWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case MSG_SET_OPEN_POPUP:
        self->openPopup = reinterpret_cast<CMenu*>(lParam);
        return 0;
      case MSG_GET_OPEN_POPUP:
        return LRESULT(self->openPopup);
      case WM_ACTIVATE:
        gApp.OnWindowActivated(self, LOWORD(wParam) != WA_INACTIVE);
        break;
      case WM_ACTIVATEAPP:
        if (!wParam) gApp.CancelMenus(nullptr);
        break;
      case WM_NCACTIVATE:
        // The caption stays active while the window's own popups are.
        return DefWindowProcA(window, message, gApp.m_iActiveWindowId == self->id, lParam);
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
