#pragma once
// Whether a profile can run on a script's worker thread: it and every
// profile its "Execute Profile" step chains to must do without the user
// interface thread (no capture overlay, no open dialog, no Save As dialog).
#include <cstdint>

struct ProfileRecord;

// Loads the named profile into record: true when found.
typedef bool (*ScriptProfileLoader)(const char* name, ProfileRecord* record, void* context);

// Whether one profile's own steps need the user interface thread.
bool ProfileNeedsUserInterface(const ProfileRecord& profile);

// 0 when the profile and its chain may run, 34 when the named profile does
// not exist, 36 when a profile of the chain needs the user. The chain is
// followed until it ends, names a profile that does not exist (that run
// fails on its own) or comes back to a profile already on it.
uint32_t CheckScriptProfile(const char* name, ScriptProfileLoader load, void* context);
