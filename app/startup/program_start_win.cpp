// The program's initialisation between the framework's start and the main
// window, the start-up threads that list printers and scanner sources, and
// what is freed again at exit.
#include "app/startup/program_start_win.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/capture/capture_overlay_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "app/document/stamp_buffer.h"
#include "app/mainwindow/main_window_win.h"
#include "app/mainwindow/printing_seam.h"
#include "app/mainwindow/program_commands.h"
#include "app/mainwindow/scanning_seam.h"
#include "app/mainwindow/send_to_seam.h"
#include "app/mainwindow/still_image_seam.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "app/view/image_view_win.h"

uint8_t gbClipboardHasDib = 0;
char gszDefaultBrowser[260] = {};
unsigned guColorPickupMessage = 0;
PrinterEntry* gaPrinters = nullptr;
std::atomic<int32_t> giPrinterCount{0};
char (*gaTwainSources)[kTwainSourceNameChars] = nullptr;
std::atomic<int32_t> giTwainSourceCount{0};

namespace {

// The start-up threads, kept so that the exit can wait for them.
HANDLE gStartupThreads[2] = {};

DWORD WINAPI PrinterListThread(LPVOID) {
  if (gPrintingSeam.pfnFillPrinterList) gPrintingSeam.pfnFillPrinterList();
  int32_t running = -1;
  giPrinterCount.compare_exchange_strong(running, 0);
  return 0;
}

DWORD WINAPI TwainSourceListThread(LPVOID) {
  if (gScanningSeam.pfnFillTwainSourceList) gScanningSeam.pfnFillTwainSourceList();
  int32_t running = -1;
  giTwainSourceCount.compare_exchange_strong(running, 0);
  return 0;
}

void StartListThread(int slot, LPTHREAD_START_ROUTINE procedure, std::atomic<int32_t>* count) {
  *count = -1;
  gStartupThreads[slot] = CreateThread(nullptr, 0, procedure, nullptr, 0, nullptr);
  // A thread that could not start has nothing to list.
  if (!gStartupThreads[slot]) *count = 0;
}

// Asks the shell which program opens a web page: a probe page under a name
// of our own (a fixed name could be someone's file, and two starts would
// race on it), asked about and removed again.
void FindDefaultBrowser() {
  gszDefaultBrowser[0] = '\0';
  char folder[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(folder), folder);
  if (n == 0 || n >= sizeof(folder)) return;
  char path[MAX_PATH];
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    int written = snprintf(path, sizeof(path), "%sBW%lx_%lx_%d.htm", folder,
                           static_cast<unsigned long>(GetCurrentProcessId()),
                           static_cast<unsigned long>(GetTickCount()), attempt);
    if (written <= 0 || written >= int(sizeof(path))) return;
    file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY,
                       nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  static const char kProbe[] = "<HTML> <\\HTML>";
  DWORD done = 0;
  const bool ok = WriteFile(file, kProbe, sizeof(kProbe), &done, nullptr) && done == sizeof(kProbe);
  CloseHandle(file);
  if (ok) {
    char found[MAX_PATH] = {};
    if (reinterpret_cast<INT_PTR>(FindExecutableA(path, nullptr, found)) > 32)
      snprintf(gszDefaultBrowser, sizeof(gszDefaultBrowser), "%s", found);
  }
  DeleteFileA(path);
}

void SetUnitsFromLocale() {
  char measure[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, sizeof(measure)) > 0)
    gOptions.iUnits = measure[0] == '1' ? 1 : 0;
  else
    gOptions.iUnits = 0;
}

void SetClipboardTextFile() {
  char folder[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(folder), folder);
  if (n == 0 || n >= sizeof(folder)) return;
  size_t length = strlen(folder);
  if (length && folder[length - 1] != '\\' && length + 1 < sizeof(folder)) {
    folder[length] = '\\';
    folder[length + 1] = '\0';
  }
  char path[sizeof(gOptions.szCBText) + 32];
  int written = snprintf(path, sizeof(path), "%sBWClipboard.txt", folder);
  // A temporary folder too deep for the field leaves the file unset.
  if (written > 0 && size_t(written) < sizeof(gOptions.szCBText))
    memcpy(gOptions.szCBText, path, size_t(written) + 1);
}

bool ThreadEnded(int slot, const std::atomic<int32_t>& count) {
  if (gStartupThreads[slot])
    return WaitForSingleObject(gStartupThreads[slot], 0) == WAIT_OBJECT_0;
  return count != -1;
}

}  // namespace

int InitApplication() {
  if (gStillImageSeam.pfnReadDevices) gStillImageSeam.pfnReadDevices();
  if (gSendToSeam.pfnBuildSendToList) gSendToSeam.pfnBuildSendToList();

  ghwndMain = nullptr;
  guColorPickupMessage = RegisterWindowMessageA("BrightwardenColorPickupMessage");
  giCurrentImage = 0;
  gbImageChanged = 0;
  giZoomIndex = kZoomIndex100;
  gszHelpTopic[0] = '\0';
  // The menu was built before the stored current profile was known: its
  // check mark moves from the entry it was built with.
  const int32_t checkedAtBuild = giCurrentProfile;
  giCurrentProfile = 0;

  gSysProfile = gProfileTemplate;
  LoadSettings();
  LoadStartProfile();
  CheckCurrentProfile(checkedAtBuild);

  UpdateMultiMonitorFlag();
  FindDefaultBrowser();
  RegisterCaptureOverlayClass();

  // A failed registration leaves the program with fewer commands; the rest
  // of the start-up still runs.
  const int result = RegisterProgramCommands();
  RegisterProgramAccelerators();

  StartListThread(0, PrinterListThread, &giPrinterCount);
  StartListThread(1, TwainSourceListThread, &giTwainSourceCount);

  if (gOptions.iUnits == kUnitsFromLocale) SetUnitsFromLocale();
  if (!gOptions.szCBText[0]) SetClipboardTextFile();
  return result;
}

bool WaitForStartupThreads(unsigned milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    HANDLE running[2];
    DWORD n = 0;
    for (HANDLE thread : gStartupThreads)
      if (thread && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) running[n++] = thread;
    if (n == 0) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return false;
    // One at a time (waiting for all at once would also wait for input), and
    // messages keep flowing: a list thread may wait for a window of ours.
    const DWORD wait =
        MsgWaitForMultipleObjects(n, running, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0 + n) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    } else if (wait == WAIT_FAILED) {
      return false;
    }
  }
}

void ExitApplication() {
  // A list still being filled is left alone: freeing it under its thread
  // would be worse than the leak at exit.
  if (ThreadEnded(0, giPrinterCount)) {
    const int32_t count = giPrinterCount;
    if (gaPrinters) {
      for (int32_t i = 0; i < count; ++i) {
        free(gaPrinters[i].pDevMode);
        gaPrinters[i].pDevMode = nullptr;
      }
      free(gaPrinters);
      gaPrinters = nullptr;
    }
    giPrinterCount = 0;
  }
  if (ThreadEnded(1, giTwainSourceCount)) {
    free(gaTwainSources);
    gaTwainSources = nullptr;
    giTwainSourceCount = 0;
  }
  for (HANDLE& thread : gStartupThreads) {
    if (thread && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
      CloseHandle(thread);
      thread = nullptr;
    }
  }
  FreeStampBuffer();
  DeleteDragOutFiles();
  RegisterHotkeys(0, 0);
}

bool StartupThreadsEnded() { return ThreadEnded(0, giPrinterCount) && ThreadEnded(1, giTwainSourceCount); }

bool GetPrinterDevMode(HANDLE printer, int index) {
  // Only a complete list has entries to look at.
  const int32_t count = giPrinterCount;
  if (!gaPrinters || count <= 0 || index < 0 || index >= count) return false;
  PrinterEntry& entry = gaPrinters[index];
  if (entry.pDevMode) return true;
  HANDLE opened = nullptr;
  if (!printer) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterA(entry.szName, &opened, &defaults)) return false;
    printer = opened;
  }
  bool cached = false;
  LONG size = DocumentPropertiesA(nullptr, printer, entry.szName, nullptr, nullptr, 0);
  if (size > 0) {
    void* mode = calloc(1, size_t(size));
    if (mode && DocumentPropertiesA(nullptr, printer, entry.szName, static_cast<DEVMODEA*>(mode),
                                    nullptr, DM_OUT_BUFFER) >= 0) {
      entry.pDevMode = mode;
      cached = true;
    } else {
      free(mode);
    }
  }
  if (opened) ClosePrinter(opened);
  return cached;
}
