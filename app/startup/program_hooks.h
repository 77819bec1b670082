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
  // The status bar's busy display while an image operation runs: start it
  // with the operation's text, show a position of range, end it; null: there
  // is no status bar, the operation runs without a display.
  void (*pfnBeginBusy)(const char* text);
  void (*pfnShowProgress)(int position, int range);
  void (*pfnEndBusy)();
  // Chooses a drawing tool (0 the selection) after an image came in; null:
  // there are no drawing tools, the selection is the only one.
  void (*pfnSelectDrawTool)(int tool);
  // Expands the text templates of a file name into out (size characters,
  // file-name mode when fileNameMode); null: no templates are known yet and
  // the text is copied as it stands (cut to size like an expansion).
  void (*pfnExpandTemplate)(const char* text, char* out, int size, int fileNameMode);
  // Names the help topic that the help command opens while a dialog is
  // active; null: there is no main window to open the help from.
  void (*pfnSetHelpTopic)(const char* topic);
};
extern ProgramHooks gProgramHooks;
