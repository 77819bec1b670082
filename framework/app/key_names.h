#pragma once
// The names of the 255 virtual-key codes (0 to 254) as the hotkey field and
// its key list show them: the constant's name, a description, the character
// the key types and the keyboard layout's own name for it. The first two are
// fixed; the other two are filled at start-up from the keyboard layout.
#include <cstdint>

constexpr int kKeyNameCount = 255;

struct KeyNameRecord {
  const char* pszVirtualKey;  // "VK_SPACE"; "" for codes without a name
  const char* pszDescription; // "Spacebar"
  char szChar[2];             // the printable character, or empty
  char szLocal[32];           // the layout's key name, at most 31 characters
  int32_t iDescriptionLength;
};

extern KeyNameRecord gaKeyNames[kKeyNameCount];

// Sets the character of a key when it is printable and none is set yet, and
// stores the local name (cut to 31 characters) and the description length.
void CompleteKeyName(KeyNameRecord* record, unsigned character, const char* localName);
