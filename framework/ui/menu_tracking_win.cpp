// Menus opened from code, the open popup chain, the keys that drive it, and
// the menu bar's keyboard mode.
#include <windows.h>

#include "framework/app/app_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/menu_navigation.h"

namespace {

constexpr int kMaxChain = 32;

bool IsButtonPress(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
      return true;
  }
  return false;
}

// The open popups from the root down its open sub-popups.
int OpenChain(CMenu* root, CMenu* chain[kMaxChain]) {
  int depth = 0;
  for (CMenu* menu = root; menu && menu->IsOpen() && depth < kMaxChain; menu = menu->openSub)
    chain[depth++] = menu;
  return depth;
}

RECT ScreenRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

void Highlight(CUIItem* entry) {
  if (entry && entry->hwnd) SendMessageA(entry->hwnd, WM_MOUSEMOVE, 0, LPARAM(-1));
}

bool IsUsableEntry(const CUIItem* entry) {
  const CommandRecord* command = entry->GetCommand();
  return command && command->kind != kItemSeparator && (command->flags & kCommandEnabled);
}

}  // namespace

void CApp::SetOpenPopup(CMenu* root, uint16_t windowId) {
  m_pOpenPopup = root;
  m_wPopupWindowId = windowId;
  if (!root) m_bPopupShown = false;
}

int CApp::HotEntryIndex(CMenu* menu) const {
  if (!menu) return -1;
  for (int i = 0; i < menu->GetEntryCount(); ++i) {
    const CommandRecord* command = menu->GetEntry(i)->GetCommand();
    if (command && (command->flags & kCommandHot)) return i;
  }
  return -1;
}

int CApp::NextMenuEntry(CMenu* menu, int index, int step) const {
  if (!menu) return -1;
  return NextUsableEntry(menu->GetEntryCount(), index, step,
                         [menu](int i) { return IsUsableEntry(menu->GetEntry(i)); });
}

int CApp::NextMenuBarEntry(int index, int step) const {
  auto usable = [this](int i) {
    CUIItem* entry = static_cast<CUIItem*>(m_aMenuBar.data[i]);
    return IsUsableEntry(entry) && IsWindowVisible(entry->hwnd);
  };
  int next = NextUsableEntry(m_aMenuBar.count, index, step, usable);
  return next >= 0 && usable(next) ? next : -1;
}

CMenu* CApp::CancelMenus(CMenu* popup) {
  if (popup) {
    HWND parent = popup->hwnd ? GetParent(popup->hwnd) : nullptr;
    CMenu* open =
        parent ? reinterpret_cast<CMenu*>(SendMessageA(parent, MSG_GET_OPEN_POPUP, 0, 0)) : nullptr;
    if (open) {
      open->ClosePopup();
      SendMessageA(parent, MSG_SET_OPEN_POPUP, 0, 0);
    }
    return open;
  }
  CMenu* root = m_pOpenPopup;
  CAppWindow* window = root ? FindAppWindowById(m_wPopupWindowId) : nullptr;
  if (root) root->ClosePopup();
  m_bMenuMode = false;
  SetOpenPopup(nullptr, 0);
  if (window) window->SetStatusText(-2, nullptr);
  return root;
}

CMenu* CApp::TrackMenu(uint16_t menuId, const POINT* point, HWND window) {
  CancelMenus(nullptr);
  PtrArrayRemoveAll(&m_aMenuBar);
  CMenu* menu = m_pTrackedMenu;
  // The kept menu serves the same window again with its popup window;
  // another window needs a menu item of its own.
  if (menu && menu->hwnd && GetParent(menu->hwnd) == window) {
    if (menu->Retarget(menuId) != 0) return nullptr;
  } else {
    if (menu) {
      menu->Destroy();
      delete menu;
    }
    menu = m_pTrackedMenu = new CMenu;
    if (menu->Create(menuId, window, window, nullptr) != 0) {
      menu->Destroy();
      delete menu;
      m_pTrackedMenu = nullptr;
      return nullptr;
    }
  }
  SetForegroundWindow(window);
  POINT at;
  if (point) at = *point;
  else GetCursorPos(&at);
  RECT anchor = {at.x, at.y, at.x, at.y};
  if (menu->OpenPopup(anchor) != 0) {
    // Half-built: the entries made so far go with the popup.
    menu->ClosePopup();
    return nullptr;
  }
  if (menu->IsOpen()) {
    CAppWindow* frame = FindAppWindow(window);
    m_bMenuMode = true;
    if (frame) m_wPopupWindowId = frame->id;
  }
  return menu;
}

int CApp::ShowPopupMenu(uint16_t menuId, const POINT* point) {
  // Only the user interface thread can pump the popup's messages.
  if (!m_dwUiThreadId || GetCurrentThreadId() != m_dwUiThreadId) return -1;
  CAppWindow* first = GetWindowAt(0);
  if (!first || !first->hwnd) return -1;
  CMenu* menu = TrackMenu(menuId, point, first->hwnd);
  if (!menu) return -1;
  if (!menu->IsOpen()) return 0;
  m_bModalPopup = true;
  m_iModalChoice = 0;
  while (m_pOpenPopup) {
    if (!Wait(50, TIMER_POPUP_WAIT)) break;  // WM_QUIT: posted again by the wait
  }
  if (m_pOpenPopup) CancelMenus(nullptr);
  m_bModalPopup = false;
  return m_iModalChoice;
}

// Opens a menu-bar entry's popup below it and highlights the entry.
int CApp::OpenMenuBarEntry(int index) {
  if (index < 0 || index >= m_aMenuBar.count) return 0;
  CMenu* entry = static_cast<CMenu*>(m_aMenuBar.data[index]);
  m_bMenuMode = true;
  CAppWindow* frame = FindAppWindow(entry->owner);
  if (entry->OpenPopup(ScreenRect(entry->hwnd)) == 0 && entry->IsOpen() && frame)
    m_wPopupWindowId = frame->id;
  Highlight(entry);
  return 0;
}

// The menu-bar entries of the active window's bars, bar by bar. False when
// there is no active framework window.
bool CApp::FindMenuBarEntries() {
  CAppWindow* active = m_iActiveWindowId >= 0 ? FindAppWindowById(uint16_t(m_iActiveWindowId))
                                              : nullptr;
  if (!active || !active->hwnd) return false;
  SendMessageA(active->hwnd, MSG_MENU_KEYBOARD, 0, 0);
  if (m_aMenuBar.count) return true;
  for (int b = 0; b < m_aBars.count; ++b) {
    CDockBar* bar = GetBarAt(b);
    if (bar->frameId != active->id) continue;
    for (int i = 0; i < bar->items.count; ++i) {
      CUIItem* item = static_cast<CUIItem*>(bar->items.data[i]);
      const CommandRecord* command = item->GetCommand();
      if (command && command->kind == kItemMenu && (item->flags & kCommandMenuBar))
        PtrArrayAppend(&m_aMenuBar, item);
    }
  }
  return true;
}

int CApp::MenuBarKeyboard(int mode) {
  if (mode == 0) PtrArrayRemoveAll(&m_aMenuBar);
  if ((mode == 0 || m_aMenuBar.count == 0) && !FindMenuBarEntries()) {
    if (mode == 2) CancelMenus(nullptr);
    return 1;
  }
  int openIndex = -1;
  for (int i = 0; i < m_aMenuBar.count; ++i)
    if (m_aMenuBar.data[i] == m_pOpenPopup) openIndex = i;
  CMenu* open = m_pOpenPopup;
  if (m_aMenuBar.count > 0 || mode == 2) {
    CAppWindow* window = open ? FindAppWindowById(m_wPopupWindowId) : nullptr;
    if (open) open->ClosePopup();
    if (window) window->SetStatusText(-2, nullptr);
  }
  switch (mode) {
    case 0: return OpenMenuBarEntry(NextMenuBarEntry(-1, 1));
    case 1: return OpenMenuBarEntry(NextMenuBarEntry(openIndex, 1));
    case -1: return OpenMenuBarEntry(NextMenuBarEntry(openIndex < 0 ? 0 : openIndex, -1));
    case 2:
      if (open && open->hwnd) SendMessageA(open->hwnd, WM_MOUSELEAVE, 0, 0);
      PtrArrayRemoveAll(&m_aMenuBar);
      m_bMenuMode = false;
      SetOpenPopup(nullptr, 0);
      return 0;
  }
  return 0;
}

void CApp::LeaveMenuMode() { MenuBarKeyboard(2); }

// Keys and clicks while a popup is open. True when the message ends here.
bool CApp::HandlePopupKeys(MSG* message) {
  CMenu* chain[kMaxChain];
  int depth = OpenChain(m_pOpenPopup, chain);
  if (IsButtonPress(message->message)) {
    HWND root = GetAncestor(message->hwnd, GA_ROOT);
    bool inside = message->hwnd == m_pOpenPopup->hwnd;
    for (int level = 0; level < depth; ++level)
      if (root == chain[level]->PopupWindow()) inside = true;
    if (!inside) CancelMenus(nullptr);
    return false;
  }
  switch (message->message) {
    case WM_SYSKEYUP:
      if (message->wParam == VK_MENU) LeaveMenuMode();
      return true;
    case WM_SYSKEYDOWN:
      if (message->wParam == VK_MENU) return true;
      return HandlePopupKey(message->wParam);
    case WM_KEYDOWN:
      return HandlePopupKey(message->wParam);
    case WM_CHAR: case WM_SYSCHAR:
      return true;
  }
  return false;
}

bool CApp::HandlePopupKey(WPARAM key) {
  CMenu* chain[kMaxChain];
  int depth = OpenChain(m_pOpenPopup, chain);
  if (depth == 0) {
    // An empty popup shows nothing: any key only ends the menu.
    if (key == VK_ESCAPE || key == VK_MENU) LeaveMenuMode();
    return true;
  }
  int level = depth - 1;
  for (int i = 0; i < depth; ++i) {
    if (HotEntryIndex(chain[i]) >= 0) {
      level = i;
      break;
    }
  }
  CMenu* menu = chain[level];
  int hot = HotEntryIndex(menu);
  auto closeSub = [&]() {
    // Back to the parent popup, with the sub-menu's entry highlighted.
    menu->ClosePopup();
    ChangeCommandFlags(menu, kCommandHot, 0);
    m_itemMouse.hot = menu->hwnd;
  };
  switch (key) {
    case VK_RETURN:
      if (hot >= 0) SendMessageA(menu->GetEntry(hot)->hwnd, WM_LBUTTONUP, 0, LPARAM(-1));
      break;
    case VK_MENU:
      if (level == 0) LeaveMenuMode();
      break;
    case VK_ESCAPE:
      if (level == 0) LeaveMenuMode();
      else closeSub();
      break;
    case VK_UP:
    case VK_DOWN: {
      int next = NextMenuEntry(menu, hot, key == VK_UP ? -1 : 1);
      if (next >= 0) Highlight(menu->GetEntry(next));
      break;
    }
    case VK_LEFT:
      if (level > 0) closeSub();
      else MenuBarKeyboard(-1);
      break;
    case VK_RIGHT: {
      CMenu* sub = menu->openSub && menu->openSub->IsOpen() ? menu->openSub : nullptr;
      CUIItem* entry = hot >= 0 ? menu->GetEntry(hot) : nullptr;
      if (!sub && entry && entry->kind == kItemMenu && (entry->flags & kCommandSplitOrThin)) {
        CMenu* split = static_cast<CMenu*>(entry);
        if (split->OpenPopup(ScreenRect(split->hwnd)) == 0 && split->IsOpen()) sub = split;
      }
      if (sub) Highlight(sub->GetEntry(NextMenuEntry(sub, -1, 1)));
      else MenuBarKeyboard(1);
      break;
    }
  }
  return true;
}
