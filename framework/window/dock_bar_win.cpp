// A dock bar: its items, docking and floating, item layout, painting and
// the window procedure with dragging and the close box.
#include <windows.h>

#include <cstring>

#include "framework/app/app_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/settings/data_files.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/ui_item_win.h"
#include "framework/window/app_window_win.h"
#include "framework/window/dock_bar_win.h"

namespace {

constexpr char kBarClass[] = "ORVAppDockBar";
constexpr char kBusyClass[] = "ORVBusy";

CDockBar* BarOf(HWND window) {
  return reinterpret_cast<CDockBar*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

CUIItem* ItemAt(const CDockBar* bar, int i) { return static_cast<CUIItem*>(bar->items.data[i]); }

DWORD DockedStyle() { return WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; }

DWORD FloatingStyle(uint16_t flags) {
  return WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME |
         ((flags & kBarCloseBox) ? WS_SYSMENU : 0);
}

bool SameRect(const RECT& a, const RECT& b) { return memcmp(&a, &b, sizeof(RECT)) == 0; }

}  // namespace

CDockBar::CDockBar() = default;

CDockBar::~CDockBar() { Destroy(); }

CAppWindow* CDockBar::Frame() const { return gApp.FindAppWindowById(frameId); }

int CDockBar::Create(uint16_t barId, uint16_t frameWindowId, int side, int barRow, int barX, int barY,
                     int barLength, int barThickness, uint16_t barFlags, uint16_t title,
                     const uint16_t* idList) {
  WNDCLASSA barClass = {};
  barClass.lpfnWndProc = DockBarWndProc;
  barClass.hInstance = gApp.m_hInstance;
  barClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  barClass.lpszClassName = kBarClass;
  RegisterClassA(&barClass);
  id = barId;
  frameId = frameWindowId;
  titleId = title;
  BarState state = {barX, barY, barLength, barThickness, frameWindowId, side, barRow, barFlags};
  bool movedOnScreen = false;
  if (gApp.IsStateLoaded()) {
    uint8_t record[sizeof(BarStateRecord)];
    int got = ReadDataFile("(ORV)Bar", id, record, sizeof(record), 0);
    if (gMonitorLayout.iCount == 0) GetMonitorRects();
    if (ApplyBarRecord(record, got, gMonitorLayout, &state)) {
      BarStateRecord stored;
      memcpy(&stored, record, sizeof(stored));
      movedOnScreen = state.iX != stored.x || state.iY != stored.y;
    }
  }
  if (state.iLength <= 0) state.iLength = barLength > 0 ? barLength : 20;
  if (state.iThickness <= 0) state.iThickness = barThickness > 0 ? barThickness : 20;
  flags = state.wFlags;
  row = uint16_t(state.iRow);
  if (state.iX == -1) {
    // No saved position: after the bars already in that row.
    int end = 0;
    for (int i = 0; i < gApp.GetBarCount(); ++i) {
      CDockBar* other = gApp.GetBarAt(i);
      if (other == this || other->frameId != frameId || other->dockSide != state.iSide ||
          other->row != row || !other->IsVisible())
        continue;
      if (other->x + other->length > end) end = other->x + other->length;
    }
    state.iX = end;
    flags |= kBarAlignPrevious;
  }
  CAppWindow* owner = Frame();
  if (!owner || !owner->hwnd) return kStatusWindowFailed;
  frame = owner;
  const char* caption = gStringTable.GetText(titleId, 0);
  hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, kBarClass, caption ? caption : "",
                         WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, owner->hwnd,
                         nullptr, gApp.m_hInstance, nullptr);
  if (!hwnd) return kStatusWindowFailed;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  int code = frameId * 256 + (state.iSide & 0xFF);
  Dock(code, state.iX, state.iY, state.iLength, state.iThickness, true);
  if (dockSide < 0) Dock(code, state.iX, state.iY, state.iLength, state.iThickness, true);
  int status = BuildItems(idList);
  if (status != 0) return status;
  if (dockSide < 0) {
    SetWindowTransparency(hwnd, owner->transparency, owner->ghost && owner->transparency > 0);
    // The items came after the first fit: fit the floating window to them.
    Dock(code, x, y, length, thickness, false);
    RECT outer;
    GetWindowRect(hwnd, &outer);
    // Brought back from off the screen: its frame must not stick out either.
    if (movedOnScreen && KeepRectOnMonitor(gMonitorLayout, &outer))
      Dock(code, outer.left, outer.top, length, thickness, false);
  }
  return 0;
}

void CDockBar::Destroy() {
  for (int i = 0; i < items.count; ++i) {
    CUIItem* item = ItemAt(this, i);
    item->Destroy();
    delete item;
  }
  items.RemoveAll();
  delete[] overflowIds;
  overflowIds = nullptr;
  records_.RemoveAll();
  if (hwnd) DestroyWindow(hwnd);
  hwnd = nullptr;
  busyOverlay = nullptr;
}

int CDockBar::BuildItems(const uint16_t* idList) {
  CAppWindow* owner = Frame();
  if (!owner) return kStatusWindowFailed;
  for (const uint16_t* entry = idList; entry && *entry != kListEnd; ++entry) {
    CommandRecord* command = gApp.Command(*entry);
    if (!command) return kStatusUnknownCommand;
    CUIItem* item = CreateUIItem(command->kind, command->data);
    if (!item) return kStatusItemFailed;
    item->bar = this;
    if (item->Create(*entry, hwnd, owner->hwnd, nullptr) != 0) {
      item->Destroy();
      delete item;
      return kStatusItemFailed;
    }
    PtrArrayAppend(&items, item);
    command = gApp.Command(*entry);
    if (command->flags & (kItemStretch | kItemOwnLine)) flags |= kBarStretches;
    if (command->flags & kItemOwnLine) flags |= kBarSizable;
    if (command->flags & kItemNoVertical) flags |= kBarNoVertical;
    // On a menu the same bit marks a menu-bar entry; only a static is the
    // status item.
    if ((command->flags & kItemStatus) && command->kind == kItemStatic) {
      owner->statusCommand = *entry;
      owner->ShowStatusText();
    }
  }
  overflowIds = new uint16_t[items.count + 2];
  overflowIds[0] = kListEnd;
  CMenu* overflow = new CMenu;
  overflow->bar = this;
  if (overflow->Create(kOverflowMenuCommand, hwnd, owner->hwnd, nullptr) != 0) {
    overflow->Destroy();
    delete overflow;
    return gApp.Command(kOverflowMenuCommand) ? kStatusItemFailed : kStatusUnknownCommand;
  }
  overflow->idList = overflowIds;
  PtrArrayAppend(&items, overflow);
  // A floating bar's length is its client width: laid out narrower, it
  // would wrap into more lines at every start.
  int margin = dockSide < 0 ? 0 : 4;
  LayoutItems(length - margin, thickness - margin, false);
  return 0;
}

bool CDockBar::GripperLocked() const {
  CAppWindow* owner = Frame();
  if (!owner || !(owner->flags & kWindowBarPositionsLocked)) return false;
  if (!(flags & kBarSizable)) return true;
  return (owner->flags & kWindowBarSizesLocked) || x == 0;
}

int CDockBar::HitTestGrip() const {
  if (dockSide < 0 || GripperLocked()) return 0;
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(hwnd, &cursor);
  if ((flags & kBarCloseBox) && PtInRect(&closeRect, cursor)) return 2;
  if (PtInRect(&gripperRect, cursor)) return 1;
  return 0;
}

bool CDockBar::MeasureItems() {
  int orientation = Orientation();
  if (!records_.SetCapacity(items.count > 0 ? items.count : 1, 0)) return false;
  records_.count = 0;
  for (int i = 0; i < items.count; ++i) {
    CUIItem* item = ItemAt(this, i);
    const CommandRecord* command = gApp.Command(uint16_t(item->id));
    BarItem record = {};
    record.wId = uint16_t(item->id);
    if (command) {
      item->Layout(command, orientation);
      record.ulCommandFlags = command->flags;
      record.bSeparator = command->kind == kItemSeparator;
    }
    record.iWidth = item->width;
    record.iHeight = item->height;
    records_.Append(&record, 1);
  }
  measuredOrientation_ = orientation;
  return true;
}

int CDockBar::RequiredThickness() {
  if (measuredOrientation_ != Orientation()) MeasureItems();
  minThickness = uint16_t(RequiredBarThickness(records_.data, records_.count, Orientation()));
  if (flags & kBarSizable) {
    if (thickness < minThickness) thickness = minThickness;
  } else {
    thickness = minThickness;
  }
  return thickness;
}

void CDockBar::LayoutItems(int width, int height, bool force) {
  if (!hwnd || items.count == 0) return;
  if (width < 0 || height < 0) {
    RECT client;
    GetClientRect(hwnd, &client);
    width = client.right;
    height = client.bottom;
  }
  int orientation = Orientation();
  RECT whole = {0, 0, width, height};
  RECT grip = {}, close = {};
  if (dockSide >= 0 && !GripperLocked())
    DrawGripper(nullptr, whole, &grip, &close, orientation == 0, flags & kBarCloseBox, false,
                int(GetWindowDpi(hwnd)));
  RECT itemsArea = whole;
  if (orientation == 0) itemsArea.left = grip.right;
  else if (orientation == 1) itemsArea.top = grip.bottom;
  bool unchanged = SameRect(lastRects_[0], itemsArea) && SameRect(lastRects_[1], grip) &&
                   SameRect(lastRects_[2], close) && measuredOrientation_ == orientation;
  gripperRect = grip;
  closeRect = close;
  clientRect = itemsArea;
  if (!force && unchanged) return;
  lastRects_[0] = itemsArea;
  lastRects_[1] = grip;
  lastRects_[2] = close;
  if (!MeasureItems()) return;
  BarItemsArea area = {};
  area.orientation = orientation;
  area.gap = itemGap;
  if (orientation == 2) {
    area.length = width;
    area.thickness = height;
  } else {
    bool vertical = orientation == 1;
    area.itemsStart = (vertical ? grip.bottom - grip.top : grip.right - grip.left) + kBarMargin;
    area.length = vertical ? height : width;
    area.thickness = vertical ? width : height;
  }
  BarItemsResult result;
  LayoutBarItems(records_.data, records_.count, area, overflowIds, &result);
  for (int i = 0; i < items.count; ++i) {
    CUIItem* item = ItemAt(this, i);
    const BarItem& record = records_.data[i];
    if (record.bShown) item->SetPosition(record.iX, record.iY, record.iCx, record.iCy);
    else if (item->hwnd) ShowWindow(item->hwnd, SW_HIDE);
  }
  naturalLength = int16_t(result.naturalLength);
  minLength = int16_t(result.minLength);
  length = uint16_t(result.naturalLength);
  if (orientation == 2) thickness = uint16_t(result.thickness);
  else RequiredThickness();
}

void CDockBar::Dock(int code, int newX, int newY, int newLength, int newThickness, bool reparent) {
  CDockBay* bay = (code & 0xFF) == kBarFloating ? nullptr : gApp.FindDockBay(uint16_t(code));
  CAppWindow* owner = Frame();
  DWORD style = bay ? DockedStyle() : FloatingStyle(flags);
  if (reparent) {
    ShowWindow(hwnd, SW_HIDE);
    dockSide = bay ? bay->side : -1;
    if (bay) {
      // A child keeps no owner: an owned child keeps the frame from
      // becoming topmost.
      if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD)) SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, 0);
      SetWindowLongPtrA(hwnd, GWL_STYLE, LONG_PTR(style));
      SetParent(hwnd, bay->hwnd);
    } else {
      SetParent(hwnd, nullptr);
      SetWindowLongPtrA(hwnd, GWL_STYLE, LONG_PTR(style));
      if (owner) SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner->hwnd));
    }
    bool vertical = dockSide >= 2;
    LayoutItems(vertical ? newThickness : newLength, vertical ? newLength : newThickness, true);
    if (items.count) {
      newLength = length;
      if (!bay) newThickness = thickness;
    }
    if (bay) {
      SetWindowTransparency(hwnd, 0, false);
    } else if (owner) {
      SetWindowTransparency(hwnd, owner->transparency, owner->ghost && owner->transparency > 0);
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  int outerWidth = newLength, outerHeight = newThickness;
  if (!bay) {
    SIZE outer = FloatingOuterSize(newLength, newThickness);
    outerWidth = outer.cx;
    outerHeight = outer.cy;
  } else if (dockSide >= 2) {
    outerWidth = newThickness;
    outerHeight = newLength;
  }
  // Docked, the bay's visibility decides; floating, the frame's.
  bool visible = IsVisible() && (bay || (owner && IsWindowVisible(owner->hwnd)));
  SetWindowPos(hwnd, nullptr, newX, newY, outerWidth, outerHeight,
               SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
  x = int16_t(newX);
  y = int16_t(newY);
  length = uint16_t(newLength);
  thickness = uint16_t(newThickness);
  bayCode = uint16_t(code);
}

SIZE CDockBar::FloatingOuterSize(int clientWidth, int clientHeight) const {
  RECT rect = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectHook(&rect, FloatingStyle(flags), FALSE, WS_EX_TOOLWINDOW, GetWindowDpi(hwnd));
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int CDockBar::SaveState() {
  if (hwnd && dockSide < 0) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    x = int16_t(rect.left);
    y = int16_t(rect.top);
  }
  BarState state = {x, y, length, thickness, frameId, dockSide >= 0 ? dockSide : kBarFloating,
                    row, flags};
  BarStateRecord record = MakeBarRecord(state);
  return WriteDataFile("(ORV)Bar", id, &record, sizeof(record), 0);
}

void CDockBar::ShowBusy(bool on) {
  if (on && !busyOverlay && hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    busyOverlay = CreateWindowExA(WS_EX_TRANSPARENT, kBusyClass, "", WS_CHILD, 0, 0, client.right,
                                  client.bottom, hwnd, nullptr, gApp.m_hInstance, nullptr);
    if (busyOverlay)
      SetWindowPos(busyOverlay, HWND_TOP, 0, 0, client.right, client.bottom,
                   SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOACTIVATE);
  } else if (!on && busyOverlay) {
    ShowWindow(busyOverlay, SW_HIDE);
    DestroyWindow(busyOverlay);
    busyOverlay = nullptr;
  }
}

void CDockBar::Show(int showCommand) {
  if (hwnd) ShowWindow(hwnd, IsVisible() ? showCommand : SW_HIDE);
}

void CDockBar::StartDrag(POINT cursor, bool) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  dragOffset = {cursor.x - rect.left, cursor.y - rect.top};
  // Docked, only the offset along the bay counts: across, the cursor picks the row.
  if (dockSide == kSideTop || dockSide == kSideBottom) dragOffset.y = 0;
  else if (dockSide >= 2) dragOffset.x = 0;
  dragging = true;
  SetCapture(hwnd);
}

void CDockBar::DragTo(POINT cursor) {
  POINT topLeft = {cursor.x - dragOffset.x, cursor.y - dragOffset.y};
  int sideBefore = dockSide;
  gApp.DockBarAt(this, topLeft, cursor);
  if (dockSide != sideBefore) {
    // A new orientation: keep the cursor on the bar's near end.
    dragOffset = {dockSide >= 2 ? 0 : 8, dockSide >= 0 && dockSide < 2 ? 0 : 8};
  }
  if (dragging && GetCapture() != hwnd) SetCapture(hwnd);
}

void CDockBar::EndDrag() {
  if (!dragging) return;
  dragging = false;
  if (GetCapture() == hwnd) ReleaseCapture();
}

void CDockBar::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  bool docked = dockSide >= 0;
  bool vertical = dockSide >= 2;
  FillRectColor(dc, client, GetThemeColor(0));
  RECT body = client;
  DrawGradient(dc, GetThemeColor(1), GetThemeColor(0), body, !vertical);
  DrawEdge3D(dc, body, true, GetThemeColor(27), GetThemeColor(26));
  if (docked) {
    RoundCorners(GetParent(hwnd), dc, body, 15);
    if (!GripperLocked())
      DrawGripper(dc, client, &gripperRect, &closeRect, !vertical, flags & kBarCloseBox,
                  closeState == 1, int(GetWindowDpi(hwnd)));
  }
}

LRESULT CALLBACK DockBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDockBar* bar = BarOf(window);
  if (!bar) return DefWindowProcA(window, message, wParam, lParam);
  CAppWindow* frame = bar->Frame();
  switch (message) {
    case WM_DESTROY:
      bar->SaveState();
      break;
    case WM_SIZE: {
      SIZE size = {LOWORD(lParam), HIWORD(lParam)};
      if (size.cx != bar->lastSize.cx || size.cy != bar->lastSize.cy) {
        bar->lastSize = size;
        bar->LayoutItems(size.cx, size.cy, true);
        if (bar->busyOverlay)
          SetWindowPos(bar->busyOverlay, HWND_TOP, 0, 0, size.cx, size.cy,
                       SWP_NOACTIVATE | SWP_NOREDRAW);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && frame) {
        gApp.m_iActiveWindowId = frame->id;
        gApp.RepaintFrames();
      }
      return 0;
    case WM_NCACTIVATE:
      return DefWindowProcA(window, message, frame && gApp.m_iActiveWindowId == frame->id,
                            lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      bar->Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      POINT cursor;
      GetCursorPos(&cursor);
      int hit = bar->HitTestGrip();
      if (hit == 1) {
        bar->StartDrag(cursor, false);
      } else if (hit == 2) {
        bar->closeState = 1;
        SetCapture(window);
        InvalidateRect(window, &bar->closeRect, FALSE);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (bar->dragging) {
        POINT cursor;
        GetCursorPos(&cursor);
        bar->DragTo(cursor);
        return 0;
      }
      if (bar->closeState >= 0 || (bar->flags & kBarCloseBox)) {
        POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        int hot = PtInRect(&bar->closeRect, at) ? 1 : 0;
        if (GetCapture() != window && hot != (bar->closeState == 1)) {
          bar->closeState = hot ? 1 : 0;
          InvalidateRect(window, &bar->closeRect, FALSE);
        }
      }
      return 0;
    }
    case WM_LBUTTONUP:
      if (bar->dragging) {
        bar->EndDrag();
      } else if (GetCapture() == window) {
        ReleaseCapture();
        POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        bool onClose = PtInRect(&bar->closeRect, at);
        bar->closeState = 0;
        InvalidateRect(window, &bar->closeRect, FALSE);
        if (onClose) gApp.ShowBar(bar, false);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (bar->dragging && reinterpret_cast<HWND>(lParam) != window) bar->dragging = false;
      return 0;
    case WM_NCLBUTTONDOWN: {
      SetActiveWindow(window);
      if (!frame) break;
      if (wParam == HTCAPTION) {
        // A floating bar's caption drags it like the gripper, so it can dock.
        if (frame->flags & kWindowBarPositionsLocked) return 0;
        POINT cursor = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        bar->StartDrag(cursor, true);
        return 0;
      }
      if (frame->flags & kWindowBarSizesLocked) return 0;
      break;
    }
    case WM_CLOSE:
      gApp.ShowBar(bar, false);
      return 0;
    case WM_NCRBUTTONUP:
    case WM_RBUTTONUP:
      if (frame) SendMessageA(frame->hwnd, MSG_WINDOW_MENU, 0, 0);
      return 0;
    case WM_SIZING:
      if (bar->dockSide < 0) {
        // The items wrap for the new width; the height follows the lines.
        RECT* sizing = reinterpret_cast<RECT*>(lParam);
        SIZE frameSize = bar->FloatingOuterSize(0, 0);
        int clientWidth = (sizing->right - sizing->left) - frameSize.cx;
        int clientHeight = (sizing->bottom - sizing->top) - frameSize.cy;
        bar->LayoutItems(clientWidth, clientHeight, true);
        SIZE outer = bar->FloatingOuterSize(bar->length, bar->thickness);
        if (wParam == WMSZ_LEFT || wParam == WMSZ_TOPLEFT || wParam == WMSZ_BOTTOMLEFT)
          sizing->left = sizing->right - outer.cx;
        else
          sizing->right = sizing->left + outer.cx;
        if (wParam == WMSZ_TOP || wParam == WMSZ_TOPLEFT || wParam == WMSZ_TOPRIGHT)
          sizing->top = sizing->bottom - outer.cy;
        else
          sizing->bottom = sizing->top + outer.cy;
        return 1;
      }
      break;
    case WM_DPICHANGED:
      if (bar->dockSide < 0) PostMessageA(window, MSG_REFIT, 0, 0);
      return 0;
    case MSG_REFIT: {
      bar->LayoutItems(-1, -1, true);
      SIZE outer = bar->FloatingOuterSize(bar->length, bar->thickness);
      SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case MSG_ITEM_NOTIFY:
      if (frame) return SendMessageA(frame->hwnd, message, wParam, lParam);
      return 0;
    case MSG_SET_OPEN_POPUP:
      bar->openPopup = reinterpret_cast<CMenu*>(lParam);
      return 0;
    case MSG_GET_OPEN_POPUP:
      return reinterpret_cast<LRESULT>(bar->openPopup);
    case MSG_PAINT_BACKGROUND:
      return PaintBackgroundAt(reinterpret_cast<HDC>(wParam), lParam,
                               [bar](HDC dc) { bar->Paint(dc); });
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->hwndFrom && header->hwndFrom != window)
        return SendMessageA(header->hwndFrom, WM_NOTIFY, wParam, lParam);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
