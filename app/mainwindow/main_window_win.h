#pragma once
// The main window: its procedure, the command handler, the status panes,
// showing and hiding, the global hotkeys, and the small helpers that
// commands, the view and the drawing tools share.
#include <windows.h>

#include <cstdint>

class CRaster;

constexpr uint16_t kMainWindowId = 0;
constexpr uint32_t kMainWindowFlags = 9219;  // taskbar button, sizable, forwarded requests, dropped files

// The program's own messages to the main window.
constexpr UINT MSG_OPEN_HELP = 32771;          // open the help file at the current topic
constexpr UINT MSG_CLIPBOARD_CHANGED = 32772;
constexpr UINT MSG_SAVE_SETTINGS = 33772;
constexpr UINT MSG_DRAW_SENDTO_ICON = 33790;
constexpr UINT WM_PROCESSCMDLINE = 33791;      // wParam 1: stay hidden
constexpr UINT MSG_REFRESH_TRAY = 33793;
constexpr UINT MSG_QUIT_PROGRAM = 33797;
constexpr UINT MSG_SENDTO_OPENS_POPUP = 33800;

extern char gszHelpTopic[260];
extern HWND ghwndMain;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// commandId: the id in the low word, the variant in the high word. 0 when
// handled, 1 when the id is not the program's.
int CommandHandler(HWND window, WPARAM commandId, LPARAM lParam);

// Fills the seams the other parts call the main window through.
void ConnectMainWindow();

// Returns whether the main window was visible before.
int ShowMainWindow(int show);
void UpdateStatusBar(int partial);
void SetStatusDimensions(int width, int height);
void SetStatusPosition(int x, int y);
bool IsSizeChanged();
bool ConfirmDiscardImage();
void RegisterHotkeys(int registerThem, int report);
void ActivateProfile(int32_t index);
// The system colour dialog over a colour item (3260, 3270) or the palette's
// selected slot (3280); false on Cancel, which leaves the colour.
bool ChooseCustomColor(uint16_t colorCommand);
void SetPickedColor(int which, uint32_t argb);
void SelectDrawTool(int tool);
int SendCurrentImage(const char* destination);
int DragOutImage();
// Removes the files dragged-out images left for their drop targets (at exit).
void DeleteDragOutFiles();
// The options' drawing colours, brush and palette go to the draw bar's
// items and the current image's pen.
void ApplyDrawColors();
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

// The status bar's progress display while an operation runs.
void BeginBusy(const char* text, CRaster* image);
void EndBusy();
void SetProgress(const char* text, int step, int count);

// Hides the main window after a delivered image when the options ask so.
void HideAfterAction(uint32_t result);
