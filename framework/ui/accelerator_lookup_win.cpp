// Keys before they reach a window: Tab between an active window's controls,
// Alt for the menu bar, and the accelerator table.
#include <windows.h>

#include "framework/app/app_win.h"

namespace {

bool IsClass(HWND window, const char* name) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof(className));
  return lstrcmpiA(className, name) == 0;
}

// Typing into an edit field or a dialog must not run shortcuts of plain keys.
bool FocusTakesPlainKeys() {
  HWND focus = GetFocus();
  if (!focus) return false;
  if (IsClass(focus, "Edit")) return true;
  for (HWND w = focus; w; w = GetAncestor(w, GA_PARENT)) {
    if (IsClass(w, "#32770")) return true;
    if (w == GetDesktopWindow()) break;
  }
  return false;
}

struct FilterContext {
  CApp* app;
  CAppWindow* foreground;
};

// A record for any window, or for the foreground framework window; a record
// whose window no longer exists is passed over.
bool TakesPart(uint16_t windowId, void* context) {
  FilterContext* c = static_cast<FilterContext*>(context);
  if (windowId == kAnyWindow) return true;
  CAppWindow* target = c->app->FindAppWindowById(windowId);
  return target && target == c->foreground;
}

}  // namespace

int CApp::AddAccelerator(uint32_t key, uint16_t windowId, uint16_t commandId) {
  AcceleratorRecord record = MakeAccelerator(key, windowId, commandId);
  m_aAccelerators.Append(&record, 1);
  return 0;
}

bool CApp::HandleAccelerator(MSG* message) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool control = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  if (!control && !alt && FocusTakesPlainKeys()) return false;
  CAppWindow* foreground = FindAppWindow(GetForegroundWindow());
  if (!foreground) return false;
  FilterContext context = {this, foreground};
  int index = ChooseAccelerator(m_aAccelerators.data, m_aAccelerators.count,
                                uint16_t(message->wParam), shift, control, alt, TakesPart,
                                &context);
  if (index < 0) return false;
  uint16_t commandId = m_aAccelerators.data[index].wCommand;
  if (alt) m_bAltUsed = true;
  int64_t flags = GetCommandFlags(commandId);
  if (flags >= 0 && !(flags & kCommandEnabled)) return true;  // swallowed
  SendMessageA(foreground->hwnd, MSG_ITEM_NOTIFY, 0x100000 + commandId, LPARAM(GetFocus()));
  return true;
}

bool CApp::HandleKeys(MSG* message) {
  WPARAM key = message->wParam;
  switch (message->message) {
    case WM_SYSKEYUP:
      if (key != VK_MENU) return false;
      // The release after an Alt shortcut is no menu key.
      if (m_bAltUsed) {
        m_bAltUsed = false;
        return false;
      }
      return MenuBarKeyboard(0) == 0;
    case WM_SYSKEYDOWN:
      if (key == VK_MENU) {
        m_bAltUsed = false;
        return false;
      }
      if (key == VK_F10 || GetKeyState(VK_MENU) >= 0) return false;
      return m_bAcceleratorsEnabled && HandleAccelerator(message);
    case WM_KEYDOWN:
      break;
    default:
      return false;
  }
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
  if (key == VK_TAB) {
    CAppWindow* active = FindAppWindow(GetActiveWindow());
    return active && active->MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
  }
  return m_bAcceleratorsEnabled && HandleAccelerator(message);
}
