// The application object's command table: state changes repaint every item
// of the command, and only when something really changed.
#include <windows.h>

#include "framework/app/app_win.h"
#include "framework/ui/ui_item_win.h"

namespace {

int IndexOf(const CPointerArray& array, const void* element) {
  for (int i = 0; i < array.count; ++i)
    if (array.data[i] == element) return i;
  return -1;
}

}  // namespace

int CApp::AddCommand(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text,
                     void* data, float widthFactor, float heightFactor) {
  return m_commands.Add(id, kind, flags, image, text, data, widthFactor, heightFactor);
}

int CApp::GetCommand(uint16_t id, CommandRecord* record) const {
  const CommandRecord* found = Command(id);
  if (!found) return kStatusUnknownCommand;
  *record = *found;
  return 0;
}

int CApp::SetCommand(uint16_t id, const CommandRecord& record) {
  CommandRecord* found = Command(id);
  if (!found) return kStatusUnknownCommand;
  *found = record;
  found->id = id;  // the record stays at its sorted place
  RedrawCommandItems(id, false, -1);
  return 0;
}

int CApp::SetCommandFlags(uint16_t id, uint32_t flags) {
  CommandRecord* found = Command(id);
  if (!found) return kStatusUnknownCommand;
  if (found->flags == flags) return 0;
  found->flags = flags;
  RedrawCommandItems(id, false, -1);
  return 0;
}

int CApp::SetCommandImage(uint16_t id, uint16_t image) {
  CommandRecord* found = Command(id);
  if (!found) return kStatusUnknownCommand;
  if (found->image == image) return 0;
  found->image = image;
  RedrawCommandItems(id, false, -1);
  return 0;
}

int CApp::SetCommandText(uint16_t id, uint16_t text, bool relayout) {
  CommandRecord* found = Command(id);
  if (!found) return kStatusUnknownCommand;
  found->text = text;
  return RedrawCommandItems(id, relayout, -1);
}

int CApp::CheckCommand(uint16_t id, bool on) {
  int64_t flags = GetCommandFlags(id);
  if (flags < 0) return kStatusUnknownCommand;
  uint32_t changed = on ? uint32_t(flags) | kCommandChecked : uint32_t(flags) & ~kCommandChecked;
  return SetCommandFlags(id, changed);
}

int CApp::EnableCommand(uint16_t id, bool on) {
  int64_t flags = GetCommandFlags(id);
  if (flags < 0) return kStatusUnknownCommand;
  uint32_t changed = on ? uint32_t(flags) | kCommandEnabled
                        : uint32_t(flags) & ~(kCommandEnabled | kCommandHot | kCommandPressed);
  if (changed == uint32_t(flags)) return 0;
  if (!on) {
    CAppWindow* window = m_pOpenPopup ? FindAppWindowById(m_wPopupWindowId) : nullptr;
    if (window) window->SetStatusText(-2, nullptr);
  }
  return SetCommandFlags(id, changed);
}

void CApp::ChangeCommandFlags(CUIItem* item, uint32_t setBits, uint32_t clearBits) {
  CommandRecord* command = item ? item->GetCommand() : nullptr;
  if (!command) return;
  uint32_t changed = setBits | (command->flags & ~clearBits);
  if (changed == command->flags) return;
  command->flags = changed;
  if (item->hwnd) InvalidateRect(item->hwnd, nullptr, FALSE);
}

int CApp::RedrawCommandItems(uint16_t id, bool relayout, int value) {
  const CommandRecord* command = Command(id);
  if (!command) return kStatusUnknownCommand;
  bool enabled = command->flags & kCommandEnabled;
  // Redrawing may run the program's code; walk a copy of the list.
  CPointerArray items;
  for (int i = 0; i < m_aItems.count; ++i)
    if (GetItemAt(i)->id == id) PtrArrayAppend(&items, m_aItems.data[i]);
  for (int i = 0; i < items.count; ++i) {
    CUIItem* item = static_cast<CUIItem*>(items.data[i]);
    if (IndexOf(m_aItems, item) < 0 || !item->hwnd) continue;
    if (value != -1 && enabled && !item->Redraw(value)) continue;
    if (relayout) {
      item->Layout(Command(id), kOrientHorizontal);
      if (item->bar) {
        CAppWindow* frame = FindAppWindowById(item->bar->frameId);
        if (frame) frame->Relayout();
      }
    }
    RedrawWindow(item->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  return 0;
}

void CApp::AddItem(CUIItem* item) { PtrArrayAppend(&m_aItems, item); }

void CApp::RemoveItem(CUIItem* item) {
  int index = IndexOf(m_aItems, item);
  if (index >= 0) m_aItems.RemoveAt(index);
  HWND window = item->hwnd;
  if (!window) return;
  if (m_itemMouse.hot == window) m_itemMouse.hot = nullptr;
  if (m_itemMouse.pressed == window) m_itemMouse.pressed = nullptr;
  if (m_itemMouse.hovered == window) m_itemMouse.hovered = nullptr;
  for (HWND& pressWindow : m_itemMouse.pressWindow)
    if (pressWindow == window) pressWindow = nullptr;
}
