#pragma once
// The update check: at most once per configured number of days, a thread of
// its own fetches the published version file and, when it names a newer
// version not announced before, opens the "Update Check" dialog from that
// thread. The same dialog, opened from the about box, shows the state and
// lets the user change the interval, check at once and open the download
// page.
#include <windows.h>

#include <cstdint>

enum StartUpdateResult : int {
  kUpdateStarted = 0,
  kUpdateStillRunning = 1,   // a running check did not stop within 5 s
  kUpdateThreadFailed = 3,
};

// The daily job (start-up and every 24th hourly tick): reads the record and
// starts a check when one is due. Never waits: a running check is left alone.
void CheckForUpdateIfDue();
// Starts a check on its own thread, after stopping a running one.
int StartUpdateCheck();
// The dialog modal over `owner` (the about box); an open one is brought to
// the front instead.
void ShowUpdateCheckDialog(HWND owner);

unsigned __stdcall UpdateCheckThread(void* unused);
INT_PTR CALLBACK UpdateCheckDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// For tests: the open dialog (null when none), and whether a check runs.
HWND GetUpdateCheckDialog();
bool IsUpdateCheckRunning();
// Waits up to `milliseconds` for a running check to end; true when none runs.
bool WaitForUpdateCheck(DWORD milliseconds);
// The idle limit of the check's HTTP client (60 s; tests shorten it).
void SetUpdateCheckIdleLimit(int32_t milliseconds);
// The runtime's thread start (_beginthreadex), which tests replace to see a
// start that fails; null restores it.
using UpdateThreadStart = uintptr_t(__cdecl*)(void*, unsigned, unsigned(__stdcall*)(void*), void*,
                                              unsigned, unsigned*);
void SetUpdateThreadStart(UpdateThreadStart start);

// Control ids of dialog 50101.
enum : int {
  kUpdateDialogId = 50101,
  kIdInstalledVersion = 50135,
  kIdAvailableVersion = 50137,
  kIdUpdateStatus = 50138,
  kIdDaysLabel = 50139,
  kIdCheckNow = 50141,
  kIdAutomaticCheck = 50142,
  kIdIntervalDays = 50143,
  kIdUpdateButton = 50147,
};
