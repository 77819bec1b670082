#pragma once
// Finding the common file dialog this process shows, for tests that answer
// it as a user would.
#include <windows.h>

#include <cstring>

// The dialog's file-name field.
constexpr int kFileDialogNameField = 1148;

inline BOOL CALLBACK CollectOwnFileDialog(HWND window, LPARAM out) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (process == GetCurrentProcessId() && IsWindowVisible(window) && !strcmp(name, "#32770") &&
      GetDlgItem(window, kFileDialogNameField)) {
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
  }
  return TRUE;
}

// A visible file dialog of this process, or null.
inline HWND FindOwnFileDialog() {
  HWND found = nullptr;
  EnumWindows(CollectOwnFileDialog, LPARAM(&found));
  return found;
}
