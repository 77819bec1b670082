#pragma once
// Seams between the program's parts that arrive at different times: the
// start-up fills these with the real functions, tests with their own. A null
// entry means the part is not there yet, and each caller then does what the
// program does without it (noted per entry).

struct ProgramHooks {
  // Shows (1) or hides (0) the main window with its satellite windows; null:
  // the error box shows and raises its owner itself.
  int (*pfnShowMainWindow)(int show);
  // The main window (an HWND) that owns the error boxes; null: the
  // framework window with id 0.
  void* (*pfnGetMainWindow)();
  // The script engine's current line, for the script error texts; null: no
  // script runs, line 0.
  int (*pfnGetScriptLine)();
  // Sets the main window's title; null: there is no main window to title yet.
  void (*pfnSetMainWindowTitle)(const char* title);
  // Refreshes command states and status panes (partial: the panes only);
  // null: there is no status bar yet.
  void (*pfnUpdateStatusBar)(int partial);
  // The drawing tools: after every history change, renew the copy of the
  // current state behind the preview and prepare the state for drawing; null:
  // the history prepares the current state itself (there is no preview).
  void (*pfnRefreshDrawBackup)();
  // The drawing tools: end the active tool before the history is emptied;
  // null: no tool is active.
  void (*pfnEndDrawingTool)();
};
extern ProgramHooks gProgramHooks;
