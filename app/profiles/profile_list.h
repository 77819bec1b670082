#pragma once
// The stored profiles: section "Profile" with the indexes 0, 1, 2 ... Each
// index is also the profile's command id in the profiles menu, so there are
// at most kMaxProfiles of them. A file that cannot be read is stepped over
// (and left alone); the list ends at the first index without a file.
#include <cstdint>

#include "app/profiles/program_records.h"

constexpr int32_t kMaxProfiles = 2048;

// Results.
constexpr uint32_t kProfileNotLoaded = 40;         // also: not saved
constexpr uint32_t kProfileNoRecord = 0x130001;    // no record given
constexpr uint32_t kProfileFileError = 0x130005;   // a profile file could not be read or written
constexpr uint32_t kProfileNameUnknown = 0x130021; // "The selected profile does not exist."

// A new profile: the built-in template. The default printer and scanner
// source stay empty until the printer and source lists exist.
void InitNewProfile(ProfileRecord* record);

// Loads "Profile" index into the record (a failed load leaves it as it
// was). Loading into gCurrentProfile makes the index current and moves the
// menu's check mark; any other record moves nothing.
uint32_t LoadProfileByIndex(int32_t index, ProfileRecord* record);
// "(Active profile)" copies gCurrentProfile; any other name loads the first
// readable profile of that name, whatever its case.
uint32_t LoadProfileByName(const char* name, ProfileRecord* record);
uint32_t SaveProfileByIndex(int32_t index, const ProfileRecord* record);
// Saves at the first index without a file, never over one: that index, or
// -1 when the save failed or every index up to kMaxProfiles is taken.
int32_t AppendProfile(const ProfileRecord* record);
// Appends "Rectangle", "Screen" and "Window", rebuilds the menu and makes
// the first of them current. 0, or kProfileNotLoaded.
uint32_t CreateDefaultProfiles();
// The start's choice of current profile: giCurrentProfile, else the first
// readable profile. The defaults are made only when no profile is readable,
// and then beside the files that are there, never over them.
uint32_t LoadStartProfile();

// Whether a stored profile file exists at index, readable or not.
bool ProfileFileExists(int32_t index);

// A profile file (*.BWP) is the raw record. Reading takes up to its size
// (the rest of the record keeps what it held) and sanitizes the result.
uint32_t ReadProfileFile(const char* path, ProfileRecord* record);
// Writes through a temporary file and a replace: a failure keeps the old file.
uint32_t WriteProfileFile(const char* path, const ProfileRecord* record);
