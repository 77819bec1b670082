#pragma once
// The main window's decisions that need no window: which commands pass
// while the program is busy, the progress percentage, the wheel's zoom
// step, what a tray click does, the image of the profile commands, hotkey
// words and their names, and the file name of a dragged-out image.
#include <cstdint>

// A command that arrives while an operation or the capture overlay runs is
// dropped, except hiding the window and leaving the program.
bool CommandPassesWhileBusy(uint16_t id);

// The status bar's percentage: within phase `base` of `phases`, step of
// count. Clamped to 0..100; a count or phase count of 0 shows 0.
int ProgressPercent(int step, int count, int base, int phases);

// The zoom index after a wheel turn (delta > 0 away from the user zooms
// out, towards the user zooms in); -1 when it would leave 0..11.
int ZoomIndexAfterWheel(int index, int wheelDelta);

// What a notification-area icon message does.
enum TrayAction { kTrayNothing = 0, kTrayRunProfile, kTrayToggleWindow, kTrayMenu };
// mouseMessage: the WM_ message the icon reported; trayClick 0 single
// click, 1 double click; trayAction 1 runs the current profile.
TrayAction DecideTrayAction(uint32_t mouseMessage, int trayClick, int trayAction);

// The image of the New and Profile commands from a profile's steps: scan
// (with print: Photocopy), else paste, else open, else New.
uint16_t SourceStepImage(uint32_t steps);

// A hotkey word: key in the low byte, RegisterHotKey modifiers in the high.
inline unsigned HotkeyModifiers(uint16_t hotkey) { return hotkey >> 8; }
inline unsigned HotkeyKey(uint16_t hotkey) { return hotkey & 0xFF; }
// "Ctrl + Shift + P": the modifiers' local names in the order Ctrl, Shift,
// Alt, Windows, then the key's character, local name or constant name
// ("Print Screen" for that key when its local name is "<00>"). Into out.
void FormatHotkeyName(uint16_t hotkey, char* out, int size);

// The file name a dragged-out image is saved under, from the expanded
// template: "Brightwarden.opt" when empty; ".opt" appended when its
// extension is none of the formats the program writes by type.
void DragOutFileName(const char* expanded, char* out, int size);
