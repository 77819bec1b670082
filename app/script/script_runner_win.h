#pragma once
// Running a script file ("*.BWS"): its check pass and its run pass, each on
// a worker thread while this thread keeps the program responsive, with the
// progress dialog (2011) whose Cancel stops the script.
#include <windows.h>

#include "app/startup/operation_errors.h"

// 0, 26 when the program quits meanwhile (an interrupted script never
// succeeds, and a quitting program shows no box), or OpScript with the
// detail: 1 no memory, 4 no file, 5 empty or unreadable, 18 unbalanced
// loops, 34/35/36 at a line (GetScriptLine), or the low word of a failing
// profile's result. Cancel ends the script with 0. Not reentrant: a script
// is an operation, and the busy program starts no other.
OperationError RunScriptFile(const char* path);

// The line of the command the last script stopped at, for the error texts.
int GetScriptLine();

// The progress dialog while a script runs, else null: the main window shows
// it again when it shows itself.
HWND GetScriptProgressWindow();
