#pragma once
// The application object's view of its top-level windows and dock bars: what
// it needs to register, find, rescale, save and destroy them, and what the
// commands, menus and items ask of them. The full window (bays, layout,
// window menu, busy overlay, status item) and the bars build on these
// classes; until they land, the bodies here are the simplest faithful ones.
#include <windows.h>

#include <cstdint>

#include "framework/app/grow_array.h"

class CMenu;
class CUIItem;
class CDockBar;

// Window flag bits the application object reads.
constexpr uint32_t kWindowKeepOnRescale = 0x4;
constexpr uint32_t kWindowNoCaption = 0x8;
constexpr uint32_t kWindowActiveTarget = 0x400;    // takes forwarded requests
constexpr uint32_t kWindowOwnSizingFrame = 0x800;
constexpr uint32_t kWindowSizeLocked = 0x1000;
constexpr uint32_t kWindowNoRescale = 0x10000000;

// Bar flag bits the application object reads.
constexpr uint16_t kBarVisible = 0x20;
constexpr uint8_t kBarFloating = 255;  // the side byte of a floating bar's bay code

// Messages between the application object and its windows.
constexpr UINT MSG_SET_OPEN_POPUP = 33774;
constexpr UINT MSG_GET_OPEN_POPUP = 33775;
constexpr UINT MSG_BAR_SHOWN = 33783;       // wParam shown, lParam the bar
constexpr UINT MSG_MENU_KEYBOARD = 33794;   // the menu bar's keyboard mode starts

#pragma pack(push, 1)
// "(ORV)Win" with the window id as index.
struct WindowPlacementRecord {
  int16_t x;
  int16_t y;
  uint16_t width;
  uint16_t height;
  uint32_t flags;
  uint16_t wTransparency;  // percent in the low byte, 0x1000 when ghost
  uint16_t wReserved;
};
#pragma pack(pop)
static_assert(sizeof(WindowPlacementRecord) == 16, "(ORV)Win is 16 bytes");

// A status text of a window: parts -3 and -2 ("Ready", the hovered item's
// description) and the program's own parts.
struct StatusRecord {
  int32_t part;
  char text[1024];
};

// A dock bay along one side of a window. Interim: no bay accepts a bar yet.
class CDockBay {
 public:
  virtual ~CDockBay() = default;
  // The bay code where the bar would dock with its top-left corner and the
  // cursor at these screen points, or -1.
  virtual int HitTestDrop(CDockBar* bar, POINT topLeft, POINT cursor);
  HWND hwnd = nullptr;
  uint16_t code = 0;  // side + 256 x frame id
  int side = 0;
};

class CAppWindow {
 public:
  virtual ~CAppWindow();

  // Creates the window (class "ORVWindow", owned by the phantom window,
  // hidden) with the caller's procedure, which passes what it does not fully
  // handle on to AppWindowDefProc. 0, or 61442.
  virtual int Create(uint16_t id, WNDPROC procedure, const char* title, uint32_t flags);
  virtual void Destroy();
  virtual void SetGhost(bool on);
  virtual int SavePlacement();
  // Moves and sizes the window to the rectangle (screen coordinates).
  virtual void SetPosition(const RECT& rect, bool show);
  // Keyboard focus to the next (+1) or previous (-1) focusable child; true
  // when the focus moved.
  virtual bool MoveFocus(int step);
  // Shows the window; shownState -1 keeps the stored state. SW_SHOW and
  // SW_SHOWNORMAL bring it to the foreground.
  virtual void Show(int showCommand, int shownState);
  // Lays the window out again at its current size.
  virtual void Relayout();
  // Sets (or with a null or empty text removes) the text of a status part.
  virtual void SetStatusText(int part, const char* text);
  // The dock bay of a side (0 top, 1 bottom, 2 left, 3 right), or null.
  virtual CDockBay* GetBay(int side);

  // The text of a status part, or null; for the status item and tests.
  const char* GetStatusText(int part) const;

  HWND hwnd = nullptr;
  uint16_t id = 0;
  uint32_t flags = 0;
  RECT normalRect = {};
  int transparency = 0;
  bool ghost = false;
  bool shown = false;
  HWND lostFocus = nullptr;   // the window that lost the focus to an item
  CMenu* openPopup = nullptr; // the menu whose popup is open from this window

 private:
  CGrowArray<StatusRecord> statusTexts_;
  HANDLE statusMutex_ = nullptr;
};

class CDockBar {
 public:
  virtual ~CDockBar() = default;
  virtual int SaveState() = 0;   // writes "(ORV)Bar" with the bar id
  virtual void Destroy() = 0;
  // Docks the bar in the bay with the code (side + 256 x frame id; side 255
  // floats it) at the position and size.
  virtual void Dock(int bayCode, int x, int y, int length, int thickness, bool reparent);
  HWND hwnd = nullptr;
  uint16_t id = 0;
  uint16_t frameId = 0;
  uint16_t bayCode = kBarFloating;
  uint16_t row = 0;
  int16_t x = 0;
  int16_t y = 0;
  uint16_t length = 0;
  uint16_t thickness = 0;
  uint16_t flags = 0;
  int dockSide = -1;             // 0-3 docked, -1 floating
  CPointerArray items;           // the bar's CUIItem pointers
  CMenu* openPopup = nullptr;    // the menu whose popup is open from this bar
};

// What a framework window does with the messages its caller's procedure
// passes on: the open popup, activation and the busy overlay.
LRESULT CALLBACK AppWindowDefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Layered alpha and click-through of a window; percent 0 turns both off.
void SetWindowTransparency(HWND window, int percent, bool clickThrough);
