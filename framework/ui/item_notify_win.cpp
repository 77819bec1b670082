// What the application object does when an item reports the mouse: the
// pressed and hot state of the command, hot tracking through open menus,
// and running the command through the owner.
#include <windows.h>

#include "framework/app/app_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/ui_item_win.h"

namespace {

bool IsMenu(const CUIItem* item) { return item->kind == kItemMenu; }

bool IsSplitEntry(const CUIItem* item) {
  const CommandRecord* command = item->GetCommand();
  return IsMenu(item) && command && (command->flags & kCommandSplitOrThin);
}

RECT ScreenRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

CMenu* OpenBelow(HWND parent) {
  return parent ? reinterpret_cast<CMenu*>(SendMessageA(parent, MSG_GET_OPEN_POPUP, 0, 0))
                : nullptr;
}

}  // namespace

void CApp::OnItemButtonDown(CUIItem* item, int) {
  if (IsSplitEntry(item) && static_cast<CMenu*>(item)->HitTestArrow()) {
    ChangeCommandFlags(item, kCommandArrowPressed, kCommandPressed);
  } else {
    ChangeCommandFlags(item, kCommandPressed, IsMenu(item) ? kCommandArrowPressed : 0);
  }
}

void CApp::OnItemClick(CUIItem* item, int buttons) {
  CommandRecord* command = item->GetCommand();
  if (!command) return;
  // The split bits tell which part was clicked: read them before clearing.
  uint32_t splitBits = (command->flags >> 24) & 3;
  ChangeCommandFlags(item, 0, kCommandPressed | (IsMenu(item) ? kCommandArrowPressed : 0));
  if (IsMenu(item)) {
    if (SendMessageA(item->owner, MSG_MENU_ITEM_CLICK, item->id, buttons) == 1) splitBits |= 2;
    if (splitBits != 1) {
      CMenu* menu = static_cast<CMenu*>(item);
      HWND parent = GetParent(item->hwnd);
      CMenu* open = OpenBelow(parent);
      bool toggledOff = open == menu && !item->InPopup();
      if (open) {
        open->ClosePopup();
        SendMessageA(parent, MSG_SET_OPEN_POPUP, 0, 0);
      }
      if (toggledOff) {
        m_bMenuMode = false;
      } else {
        CAppWindow* frame = FindAppWindow(item->owner);
        m_bMenuMode = true;
        if (menu->OpenPopup(ScreenRect(item->hwnd)) == 0 && menu->IsOpen() && frame)
          m_wPopupWindowId = frame->id;
      }
      return;
    }
  } else if (command->kind == kItemSeparator) {
    return;
  }
  // The item may live in a popup that closes now: keep what the notice needs.
  uint16_t notifyId = uint16_t(item->id);
  if (command->kind == kItemButton && command->data)
    notifyId = uint16_t(reinterpret_cast<uintptr_t>(command->data));
  HWND owner = item->owner;
  CancelMenus(nullptr);
  if (m_bModalPopup) {
    m_iModalChoice = notifyId;
    return;
  }
  SendMessageA(owner, MSG_ITEM_NOTIFY, WPARAM(uint32_t(buttons) << 16 | notifyId), 0);
}

void CApp::OnItemDoubleClick(CUIItem* item, int buttons) {
  SendMessageA(item->owner, MSG_ITEM_DBLCLK, WPARAM(uint32_t(buttons) << 16 | item->id), 0);
}

void CApp::OnItemHover(CUIItem* item) {
  CAppWindow* frame = FindAppWindow(item->owner);
  if (frame) frame->SetStatusText(-2, item->GetText(kTextStatus));
  m_itemMouse.hovered = item->hwnd;
}

void CApp::OnItemLeave(CUIItem* item) {
  ChangeCommandFlags(item, 0,
                     kCommandHot | kCommandPressed | (IsMenu(item) ? kCommandArrowPressed : 0));
  if (m_itemMouse.hovered != item->hwnd) return;
  m_itemMouse.hovered = nullptr;
  CAppWindow* frame = FindAppWindow(item->owner);
  if (frame) frame->SetStatusText(-2, nullptr);
}

void CApp::OnItemMouseMove(CUIItem* item) {
  if (m_bModalPopup && !item->InPopup()) return;
  // Moving onto another entry closes the popup open beside this one.
  if (item->InPopup()) {
    CMenu* open = item->popup->openSub;
    if (open && open != item) {
      item->popup->openSub = nullptr;
      open->ClosePopup();
    }
  } else if (m_pOpenPopup && m_pOpenPopup != item) {
    m_pOpenPopup->ClosePopup();
  }
  CommandRecord* command = item->GetCommand();
  if (!command) return;
  uint32_t newBits = kCommandHot;
  bool buttonDown = GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0 ||
                    GetAsyncKeyState(VK_MBUTTON) < 0;
  POINT cursor;
  GetCursorPos(&cursor);
  if (!(command->flags & kCommandKeepsPress) && buttonDown && WindowFromPoint(cursor) == item->hwnd)
    newBits |= kCommandPressed;
  if (IsMenu(item) && m_bMenuMode) {
    CMenu* menu = static_cast<CMenu*>(item);
    if (!menu->IsOpen() && (!IsSplitEntry(item) || menu->HitTestArrow())) {
      CAppWindow* frame = FindAppWindow(item->owner);
      if (menu->OpenPopup(ScreenRect(item->hwnd)) == 0 && menu->IsOpen() && frame)
        m_wPopupWindowId = frame->id;
    }
  }
  uint32_t clear = kCommandHot | ((command->flags & kCommandKeepsPress) ? 0 : kCommandPressed);
  ChangeCommandFlags(item, newBits, clear);
}
