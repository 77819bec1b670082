#pragma once
// What the user-interface tests share: the framework set up without a start
// of the program, a test frame that records what items tell it, and real
// input through SendInput, pumped through the application's message loop.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/app/app_win.h"

// Text ids of the test table (label, shortcut, status text variants).
enum : uint16_t {
  kTestText = 100,          // "Alpha" / "Ctrl+A" / "Alpha does a"
  kTestTextLong = 101,      // a long label
  kTestTextShort = 102,     // "B"
};

// Sets up what items, menus and boxes need; once per process.
void SetUpFramework();

// A framework window (id 1 unless given) that records its notices.
class CTestFrame {
 public:
  explicit CTestFrame(int x = 100, int y = 100, int width = 400, int height = 300, uint16_t id = 1);
  ~CTestFrame();
  CTestFrame(const CTestFrame&) = delete;
  CTestFrame& operator=(const CTestFrame&) = delete;

  HWND hwnd = nullptr;
  CAppWindow* window = nullptr;
};

struct Notice {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
// What the frames received since the last Clear: MSG_ITEM_NOTIFY,
// MSG_ITEM_DBLCLK, MSG_ITEM_DRAG_OUT and WM_CHAR.
std::vector<Notice>& Notices();
int CountNotices(UINT message);
// The colour frames paint behind transparent item parts.
extern COLORREF gFrameBackground;
// The text frames answer for dynamic texts (text id 0xFFFE).
extern const char* gDynamicText;
// The id list frames give a menu that asks for one (MSG_GET_MENU_IDS).
extern uint16_t* gMenuIdsAnswer;
// Frames paint owner-drawn images (MSG_DRAW_ICON) 16 x 16 in this colour.
extern COLORREF gOwnerDrawnColor;
// Called when a frame receives WM_APP (wParam passed on): lets another
// thread make the user interface thread act while a modal loop runs.
extern void (*gFrameAppMessage)(WPARAM wParam);

// Runs the message loop (DispatchAppMessage) for about `ms` milliseconds.
void Pump(int ms = 30);
// Runs it until the condition holds or `ms` pass; the condition's last value.
template <class Condition>
bool PumpUntil(Condition condition, int ms = 2000) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > DWORD(ms)) return false;
    Pump(10);
  }
  return true;
}

// Real input.
void MoveMouse(int x, int y);
void MouseButton(int button, bool down);  // 0 left, 1 right, 2 middle
void ClickAt(int x, int y);
void KeyDown(WORD key);
void KeyUp(WORD key);
// Taps the key with the modifiers held (VK_CONTROL, VK_SHIFT, VK_MENU).
void Tap(WORD key, std::vector<WORD> modifiers = {});

// The screen's pixel as a COLORREF, read through GetDIBits of a screen copy.
COLORREF ScreenPixel(int x, int y);
// Screen pixels of a rectangle, rows top-down, 0x00RRGGBB.
std::vector<uint32_t> ScreenPixels(const RECT& rect);
RECT ScreenRectOf(HWND window);
// A screenshot of the display by ImageMagick's import (a Unix program the
// test starts), as a file below the test's output folder; the Unix path of
// the PNG, or empty when it did not arrive.
std::string TakeScreenshot(const std::string& name);

// Adds a command (kind, flags, text id) and makes its item in `parent`
// positioned at x, y (its laid-out size).
CUIItem* MakeItem(uint16_t id, uint16_t kind, uint32_t flags, uint16_t text, HWND parent,
                  int x, int y, void* data = nullptr, uint16_t image = 0xFFFF);
void DestroyItem(CUIItem* item);

// What a user sees of a framework message box (dialog 50100).
struct BoxSeen {
  bool found = false;
  std::string heading;
  bool hasText = false;
  std::string text;
  std::vector<int> buttons;  // visible, in id order
  int defaultId = 0;
  bool closeBox = false;
  RECT icon = {}, headingRect = {}, textRect = {}, window = {};
  int headingWeight = 0;
  int defaultButtonWeight = 0;
  int textFits = 0;          // the text's wrapped height minus the control's height
  bool openAfterEscape = false;
  bool keyboard = false;     // the box had the keyboard (foreground, a button focused)
  bool textScrolls = false;  // the text is a read-only field with a scroll bar
};

// Answers the next message box from another thread: waits for it, reads
// it, optionally takes a screenshot, presses Escape when asked (noting
// whether the box stayed) and then Return.
struct BoxDriver {
  BoxSeen seen;
  bool escapeFirst = false;
  HWND owner = nullptr;      // the box must be owned by this window (null: any)
  std::string screenshot;    // taken while the box shows, when named
  bool byKeys = true;        // else OK is clicked by a message (the box may lack the focus)
};
HWND FindBox(HWND owner);
HWND WaitForBox(HWND owner);
void ReadBox(HWND box, BoxSeen* seen);
void PressKey(WORD key);  // from any thread
// Waits until keys reach the window: foreground with a child focused.
bool WaitForKeyboard(HWND window, int ms);
DWORD WINAPI DriveBox(LPVOID driver);

// Dialog templates in memory, in dialog units; atom 0x80 button, 0x81 edit.
struct DialogControl {
  DWORD style;
  short x, y, width, height;
  WORD id;
  WORD atom;
};
std::vector<WORD> DialogTemplate(const std::vector<DialogControl>& controls);
// An edit field (id 100) and a default button (id 1).
std::vector<WORD> EditDialogTemplate();
