#pragma once
// Starting programs and opening documents as the desktop user.
#include <windows.h>

// Starts the file through the desktop shell's own process, so that it runs
// with the desktop user's rights even when this process is elevated. Null
// texts count as empty. Returns the COM result, negative on failure.
HRESULT ShellExecuteUnelevated(const char* file, const char* arguments, const char* folder,
                               const char* verb, int showCommand);

// ShellExecuteUnelevated; when the desktop shell cannot do it and this
// process is not elevated, a direct ShellExecuteA starts it as the same user.
// An elevated process never falls back, so nothing starts elevated by
// accident. True when the start succeeded.
bool ShellStartAsDesktopUser(const char* file, const char* arguments, const char* folder,
                             const char* verb, int showCommand);
