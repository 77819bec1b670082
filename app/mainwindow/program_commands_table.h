#pragma once
// What RegisterProgramCommands registers, as plain tables: one row per
// command or menu, the entry lists of the menus, and the accelerator keys.
#include <cstddef>
#include <cstdint>

// Where a command's data pointer comes from when it is registered.
enum class CommandData : uint8_t {
  kNone,
  kEntries,         // `entries`, ended by 65535
  kOwnerEntries,    // the owner window answers when the menu opens
  kProfileEntries,  // the profiles menu's top list
  kStandsFor,       // a button that sends `standsFor` instead of its own id
  kItemValue,       // the value record the value item edits
};

struct ProgramCommandSpec {
  uint16_t id;
  uint16_t kind;        // item kind (framework/ui/command_table.h)
  uint32_t flags;
  uint16_t icon;        // icon resource of its image, 0: none
  uint16_t text;        // 0xFFFF: its own id
  CommandData data;
  const uint16_t* entries;
  uint16_t standsFor;
};

extern const ProgramCommandSpec kProgramCommands[];
extern const size_t kProgramCommandCount;
extern const ProgramCommandSpec kProgramMenus[];
extern const size_t kProgramMenuCount;

// Virtual keys used by the accelerators, and the modifier bits of
// CApp::AddAccelerator's key argument.
enum : uint32_t {
  kVkEscape = 0x1B,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkDelete = 0x2E,
  kVkF1 = 0x70,
  kKeyShift = 1u << 16,
  kKeyControl = 1u << 17,
  kKeyAlt = 1u << 18,
};

struct ProgramAccelerator {
  uint32_t key;  // virtual key | modifier bits
  uint16_t command;
};

extern const ProgramAccelerator kProgramAccelerators[];
extern const size_t kProgramAcceleratorCount;

// The row of an id among the commands and menus, or null.
const ProgramCommandSpec* FindProgramCommand(uint16_t id);
