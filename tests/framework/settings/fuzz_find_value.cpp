// Section texts come from archives on disk: any bytes must load as values or
// misses, never a read outside the text.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/settings/settings_exchange.h"

namespace {

const char* const kKeys[] = {"iTool", "szName", "hkHotkey[3].szName", "fMonWidth", "lfFont",
                             "cFore", "x", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSettingsExchange ex;
  ex.Open(0, "");
  if (!ex.SetText(data, static_cast<int32_t>(size))) return 0;
  int32_t i32 = 0;
  int16_t i16 = 0;
  uint8_t b = 0;
  float f = 0;
  char s[33];
  uint8_t bin[60];
  for (const char* key : kKeys) {
    ex.Int(&i32, key);
    ex.HexInt(&i32, key);
    ex.Short(&i16, key);
    ex.HexShort(&i16, key);
    ex.Byte(&b, key);
    ex.HexByte(&b, key);
    ex.Float(&f, key);
    ex.String(s, sizeof s, key);
    ex.Binary(bin, sizeof bin, key);
    int32_t end = ex.FindValue(key);
    if (end >= 0 && (end + 3 > ex.text.count || ex.pValue == nullptr)) __builtin_trap();
  }
  return 0;
}
