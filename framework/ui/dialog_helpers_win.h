#pragma once
// What every dialog procedure of the framework and the program uses: the
// common start of a dialog, its bold fonts, readers and writers of control
// values with range checks, centring, and the common file and folder dialogs.
#include <windows.h>

#include <cstdint>

#include "framework/text/format_check.h"
#include "framework/ui/number_fields.h"

// Set by the control readers: 0, 61454 (field empty) or 61455 (not a number).
extern int32_t gLastStatus;

// WM_INITDIALOG's common work: bold fonts, the program's icon, the focus,
// centring and staying on top of a topmost parent. Returns the bold font.
HFONT PrepareDialog(HWND dialog);
// The bold font for the dialog's DPI (at least 96) on the default button,
// group boxes and check boxes in a group box's title; for WM_DPICHANGED.
HFONT SetDialogFont(HWND dialog, int dpi);

int32_t GetDlgItemInteger(HWND dialog, int id, int32_t minimum, int32_t maximum, bool strict);
double GetDlgItemDouble(HWND dialog, int id, double minimum, double maximum, bool strict);
void SetDlgItemInteger(HWND dialog, int id, int32_t value);
void SetDlgItemDouble(HWND dialog, int id, double value);
void SetDlgItemTextF(HWND dialog, int id, const char* format, ...) BW_PRINTF(3, 4);

// Enables or disables each listed control up to the first id that is 0 or
// negative.
void EnableDlgItem(bool enable, HWND dialog, int id, ...);
bool IsDlgItemChecked(HWND dialog, int id);
void CheckDlgItem(HWND dialog, int id, int state);
// Focuses the control and selects all its text.
void FocusDlgItem(HWND dialog, int id);

// Centres the window (or only computes the rectangle's left and top) over
// the reference (default: the parent, else the desktop), inside its monitor.
void CenterWindow(HWND window, RECT* rect, HWND reference);
// Makes the window topmost when its parent is; true when it did.
bool KeepOnTopOfParent(HWND window);

// The common open or save dialog; the chosen path (a kept buffer of 260
// characters) or null. filterIndex and *chosenFilter are 0-based; folder
// receives the chosen path's folder.
const char* GetFileNameDialog(bool save, const char* filterList, int filterIndex,
                              int* chosenFilter, char* folder, const char* initialPath);
// The shell's folder browser; the chosen folder (a kept buffer) or null,
// also for a chosen item that is no folder of the file system.
const char* BrowseForFolder(const char* title, UINT flags);
