#pragma once
// Named mutexes that keep instances of the program from stepping on each
// other. Both names carry the instance key, so other programs built on the
// framework do not share them.
#include <windows.h>

#include <cstdint>

// The setup mutex: held by the running instance until it ends or restarts,
// so a later start knows not to copy first-run files or apply a restore
// under it. True when this process now holds it.
bool AcquireSetupMutex(uint32_t instanceKey);
// Lets go of it before a restart starts the next instance, which must be
// free to apply a pending restore.
void ReleaseSetupMutex();

// The hand-off mutex: held by a second start from writing "(ORV)Cmd" until
// the running instance has taken it or the start has withdrawn it, so starts
// in quick succession never overwrite each other's command line. Null when
// it could not be had within `timeoutMs`.
HANDLE AcquireHandOffMutex(uint32_t instanceKey, DWORD timeoutMs);

// Waits until the data file "(ORV)Cmd" is gone; false after `timeoutMs`.
bool WaitForCommandLineTaken(DWORD timeoutMs);

// Deletes "(ORV)Cmd": true when this removed it (the running instance never
// took it), false when it was gone already (taken).
bool WithdrawCommandLine();
