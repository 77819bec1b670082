#pragma once
// The application object's view of its top-level windows and dock bars: what
// it needs to register, find, rescale, save and destroy them. The full window
// (bays, menus, busy overlay) and the bars build on these classes.
#include <windows.h>

#include <cstdint>

// Window flag bits the application object reads.
constexpr uint32_t kWindowKeepOnRescale = 0x4;
constexpr uint32_t kWindowActiveTarget = 0x400;    // takes forwarded requests
constexpr uint32_t kWindowOwnSizingFrame = 0x800;
constexpr uint32_t kWindowSizeLocked = 0x1000;
constexpr uint32_t kWindowNoRescale = 0x10000000;

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

class CAppWindow {
 public:
  virtual ~CAppWindow() = default;

  // Creates the window (class "ORVWindow", owned by the phantom window,
  // hidden) with the caller's procedure. 0, or 61442.
  virtual int Create(uint16_t id, WNDPROC procedure, const char* title, uint32_t flags);
  virtual void Destroy();
  virtual void SetGhost(bool on);
  virtual int SavePlacement();
  // Moves and sizes the window to the rectangle (screen coordinates).
  virtual void SetPosition(const RECT& rect, bool show);
  // Keyboard focus to the next (+1) or previous (-1) focusable child; true
  // when the focus moved.
  virtual bool MoveFocus(int step);

  HWND hwnd = nullptr;
  uint16_t id = 0;
  uint32_t flags = 0;
  RECT normalRect = {};
  int transparency = 0;
  bool ghost = false;
};

class CDockBar {
 public:
  virtual ~CDockBar() = default;
  virtual int SaveState() = 0;   // writes "(ORV)Bar" with the bar id
  virtual void Destroy() = 0;
  HWND hwnd = nullptr;
  uint16_t id = 0;
};

// Layered alpha and click-through of a window; percent 0 turns both off.
void SetWindowTransparency(HWND window, int percent, bool clickThrough);
