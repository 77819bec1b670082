#pragma once
// The program's own start-up between the framework and the main window,
// and what it leaves for the rest of the run: the clipboard and browser
// facts, and the two device lists that start-up threads fill.
#include <windows.h>

#include <atomic>
#include <cstdint>

// 1 while the clipboard offers a device-independent bitmap.
extern uint8_t gbClipboardHasDib;
// The program that opens ".htm" files; empty when none was found.
extern char gszDefaultBrowser[260];
// The registered "BrightwardenColorPickupMessage".
extern unsigned guColorPickupMessage;

// A printer of the list, with its settings once asked for.
struct PrinterEntry {
  char szName[260];
  void* pDevMode;  // DEVMODEA, cached by GetPrinterDevMode
};
constexpr int kTwainSourceNameChars = 34;

// Each count is 0 before its thread starts, -1 while it runs, then the
// number of entries.
extern PrinterEntry* gaPrinters;
extern std::atomic<int32_t> giPrinterCount;
extern char (*gaTwainSources)[kTwainSourceNameChars];
extern std::atomic<int32_t> giTwainSourceCount;

// 0, or 41 (images), 42 (commands), 43 (menus) when a registration failed;
// the steps after the registrations run in every case.
int InitApplication();
// Frees the lists, the stamp buffer and the hotkeys. The lists only when
// their threads have ended.
void ExitApplication();
// Waits up to the given time for the start-up threads; true when both ended.
bool WaitForStartupThreads(unsigned milliseconds);
// True when neither start-up thread still runs.
bool StartupThreadsEnded();

// Caches the DEVMODE of printer index (opened by name unless a handle is
// given); true when one is cached.
bool GetPrinterDevMode(HANDLE printer, int index);
