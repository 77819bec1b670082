#pragma once
// What the main window's procedure, its command handler and its helpers
// share among themselves.
#include <windows.h>

#include <cstdint>

#include "app/startup/operation_errors.h"

struct ProfileRecord;

// An operation, the capture overlay or a profile run is under way: user
// commands, hotkeys, drops and tray clicks wait for it to end.
bool IsProgramBusy();
// Runs a profile's source and processing steps and reports a failure; no
// profile starts while another runs.
OperationError RunProfile(ProfileRecord* profile);
// The program's box with one of its texts (format arguments follow).
int ShowProgramBox(uint16_t textId, unsigned style, ...);
// Makes index the zoom step (the zoom slider follows) and redraws the view
// with mode.
void SetZoomIndex(int index, int mode);
// Settings are saved on the way out exactly once: by the close or exit that
// ends the loop, else after the loop.
void SaveSettingsOnExit();
bool SettingsSavedOnExit();

// Message box styles of the program's questions and notes.
constexpr unsigned kBoxQuestion = 4488;  // question icon, Yes and No, No as default
constexpr unsigned kBoxNote = 273;       // error icon, OK, bold heading
