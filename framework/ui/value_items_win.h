#pragma once
// Items that edit a value the program owns (the command's data points at
// it) and run their own drags: slider, brush size, colour and palette.
// The colour and palette items pick colours from anywhere on the screen
// while a button is held outside them (the eyedropper).
#include <windows.h>

#include <cstdint>

#include "framework/ui/ui_item_win.h"
#include "framework/ui/value_item_math.h"

constexpr int kEyedropperCursor = 50105;
constexpr uint16_t kImageBrushFrame = 61804;
constexpr uint16_t kImageNoColor = 61805;

struct RangeValue {
  int32_t value;
  int32_t minimum;
  int32_t maximum;
};

struct ColorValue {
  uint32_t argb;  // 0xAARRGGBB
  uint8_t flag;   // 0: no colour (the "none" mark shows)
};

struct PaletteValue {
  uint32_t cells[kPaletteCells];  // 0xAARRGGBB
  uint32_t underCursor;
  int32_t selected;
};
static_assert(sizeof(PaletteValue) == 18 * 4, "16 cells, the colour under the cursor, the selection");

// What all four share: the value pointer from the command, and the flag
// that keeps the application object from showing them pressed.
class CValueItem : public CUIItem {
 public:
  int OnCreate(CommandRecord* command, HWND parent, HWND ownerWindow, CMenu* inPopup) override;
  // MSG_ITEM_NOTIFY with the command id and the item's code.
  void Notify(LPARAM code);

 protected:
  virtual ItemHook Hook() const = 0;
  virtual bool KeepsPress() const { return true; }
  void* data_ = nullptr;
};

class CSlider : public CValueItem {
 public:
  CSlider() { kind = kItemSlider; }
  void OnLayout(const CommandRecord* command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;

  RangeValue* Value() const { return static_cast<RangeValue*>(data_); }
  double Step() const;
  RECT thumb = {};
  bool dragging = false;

 protected:
  ItemHook Hook() const override;
  bool KeepsPress() const override { return false; }
};

class CBrushSize : public CValueItem {
 public:
  CBrushSize() { kind = kItemBrushSize; }
  ~CBrushSize() override;
  void OnLayout(const CommandRecord* command, int orientation) override;
  void OnDestroy() override;
  void Paint(HDC dc, const RECT& client) override;

  RangeValue* Value() const { return static_cast<RangeValue*>(data_); }
  int lastValue = INT32_MIN;
  int lastTextLength = -1;
  int lastWidth = -1;
  HFONT font = nullptr;
  RECT textBox = {};
  char text[16] = {};
  bool dragging = false;
  int startY = 0;
  int32_t startValue = 0;

 protected:
  ItemHook Hook() const override;
};

class CColor : public CValueItem {
 public:
  CColor() { kind = kItemColor; }
  void OnLayout(const CommandRecord* command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;
  ColorValue* Value() const { return static_cast<ColorValue*>(data_); }

 protected:
  ItemHook Hook() const override;
};

class CPalette : public CValueItem {
 public:
  CPalette() { kind = kItemPalette; }
  void OnLayout(const CommandRecord* command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;
  PaletteValue* Value() const { return static_cast<PaletteValue*>(data_); }
  void LayoutCells();

  RECT cellRects[kPaletteCells] = {};
  bool tall = false;

 protected:
  ItemHook Hook() const override;
};

// The screen colour under the cursor as 0xFFRRGGBB.
uint32_t ScreenColorAtCursor();
