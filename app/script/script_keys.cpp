#include "app/script/script_keys.h"

#include <cstring>

namespace {

struct ScriptKeyName {
  char szName[12];
  uint8_t bCode;
};

// The fixed names; the digits, letters, F-keys and keypad digits follow from
// their ranges in FindKey.
const ScriptKeyName kKeyNames[] = {
    {"SHIFT", 16},     {"CTRL", 17},       {"ALT", 18},       {"BACKSPACE", 8},
    {"TAB", 9},        {"CLEAR", 12},      {"RETURN", 13},    {"PAUSE", 19},
    {"CAPSLOCK", 20},  {"ESCAPE", 27},     {"SPACE", 32},     {"PAGEUP", 33},
    {"PAGEDOWN", 34},  {"END", 35},        {"HOME", 36},      {"LEFT", 37},
    {"UP", 38},        {"RIGHT", 39},      {"DOWN", 40},      {"SELECT", 41},
    {"PRINTSCREEN", 44}, {"INSERT", 45},   {"DELETE", 46},    {"MULTIPLY", 106},
    {"ADD", 107},      {"SUBTRACT", 109},  {"DIVIDE", 111},   {"DECIMAL", 110},
    {"NUMLOCK", 144},
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Length of `name` when the text starts with it (any case), else 0.
size_t MatchName(const char* text, const char* name) {
  size_t i = 0;
  for (; name[i]; ++i)
    if (Upper(text[i]) != name[i]) return 0;
  return i;
}

bool IsSeparator(char c) { return c == '+' || c == ' ' || c == '\t'; }

// The longest key name at the start of text: its length, and its code.
size_t FindKey(const char* text, uint8_t* code) {
  size_t best = 0;
  auto offer = [&](size_t length, int value) {
    if (length > best) {
      best = length;
      *code = uint8_t(value);
    }
  };
  for (const ScriptKeyName& key : kKeyNames) offer(MatchName(text, key.szName), key.bCode);
  const char c = Upper(text[0]);
  if (c >= '0' && c <= '9') offer(1, 48 + (c - '0'));
  if (c >= 'A' && c <= 'Z') offer(1, 65 + (c - 'A'));
  if (size_t n = MatchName(text, "NUMPAD"); n && text[n] >= '0' && text[n] <= '9')
    offer(n + 1, 96 + (text[n] - '0'));
  if (c == 'F' && text[1] >= '1' && text[1] <= '9') {
    int number = text[1] - '0';
    size_t length = 2;
    if (number == 1 && text[2] >= '0' && text[2] <= '2') {
      number = 10 + (text[2] - '0');
      length = 3;
    }
    offer(length, 111 + number);
  }
  return best;
}

}  // namespace

bool IsModifierKey(uint8_t code) { return code == 16 || code == 17 || code == 18; }

int ParseKeyNames(const char* text, uint8_t* codes, int capacity) {
  int count = 0;
  bool ended = false;  // a key other than a modifier was read
  const char* p = text;
  for (;;) {
    while (IsSeparator(*p)) ++p;
    if (*p == '\0') break;
    uint8_t code = 0;
    const size_t length = FindKey(p, &code);
    // A name must stand alone: the next character separates or ends.
    if (length == 0 || (p[length] != '\0' && !IsSeparator(p[length]))) return 0;
    if (ended || count >= capacity) return 0;
    codes[count++] = code;
    ended = !IsModifierKey(code);
    p += length;
  }
  return count;
}
