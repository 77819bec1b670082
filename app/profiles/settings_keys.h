#pragma once
// The settings text of the three records: one routine per record serves both
// directions of a CSettingsExchange, field by field in the record's order.
// Each key is the field's own source expression (the exchange drops the
// prefix given to Open and numbers "[xi]"), so keys cannot drift from fields.
#include "app/profiles/program_records.h"
#include "framework/settings/settings_exchange.h"

// Prefixes that the exchange is opened with for each section.
extern const char kOptionsKeyPrefix[];    // "gOptions."
extern const char kProfileKeyPrefix[];    // "pprf->"
extern const char kStiEventsKeyPrefix[];  // "gaStiEvent"

// Saving appends every stored field; loading overwrites each field whose key
// is found and leaves the others. Returns the number of fields that were
// read (0 when saving).
int ExchangeOptions(CSettingsExchange* exchange, OptionsRecord* options);
int ExchangeProfile(CSettingsExchange* exchange, ProfileRecord* profile);
int ExchangeStiEvents(CSettingsExchange* exchange, StiEvent* events);
