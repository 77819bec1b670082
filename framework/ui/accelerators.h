#pragma once
// Keyboard shortcuts: records that map a key with modifiers to a command for
// one window (or any), kept in the order of adding, and the choice of the
// record a key press runs.
#include <cstdint>

#pragma pack(push, 1)
struct AcceleratorRecord {
  uint16_t wKey;
  uint8_t bShift;    // 1: Shift must be down
  uint8_t bControl;
  uint8_t bAlt;
  uint16_t wWindowId;  // 0xFFFF: any window
  uint16_t wCommand;
};
#pragma pack(pop)
static_assert(sizeof(AcceleratorRecord) == 9, "packed accelerator");

constexpr uint16_t kAnyWindow = 0xFFFF;

// The record from the low 16 bits (the key) and bits 16, 17 and 18 (Shift,
// Control and Alt required) of a key argument.
AcceleratorRecord MakeAccelerator(uint32_t key, uint16_t windowId, uint16_t commandId);

// Whether a record's window takes part: 1 it does (any window, or the
// foreground framework window), 0 it does not.
typedef bool (*AcceleratorWindowFilter)(uint16_t windowId, void* context);

// The record that a key press runs, or -1. A record matches when its key is
// the key and every modifier it requires is down. Among the matching records
// of windows that take part, one whose modifiers equal the held ones exactly
// wins; otherwise the first match (so Ctrl+S also fires for Ctrl+Shift+S
// when nothing claims Ctrl+Shift+S, but never steals Ctrl+A from A).
int ChooseAccelerator(const AcceleratorRecord* records, int count, uint16_t key, bool shift,
                      bool control, bool alt, AcceleratorWindowFilter filter, void* context);
