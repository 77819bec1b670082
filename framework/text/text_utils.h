#pragma once
// Bounded text editing for file-name templates, case-insensitive search, hex
// digits and a flag setter.
#include <cstdint>

// Replaces every `find` from left to right, going on after each inserted
// replacement. True when something was replaced. When a replacement would
// make the text reach `bufferSize`, it stops there and answers false (what
// was replaced before stays). Null arguments or an empty `find`: false.
bool ReplaceText(char* text, int bufferSize, const char* find, const char* replacement);

// Appends `addition` to `text` in a buffer of `bufferSize` bytes. 0 when it
// fits whole. Otherwise 1, and with mode 0 as much as fits is appended; with
// mode 1 the appended part has each of \ / : * ? " < > | CR LF TAB replaced
// by "_" and is shortened so that the extension (from the last "." after the
// last "\") stays at the end. The original text is never cut.
int AppendText(char* text, int bufferSize, const char* addition, int mode);

// Where `suffix` starts in `text` when the text ends with it, ignoring case;
// null for an empty text or suffix and for a suffix longer than the text.
const char* StrEndsWithI(const char* text, const char* suffix);
// The first place where `part` occurs in `text` ignoring case, or null.
const char* StrFindI(const char* text, const char* part);
inline char* StrEndsWithI(char* text, const char* suffix) {
  return const_cast<char*>(StrEndsWithI(static_cast<const char*>(text), suffix));
}
inline char* StrFindI(char* text, const char* part) {
  return const_cast<char*>(StrFindI(static_cast<const char*>(text), part));
}

void SetFlag(uint32_t* flags, uint32_t mask, bool on);

// Two upper-case hex digits, no terminator.
void ByteToHex(uint8_t value, char* out);
// Two hex digits of either case; other characters give some value, never fail.
uint8_t HexToByte(const char* digits);
