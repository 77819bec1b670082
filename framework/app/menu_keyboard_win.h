#pragma once
// What the message loop needs of open popup menus and the menu bar's
// keyboard mode. The menu code implements CPopupChain and registers itself
// in gApp while a popup is open; the loop only routes keys and clicks.
#include <windows.h>

class CPopupChain {
 public:
  virtual ~CPopupChain() = default;
  virtual int GetDepth() const = 0;              // open popups; 0 is the top one
  virtual HWND GetWindow(int level) const = 0;
  virtual int GetHotEntry(int level) const = 0;  // highlighted entry, -1 none
  virtual void ClickEntry(int level, int entry) = 0;
  virtual void MoveHot(int level, int step) = 0; // previous (-1) or next (+1) usable entry
  virtual void ClosePopup(int level) = 0;        // that popup and those below it
  // Right arrow: into an open sub-popup, else into the hot entry's sub-popup
  // when its command is a split entry. False when there is none.
  virtual bool EnterSubPopup(int level) = 0;
  virtual void CloseAll() = 0;
};

// The menu bar's keyboard mode: 0 enter, 1 next entry, -1 previous, 2 leave.
// 1 when there is no active framework window (the key goes on), else 0.
typedef int (*MenuBarKeyboardFn)(int mode);
