#pragma once
// The command table: one record per user-interface command id, sorted by id.
// Items paint from their command's record; menus are commands whose data
// lists their entries; the application object changes the state bits.
#include <cstdint>

#include "framework/app/grow_array.h"

// Item kinds that show a command (the type codes of CreateUIItem).
enum : uint16_t {
  kItemButton = 1,
  kItemStatic = 2,
  kItemMenu = 3,
  kItemSeparator = 4,
  kItemTree = 5,
  kItemList = 6,
  kItemSlider = 9,
  kItemBrushSize = 10,
  kItemColor = 11,
  kItemPalette = 12,
  kItemCallerObject = 99,  // data holds the item object
};

// Command flag bits.
constexpr uint32_t kCommandEnabled = 0x1;
constexpr uint32_t kCommandStretch = 0x2;        // the label fills the item's width
constexpr uint32_t kCommandFullThickness = 0x4;
constexpr uint32_t kCommandOwnRow = 0x8;
constexpr uint32_t kCommandCentred = 0x10;
constexpr uint32_t kCommandBold = 0x40;
constexpr uint32_t kCommandLabel = 0x80;         // outside popups the label shows too
constexpr uint32_t kCommandImage = 0x100;        // a 16 x 16 image at 96 DPI
constexpr uint32_t kCommandHot = 0x200;
constexpr uint32_t kCommandPressed = 0x400;
constexpr uint32_t kCommandChecked = 0x800;
constexpr uint32_t kCommandAdded = 0x1000;       // set on every added command
constexpr uint32_t kCommandKeepsPress = 0x8000;  // value items run their own drags
constexpr uint32_t kCommandSizingSample = 0x10000;
constexpr uint32_t kCommandDragOut = 0x20000;
constexpr uint32_t kCommandTooltipInPopup = 0x40000;
constexpr uint32_t kCommandHidden = 0x800000;
constexpr uint32_t kCommandSplitOrThin = 0x1000000;   // split menu entry, thin separator
constexpr uint32_t kCommandArrowPressed = 0x2000000;  // a split entry's arrow part is down
constexpr uint32_t kCommandMenuBar = 0x4000000;       // a menu-bar entry (keyboard access)

constexpr uint16_t kSameAsId = 0xFFFF;        // image or text: use the command id
constexpr uint16_t kTextDynamic = 0xFFFE;     // the owner supplies the text
constexpr uint16_t kListEnd = 0xFFFF;         // ends a menu's entry list
constexpr intptr_t kEntriesFromOwner = -1;    // menu entry list filled later
constexpr uint16_t kSeparatorCommand = 61440;
constexpr uint16_t kThinSeparatorCommand = 61441;
constexpr uint16_t kOverflowMenuCommand = 0xF100;
constexpr uint16_t kWindowMenuCommand = 61701;
constexpr int kStatusUnknownCommand = 61447;

struct CommandRecord {
  uint16_t id;
  uint16_t kind;
  float fWidthFactor;
  float fHeightFactor;
  uint32_t flags;
  uint16_t image;
  uint16_t text;
  void* data;  // menu: uint16_t ids ended by kListEnd (or kEntriesFromOwner); value items: the value
};

class CCommandTable {
 public:
  // Inserts at the sorted place with flags | 0x1001; image or text 0xFFFF
  // become the id. The record's index, or -1 when the table cannot grow.
  // A second record with an existing id is accepted; lookups find one.
  int Add(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text, void* data,
          float widthFactor, float heightFactor);
  int Find(uint16_t id) const;           // index or -1
  int64_t GetFlags(uint16_t id) const;   // flags, or -1 when unknown
  CommandRecord* GetAt(int index) const;
  CommandRecord* Get(uint16_t id) const { return GetAt(Find(id)); }
  void Remove(uint16_t id);
  // Removes every record with first <= id < end (a group of ids that the
  // program adds and removes together, such as its profiles).
  void RemoveRange(uint16_t first, uint32_t end);
  int GetCount() const { return m_aRecords.count; }
  void Clear() { m_aRecords.RemoveAll(); }

 private:
  CGrowArray<CommandRecord> m_aRecords;
};
