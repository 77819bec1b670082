// Menu entries and their popups.
#include "framework/ui/menu_item_win.h"

#include <algorithm>

#include "framework/app/app_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/memory_dc_win.h"
#include "framework/draw/theme_table.h"
#include "framework/ui/popup_placement.h"

namespace {

const char kPopupClass[] = "ORVAppMenuPopup";

// The drop shadow is a nicety: a system that refuses the class style gets
// the class without it.
bool RegisterPopupClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA popupClass = {};
  popupClass.style = CS_DROPSHADOW;
  popupClass.lpfnWndProc = MenuPopupWndProc;
  popupClass.hInstance = gApp.m_hInstance;
  popupClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  popupClass.lpszClassName = kPopupClass;
  if (!RegisterClassA(&popupClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    popupClass.style = 0;
    if (!RegisterClassA(&popupClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      return false;
  }
  registered = true;
  return true;
}

CMenu* MenuOfPopup(HWND window) {
  return reinterpret_cast<CMenu*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The part of a horizontal gradient over `full` that falls into `part`.
void GradientSection(HDC dc, COLORREF a, COLORREF b, const RECT& full, const RECT& part) {
  RECT section;
  if (!IntersectRect(&section, &full, &part)) return;
  double width = double(full.right - full.left);
  COLORREF from = BlendColor((section.left - full.left) / width, a, b);
  COLORREF to = BlendColor((section.right - full.left) / width, a, b);
  DrawGradient(dc, from, to, section, false);
}

// Items ask for the background behind them one by one: paint only what
// the context lets through.
void PaintPopupBackground(CMenu* menu, HDC dc, const RECT& client) {
  RECT wanted;
  if (GetClipBox(dc, &wanted) == NULLREGION) return;
  int column = menu ? menu->imageColumn : 0;
  RECT rest = client;
  if (column > 0) {
    RECT strip = {client.left, client.top, client.left + 3 + column, client.bottom};
    GradientSection(dc, GetThemeColor(36), GetThemeColor(37), strip, wanted);
    rest.left = strip.right;
  }
  RECT fill;
  if (IntersectRect(&fill, &rest, &wanted)) FillRectColor(dc, fill, GetThemeColor(38));
  DrawEdge3D(dc, client, true, GetThemeColor(39), GetThemeColor(40));
}

}  // namespace

CMenu::CMenu() { kind = kItemMenu; }

CMenu::~CMenu() {
  if (popupOpen || items.count) ClosePopup();
  if (popupWindow && IsWindow(popupWindow)) DestroyWindow(popupWindow);
  popupWindow = nullptr;
}

int CMenu::Retarget(uint16_t commandId) {
  if (popupOpen || items.count) ClosePopup();
  CommandRecord* command = gApp.Command(commandId);
  if (!command || !hwnd) return kStatusUnknownCommand;
  id = commandId;
  SetWindowLongPtrA(hwnd, GWLP_ID, LONG_PTR(commandId));
  createFlags = command->flags;
  intptr_t data = reinterpret_cast<intptr_t>(command->data);
  idList = data == kEntriesFromOwner ? nullptr : static_cast<uint16_t*>(command->data);
  Layout(command, kOrientHorizontal);
  return 0;
}

int CMenu::OnCreate(CommandRecord* command, HWND parent, HWND, CMenu*) {
  if (!RegisterPopupClass()) return kStatusWindowFailed;
  popupWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, "",
                                WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                                nullptr, gApp.m_hInstance, nullptr);
  if (!popupWindow) return kStatusWindowFailed;
  SetWindowLongPtrA(popupWindow, GWLP_USERDATA, LONG_PTR(this));
  createFlags = command->flags;
  intptr_t data = reinterpret_cast<intptr_t>(command->data);
  idList = data == kEntriesFromOwner ? nullptr : static_cast<uint16_t*>(command->data);
  return 0;
}

void CMenu::OnLayout(const CommandRecord* command, int) {
  if ((command->flags & kCommandSplitOrThin) || InPopup()) arrowWidth = 6 * Unit();
}

void CMenu::OnDestroy() {
  if (popupOpen || items.count) ClosePopup();
  if (popupWindow && IsWindow(popupWindow)) DestroyWindow(popupWindow);
  popupWindow = nullptr;
}

bool CMenu::HitTestArrow() const {
  POINT cursor;
  if (!hwnd || !GetCursorPos(&cursor)) return false;
  ScreenToClient(hwnd, &cursor);
  RECT client;
  GetClientRect(hwnd, &client);
  return cursor.x >= client.right - arrowWidth;
}

void CMenu::TrackArrowPart() {
  const CommandRecord* command = GetCommand();
  if (!command || !(command->flags & kCommandSplitOrThin)) return;
  bool over = HitTestArrow();
  if (over == overArrow) return;
  overArrow = over;
  InvalidateRect(hwnd, nullptr, FALSE);
}

// A menu in a column of menus (another menu item of the same parent lies
// five pixels above or below this one) opens beside it, like a sub-menu.
bool CMenu::IsBesideMenuColumn() const {
  HWND parent = GetParent(hwnd);
  RECT own;
  GetWindowRect(hwnd, &own);
  int centre = (own.left + own.right) / 2;
  POINT probes[2] = {{centre, own.top - 5}, {centre, own.bottom + 5}};
  for (POINT probe : probes) {
    POINT local = probe;
    ScreenToClient(parent, &local);
    HWND child = ChildWindowFromPointEx(parent, local, CWP_SKIPINVISIBLE);
    CUIItem* item = child && child != parent && child != hwnd ? ItemFromWindow(child) : nullptr;
    if (item && item->kind == kItemMenu) return true;
  }
  return false;
}

int CMenu::OpenPopup(const RECT& anchor) {
  SetWindowPos(popupWindow, nullptr, anchor.left, anchor.top, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
  const CommandRecord* command = GetCommand();
  if (!command) return kStatusUnknownCommand;
  if (!idList) {
    CAppWindow* frame = gApp.FindAppWindow(owner);
    idList = reinterpret_cast<uint16_t*>(
        SendMessageA(owner, MSG_GET_MENU_IDS, WPARAM(id), LPARAM(frame)));
    if (!idList) return kStatusNoMenuIds;
  }
  HWND parent = GetParent(hwnd);
  SendMessageA(parent, MSG_SET_OPEN_POPUP, 0, LPARAM(this));
  bool root = !gApp.GetOpenPopup();
  if (root) gApp.SetOpenPopup(this, 0);
  for (const uint16_t* entry = idList; *entry != kListEnd; ++entry) {
    const CommandRecord* entryCommand = gApp.Command(*entry);
    if (!entryCommand) return kStatusUnknownCommand;
    CUIItem* item = CreateUIItem(entryCommand->kind, entryCommand->data);
    if (!item) continue;
    void* stored = item;
    if (item->Create(*entry, popupWindow, owner, this) != 0 || items.Append(&stored, 1) < 0) {
      item->Destroy();
      delete item;
      return kStatusItemFailed;
    }
  }
  if (items.count == 0) {
    // Nothing to show: the popup never opened, so nothing may point at it.
    SendMessageA(parent, MSG_SET_OPEN_POPUP, 0, 0);
    if (root) gApp.SetOpenPopup(nullptr, 0);
    return 0;
  }
  gApp.m_bPopupShown = true;
  PopupEntrySize* sizes = new PopupEntrySize[size_t(items.count)];
  for (int i = 0; i < items.count; ++i)
    sizes[i] = {GetEntry(i)->width, GetEntry(i)->height, GetEntry(i)->imageColumn};
  imageColumn = PopupImageColumn(sizes, items.count);
  int contentWidth = PopupContentWidth(sizes, items.count, imageColumn);
  delete[] sizes;
  int y = 3;
  for (int i = 0; i < items.count; ++i) {
    CUIItem* item = GetEntry(i);
    item->SetPosition(3, y, contentWidth, item->height);
    y += item->height;
  }
  PlaceAndShow(anchor, contentWidth + 6, y + 3);
  popupOpen = true;
  return 0;
}

void CMenu::PlaceAndShow(const RECT& anchor, int popupWidth, int popupHeight) {
  bool beside = InPopup() || IsBesideMenuColumn();
  POINT corner = beside ? POINT{anchor.right - 2, anchor.top - 2}
                        : POINT{anchor.left, anchor.bottom};
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &info);
  POINT at = PlacePopup(anchor, popupWidth, popupHeight, beside, info.rcMonitor, info.rcWork);
  SetWindowPos(popupWindow, HWND_TOPMOST, at.x, at.y, popupWidth, popupHeight,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CMenu::ClosePopup() {
  popupOpen = false;
  if (openSub) {
    CMenu* sub = openSub;
    openSub = nullptr;
    sub->ClosePopup();
  }
  if (popupWindow) ShowWindow(popupWindow, SW_HIDE);
  for (int i = items.count - 1; i >= 0; --i) {
    CUIItem* item = GetEntry(i);
    items.RemoveAt(i);
    item->Destroy();
    delete item;
  }
  HWND parent = hwnd ? GetParent(hwnd) : nullptr;
  // The parent forgets this popup so nothing keeps pointing at a closed menu.
  if (parent && reinterpret_cast<CMenu*>(SendMessageA(parent, MSG_GET_OPEN_POPUP, 0, 0)) == this)
    SendMessageA(parent, MSG_SET_OPEN_POPUP, 0, 0);
  if (gApp.GetOpenPopup() == this) gApp.SetOpenPopup(nullptr, 0);
  if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void CMenu::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  uint32_t commandFlags = command->flags;
  ItemDrawState state = GetDrawState(commandFlags);
  bool hot = commandFlags & kCommandHot;
  if (popupOpen && !hot) {
    state.background = kBackPressed;
    state.textKind = kTextHighlighted;
  }
  int unit = Unit();
  int strip = InPopup() ? textHeight + 2 * unit : 0;
  bool split = commandFlags & kCommandSplitOrThin;
  RECT arrowPart = {client.right - arrowWidth, client.top, client.right, client.bottom};
  int arrowShift = 0;
  if (split) {
    RECT mainPart = {client.left, client.top, client.right - arrowWidth, client.bottom};
    int mainKind = state.background;
    int arrowKind = state.background;
    if (commandFlags & kCommandPressed) {
      mainKind = arrowKind = kBackPressed;
    } else if (commandFlags & kCommandArrowPressed) {
      mainKind = arrowKind = kBackPressed;
      arrowShift = 1;
    } else if (hot) {
      mainKind = overArrow ? kBackPressed : kBackHot;
      arrowKind = overArrow ? kBackHot : kBackPressed;
    }
    DrawItemBackground(dc, mainPart, mainKind,
                       mainKind ? kCornerTopLeft | kCornerBottomLeft : 0,
                       mainKind == kBackChecked ? strip : 0);
    DrawItemBackground(dc, arrowPart, arrowKind,
                       arrowKind ? kCornerTopRight | kCornerBottomRight : 0, 0);
  } else {
    int kind = state.background;
    bool stripped = kind == kBackChecked || kind == kBackCheckedDisabled;
    DrawItemBackground(dc, client, kind, kind ? kAllCorners : 0, stripped ? strip : 0);
  }
  LayoutParts(client, state.pressOffset, state.centred, InPopup());
  PaintContents(dc, *command, state);
  OffsetRect(&arrowPart, arrowShift, arrowShift);
  if (InPopup()) DrawArrow(dc, state.textKind, kArrowRight, arrowPart);
  else if (split) DrawArrow(dc, state.textKind, kArrowDown, arrowPart);
  surface.Flush();
}

LRESULT CALLBACK MenuPopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CMenu* menu = MenuOfPopup(window);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      PaintPopupBackground(menu, dc, client);
      EndPaint(window, &paint);
      gApp.m_bPopupShown = true;
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case MSG_SET_OPEN_POPUP:
      if (menu) menu->openSub = reinterpret_cast<CMenu*>(lParam);
      return 0;
    case MSG_GET_OPEN_POPUP:
      return menu ? LRESULT(menu->openSub) : 0;
    case MSG_PAINT_BACKGROUND: {
      RECT client;
      GetClientRect(window, &client);
      return PaintBackgroundAt(reinterpret_cast<HDC>(wParam), lParam,
                               [&](HDC dc) { PaintPopupBackground(menu, dc, client); });
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
