#pragma once
// The framework's top-level window: four dock bays along its sides, the
// client area between them, its stored placement, the window menu, the
// status texts its status item shows and the busy overlay. The program's
// procedure subclasses it and passes what it does not fully handle on to
// AppWindowDefProc.
#include <windows.h>

#include <cstdint>

#include "framework/app/grow_array.h"
#include "framework/draw/icon_list_win.h"
#include "framework/window/status_texts.h"
#include "framework/window/window_flags.h"
#include "framework/window/window_records.h"

class CMenu;
class CUIItem;
class CDockBay;
class CDockBar;

// Private messages of framework windows and bars.
constexpr UINT MSG_CLIENT_SIZED = 33769;    // after each layout, WM_SIZE's wParam and lParam
constexpr UINT MSG_WINDOW_MENU = 33770;     // show the window menu at the cursor
constexpr UINT MSG_SET_OPEN_POPUP = 33774;
constexpr UINT MSG_GET_OPEN_POPUP = 33775;
constexpr UINT MSG_BAR_SHOWN = 33783;       // wParam shown, lParam the bar
constexpr UINT MSG_SHOW_WINDOW = 33784;
constexpr UINT MSG_HELP_REQUEST = 33786;
constexpr UINT MSG_FOCUS_LIST = 33787;      // lParam the focusable children (HWND, null-ended)
constexpr UINT MSG_STYLE_CHANGED = 33792;   // wParam style, lParam extended style
constexpr UINT MSG_MENU_KEYBOARD = 33794;   // the menu bar's keyboard mode starts
constexpr UINT MSG_STATUS_CHANGED = 33806;  // the status records changed on another thread
constexpr UINT MSG_REFIT = 33807;           // a floating bar fits itself to a new DPI

constexpr int kWindowMenuIds = 66;  // window-menu entries with the end mark


class CAppWindow {
 public:
  CAppWindow();
  ~CAppWindow();
  CAppWindow(const CAppWindow&) = delete;
  CAppWindow& operator=(const CAppWindow&) = delete;

  // 0 or 61442. A 0 for x, y, width or height asks for the default.
  int Create(uint16_t id, WNDPROC procedure, const char* title, uint16_t iconId, uint32_t flags,
             int x, int y, int width, int height);
  // Removes the tray icon, destroys the icon, bays, mutex and window.
  void Destroy();
  // shownState -1 keeps the stored state. SW_SHOW and SW_SHOWNORMAL bring
  // the window to the foreground; floating bars follow.
  void Show(int showCommand, int shownState);
  void SetPosition(const RECT& rect, bool show);
  // Moves and sizes past the locks; width -1 only re-lays the window out.
  void Layout(int x, int y, int width, int height, bool show);
  void Relayout() { Layout(0, 0, -1, 0, false); }
  void SetMinTrackSize(int width, int height);
  // Safe from any thread: the records are guarded by the mutex.
  void SetStatusText(int part, const char* text);
  const char* GetStatusText(int part) const { return statusTexts.Get(part); }
  void SetTransparency(int percent);
  void SetGhost(bool on);
  void SetCaptionStyle(uint32_t bits);
  void ToggleFlag(uint32_t bit);
  void SetLock(uint32_t bit, bool on);
  const uint16_t* UpdateBarCommands();
  // Keyboard focus to the next (+1) or previous (-1) focusable child; true
  // when the focus moved.
  bool MoveFocus(int step);
  int SavePlacement();
  // The window-menu commands; false for ids it does not know.
  bool OnCommand(uint16_t commandId);
  CDockBay* GetBay(int side) const { return side >= 0 && side < 4 ? bays[side] : nullptr; }

  void GetStyles(DWORD* style, DWORD* exStyle) const;
  void Restyle();
  void LayoutClient(WPARAM sizeType, int width, int height);
  void UpdateNormalRect();
  void OnModalCount(int count);
  void OnDpiChanged(UINT newDpi, const RECT* suggested);
  void ShowStatusText();  // user interface thread: the status item shows the records
  void ApplyTransparency();

  HWND hwnd = nullptr;
  HWND busyOverlay = nullptr;
  HWND savedFocus = nullptr;
  HWND lostFocus = nullptr;  // the window that lost the focus to an item
  uint16_t id = 0;
  uint32_t flags = 0;
  RECT clientRect = {};
  RECT normalRect = {};
  RECT lastRect = {};
  uint16_t statusCommand = 0xFFFF;
  bool restyling = false;
  int minTrackWidth = 150, minTrackHeight = 100;
  HICON icon = nullptr;
  int transparency = 0;
  bool ghost = false;
  bool shown = false;
  UINT dpi = 96;
  uint16_t menuIds[kWindowMenuIds] = {0xFFFF};
  CDockBay* bays[4] = {};
  CStatusTexts statusTexts;
  HANDLE statusMutex = nullptr;
  CMenu* openPopup = nullptr;
  WNDPROC baseProc = nullptr;  // AppWindowWndProc, what the caller's procedure passes on to

 private:
  char statusShown_[kStatusTextChars] = {};  // what the string table points at
  const char* statusOriginal_ = nullptr;     // the status text before this window took it
  uint16_t statusTextId_ = 0xFFFF;
  friend class CDockBar;
};

// The framework's handling of a window's messages (the class procedure);
// AppWindowDefProc passes a message on to it from the caller's procedure.
LRESULT CALLBACK AppWindowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AppWindowDefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window menu's colour swatches (MSG_DRAW_ICON); 1 when drawn or sized.
LRESULT DrawWindowMenuSwatch(HDC dc, DrawIconRecord* record);
// After a screen change: floating bars of the window on no monitor move
// wholly onto the nearest one.
void FitFloatingBarsOnMonitors(CAppWindow* window);

// Layered alpha and click-through of a window; percent 0 turns both off.
void SetWindowTransparency(HWND window, int percent, bool clickThrough);
