// Buttons, static texts, separators and trees, and the factory of the family.
#include "framework/ui/items_win.h"

#include <cstdlib>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/icon_list_win.h"
#include "framework/draw/memory_dc_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/value_items_win.h"

CUIItem* CreateUIItem(int kind, void* callerObject) {
  switch (kind) {
    case kItemButton: return new CButton;
    case kItemStatic: return new CStatic;
    case kItemMenu: return new CMenu;
    case kItemSeparator: return new CSeparator;
    case kItemTree: return new CTree;
    case kItemSlider: return new CSlider;
    case kItemBrushSize: return new CBrushSize;
    case kItemColor: return new CColor;
    case kItemPalette: return new CPalette;
    case kItemCallerObject: return static_cast<CUIItem*>(callerObject);
  }
  return nullptr;  // lists come with their own item class
}

void CButton::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  ItemDrawState state = GetDrawState(command->flags);
  bool checked = state.background == kBackChecked || state.background == kBackCheckedDisabled;
  int strip = InPopup() && checked ? textHeight + 2 * Unit() : 0;
  PaintCommon(dc, client, state.background, kAllCorners, strip);
}

namespace {

// Reads a number after a prefix character; advances past it.
int ReadPrefixNumber(const char** text) {
  char* end = nullptr;
  long value = strtol(*text, &end, 10);
  *text = end;
  return int(value);
}

}  // namespace

void CStatic::Paint(HDC dc, const RECT& client) {
  const CommandRecord* command = GetCommand();
  if (!command) return;
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  int background = kBackTransparent;
  if (command->flags & kCommandSplitOrThin) background = kBackSunken;
  else if (command->flags & kCommandArrowPressed) background = kBackRaised;
  DrawItemBackground(dc, client, background, 0, 0);
  ItemDrawState state = GetDrawState(command->flags);
  LayoutParts(client, 0, state.centred, InPopup());
  if (imageWidth > 0 && command->image != kNoImage)
    DrawIconScaled(dc, command->image, command->flags, imageRect);
  const char* text = GetText(kTextLabel);
  if (text && textWidth > 0) {
    int dpi = Dpi();
    int unit = Unit();
    RECT at = textRect;
    int side = at.bottom - at.top;
    if (text[0] == '#' && text[1] >= '0' && text[1] <= '9') {
      ++text;
      int key = ReadPrefixNumber(&text);
      RECT square = {at.left, at.top, at.left + side, at.bottom};
      DrawIconScaled(dc, uint16_t(key), command->flags, square);
      at.left = square.right + unit;
    }
    int percent = -1;
    if (text[0] == '@' && text[1] >= '0' && text[1] <= '9') {
      ++text;
      percent = ReadPrefixNumber(&text);
      if (percent < 0) percent = 0;
      if (percent > 100) percent = 100;
    }
    DrawItemText(dc, dpi, "%s", state.textKind, at, state.centred ? 1 : 0, state.bold, text);
    if (percent >= 0) {
      int textW = 0;
      int textH = 0;
      MeasureItemText(text, state.bold, dpi, &textW, &textH);
      RECT box = {at.left + textW + 2 * unit, at.top, at.left + textW + 2 * unit + 10 * side,
                  at.bottom};
      FillRectColor(dc, box, GetThemeColor(51));
      RECT filled = {box.left, box.top, box.left + (box.right - box.left) * percent / 100,
                     box.bottom};
      FillRectColor(dc, filled, GetThemeColor(46));
      FrameRectColor(dc, box, GetThemeColor(53));
      RECT label = {box.right + unit, at.top, client.right, at.bottom};
      DrawItemText(dc, dpi, "%d%%", state.textKind, label, 0, state.bold, percent);
    }
  }
  surface.Flush();
}

void CStatic::OnSize() {
  if (flags & kCommandStretch) InvalidateRect(hwnd, nullptr, FALSE);
}

void CSeparator::Layout(const CommandRecord* command, int) {
  if (!command) return;
  flags = command->flags;
  width = height = (command->flags & kCommandSplitOrThin) ? 3 : 6;
  imageColumn = 0;
}

void CSeparator::Paint(HDC dc, const RECT& client) {
  CMemoryDC surface(dc, client.right + 1, client.bottom + 1);
  DrawItemBackground(dc, client, kBackTransparent, 0, 0);
  int w = client.right - client.left;
  int h = client.bottom - client.top;
  if (w == 6 || h == 6) {
    RECT line = client;
    if (w >= h) {
      line.left += 2;
      line.right -= 2;
    } else {
      line.top += 2;
      line.bottom -= 2;
    }
    DrawSeparatorLine(dc, line);
  }
  surface.Flush();
}

namespace {

// While the tree is told of its creation a second time, the system tree
// view (created long before) must not see it.
CTree* gTreeInSyntheticCreate = nullptr;

}  // namespace

LRESULT CallTreeDefProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  CTree* item = reinterpret_cast<CTree*>(GetWindowLongPtrA(tree, GWLP_USERDATA));
  if (!item || !item->treeProc) return DefWindowProcA(tree, message, wParam, lParam);
  if (message == WM_CREATE && item == gTreeInSyntheticCreate) return 0;
  return CallWindowProcA(item->treeProc, tree, message, wParam, lParam);
}

int CTree::Create(uint16_t commandId, HWND parent, HWND ownerWindow, CMenu* inPopup) {
  CommandRecord* command = gApp.Command(commandId);
  if (!command) return kStatusWindowFailed;
  style = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_SHOWSELALWAYS;
  if (command->flags & kCommandArrowPressed) style |= WS_TABSTOP;
  hwnd = CreateWindowExA(WS_EX_STATICEDGE, WC_TREEVIEWA, "", style, 0, 0, 64, 64, parent,
                         reinterpret_cast<HMENU>(uintptr_t(commandId)), gApp.m_hInstance,
                         nullptr);
  if (!hwnd) return kStatusWindowFailed;
  id = commandId;
  owner = ownerWindow;
  popup = inPopup;
  width = height = 64;
  // A tree never moves into a bar's overflow menu.
  command->flags &= ~kCommandAdded;
  flags = command->flags | kCommandFullThickness;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(this));
  WNDPROC procedure = reinterpret_cast<WNDPROC>(command->data);
  if (procedure) {
    treeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    CREATESTRUCTA create = {};
    create.hInstance = gApp.m_hInstance;
    create.hwndParent = parent;
    create.cx = create.cy = 64;
    create.style = LONG(style);
    create.lpszClass = WC_TREEVIEWA;
    gTreeInSyntheticCreate = this;
    SendMessageA(hwnd, WM_CREATE, 0, LPARAM(&create));
    gTreeInSyntheticCreate = nullptr;
  }
  return 0;
}

void CTree::OnDestroy() {
  if (!hwnd || !IsWindow(hwnd)) return;
  HIMAGELIST list = reinterpret_cast<HIMAGELIST>(
      SendMessageA(hwnd, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  if (list) ImageList_Destroy(list);
  imageList = nullptr;
  // The tree's user data is not an item's; the base must not read it.
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
  hwnd = nullptr;
}
