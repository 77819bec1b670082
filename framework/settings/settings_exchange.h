#pragma once
// The settings exchange turns the fields of a program record into lines of
// "key=value" and back. One serializer routine serves both directions: it
// opens the exchange for saving or loading and calls one typed member per
// field with the field's address and its source expression. Saving appends
// a line per call; loading looks the key up and converts its value into the
// field. Each line is key, "=", value and the bytes 00 0D 0A.
//
// Keys come from the field expression: one leading "&" and the prefix given to
// Open are skipped, and every "[" followed by a letter becomes "[<index>"
// with the next of the three indexes: with the prefix "gOptions.",
// "&gOptions.hkHotkey[i].szName" and index 3 give "hkHotkey[3].szName".
//
// Results: saving returns 0. Loading returns 0 for a value read, -1 when the
// key is missing (the field keeps its value, so defaults survive), 1 for a
// hex value that cannot be read (the field keeps its value). Both directions
// return kSettingsBadKey when the expression gives no usable key (see
// FormatName); debug builds stop there, since that is a programming error.
//
// Numbers travel in the C locale's form whatever locale the process has set:
// a float is always written with a "." and read the same way.
//
// Saving remembers its first failure (no memory for the text, a value too
// large for a section) in bFailed; WriteBlobToArchive then writes nothing, so
// an incomplete section never replaces a whole one.
#include <cstdint>

#include "framework/app/grow_array.h"

// A field expression whose key would hold "=" (it would shadow a shorter
// key) or be longer than 259 characters (two keys could merge).
constexpr int kSettingsBadKey = -2;

class CSettingsExchange {
 public:
  static constexpr int kValueChars = 1024;
  static constexpr int kKeyChars = 260;

  int32_t iNumber = 0;       // saving: the value given to Open; loading: the entry's name
  int32_t iSave = 0;         // nonzero while saving
  int32_t iLastHit = 0;      // line end of the last value found; -1 after a miss
  int32_t iPrefixLength = 0; // characters of the expression skipped after "&"
  CByteBuffer text;          // the section text
  char* pValue = nullptr;    // the last value found, zero-terminated inside the text
  char szValue[kValueChars]; // one formatted value
  char szKey[kKeyChars];     // the current key
  bool bFailed = false;      // saving lost a line: the text is not whole

  CSettingsExchange();
  ~CSettingsExchange();
  CSettingsExchange(const CSettingsExchange&) = delete;
  CSettingsExchange& operator=(const CSettingsExchange&) = delete;

  // Empties the text (capacity 1,024) for a pass and clears bFailed; the
  // exchange number becomes the save flag's value.
  void Open(int32_t save, const char* prefix);
  void Close();  // frees the text

  // Appends key, "=", value and 00 0D 0A.
  void WriteLine(const char* key, const char* value);
  // Byte offset of the line end of the key's value, with pValue and the
  // last-hit position set; -1 (last-hit -1) when the key is not there. The
  // search starts after the last hit and wraps to the start once, so a
  // serializer reading in write order costs one short scan per field.
  int32_t FindValue(const char* key);
  // Offset of the first line that starts with `bytes` followed by "=" at or
  // after `start`, or -1. A line starts at offset 0 or after 00 0D 0A.
  int32_t FindText(const char* bytes, int32_t length, int32_t start) const;
  // Fills szKey from a field expression and up to three indexes. Null (and
  // szKey empty) when the key would hold "=" or not fit 259 characters.
  const char* FormatName(const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);

  // The typed members. `field` points at a field of the width the member
  // names (records are packed, so it need not be aligned); `size` is a
  // buffer's width in bytes.
  int Byte(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int HexByte(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int Short(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int HexShort(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int Int(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int HexInt(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int Float(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);
  int String(char* field, int size, const char* expression, int i1 = 0, int i2 = 0,
             int i3 = 0);
  int Binary(void* field, int size, const char* expression, int i1 = 0, int i2 = 0,
             int i3 = 0);
  int Dword(void* field, const char* expression, int i1 = 0, int i2 = 0, int i3 = 0);

  // Replaces the text with `length` bytes (a section read back) and starts
  // the search at the beginning. False when no memory could be had.
  bool SetText(const void* bytes, int32_t length);
};

// Float text as the exchange saves it: the shortest of fixed or exponential
// notation with 8 significant digits (9 when 8 do not read back as the same
// float), with ".0" added when the text would otherwise look like an integer.
// `out` holds at least 32 characters. Independent of the process locale.
void FormatSettingsFloat(float value, char* out, int outSize);

// Float text read as atof reads it in the C locale (leading blanks, a sign,
// the longest number that fits; "inf" and "nan"; 0 when nothing fits), then
// narrowed to a float. Independent of the process locale.
float ParseSettingsFloat(const char* text);
