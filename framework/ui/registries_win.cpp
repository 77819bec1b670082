// The application object's registries of top-level windows and dock bars,
// and what it does to all of them: status texts, frames, the theme and
// transparency.
#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/icon_list_win.h"

void SetWindowTransparency(HWND window, int percent, bool clickThrough) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  if (percent == 0) {
    SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle & ~LONG_PTR(WS_EX_LAYERED | WS_EX_TRANSPARENT));
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    return;
  }
  exStyle |= WS_EX_LAYERED;
  if (clickThrough) exStyle |= WS_EX_TRANSPARENT;
  else exStyle &= ~LONG_PTR(WS_EX_TRANSPARENT);
  SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle);
  SetLayeredWindowAttributes(window, 0, BYTE((100 - percent) * 255 / 100), LWA_ALPHA);
}

namespace {

int32_t WindowInsertIndex(const CPointerArray& windows, uint16_t id) {
  return SortedInsertIndex(windows.count, id, [&windows](int32_t i) {
    return static_cast<CAppWindow*>(windows.data[i])->id;
  });
}

}  // namespace

int CApp::AddWindow(uint16_t id, WNDPROC procedure, uint16_t titleTextId, uint32_t flags,
                    uint16_t iconId, int x, int y, int width, int height) {
  CAppWindow* window = new CAppWindow;
  const char* title = m_stringTable.GetText(titleTextId, 0);
  int32_t index = PtrArrayInsertAt(&m_aWindows, window, WindowInsertIndex(m_aWindows, id));
  if (index < 0) {
    delete window;
    return -1;
  }
  if (window->Create(id, procedure, title, iconId, flags, x, y, width, height) != 0) {
    PtrArrayRemoveAt(&m_aWindows, index);
    window->Destroy();
    delete window;
    return -1;
  }
  return index;
}

CAppWindow* CApp::GetWindowAt(int index) const {
  if (index < 0 || index >= m_aWindows.count) return nullptr;
  return static_cast<CAppWindow*>(m_aWindows.data[index]);
}

CAppWindow* CApp::FindAppWindowById(uint16_t id) const {
  for (int i = 0; i < m_aWindows.count; ++i)
    if (GetWindowAt(i)->id == id) return GetWindowAt(i);
  return nullptr;
}

CAppWindow* CApp::FindAppWindow(HWND window) const {
  if (!window) return nullptr;
  for (int i = 0; i < m_aWindows.count; ++i)
    if (GetWindowAt(i)->hwnd == window) return GetWindowAt(i);
  return nullptr;
}


CAppWindow* CApp::FindParentWindow(HWND window) const {
  for (HWND w = window; w && w != GetDesktopWindow(); w = GetAncestor(w, GA_PARENT)) {
    CAppWindow* found = FindAppWindow(w);
    if (found) return found;
  }
  return nullptr;
}

CAppWindow* CApp::GetForegroundAppWindow() const {
  HWND foreground = GetForegroundWindow();
  DWORD processId = 0;
  GetWindowThreadProcessId(foreground, &processId);
  return processId == GetCurrentProcessId() ? FindAppWindow(foreground) : nullptr;
}

void CApp::OnWindowActivated(CAppWindow* window, bool active) {
  if (active) m_iActiveWindowId = window->id;
  else if (m_iActiveWindowId == window->id && !m_pOpenPopup) m_iActiveWindowId = -1;
  RepaintFrames();
}

int CApp::AddBar(uint16_t barId, uint16_t frameId, int side, int row, int x, int y, int length,
                 int thickness, uint16_t flags, uint16_t titleId, uint16_t textId,
                 const uint16_t* idList) {
  CDockBar* bar = new CDockBar;
  bar->id = barId;
  int32_t position = SortedInsertIndex(m_aBars.count, barId, [this](int32_t i) {
    return static_cast<CDockBar*>(m_aBars.data[i])->id;
  });
  int32_t index = PtrArrayInsertAt(&m_aBars, bar, position);
  if (index < 0) {
    delete bar;
    return -1;
  }
  uint16_t text = textId == kSameAsId ? barId : textId;
  if (bar->Create(barId, frameId, side, row, x, y, length, thickness, flags, titleId, idList) != 0 ||
      AddCommand(barId, kItemButton, 0, 0, text, nullptr) < 0) {
    PtrArrayRemoveAt(&m_aBars, index);
    bar->Destroy();
    delete bar;
    return -1;
  }
  return index;
}

CDockBar* CApp::GetBarAt(int index) const {
  if (index < 0 || index >= m_aBars.count) return nullptr;
  return static_cast<CDockBar*>(m_aBars.data[index]);
}

CDockBar* CApp::FindBar(uint16_t id) const {
  for (int i = 0; i < m_aBars.count; ++i)
    if (GetBarAt(i)->id == id) return GetBarAt(i);
  return nullptr;
}

CDockBay* CApp::FindDockBay(uint16_t bayId) const {
  for (int i = 0; i < m_aWindows.count; ++i) {
    for (int side = 0; side < 4; ++side) {
      CDockBay* bay = GetWindowAt(i)->GetBay(side);
      if (bay && bay->code == bayId) return bay;
    }
  }
  return nullptr;
}

void CApp::ShowBar(CDockBar* bar, bool show) {
  if (show) bar->flags |= kBarVisible;
  else bar->flags &= uint16_t(~kBarVisible);
  CAppWindow* owner = FindAppWindowById(bar->frameId);
  bool frameShown = owner && owner->hwnd && IsWindowVisible(owner->hwnd);
  if (bar->hwnd) ShowWindow(bar->hwnd, show && (bar->dockSide >= 0 || frameShown) ? SW_SHOWNA : SW_HIDE);
  for (int i = 0; i < m_aWindows.count; ++i) GetWindowAt(i)->Relayout();
  CAppWindow* frame = FindAppWindowById(bar->frameId);
  if (frame && frame->hwnd) SendMessageA(frame->hwnd, MSG_BAR_SHOWN, show, LPARAM(bar));
}

// A bar dragged to a point: the first bay of its frame that takes it
// (top, bottom, left, right) gets it; no bay makes it float there.
void CApp::DockBarAt(CDockBar* bar, POINT topLeft, POINT cursor) {
  CAppWindow* frame = FindAppWindowById(bar->frameId);
  if (!frame) return;
  int hit = -1;
  for (int side = 0; side < 4 && hit < 0; ++side) {
    CDockBay* bay = frame->GetBay(side);
    if (bay) hit = bay->HitTestDrop(bar, topLeft, cursor);
  }
  if (hit < 0)
    bar->Dock(bar->frameId * 256 + kBarFloating, topLeft.x, topLeft.y, bar->length,
              bar->thickness, bar->dockSide >= 0);
  else if (hit != bar->bayCode)
    bar->Dock(hit, bar->x, bar->y, bar->length, bar->thickness, true);
  for (int i = 0; i < m_aWindows.count; ++i) GetWindowAt(i)->Relayout();
}

void CApp::SetStatusTextF(uint16_t windowId, int part, const char* format, ...) {
  CAppWindow* window = FindAppWindowById(windowId);
  if (!window) return;
  if (!format) {
    window->SetStatusText(part, nullptr);
    return;
  }
  char text[1024];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof(text), format, arguments);
  va_end(arguments);
  window->SetStatusText(part, text);
}

void CApp::RepaintFrames() {
  for (int i = 0; i < m_aWindows.count; ++i) {
    CAppWindow* window = GetWindowAt(i);
    if (!window->hwnd) continue;
    SendMessageA(window->hwnd, WM_NCACTIVATE, 0, 0);
    if (window->flags & kWindowNoCaption) SendMessageA(window->hwnd, WM_NCPAINT, 1, 0);
  }
  for (int i = 0; i < m_aBars.count; ++i)
    if (GetBarAt(i)->hwnd) SendMessageA(GetBarAt(i)->hwnd, WM_NCACTIVATE, 0, 0);
}

void CApp::SetTheme(int scheme) {
  m_state.bColorScheme = uint8_t(scheme);
  LoadThemeColors();
  ReloadIcons();
  const UINT redraw = RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_INVALIDATE;
  for (int i = 0; i < m_aWindows.count; ++i)
    if (GetWindowAt(i)->hwnd) RedrawWindow(GetWindowAt(i)->hwnd, nullptr, nullptr, redraw);
  for (int i = 0; i < m_aBars.count; ++i)
    if (GetBarAt(i)->hwnd) RedrawWindow(GetBarAt(i)->hwnd, nullptr, nullptr, redraw);
}
