#pragma once
// The older settings layout of earlier versions, read once and converted:
// either a raw record of a known size or a keyed blob (data_blob.h) whose
// fields are numbered in the record's field order. Each import fills the
// fields the old data holds into a record that already holds the defaults
// (the template for a profile) and answers whether it recognised the data.
// A file that starts like a zip archive is a damaged section, never old data.
#include <cstdint>

#include "app/profiles/program_records.h"
#include "framework/settings/data_blob.h"

// Sizes of the raw records of earlier versions.
constexpr int32_t kOldOptionsBytes = 2372;
constexpr int32_t kOldProfileBytes = 3688;
constexpr int32_t kOldStiEventsBytes = kStiEventCount * static_cast<int32_t>(sizeof(StiEvent));

bool ImportOldOptions(CDataBlob* blob, OptionsRecord* options);
bool ImportOldProfile(CDataBlob* blob, ProfileRecord* profile);
bool ImportOldStiEvents(CDataBlob* blob, StiEvent* events);
