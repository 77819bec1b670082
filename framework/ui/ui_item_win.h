#pragma once
// UI items: the controls of bars, popups and dialog lists. Each item owns one
// child window of the class "ORVAppUIItem", is bound by id to a command of
// the table, paints from the command's state and reports mouse actions to
// the application object, which changes the state and notifies the owner.
// Items never run commands themselves.
#include <windows.h>

#include <cstdint>

#include "framework/ui/command_table.h"
#include "framework/ui/ui_item_layout.h"
#include "framework/ui/ui_messages.h"

class CMenu;
class CDockBar;

constexpr int kStatusItemFailed = 61443;
constexpr int kStatusNoMenuIds = 61456;

// Mouse button masks.
enum : int { kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 4 };
// Layout orientations.
enum : int { kOrientHorizontal = 0, kOrientVertical = 1, kOrientFloating = 2 };
// Text variants.
enum : int { kTextLabel = 0, kTextShortcut = 1, kTextStatus = 2, kTextTooltip = 3,
             kTextSizingSample = 4 };

class CUIItem;
// A class's own mouse handling, called before the common handling.
typedef void (*ItemHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, CUIItem* item);

class CUIItem {
 public:
  CUIItem();
  virtual ~CUIItem();
  CUIItem(const CUIItem&) = delete;
  CUIItem& operator=(const CUIItem&) = delete;

  // Makes the window and binds the item to the command; 0 or 61442.
  virtual int Create(uint16_t commandId, HWND parent, HWND ownerWindow, CMenu* inPopup);
  // Class hook once the window exists; non-zero fails Create.
  virtual int OnCreate(CommandRecord* command, HWND parent, HWND ownerWindow, CMenu* inPopup);
  // Measures the item (orientation: kOrientHorizontal, kOrientVertical, kOrientFloating).
  virtual void Layout(const CommandRecord* command, int orientation);
  virtual void OnLayout(const CommandRecord* command, int orientation);
  // OnDestroy, the tooltip and the window go; containers then delete the item.
  virtual void Destroy();
  virtual void OnDestroy();
  virtual void Paint(HDC dc, const RECT& client) = 0;
  virtual void OnSize();
  // With value 0 the window repaints at once; the answer is OnRedraw's.
  virtual bool Redraw(int value);
  virtual bool OnRedraw(int value);

  ItemDrawState GetDrawState(uint32_t commandFlags) const;
  void LayoutParts(const RECT& rect, int offset, bool centred, bool inPopup);
  // The command's text of a variant; the owner's for dynamic texts; null when none.
  const char* GetText(int variant) const;
  // -1 keeps a stored value.
  void SetPosition(int newX, int newY, int newWidth, int newHeight);
  void SetCallback(ItemHook hook) { callback = hook; }

  CommandRecord* GetCommand() const;
  int Dpi() const;
  int Unit() const;  // the padding unit: a space of the user-interface font
  bool InPopup() const { return popup != nullptr; }
  // The common painting of buttons, menus and value items: background by
  // the draw state, image, label and shortcut, through an off-screen surface.
  void PaintCommon(HDC dc, const RECT& client, int backgroundKind, int corners, int stripWidth);
  void PaintContents(HDC dc, const CommandRecord& command, const ItemDrawState& state);
  // The background by the draw state, all corners rounded, and the parts
  // laid out; the draw state it used.
  ItemDrawState PaintBackgroundAndParts(HDC dc, const RECT& client, const CommandRecord& command);

  HWND hwnd = nullptr;
  HWND owner = nullptr;
  uint32_t id = 0xFFFF;
  uint32_t flags = 0;
  int kind = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t imageWidth = 0, imageHeight = 0;
  int32_t partWidth = 0, partHeight = 0;
  int32_t textWidth = 0, textHeight = 0;
  int32_t shortcutWidth = 0, shortcutHeight = 0;
  int32_t arrowWidth = 0, minHeight = 0;
  CMenu* popup = nullptr;   // the menu whose popup holds this item
  CDockBar* bar = nullptr;
  int32_t imageColumn = 0;
  LPARAM lastMouse = 0;
  bool inDragOut = false;
  RECT imageRect = {}, textRect = {}, partRect = {}, shortcutRect = {};
  ItemHook callback = nullptr;

 private:
  void AddTooltip(const CommandRecord& command);
  void RemoveTooltip();
  bool hasTooltip_ = false;
};

// The window procedure of "ORVAppUIItem" and its registration (at start-up).
LRESULT CALLBACK UIItemWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool RegisterUIItemClass(HINSTANCE instance);
// The item of a window of the class, or null.
CUIItem* ItemFromWindow(HWND window);

// The item object for a command kind; kind 99 gives the caller's object,
// kinds without an item class (6 until lists exist, 7, 8, unknown) none.
CUIItem* CreateUIItem(int kind, void* callerObject);
