#pragma once
// The records on disk: each section ("Options", "SysProf", "Profile" n,
// "StiEvents") is the record's settings text in a password-protected archive
// data file; "CurrentProfile" is the current profile's index as 4 raw bytes.
// Loading fills a scratch record and copies it only on success, so a failed
// load leaves the caller's record as it was; every loaded record passes its
// sanitizer. A section in the older layout is converted and saved anew.
//
// A section whose file exists but could not be loaded (held open by another
// program, a damaged archive, bytes of no known layout) is never saved over
// during this run: the user's settings may still be in it, and the defaults
// in memory must not replace them. A later load that succeeds lifts this.
#include "app/profiles/program_records.h"

extern const char kOptionsSection[];         // "Options"
extern const char kSysProfileSection[];      // "SysProf"
extern const char kProfileSection[];         // "Profile", with the index
extern const char kStiEventsSection[];       // "StiEvents"
extern const char kCurrentProfileSection[];  // "CurrentProfile"

// Result of a save that did not write everything.
constexpr int kSettingsNotSaved = 40;

// save = 1 writes gOptions, save = 0 loads it. True on success.
bool SerializeOptions(int save);
// The same for a profile under a section name and index (-1 for none).
// Loading starts from the template, then each stored field overwrites its
// own. Loading without a record answers whether the profile's file exists,
// readable or not, so a damaged profile does not end the list of profiles.
bool SerializeProfile(int save, const char* section, int index, ProfileRecord* record);
// The same for gaStiEvent.
bool SerializeStiEvents(int save);

// At start: the options, "SysProf" into gSysProfile (its ulSteps is then
// always the program pages), "CurrentProfile" into giCurrentProfile and the
// device bindings; then the draw bar takes its values. Returns how many of
// the four loads failed (failed ones keep what the records held).
int LoadSettings();
// The draw bar's values back into the options, then "Options" and "SysProf";
// when either write fails, kSettingsNotSaved without writing more. Then
// "CurrentProfile" and "StiEvents" (both, even when one fails). 0 when all
// four were written, else kSettingsNotSaved (also for a protected section,
// which is left as it is while the others are saved).
int SaveSettings();

// Every record at its default for this screen's resolution (fonts of 12
// points).
void InitProgramRecords();
