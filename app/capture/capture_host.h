#pragma once
// What capturing needs of the main window, and nothing more: its global
// hotkeys go while the overlay runs (so a capture key cannot start a second
// one) and come back after, and a new capture leaves the drawing tools on
// the selection tool. The main window fills these when it starts; a null
// entry means there is no such thing yet, and capturing simply goes on.
// Hiding the main window before a capture goes through gProgramHooks.

struct CaptureHost {
  // Registers every configured hotkey (1) or unregisters them all (0);
  // report: show a box for each key that cannot be had.
  void (*pfnRegisterHotkeys)(int registerThem, int report);
  // Makes tool the active drawing tool (0: the selection tool).
  void (*pfnSelectDrawTool)(int tool);
};
extern CaptureHost gCaptureHost;
