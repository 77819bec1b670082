#pragma once
// Menus: a CMenu is an item (a menu-bar entry, a split button, a sub-menu
// entry) that owns a popup window of its own class. Opening the popup makes
// one item per command id of the menu's list inside it and stacks them;
// closing destroys them again. The application object decides when.
#include <windows.h>

#include "framework/app/grow_array.h"
#include "framework/ui/ui_item_win.h"

class CMenu : public CUIItem {
 public:
  CMenu();
  ~CMenu() override;

  int OnCreate(CommandRecord* command, HWND parent, HWND ownerWindow, CMenu* inPopup) override;
  void OnLayout(const CommandRecord* command, int orientation) override;
  void OnDestroy() override;
  void Paint(HDC dc, const RECT& client) override;

  // 0; 61456 without an id list, 61447 for an unknown command, 61443 when an
  // item failed (the items made so far stay until ClosePopup).
  int OpenPopup(const RECT& anchor);
  // Closes the open sub-popups first, then this one, and deletes its items.
  void ClosePopup();
  // Shows another menu command from now on, keeping the popup window
  // (the one menu that menus opened from code use). 0 or 61447.
  int Retarget(uint16_t commandId);
  // True when the cursor lies on the arrow part (the last arrowWidth pixels).
  bool HitTestArrow() const;
  // Repaints a split entry when the cursor moves onto or off its arrow part.
  void TrackArrowPart();

  int GetEntryCount() const { return items.count; }
  CUIItem* GetEntry(int index) const { return static_cast<CUIItem*>(items.data[index]); }
  HWND PopupWindow() const { return popupWindow; }
  bool IsOpen() const { return popupOpen; }

  CMenu* openSub = nullptr;   // the menu whose popup is open from this popup
  bool popupOpen = false;
  bool overArrow = false;
  uint32_t createFlags = 0;   // the command's flags at creation
  HWND popupWindow = nullptr; // class "ORVAppMenuPopup"
  CPointerArray items;        // the popup's items
  uint16_t* idList = nullptr; // ended by 0xFFFF; the command's, or the owner's

 private:
  bool IsBesideMenuColumn() const;
  void PlaceAndShow(const RECT& anchor, int contentWidth, int contentHeight);
};

LRESULT CALLBACK MenuPopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
