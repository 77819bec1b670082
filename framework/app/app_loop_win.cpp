// The message loop and its pre-translation, the timed wait and the modal
// counter.
#include <windows.h>

#include "framework/app/app_win.h"

namespace {

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

void CApp::DispatchAppMessage(MSG* message) {
  HWND foreground = GetForegroundWindow();
  DWORD processId = 0;
  GetWindowThreadProcessId(foreground, &processId);
  if (foreground && processId == m_dwProcessId) m_hwndForeground = foreground;

  if (m_pOpenPopup) {
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
