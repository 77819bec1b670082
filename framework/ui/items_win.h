#pragma once
// The plain members of the item family: buttons, static texts, separators
// and the tree (a system tree view the program's procedure subclasses).
#include <windows.h>
#include <commctrl.h>

#include "framework/ui/ui_item_win.h"

class CButton : public CUIItem {
 public:
  CButton() { kind = kItemButton; }
  void Paint(HDC dc, const RECT& client) override;
};

// A label with two prefixes: "#n" draws image n as a square before the
// rest, "@n" (0-100) a progress box of n percent after it.
class CStatic : public CUIItem {
 public:
  CStatic() { kind = kItemStatic; }
  void Paint(HDC dc, const RECT& client) override;
  void OnSize() override;
};

class CSeparator : public CUIItem {
 public:
  CSeparator() { kind = 0; }
  void Layout(const CommandRecord* command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;
};

// The command's data holds the program's tree procedure, which passes what
// it does not handle on to CallTreeDefProc.
class CTree : public CUIItem {
 public:
  CTree() { kind = kItemTree; }
  int Create(uint16_t commandId, HWND parent, HWND ownerWindow, CMenu* inPopup) override;
  void Layout(const CommandRecord*, int) override {}
  void OnDestroy() override;
  void Paint(HDC, const RECT&) override {}

  WNDPROC treeProc = nullptr;  // the system tree view's own procedure
  DWORD style = 0;
  HIMAGELIST imageList = nullptr;
};

// The system tree view's handling for the program's tree procedure.
LRESULT CallTreeDefProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam);
