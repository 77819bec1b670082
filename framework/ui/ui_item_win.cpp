// The base of the UI items: creation, measuring, the common painting, and
// the window procedure that turns mouse input into the application object's
// item notifications.
#include "framework/ui/ui_item_win.h"

#include <windowsx.h>
#include <commctrl.h>

#include <cstdio>

#include "framework/app/app_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/icon_list_win.h"
#include "framework/draw/memory_dc_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/ui/menu_item_win.h"

namespace {

const char kItemClass[] = "ORVAppUIItem";

int HeldButtons() {
  int held = 0;
  if (GetAsyncKeyState(VK_LBUTTON) < 0) held |= kMouseLeft;
  if (GetAsyncKeyState(VK_RBUTTON) < 0) held |= kMouseRight;
  if (GetAsyncKeyState(VK_MBUTTON) < 0) held |= kMouseMiddle;
  return held;
}

int ButtonIndex(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return 0;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return 1;
    default: return 2;
  }
}

bool IsCommandEnabled(const CUIItem* item) {
  const CommandRecord* command = item->GetCommand();
  return command && (command->flags & kCommandEnabled);
}

POINT ScreenPointOf(HWND window, LPARAM lParam) {
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(window, &point);
  return point;
}

void OnMouseMove(CUIItem* item, LPARAM lParam) {
  if (!IsCommandEnabled(item) || item->inDragOut || lParam == item->lastMouse) return;
  HWND window = item->hwnd;
  if (lParam != -1) item->lastMouse = lParam;
  ItemMouseState& mouse = gApp.m_itemMouse;
  if (mouse.hot != window) {
    HWND previous = mouse.hot;
    mouse.hot = window;
    if (previous && IsWindow(previous)) SendMessageA(previous, WM_MOUSELEAVE, 0, 0);
    if (IsCursorOverWindow(window)) {
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 0};
      TrackMouseEvent(&track);
    }
    gApp.OnItemHover(item);
  }
  const CommandRecord* command = item->GetCommand();
  if (command && (command->flags & kCommandDragOut) && mouse.pressed == window &&
      !IsCursorOverWindow(window)) {
    item->inDragOut = true;
    SendMessageA(item->owner, MSG_ITEM_DRAG_OUT, item->id, 0);
    if (GetCapture() == window) ReleaseCapture();
    mouse.pressed = nullptr;
    item->inDragOut = false;
    PostMessageA(window, WM_MOUSELEAVE, 0, 0);
  }
  if (item->kind == kItemMenu) static_cast<CMenu*>(item)->TrackArrowPart();
  gApp.OnItemMouseMove(item);
}

void OnButtonDown(CUIItem* item, UINT message) {
  if (!IsCommandEnabled(item)) return;
  HWND window = item->hwnd;
  ItemMouseState& mouse = gApp.m_itemMouse;
  int index = ButtonIndex(message);
  int mask = 1 << index;
  mouse.pressed = window;
  gApp.OnItemButtonDown(item, mask | HeldButtons());
  if (!IsWindow(window)) return;
  SetCapture(window);
  DWORD now = GetTickCount();
  UINT doubleClickTime = gApp.m_uDoubleClickTime ? gApp.m_uDoubleClickTime : GetDoubleClickTime();
  // Both presses must hit this item; a press on another item starts anew.
  if (mouse.pressWindow[index] == window && now - mouse.pressTick[index] < doubleClickTime) {
    gApp.OnItemDoubleClick(item, mask | HeldButtons());
    if (!IsWindow(window)) return;
  }
  mouse.pressTick[index] = now;
  mouse.pressWindow[index] = window;
}

void OnButtonUp(CUIItem* item, UINT message, LPARAM lParam) {
  HWND window = item->hwnd;
  ItemMouseState& mouse = gApp.m_itemMouse;
  // The capture goes even when the command was disabled meanwhile.
  if (GetCapture() == window) ReleaseCapture();
  bool held = mouse.pressed == window;
  mouse.pressed = nullptr;
  if (!IsCommandEnabled(item)) return;
  bool click = lParam == -1 || (held && WindowFromPoint(ScreenPointOf(window, lParam)) == window);
  // Released elsewhere: no move over the item will tell it the mouse left.
  if (!click && lParam != -1 && !IsCursorOverWindow(window)) PostMessageA(window, WM_MOUSELEAVE, 0, 0);
  if (click) gApp.OnItemClick(item, (1 << ButtonIndex(message)) | HeldButtons());
}

}  // namespace

CUIItem::CUIItem() { gApp.AddItem(this); }

CUIItem::~CUIItem() {
  CommandRecord* command = GetCommand();
  if (command) command->flags &= ~(kCommandHot | kCommandPressed);
  gApp.RemoveItem(this);
  RemoveTooltip();
  if (hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
  hwnd = nullptr;
}

CommandRecord* CUIItem::GetCommand() const {
  return id == 0xFFFF ? nullptr : gApp.Command(uint16_t(id));
}

int CUIItem::Dpi() const { return int(hwnd ? GetWindowDpi(hwnd) : 96); }

int CUIItem::Unit() const { return GetSpaceWidth(Dpi()); }

int CUIItem::Create(uint16_t commandId, HWND parent, HWND ownerWindow, CMenu* inPopup) {
  hwnd = CreateWindowExA(0, kItemClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                         0, 0, parent, reinterpret_cast<HMENU>(uintptr_t(commandId)),
                         gApp.m_hInstance, nullptr);
  if (!hwnd) return kStatusWindowFailed;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(this));
  id = commandId;
  owner = ownerWindow;
  popup = inPopup;
  CommandRecord* command = GetCommand();
  if (!command) return kStatusWindowFailed;
  if (!popup || (command->flags & kCommandTooltipInPopup)) AddTooltip(*command);
  if (OnCreate(command, parent, ownerWindow, inPopup) != 0) return kStatusWindowFailed;
  command = GetCommand();  // the class hook may have changed the record
  Layout(command, kOrientHorizontal);
  return 0;
}

int CUIItem::OnCreate(CommandRecord*, HWND, HWND, CMenu*) { return 0; }

void CUIItem::AddTooltip(const CommandRecord& command) {
  if (!gApp.m_hwndTooltip) return;
  char text[512];
  const char* tip = GetText(kTextTooltip);
  const char* label = GetText(kTextLabel);
  const char* shortcut = GetText(kTextShortcut);
  if (tip) snprintf(text, sizeof(text), "%s", tip);
  else if (label && shortcut) snprintf(text, sizeof(text), "%s (%s)", label, shortcut);
  else snprintf(text, sizeof(text), "%s", label ? label : "");
  (void)command;
  TTTOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(hwnd);
  tool.uId = UINT_PTR(hwnd);
  tool.hinst = gApp.m_hInstance;
  tool.lpszText = text;
  hasTooltip_ = SendMessageA(gApp.m_hwndTooltip, TTM_ADDTOOLA, 0, LPARAM(&tool)) != 0;
}

void CUIItem::RemoveTooltip() {
  if (!hasTooltip_ || !gApp.m_hwndTooltip) return;
  TTTOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = GetParent(hwnd);
  tool.uId = UINT_PTR(hwnd);
  SendMessageA(gApp.m_hwndTooltip, TTM_DELTOOLA, 0, LPARAM(&tool));
  hasTooltip_ = false;
}

void CUIItem::Layout(const CommandRecord* command, int orientation) {
  if (!command) return;
  flags = command->flags;
  imageWidth = imageHeight = textWidth = textHeight = -1;
  partWidth = partHeight = arrowWidth = minHeight = 0;
  OnLayout(command, orientation);
  int dpi = Dpi();
  if (imageWidth < 0) imageWidth = imageHeight = (command->flags & kCommandImage) ? 16 : 0;
  bool bold = command->flags & kCommandBold;
  if (textWidth < 0) {
    textWidth = textHeight = 0;
    if ((InPopup() && partWidth == 0) || (command->flags & kCommandLabel)) {
      int variant = (command->flags & kCommandSizingSample) ? kTextSizingSample : kTextLabel;
      MeasureItemText(GetText(variant), bold, dpi, &textWidth, &textHeight);
    }
  }
  shortcutWidth = shortcutHeight = 0;
  if (InPopup()) MeasureItemText(GetText(kTextShortcut), bold, dpi, &shortcutWidth, &shortcutHeight);
  ItemParts parts = {imageWidth, imageHeight, partWidth, partHeight, textWidth, textHeight,
                     shortcutWidth, shortcutHeight, arrowWidth, minHeight};
  ItemSize size = FinishItemLayout(&parts, dpi, GetSpaceWidth(dpi), command->fWidthFactor,
                                   command->fHeightFactor);
  imageWidth = parts.imageWidth;
  imageHeight = parts.imageHeight;
  textWidth = parts.textWidth;
  textHeight = parts.textHeight;
  width = size.width;
  height = size.height;
  imageColumn = size.imageColumn;
}

void CUIItem::OnLayout(const CommandRecord*, int) {}

void CUIItem::Destroy() {
  OnDestroy();
  RemoveTooltip();
  if (hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
  hwnd = nullptr;
}

void CUIItem::OnDestroy() {}
void CUIItem::OnSize() {}

bool CUIItem::Redraw(int value) {
  if (value == 0 && hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return OnRedraw(value);
}

bool CUIItem::OnRedraw(int) { return false; }

ItemDrawState CUIItem::GetDrawState(uint32_t commandFlags) const {
  return ItemDrawStateOf(commandFlags, InPopup());
}

void CUIItem::LayoutParts(const RECT& rect, int offset, bool centred, bool inPopup) {
  ItemParts parts = {imageWidth, imageHeight, partWidth, partHeight, textWidth, textHeight,
                     shortcutWidth, shortcutHeight, arrowWidth, minHeight};
  int column = popup ? popup->imageColumn : 0;
  ItemPartRects rects = LayoutItemParts(parts, width, rect, offset, centred, inPopup, column,
                                        flags & kCommandStretch, Unit());
  imageRect = rects.image;
  textRect = rects.text;
  partRect = rects.part;
  shortcutRect = rects.shortcut;
}

const char* CUIItem::GetText(int variant) const {
  const CommandRecord* command = GetCommand();
  if (!command) return nullptr;
  if (command->text == kTextDynamic) {
    return reinterpret_cast<const char*>(
        SendMessageA(owner, MSG_GET_DYNAMIC_TEXT, WPARAM(id), LPARAM(variant)));
  }
  return gStringTable.GetText(command->text, variant);
}

void CUIItem::SetPosition(int newX, int newY, int newWidth, int newHeight) {
  if (newX != -1) x = newX;
  if (newY != -1) y = newY;
  if (newWidth != -1) width = newWidth;
  if (newHeight != -1) height = newHeight;
  if (hwnd)
    SetWindowPos(hwnd, nullptr, x, y, width, height,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
}

void CUIItem::PaintContents(HDC dc, const CommandRecord& command, const ItemDrawState& state) {
  int dpi = Dpi();
  if (imageWidth > 0 && command.image != kNoImage)
    DrawIconScaled(dc, command.image, command.flags, imageRect);
  const char* label = GetText(kTextLabel);
  if (label && textWidth > 0)
    DrawItemText(dc, dpi, "%s", state.textKind, textRect, state.centred ? 1 : 0, state.bold,
                 label);
  if (InPopup() && shortcutWidth > 0) {
    const char* shortcut = GetText(kTextShortcut);
    if (shortcut)
      DrawItemText(dc, dpi, "%s", state.textKind, shortcutRect, 2, state.bold, shortcut);
  }
  if (InPopup() && (command.flags & kCommandChecked) && !(command.flags & kCommandImage)) {
    RECT column = {0, 0, popup->imageColumn, height};
    DrawTick(dc, state.textKind, column);
  }
}

ItemDrawState CUIItem::PaintBackgroundAndParts(HDC dc, const RECT& client,
                                               const CommandRecord& command) {
  ItemDrawState state = GetDrawState(command.flags);
  DrawItemBackground(dc, client, state.background, state.background ? kAllCorners : 0, 0);
  LayoutParts(client, state.pressOffset, state.centred, InPopup());
  return state;
}

void CUIItem::PaintCommon(HDC dc, const RECT& client, int backgroundKind, int corners,
                          int stripWidth) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  ItemDrawState state = GetDrawState(command->flags);
  DrawItemBackground(dc, client, backgroundKind, backgroundKind ? corners : 0, stripWidth);
  LayoutParts(client, state.pressOffset, state.centred, InPopup());
  PaintContents(dc, *command, state);
  surface.Flush();
}

CUIItem* ItemFromWindow(HWND window) {
  return reinterpret_cast<CUIItem*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK UIItemWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CUIItem* item = ItemFromWindow(window);
  if (!item) return DefWindowProcA(window, message, wParam, lParam);
  if (item->callback) item->callback(window, message, wParam, lParam, item);
  item = ItemFromWindow(window);  // the hook may have let the item go
  if (!item) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_MOVE:
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_SIZE:
      item->OnSize();
      break;
    case WM_SETFOCUS: {
      CAppWindow* frame = gApp.FindParentWindow(window);
      if (frame) frame->lostFocus = reinterpret_cast<HWND>(wParam);
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      item->Paint(dc, client);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      OnMouseMove(item, lParam);
      break;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      OnButtonDown(item, message);
      break;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
      OnButtonUp(item, message, lParam);
      break;
    case WM_MOUSELEAVE:
      gApp.OnItemLeave(item);
      if (gApp.m_itemMouse.hot == window) gApp.m_itemMouse.hot = nullptr;
      break;
  }
  // A click may have closed the popup that held this item.
  return IsWindow(window) ? DefWindowProcA(window, message, wParam, lParam) : 0;
}

bool RegisterUIItemClass(HINSTANCE instance) {
  WNDCLASSA itemClass = {};
  itemClass.lpfnWndProc = UIItemWndProc;
  itemClass.hInstance = instance;
  itemClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  itemClass.lpszClassName = kItemClass;
  return RegisterClassA(&itemClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
