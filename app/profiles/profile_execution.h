#pragma once
// Running a profile: a source step brings an image in, then a fixed chain
// of processing steps and outputs runs on the current image. Menus, hotkeys,
// dropped files, the command line, scripts and device events all end here.
#include <cstdint>

#include "app/startup/operation_errors.h"

struct ProfileRecord;

// The sum of 1 << (n % 32) over the bit numbers, ended by -1.
uint32_t MakeStepMask(int first, ...);
// Sets (set) or clears the bits named (ended by -1) in *mask; returns the
// mask as it was when clearing, the new mask when setting.
uint32_t SetStepBits(int set, uint32_t* mask, int first, ...);

// 0, a failure, or 26 when the user cancelled (also for no profile).
OperationError ExecuteProfile(ProfileRecord* profile);
// 0, ErrNoImage's result when there is no current image, or the first failure.
OperationError ApplyProfile(ProfileRecord* profile);

// One run at a time: while a run pumps messages (the overlay, a dialog, an
// operation), another ExecuteProfile or ApplyProfile returns 26 at once.
// Callers that load a record before running it (the hotkeys' scratch
// record) ask first, so a running chain never sees its record reloaded.
bool IsProfileRunning();

// The steps whose parts arrive later: null until they do, and the chain
// then ends at that step with its operation and ErrFunctionFailed.
struct ProfileStepSeams {
  // Scans and runs ApplyProfile for every image received.
  OperationError (*pfnScanImage)(ProfileRecord* profile);
  OperationError (*pfnPrintImage)(const ProfileRecord* profile);
  // destination: null for the profile's own.
  OperationError (*pfnSendImage)(const ProfileRecord* profile, const char* destination);
};
extern ProfileStepSeams gProfileStepSeams;
