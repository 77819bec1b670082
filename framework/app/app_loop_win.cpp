// The message loop and its pre-translation, the timed wait and the modal
// counter.
#include <windows.h>

#include "framework/app/app_win.h"
#include "framework/app/menu_keyboard_win.h"

namespace {

bool IsButtonPress(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
      return true;
  }
  return false;
}

HWND FindDialogAncestor(HWND window) {
  for (HWND w = window; w; w = GetAncestor(w, GA_PARENT)) {
    char className[16] = {};
    GetClassNameA(w, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0) return w;
    if (w == GetDesktopWindow()) break;
  }
  return nullptr;
}

// The sizing zone of a point in the 5-pixel border of a rectangle:
// 1 top-left, 2 left, 3 bottom-left, 4 bottom, 5 bottom-right, 6 right,
// 7 top-right, 8 top; 0 inside or outside.
int SizingZone(const RECT& rect, POINT point) {
  const int border = 5;
  if (!PtInRect(&rect, point)) return 0;
  bool left = point.x < rect.left + border;
  bool right = point.x >= rect.right - border;
  bool top = point.y < rect.top + border;
  bool bottom = point.y >= rect.bottom - border;
  if (top && left) return 1;
  if (bottom && left) return 3;
  if (bottom && right) return 5;
  if (top && right) return 7;
  if (left) return 2;
  if (bottom) return 4;
  if (right) return 6;
  if (top) return 8;
  return 0;
}

}  // namespace

int CApp::Run() {
  m_bRunning = true;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchAppMessage(&message);
  m_bRunning = false;
  return int(message.wParam);
}

void CApp::SetSizingCursor(int zone) {
  LPCSTR shape = IDC_ARROW;
  switch (zone) {
    case 1: case 5: shape = IDC_SIZENWSE; break;
    case 3: case 7: shape = IDC_SIZENESW; break;
    case 2: case 6: shape = IDC_SIZEWE; break;
    case 4: case 8: shape = IDC_SIZENS; break;
  }
  SetCursor(LoadCursorA(nullptr, shape));
}

// The own sizing frame of borderless windows. True when it used the message.
bool CApp::HandleSizingFrame(MSG* message) {
  if (m_sizing.window) {
    if (message->message == WM_MOUSEMOVE) {
      POINT point;
      GetCursorPos(&point);
      RECT rect = m_sizing.startRect;
      int dx = point.x - m_sizing.startPoint.x;
      int dy = point.y - m_sizing.startPoint.y;
      int zone = m_sizing.zone;
      if (zone == 1 || zone == 2 || zone == 3) rect.left += dx;
      if (zone == 5 || zone == 6 || zone == 7) rect.right += dx;
      if (zone == 1 || zone == 7 || zone == 8) rect.top += dy;
      if (zone == 3 || zone == 4 || zone == 5) rect.bottom += dy;
      m_sizing.window->SetPosition(rect, false);
      SetSizingCursor(zone);
      return true;
    }
    if (message->message == WM_LBUTTONUP) {
      ReleaseCapture();
      m_sizing.window = nullptr;
      return true;
    }
    return false;
  }
  if (message->message != WM_MOUSEMOVE && message->message != WM_LBUTTONDOWN) return false;
  CAppWindow* window = FindAppWindow(GetAncestor(message->hwnd, GA_ROOT));
  if (!window || !(window->flags & kWindowOwnSizingFrame) || (window->flags & kWindowSizeLocked))
    return false;
  RECT rect;
  GetWindowRect(window->hwnd, &rect);
  POINT point;
  GetCursorPos(&point);
  int zone = SizingZone(rect, point);
  if (!zone) return false;
  SetSizingCursor(zone);
  if (message->message == WM_MOUSEMOVE) return false;
  m_sizing.window = window;
  m_sizing.zone = zone;
  m_sizing.startRect = rect;
  m_sizing.startPoint = point;
  SetCapture(window->hwnd);
  return true;
}

// Keys while a popup menu is open. True when the message ends here.
bool CApp::HandlePopupKeys(MSG* message) {
  CPopupChain* popups = m_pPopups;
  if (IsButtonPress(message->message)) {
    bool inside = false;
    for (int level = 0; level < popups->GetDepth(); ++level)
      if (GetAncestor(message->hwnd, GA_ROOT) == popups->GetWindow(level)) inside = true;
    if (!inside) popups->CloseAll();
    return false;
  }
  if (message->message == WM_SYSKEYUP) {
    if (message->wParam == VK_MENU) LeaveMenuMode();
    return true;
  }
  if (message->message != WM_KEYDOWN) return false;
  int depth = popups->GetDepth();
  int level = depth - 1;
  for (int i = 0; i < depth; ++i) {
    if (popups->GetHotEntry(i) >= 0) {
      level = i;
      break;
    }
  }
  if (level < 0) return true;
  switch (message->wParam) {
    case VK_RETURN:
      if (popups->GetHotEntry(level) >= 0) popups->ClickEntry(level, popups->GetHotEntry(level));
      break;
    case VK_MENU:
      if (level == 0) LeaveMenuMode();
      break;
    case VK_ESCAPE:
      if (level == 0) LeaveMenuMode(); else popups->ClosePopup(level);
      break;
    case VK_UP: popups->MoveHot(level, -1); break;
    case VK_DOWN: popups->MoveHot(level, 1); break;
    case VK_LEFT:
      if (level > 0) popups->ClosePopup(level);
      else if (m_pfnMenuBarKeyboard) m_pfnMenuBarKeyboard(-1);
      break;
    case VK_RIGHT:
      if (!popups->EnterSubPopup(level) && m_pfnMenuBarKeyboard) m_pfnMenuBarKeyboard(1);
      break;
  }
  return true;
}

void CApp::LeaveMenuMode() {
  if (m_pfnMenuBarKeyboard) m_pfnMenuBarKeyboard(2);
  else if (m_pPopups) m_pPopups->CloseAll();
}

// Accelerators: the first record whose key matches with every modifier it
// asks for held. True when the key was used (or swallowed).
bool CApp::HandleAccelerator(MSG* message) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool control = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  CAppWindow* foreground = FindAppWindow(GetForegroundWindow());
  for (int i = 0; i < m_aAccelerators.count; ++i) {
    const AcceleratorRecord& record = m_aAccelerators.data[i];
    if (record.wKey != message->wParam) continue;
    if ((record.bShift && !shift) || (record.bControl && !control) || (record.bAlt && !alt))
      continue;
    if (record.wWindowId != 0xFFFF) {
      CAppWindow* target = FindAppWindowById(record.wWindowId);
      if (!target) return false;
      if (target != foreground) continue;
    }
    int64_t flags = m_commands.GetFlags(record.wCommand);
    if (flags >= 0 && !(flags & kCommandEnabled)) return true;
    if (!foreground) return false;
    SendMessageA(foreground->hwnd, MSG_ITEM_NOTIFY, 0x100000 + record.wCommand,
                 LPARAM(GetFocus()));
    return true;
  }
  return false;
}

bool CApp::HandleKeys(MSG* message) {
  if (message->message == WM_SYSKEYUP && message->wParam == VK_MENU)
    return m_pfnMenuBarKeyboard && m_pfnMenuBarKeyboard(0) == 0;
  if (message->message != WM_KEYDOWN) return false;
  WPARAM key = message->wParam;
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
  if (key == VK_TAB) {
    CAppWindow* active = FindAppWindow(GetActiveWindow());
    return active && active->MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
  }
  return m_bAcceleratorsEnabled && HandleAccelerator(message);
}

void CApp::DispatchAppMessage(MSG* message) {
  HWND foreground = GetForegroundWindow();
  DWORD processId = 0;
  GetWindowThreadProcessId(foreground, &processId);
  if (foreground && processId == m_dwProcessId) m_hwndForeground = foreground;

  if (m_pPopups && m_pPopups->GetDepth() > 0) {
    if (HandlePopupKeys(message)) return;
  } else {
    if (HandleSizingFrame(message)) return;
    if (HandleKeys(message)) return;
  }
  HWND dialog = FindDialogAncestor(message->hwnd);
  if (dialog && IsDialogMessageA(dialog, message)) return;
  TranslateMessage(message);
  DispatchMessageA(message);
}

// The wait pumps this thread's messages until the deadline, so the program
// stays responsive; it uses no timer, so nested waits cannot disturb each
// other or the hourly timer. Other threads only sleep.
bool CApp::Wait(DWORD milliseconds, UINT_PTR timerId) {
  (void)timerId;
  if (!m_dwUiThreadId || GetCurrentThreadId() != m_dwUiThreadId) {
    Sleep(milliseconds);
    return true;
  }
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return true;
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(int(message.wParam));
        return false;
      }
      DispatchAppMessage(&message);
      if (GetTickCount() - start >= milliseconds) return true;
    }
  }
}

void CApp::EnterModal(bool on) {
  if (on) ++m_iModalCount;
  else if (m_iModalCount > 0) --m_iModalCount;
  for (int i = 0; i < GetWindowCount(); ++i) {
    CAppWindow* window = GetWindowAt(i);
    if (window->hwnd) SendMessageA(window->hwnd, MSG_MODAL_COUNT, WPARAM(m_iModalCount), 0);
  }
}

LRESULT CApp::SendToActiveWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  int count = GetWindowCount();
  if (count == 0) return -1;
  CAppWindow* target = GetWindowAt(0);
  for (int i = count - 1; i > 0; --i) {
    if (GetWindowAt(i)->flags & kWindowActiveTarget) {
      target = GetWindowAt(i);
      break;
    }
  }
  return SendMessageA(target->hwnd, message, wParam, lParam);
}
