#pragma once
// Script files as the main window starts them. Null entries: scripts do
// not run yet and Run Script stays disabled.
#include <windows.h>

#include "app/startup/operation_errors.h"

struct ScriptSeam {
  OperationError (*pfnRunScriptFile)(const char* path);
  // The script progress dialog while a script runs, else null.
  HWND (*pfnGetProgressDialog)();
};
extern ScriptSeam gScriptSeam;
