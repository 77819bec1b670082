#pragma once
// Named mutexes that keep instances of the program from stepping on each
// other. Both names carry the instance key, so other programs built on the
// framework do not share them.
#include <windows.h>

#include <cstdint>

// The setup mutex: held by the running instance for its whole life, so a
// later start knows not to copy first-run files or apply a restore under it.
// True when this process now holds it.
bool AcquireSetupMutex(uint32_t instanceKey);

// The hand-off mutex: held from writing "(ORV)Cmd" until the instance that
// reads it has taken it, so starts in quick succession never overwrite each
// other's command line. Null when it could not be had within `timeoutMs`.
HANDLE AcquireHandOffMutex(uint32_t instanceKey, DWORD timeoutMs);

// Waits until the data file "(ORV)Cmd" is gone; false after `timeoutMs`.
bool WaitForCommandLineTaken(DWORD timeoutMs);
