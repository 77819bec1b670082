// The application object's registries: top-level windows, dock bars,
// commands with their images, and accelerators; and the framework's own
// commands registered at start-up.
#include <windows.h>

#include <cstring>

#include "framework/app/app_look_win.h"
#include "framework/app/app_win.h"
#include "framework/settings/data_files.h"

void SetWindowTransparency(HWND window, int percent, bool clickThrough) {
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

int CAppWindow::Create(uint16_t windowId, WNDPROC procedure, const char* title,
                       uint32_t windowFlags) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = gApp.m_hInstance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconA(gApp.m_hInstance, MAKEINTRESOURCEA(1));
  windowClass.lpszClassName = "ORVWindow";
  RegisterClassA(&windowClass);
  id = windowId;
  flags = windowFlags;
  hwnd = CreateWindowExA(0, "ORVWindow", title ? title : "",
                         WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU, 0, 0, 0, 0,
                         gApp.m_hwndPhantom, nullptr, gApp.m_hInstance, nullptr);
  if (!hwnd) return kStatusWindowFailed;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(this));
  if (procedure) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(procedure));
  return 0;
}

void CAppWindow::Destroy() {
  if (hwnd) DestroyWindow(hwnd);
  hwnd = nullptr;
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

namespace {

int32_t WindowInsertIndex(const CPointerArray& windows, uint16_t id) {
  return SortedInsertIndex(windows.count, id, [&windows](int32_t i) {
    return static_cast<CAppWindow*>(windows.data[i])->id;
  });
}

}  // namespace

int CApp::AddWindow(uint16_t id, WNDPROC procedure, uint16_t titleTextId, uint32_t flags) {
  CAppWindow* window = new CAppWindow;
  const char* title = m_stringTable.GetText(titleTextId, 0);
  int32_t index = PtrArrayInsertAt(&m_aWindows, window, WindowInsertIndex(m_aWindows, id));
  if (index < 0) {
    delete window;
    return -1;
  }
  if (window->Create(id, procedure, title, flags) != 0) {
    PtrArrayRemoveAt(&m_aWindows, index);
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

int CApp::AddBar(CDockBar* bar) {
  int32_t position = SortedInsertIndex(m_aBars.count, bar->id, [this](int32_t i) {
    return static_cast<CDockBar*>(m_aBars.data[i])->id;
  });
  return PtrArrayInsertAt(&m_aBars, bar, position);
}

int CApp::AddCommand(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text,
                     void* data, float widthFactor, float heightFactor) {
  return m_commands.Add(id, kind, flags, image, text, data, widthFactor, heightFactor);
}

int CApp::AddAccelerator(uint32_t key, uint16_t windowId, uint16_t commandId) {
  AcceleratorRecord record = {uint16_t(key & 0xFFFF), uint8_t((key >> 16) & 1),
                              uint8_t((key >> 17) & 1), uint8_t((key >> 18) & 1), windowId,
                              commandId};
  m_aAccelerators.Append(&record, 1);
  return 0;
}

namespace {

// Entry lists of the window menu's sub-menus.
uint16_t gCaptionEntries[] = {61729, 61730, 61731, 61732, kListEnd};
uint16_t gColorEntries[] = {61745, 61746, 61747, kListEnd};
uint16_t gCustomColorEntries[] = {61748, 61749, 61750, 61751, kListEnd};
uint16_t gFontEntries[] = {61761, 61762, kListEnd};
uint16_t gLockEntries[] = {61777, 61778, 61779, 61780, 61781, 61440, 61782, kListEnd};
uint16_t gTransparencyEntries[] = {61793, 61440, 61794, 61795, 61796, 61797, 61798, 61799,
                                   61800, 61801, 61802, 61440, 61803, kListEnd};

struct FrameworkCommand {
  uint16_t id;
  uint16_t kind;
  uint32_t flags;
  int iconResource;  // 0: no image of its own; -1: owner-drawn under its id
  uint16_t* entries;
};

const FrameworkCommand kWindowMenuCommands[] = {
    {61712, kItemButton, 384, 50004, nullptr},
    {61713, kItemButton, 384, 50005, nullptr},
    {61728, kItemMenu, 384, 50000, gCaptionEntries},
    {61729, kItemButton, 128, 0, nullptr},
    {61730, kItemButton, 128, 0, nullptr},
    {61731, kItemButton, 128, 0, nullptr},
    {61732, kItemButton, 128, 0, nullptr},
    {61744, kItemMenu, 384, 50001, gColorEntries},
    {61745, kItemButton, 128, 0, nullptr},
    {61746, kItemButton, 128, 0, nullptr},
    {61747, kItemMenu, kCommandSplitOrThin, 0, gCustomColorEntries},
    {61748, kItemButton, 384, -1, nullptr},
    {61749, kItemButton, 384, -1, nullptr},
    {61750, kItemButton, 384, -1, nullptr},
    {61751, kItemButton, 384, -1, nullptr},
    {61760, kItemMenu, 384, 50002, gFontEntries},
    {61761, kItemButton, 128, 0, nullptr},
    {61762, kItemButton, 128, 0, nullptr},
    {61776, kItemMenu, 384, 50003, gLockEntries},
    {61777, kItemButton, 128, 0, nullptr},
    {61778, kItemButton, 128, 0, nullptr},
    {61779, kItemButton, 128, 0, nullptr},
    {61780, kItemButton, 128, 0, nullptr},
    {61781, kItemButton, 128, 0, nullptr},
    {61782, kItemButton, 128, 0, nullptr},
    {61792, kItemMenu, 384, 50006, gTransparencyEntries},
    {61793, kItemButton, 128, 0, nullptr},
    {61794, kItemButton, 128, 0, nullptr},
    {61795, kItemButton, 128, 0, nullptr},
    {61796, kItemButton, 128, 0, nullptr},
    {61797, kItemButton, 128, 0, nullptr},
    {61798, kItemButton, 128, 0, nullptr},
    {61799, kItemButton, 128, 0, nullptr},
    {61800, kItemButton, 128, 0, nullptr},
    {61801, kItemButton, 128, 0, nullptr},
    {61802, kItemButton, 128, 0, nullptr},
    {61803, kItemButton, 128, 0, nullptr},
};

const int kCommandImageSize = 32;

}  // namespace

// The separators, the bar overflow menu, the window menu and its entries,
// each menu's image registered just before it.
int CApp::AddFrameworkCommands() {
  void* fromOwner = reinterpret_cast<void*>(kEntriesFromOwner);
  if (AddCommand(61440, kItemSeparator, 4, 0, kSameAsId, nullptr) < 0 ||
      AddCommand(61441, kItemSeparator, kCommandSplitOrThin, 0, kSameAsId, nullptr) < 0 ||
      AddCommand(0xF100, kItemMenu, 128, 0, 61442, fromOwner) < 0 ||
      AddCommand(61701, kItemMenu, 128, 0, kSameAsId, fromOwner) < 0)
    return kStatusCommandFailed;
  for (const FrameworkCommand& command : kWindowMenuCommands) {
    uint16_t image = 0;
    if (command.iconResource > 0) {
      if (AddIcon(command.id, command.iconResource, 0, kCommandImageSize) != 0)
        return kStatusImageFailed;
      image = command.id;
    } else if (command.iconResource < 0) {
      if (AddIcon(command.id, 0, kIconOwnerDrawn, kCommandImageSize) != 0)
        return kStatusImageFailed;
      image = command.id;
    }
    if (AddCommand(command.id, command.kind, command.flags, image, kSameAsId, command.entries) < 0)
      return kStatusCommandFailed;
  }
  if (AddIcon(61804, 50007, 0, kCommandImageSize) != 0 ||
      AddIcon(61805, 50008, 0, kCommandImageSize) != 0)
    return kStatusImageFailed;
  return 0;
}
