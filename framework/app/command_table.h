#pragma once
// The command table: one record per user-interface command id, sorted by id.
// This holds what the application object registers at start-up and what the
// items look up; menus, accelerators and item notifications build on it.
#include <cstdint>

#include "framework/app/grow_array.h"

// Item kinds that show a command.
enum : uint16_t {
  kItemButton = 1,
  kItemStatic = 2,
  kItemMenu = 3,
  kItemSeparator = 4,
};

// Command flag bits.
constexpr uint32_t kCommandEnabled = 0x1;
constexpr uint32_t kCommandAdded = 0x1000;     // set on every added command
constexpr uint32_t kCommandSplitOrThin = 0x1000000;

constexpr uint16_t kSameAsId = 0xFFFF;        // image or text: use the command id
constexpr uint16_t kListEnd = 0xFFFF;         // ends a menu's entry list
constexpr intptr_t kEntriesFromOwner = -1;    // menu entry list filled later

struct CommandRecord {
  uint16_t id;
  uint16_t kind;
  float fWidthFactor;
  float fHeightFactor;
  uint32_t flags;
  uint16_t image;
  uint16_t text;
  void* data;  // menu: uint16_t ids ended by kListEnd (or kEntriesFromOwner)
};

class CCommandTable {
 public:
  // Inserts at the sorted place with flags | 0x1001; image or text 0xFFFF
  // become the id. The record's index, or -1 when the table cannot grow.
  int Add(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text, void* data,
          float widthFactor, float heightFactor);
  int Find(uint16_t id) const;           // index or -1
  int64_t GetFlags(uint16_t id) const;   // flags, or -1 when unknown
  const CommandRecord* GetAt(int index) const;
  void Remove(uint16_t id);
  int GetCount() const { return m_aRecords.count; }
  void Clear() { m_aRecords.RemoveAll(); }

 private:
  CGrowArray<CommandRecord> m_aRecords;
};
