#pragma once
// The TWAIN source manager and scanning. Null entries: scanning is not part
// of the program yet; Scan stays disabled and the source list is empty.
#include <windows.h>

#include "app/startup/operation_errors.h"

struct ProfileRecord;

struct ScanningSeam {
  void (*pfnTwainInit)(HINSTANCE instance);
  void (*pfnTwainShutdown)();
  // Fills the source list (gaTwainSources, giTwainSourceCount) on the
  // start-up thread; the count is -1 until it returns.
  void (*pfnFillTwainSourceList)();
  // Scans with the profile; showOptions: the source options first.
  OperationError (*pfnScanImage)(ProfileRecord* profile, int showOptions);
};
extern ScanningSeam gScanningSeam;
