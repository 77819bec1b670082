#pragma once
// Dock bays along the sides of a framework window and the dock bars that
// hold a row of UI items: docked in a bay's row, or floating as a small
// tool window owned by the frame.
#include <windows.h>

#include <cstdint>

#include "framework/app/grow_array.h"
#include "framework/window/bar_layout.h"
#include "framework/window/bay_layout.h"
#include "framework/window/window_flags.h"

class CAppWindow;
class CDockBar;
class CMenu;
class CUIItem;

class CDockBay {
 public:
  // 0 or 61442.
  int Create(int side, uint16_t frameId, int orientation);
  void Destroy();
  // The bars of this bay and their rows; the bay's thickness for a length.
  int CompactRows();
  int32_t Layout(int32_t length);
  int RowFromPoint() const;
  // The bay code where the bar lands with its top-left corner and the
  // cursor at these screen points, or -1. A hit moves the bar's row, x and
  // alignment flags there.
  int HitTestDrop(CDockBar* bar, POINT topLeft, POINT cursor);
  // Places the bay against the given edge; its thickness.
  int32_t Place(int x, int y, int width, int height);
  CAppWindow* Frame() const;
  int32_t UsableLength(int row) const;

  HWND hwnd = nullptr;
  uint16_t code = 0;  // side + 256 x frame id
  uint16_t frameId = 0;
  int side = 0;
  bool vertical = false;
  int32_t rows[kMaxBayRows] = {};
  int grip = -1;  // -1 never, else 1 while this bay draws the frame's size grip
  int gripSize = 16;
  int gripRow = -1;
  int dragRow = -1;
  int32_t dragStartSize = 0;
  POINT dragStart = {};
  int32_t length = 0;  // along the bay at the last layout
  SIZE lastClient = {};
};

class CDockBar {
 public:
  CDockBar();
  ~CDockBar();
  CDockBar(const CDockBar&) = delete;
  CDockBar& operator=(const CDockBar&) = delete;

  // 0, 61442 (window), 61443 (an item) or 61447 (an id without a command).
  int Create(uint16_t id, uint16_t frameId, int side, int row, int x, int y, int length,
             int thickness, uint16_t flags, uint16_t titleId, const uint16_t* idList);
  void Destroy();
  int BuildItems(const uint16_t* idList);
  void LayoutItems(int width, int height, bool force);
  // Docks in the bay of the code (side 255 floats) at the position and size.
  void Dock(int bayCode, int x, int y, int length, int thickness, bool reparent);
  int RequiredThickness();
  // 1 in the gripper, 2 in the close box, 0 elsewhere or when locked.
  int HitTestGrip() const;
  int SaveState();
  void ShowBusy(bool on);
  void Show(int showCommand);
  CAppWindow* Frame() const;
  int Orientation() const { return dockSide < 0 ? 2 : (dockSide >= 2 ? 1 : 0); }
  bool IsVisible() const { return (flags & kBarVisible) != 0; }
  // The items' outer size for a client size while floating.
  SIZE FloatingOuterSize(int clientWidth, int clientHeight) const;
  void StartDrag(POINT cursor, bool caption);
  void DragTo(POINT cursor);
  void EndDrag();
  void Paint(HDC dc);

  HWND hwnd = nullptr;
  HWND busyOverlay = nullptr;
  uint16_t id = 0;
  uint16_t frameId = 0;
  uint16_t bayCode = kBarFloating;
  uint16_t row = 0;
  int16_t x = 0, y = 0;
  uint16_t length = 0, thickness = 0;
  int16_t minLength = 0;
  uint16_t minThickness = 0;
  int16_t naturalLength = 0;
  uint16_t flags = 0;
  uint16_t titleId = 0xFFFF;
  int dockSide = -1;  // 0-3 docked, -1 floating
  RECT clientRect = {}, gripperRect = {}, closeRect = {};
  bool dragging = false;
  POINT dragOffset = {};
  int closeState = -1;
  int itemGap = 2;
  CPointerArray items;  // the bar's CUIItem pointers; the last is the overflow menu
  CAppWindow* frame = nullptr;
  CMenu* openPopup = nullptr;
  uint16_t* overflowIds = nullptr;
  SIZE lastSize = {};
  int32_t placedPos = 0, placedLength = 0;  // where the bay put it at the last layout

 private:
  bool MeasureItems();
  bool GripperLocked() const;
  CGrowArray<BarItem> records_;  // the items as last measured
  RECT lastRects_[3] = {};
  int measuredOrientation_ = -1;
};

LRESULT CALLBACK DockBayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DockBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
