#include "framework/draw/window_pick_win.h"

namespace {

// The picker being searched through; one at a time on the UI thread.
HWND gPickerWindow;
WNDPROC gPickerOldProc;
bool gPickerTransparent;

LRESULT CALLBACK PickerSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCHITTEST) {
    if (wParam == kPickerTransparentOn || wParam == kPickerTransparentOff) {
      gPickerTransparent = wParam == kPickerTransparentOn;
      return 0;
    }
    if (gPickerTransparent) return HTTRANSPARENT;
  }
  return CallWindowProcA(gPickerOldProc, window, message, wParam, lParam);
}

// Makes the picker see-through for the life of the object and removes the
// subclass on every way out. A picker that is already subclassed (a nested
// search) is left to the outer owner.
class CPickerScope {
 public:
  explicit CPickerScope(HWND picker) {
    if (!picker || gPickerWindow ||
        GetWindowLongPtrA(picker, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(PickerSubclassProc)) {
      return;
    }
    LONG_PTR old = SetWindowLongPtrA(picker, GWLP_WNDPROC,
                                     reinterpret_cast<LONG_PTR>(PickerSubclassProc));
    if (!old) return;
    mOwned = picker;
    gPickerWindow = picker;
    gPickerOldProc = reinterpret_cast<WNDPROC>(old);
    SendMessageA(picker, WM_NCHITTEST, kPickerTransparentOn, 0);
  }
  ~CPickerScope() {
    if (!mOwned) return;
    SendMessageA(gPickerWindow, WM_NCHITTEST, kPickerTransparentOff, 0);
    SetWindowLongPtrA(gPickerWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPickerOldProc));
    gPickerWindow = nullptr;
    gPickerOldProc = nullptr;
    gPickerTransparent = false;
  }
  CPickerScope(const CPickerScope&) = delete;
  CPickerScope& operator=(const CPickerScope&) = delete;

 private:
  HWND mOwned = nullptr;
};

struct ChildSearch {
  POINT pt;
  bool includeHidden;
  HWND best;
  unsigned long long bestArea;
};

BOOL CALLBACK TopWindowEnumProc(HWND window, LPARAM param) {
  ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
  if (!search->includeHidden && !IsWindowVisible(window)) return TRUE;
  RECT rect;
  if (!GetWindowRect(window, &rect) || !PtInRect(&rect, search->pt)) return TRUE;
  unsigned long long area =
      static_cast<unsigned long long>(static_cast<unsigned>(rect.right - rect.left)) *
      static_cast<unsigned>(rect.bottom - rect.top);
  if (!search->best || area < search->bestArea) {
    search->best = window;
    search->bestArea = area;
  }
  return TRUE;
}

HWND FindPick(POINT pt, bool includeHidden) {
  HWND start = WindowFromPoint(pt);
  // Nothing under the point: searching from a null parent would wander
  // through every top-level window, so stop here.
  if (!start) return nullptr;
  HWND parent = GetParent(start);
  if (parent && !(GetWindowLongPtrA(start, GWL_STYLE) & WS_POPUP)) start = parent;

  ChildSearch search = {pt, includeHidden, nullptr, 0};
  EnumChildWindows(start, TopWindowEnumProc, reinterpret_cast<LPARAM>(&search));
  HWND pick = search.best ? search.best : start;
  if (!includeHidden) {
    while (pick && !IsWindowVisible(pick)) pick = GetParent(pick);
    if (!pick) pick = start;
  }
  return pick;
}

}  // namespace

HWND WindowFromPointEx(int x, int y, bool rootOnly, bool includeHidden, HWND picker,
                       HWND* root) {
  HWND pick;
  {
    CPickerScope scope(picker);
    pick = FindPick(POINT{x, y}, includeHidden);
  }
  HWND top = pick && (rootOnly || root) ? GetAncestor(pick, GA_ROOT) : nullptr;
  if (root) *root = top;
  return rootOnly ? top : pick;
}
