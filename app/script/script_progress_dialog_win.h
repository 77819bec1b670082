#pragma once
// Dialog 2011: shown without blocking while a script runs, with the
// script's path. Cancel (or closing it) stops the script.
#include <windows.h>

// Creates and shows the dialog without taking the focus from whatever the
// script types into; cancelEvent is set when the user cancels. Null when it
// cannot be made (the script runs without it).
HWND OpenScriptProgressDialog(HWND owner, const char* path, HANDLE cancelEvent);
void CloseScriptProgressDialog(HWND dialog);

INT_PTR CALLBACK ScriptProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
