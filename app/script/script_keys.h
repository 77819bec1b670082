#pragma once
// The key names of a script's KEY command: any number of modifiers (SHIFT,
// CTRL, ALT) followed by at most one other key, joined by "+" or blanks.
#include <cstdint>

constexpr int kMaxScriptKeys = 16;

// Reads a key combination into codes (virtual-key codes in the order the
// keys are pressed): the number of codes, or 0 when the text is not a valid
// combination or holds more than `capacity` keys. Names match whatever their
// case, and the longest name that fits wins ("F10" is not "F1" and "0").
int ParseKeyNames(const char* text, uint8_t* codes, int capacity);

// Whether a code is one of the three modifiers.
bool IsModifierKey(uint8_t code);
