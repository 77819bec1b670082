// Settings come from files: any bytes, taken as a section text, an older
// blob or a raw record, must give records that are terminated and within
// what the dialogs produce, without reading or writing outside them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/profiles/legacy_settings.h"
#include "app/profiles/settings_keys.h"

namespace {

template <size_t N>
void CheckText(const char (&text)[N]) {
  if (text[N - 1] != '\0') __builtin_trap();
}

void Check(const OptionsRecord& o) {
  CheckText(o.szCBText);
  CheckText(o.lfFont.lfFaceName);
  for (const HotkeyEntry& entry : o.hkHotkey) CheckText(entry.profile);
  if (o.iBrushSize < 1 || o.iBrushSize > 128 || o.iMonSize > 8 || !(o.fMonWidth > 0)) __builtin_trap();
}

void Check(const ProfileRecord& p) {
  CheckText(p.szName);
  CheckText(p.szDPFooter[2]);
  CheckText(p.szTxtOvlBuffer);
  CheckText(p.lfTxtOvlFont.lfFaceName);
  if (p.iICNumRCol > 16 || p.iTxtOvlRPos < 0 || p.iTxtOvlRPos > 8 || p.iLevel < 1 ||
      p.iIBHue < -100 || p.iIBHue > 100)
    __builtin_trap();
}

void Check(const StiEvent* events) {
  for (int i = 0; i < kStiEventCount; ++i) {
    CheckText(events[i].event);
    CheckText(events[i].profile);
  }
}

}  // namespace

// The first byte chooses the form and the record; the rest is the content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  const uint8_t form = data[0] % 3, record = (data[0] / 3) % 3;
  ++data;
  --size;
  static OptionsRecord options;
  static ProfileRecord profile;
  static StiEvent events[kStiEventCount];
  InitDefaultOptions(&options, 96);
  InitProfileTemplate(&profile, 96);
  InitStiEvents(events);
  if (form == 0) {
    CSettingsExchange ex;
    ex.Open(0, record == 0 ? kOptionsKeyPrefix : record == 1 ? kProfileKeyPrefix : kStiEventsKeyPrefix);
    if (!ex.SetText(data, static_cast<int32_t>(size))) return 0;
    if (record == 0) ExchangeOptions(&ex, &options);
    if (record == 1) ExchangeProfile(&ex, &profile);
    if (record == 2) ExchangeStiEvents(&ex, events);
  } else if (form == 1) {
    CDataBlob blob;
    if (size > 0 && blob.Append(data, static_cast<int32_t>(size)) < 0) return 0;
    if (record == 0) ImportOldOptions(&blob, &options);
    if (record == 1) ImportOldProfile(&blob, &profile);
    if (record == 2) ImportOldStiEvents(&blob, events);
  } else {
    void* target = record == 0 ? static_cast<void*>(&options)
                   : record == 1 ? static_cast<void*>(&profile) : static_cast<void*>(events);
    size_t width = record == 0 ? sizeof options : record == 1 ? sizeof profile : sizeof events;
    memcpy(target, data, size < width ? size : width);
  }
  SanitizeOptions(&options);
  SanitizeProfile(&profile);
  SanitizeStiEvents(events);
  Check(options);
  Check(profile);
  Check(events);
  return 0;
}
