#pragma once
// The TWAIN source manager and its source list, beside the scan step of a
// profile run (gProfileStepSeams). Null entries: scanning is not part of the
// program yet; the source list stays empty.
#include <windows.h>

struct ProfileRecord;

struct ScanningSeam {
  void (*pfnTwainInit)(HINSTANCE instance);
  void (*pfnTwainShutdown)();
  // Fills the source list (gaTwainSources, giTwainSourceCount) on the
  // start-up thread; the count is -1 until it returns.
  void (*pfnFillTwainSourceList)();
  // The source options over the profile before Scan; false when cancelled.
  bool (*pfnSourceOptions)(ProfileRecord* profile);
};
extern ScanningSeam gScanningSeam;
