#pragma once
// The application object: start-up, single instance, message loop, restart.
// The program holds exactly one, gApp, for its whole life; everything here
// runs on the user interface thread unless a comment says otherwise.
#include <windows.h>

#include <cstdint>

#include "framework/app/app_state.h"
#include "framework/app/command_line.h"
#include "framework/app/grow_array.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitor_geometry.h"
#include "framework/text/format_check.h"
#include "framework/text/string_table.h"
#include "framework/ui/accelerators.h"
#include "framework/ui/command_table.h"
#include "framework/ui/ui_messages.h"
#include "framework/window/app_window_win.h"
#include "framework/window/dock_bar_win.h"

class CUIItem;
class CMenu;

// Framework status codes met at start-up.
enum : int {
  kStatusWindowFailed = 61442,
  kStatusInitError = 61443,      // text id of the start-up error box
  kStatusImageFailed = 61450,
  kStatusCommandFailed = 61451,
  kStatusOtherInstance = 61458,  // another instance took over, or "-QUIT"
  kStatusAutostartFailed = 61459,
  kStatusOldControls = 61461,
  kStatusNoInstallRecord = 61462,
  kStatusNoDataFolder = 61465,
  kStatusCommandLineTooLong = 61466,  // refused whole rather than cut
};

// How a second start's hand-over of its command line ended.
enum HandOffResult {
  kHandOffDone = 0,        // taken by the running instance (or nothing to hand over)
  kHandOffBusy = 1,        // other starts held the hand-off for too long: nothing written
  kHandOffNotWritten = 2,  // "(ORV)Cmd" could not be written
  kHandOffNotTaken = 3,    // the instance did not take it in time: withdrawn
};

// wParam codes of the instance-control message.
constexpr WPARAM CTRL_ACTIVATE = 33791;
constexpr WPARAM CTRL_QUIT = 33797;
constexpr WPARAM CTRL_RESTART = 33798;

// Messages the application object sends to its windows (items and menus
// send theirs, framework/ui/ui_messages.h).
constexpr UINT MSG_TRAY_NOTIFY = 33777;
constexpr UINT MSG_TASKBAR_RECREATED = 33793;  // re-add the tray icon
constexpr UINT MSG_MODAL_COUNT = 33795;
constexpr UINT MSG_SCREEN_RESCALED = 33804;
constexpr UINT MSG_MONITOR_DPI_CHANGED = 33805;

constexpr UINT_PTR TIMER_HOURLY = 17185;
constexpr UINT kHourlyTimerMs = 3600000;
constexpr int kTicksPerDailyJob = 24;

constexpr int kCommandLineChars = 1040;
constexpr DWORD kInstallRecordBytes = sizeof(InstallRecord);

// The modal popup's wait: rounds of 50 ms.
constexpr UINT_PTR TIMER_POPUP_WAIT = 39321;

// The message-box style word.
enum : unsigned {
  kBoxIconError = 1,
  kBoxIconExclamation = 2,
  kBoxIconAsterisk = 4,
  kBoxIconQuestion = 8,
  kBoxOk = 16,
  kBoxOkCancel = 32,
  kBoxYesNo = 64,
  kBoxYesNoCancel = 128,
  kBoxBoldHeading = 0x100,
  kBoxDefaultOk = 512,
  kBoxDefaultCancel = 1024,
  kBoxDefaultYes = 2048,
  kBoxDefaultNo = 4096,
  kBoxProgramIcon = 0x2000,
  kBoxError = 273,  // error icon, OK, bold heading
};

// ShowHelp results.
enum : int { kHelpShown = 0, kHelpNotChm = 1, kHelpNoViewer = 2, kHelpMissing = 3,
             kHelpStartFailed = 4 };

// How the items share the mouse: the item under it, the one that took the
// last press, and when and where each button was last pressed.
struct ItemMouseState {
  HWND hot;
  HWND pressed;
  HWND hovered;          // the item whose status text shows
  DWORD pressTick[3];    // left, right, middle
  HWND pressWindow[3];
};

enum RestartKind { kRestartNone = 0, kRestartNormal = 1, kRestartElevated = 2 };

class CApp {
 public:
  CApp();
  ~CApp();
  CApp(const CApp&) = delete;
  CApp& operator=(const CApp&) = delete;

  // The start-up. 0 to go on; kStatusOtherInstance and kStatusNoDataFolder
  // end the program silently; other codes after the error box.
  int Init(HINSTANCE instance, uint16_t productNameTextId, TextRecord* languageZeroTable,
           bool allowSeveralInstances, int layoutVersion, const char* commandLine,
           int showCommand);

  // -1 with "-QUIT", else 1 with "-WAITFORDATAPATH", else 0; sets the start flags.
  int ParseCommandLine(const char* text);
  int FindSwitch(const char* name) const { return m_commandLine.FindSwitch(name); }
  const CommandLineSwitch* GetSwitch(int index) const { return m_commandLine.GetSwitch(index); }

  // The next command line to act on: first the instance's own (from memory),
  // then each one a second start left in "(ORV)Cmd", taken whole (renamed,
  // read, removed; the removal tells the waiting start that it arrived).
  // False when there is none, or when it cannot be read whole into `size`
  // bytes (the file then stays for its start to withdraw).
  bool TakeCommandLine(char* buffer, int size);

  int Run();
  void DispatchAppMessage(MSG* message);
  // False when a WM_QUIT arrived meanwhile (it is posted again).
  bool Wait(DWORD milliseconds, UINT_PTR timerId);

  int SaveState();
  bool IsStateLoaded() const { return !m_bStateVersionChanged; }
  void RequestRestart(int kind = -1, const char* arguments = nullptr, bool broadcast = false);
  void EnterModal(bool on);
  int IsElevated() const;
  int SetAutostart(bool create, const char* arguments = nullptr, bool onlyIfMissing = false,
                   const char* iconPath = nullptr, const char* linkName = nullptr);
  BOOL SetTrayIcon(int windowId, int iconResourceId, const char* tipFormat, ...);
  void SetNames(const char* first, const char* second);
  LRESULT SendToActiveWindow(UINT message, WPARAM wParam, LPARAM lParam);

  // Saves, destroys the windows and performs a requested restart; called at
  // the end of WinMain while everything else is still alive. The destructor
  // does it only when this was skipped.
  void Shutdown();
  void DestroyAll();

  // Message boxes, modal dialogs and help (framework/ui). ShowMessage
  // returns the pressed button (1 OK, 2 Cancel, 6 Yes, 7 No), or -666.
  int ShowMessage(HWND owner, const char* caption, const char* format, unsigned style,
                  int focusControl, ...) BW_PRINTF(4, 7);
  // The same with a format of the text table (the program's own texts).
  int ShowMessageText(HWND owner, const char* caption, uint16_t textId, int variant,
                      unsigned style, int focusControl, ...);
  INT_PTR RunModalDialog(HWND owner, int dialogId, DLGPROC procedure, LPARAM parameter);
  int ShowHelp(const char* helpFile, const char* topic);

  // The command table (framework/ui/commands_win.cpp). Operations on an id
  // answer 61447 when the id is unknown.
  int AddCommand(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text,
                 void* data, float widthFactor = 0.0f, float heightFactor = 0.0f);
  int FindCommand(uint16_t id) const { return m_commands.Find(id); }
  int GetCommand(uint16_t id, CommandRecord* record) const;
  int SetCommand(uint16_t id, const CommandRecord& record);
  int64_t GetCommandFlags(uint16_t id) const { return m_commands.GetFlags(id); }
  int SetCommandFlags(uint16_t id, uint32_t flags);
  int SetCommandImage(uint16_t id, uint16_t image);
  int SetCommandText(uint16_t id, uint16_t text, bool relayout);
  int CheckCommand(uint16_t id, bool on);
  int EnableCommand(uint16_t id, bool on);
  void ChangeCommandFlags(CUIItem* item, uint32_t setBits, uint32_t clearBits);
  void RemoveCommand(uint16_t id) { m_commands.Remove(id); }
  void RemoveCommands(uint16_t first, uint32_t end) { m_commands.RemoveRange(first, end); }
  int RedrawCommandItems(uint16_t id, bool relayout, int value);
  int RefreshCommand(uint16_t id, int value, bool relayout) {
    return RedrawCommandItems(id, relayout, value);
  }
  CommandRecord* Command(uint16_t id) const { return m_commands.Get(id); }

  // Bits 16, 17, 18 of the key ask for Shift, Control, Alt. Returns 0.
  int AddAccelerator(uint32_t key, uint16_t windowId, uint16_t commandId);

  // What items report (framework/ui/item_notify_win.cpp).
  void OnItemButtonDown(CUIItem* item, int buttons);
  void OnItemClick(CUIItem* item, int buttons);
  void OnItemDoubleClick(CUIItem* item, int buttons);
  void OnItemHover(CUIItem* item);
  void OnItemLeave(CUIItem* item);
  void OnItemMouseMove(CUIItem* item);
  void AddItem(CUIItem* item);
  void RemoveItem(CUIItem* item);
  int GetItemCount() const { return m_aItems.count; }
  CUIItem* GetItemAt(int index) const { return static_cast<CUIItem*>(m_aItems.data[index]); }

  // Menus opened from code and the menu bar's keys (framework/ui/menu_tracking_win.cpp).
  CMenu* TrackMenu(uint16_t menuId, const POINT* point, HWND window);
  int ShowPopupMenu(uint16_t menuId, const POINT* point);
  CMenu* CancelMenus(CMenu* popup);
  int MenuBarKeyboard(int mode);
  int HotEntryIndex(CMenu* menu) const;
  int NextMenuEntry(CMenu* menu, int index, int step) const;
  int NextMenuBarEntry(int index, int step) const;
  CMenu* GetOpenPopup() const { return m_pOpenPopup; }
  void SetOpenPopup(CMenu* root, uint16_t windowId);
  bool IsMenuMode() const { return m_bMenuMode; }
  void SetMenuMode(bool on) { m_bMenuMode = on; }
  bool IsModalPopupRunning() const { return m_bModalPopup; }
  bool m_bPopupShown = false;  // a popup painted since the chain opened

  // Windows and bars (framework/ui/registries_win.cpp).
  // The window's index, or -1. Zero x, y, width or height ask for defaults.
  int AddWindow(uint16_t id, WNDPROC procedure, uint16_t titleTextId, uint32_t flags,
                uint16_t iconId = 1, int x = 0, int y = 0, int width = 0, int height = 0);
  CAppWindow* FindAppWindowById(uint16_t id) const;
  CAppWindow* GetWindowAt(int index) const;
  int GetWindowCount() const { return m_aWindows.count; }
  // Makes the bar (CDockBar::Create's arguments), inserts it by id and adds
  // the command that shows and hides it (kind 1, text textId, or the bar id
  // for 0xFFFF). The index, or -1.
  int AddBar(uint16_t barId, uint16_t frameId, int side, int row, int x, int y, int length,
             int thickness, uint16_t flags, uint16_t titleId, uint16_t textId,
             const uint16_t* idList);
  void ShowBar(CDockBar* bar, bool show);
  CDockBar* FindBar(uint16_t id) const;
  int GetBarCount() const { return m_aBars.count; }
  CDockBar* GetBarAt(int index) const;
  CAppWindow* FindAppWindow(HWND window) const;
  CAppWindow* FindParentWindow(HWND window) const;
  CDockBay* FindDockBay(uint16_t bayId) const;
  CAppWindow* GetForegroundAppWindow() const;
  void DockBarAt(CDockBar* bar, POINT point, POINT cursor);
  void SetStatusTextF(uint16_t windowId, int part, const char* format, ...) BW_PRINTF(4, 5);
  void RepaintFrames();
  void SetTheme(int scheme);
  void OnWindowActivated(CAppWindow* window, bool active);
  void SetSizingCursor(int zone);

  // The separators, the bar overflow menu and the window menu's commands.
  int AddFrameworkCommands();

  // The daily due-checks (update check, configuration archive).
  void RunDailyJobs();
  // What a tick of the hourly timer does; public so the tick can be driven.
  void OnHourlyTick();
  LRESULT OnDisplayChange();
  void ApplyLayoutChange(const MonitorLayout& before, const MonitorLayout& after);

  // --- State, in the order the framework keeps it. ---
  HINSTANCE m_hInstance = nullptr;
  DWORD m_dwProcessId = 0;
  uint16_t m_wProductNameId = 0;
  char m_szProductName[260] = {};
  uint32_t m_ulVersionMajor = 0;
  uint32_t m_ulVersionMinor = 0;
  uint32_t m_ulVersionBuild = 0;
  char m_szCommandLine[kCommandLineChars] = {};
  char m_szModulePath[260] = {};
  char m_szProgramFolder[260] = {};
  char m_szDataFolder[260] = {};
  char m_szCommonDataFolder[260] = {};
  HWND m_hwndTooltip = nullptr;
  HWND m_hwndPhantom = nullptr;
  int32_t m_iModalCount = 0;
  int m_iOsVersion = 0;
  bool m_bWow64 = false;
  UINT m_uTaskbarCreatedMessage = 0;
  UINT m_uControlMessage = 0;
  bool m_bNoSave = false;
  bool m_bRunning = false;
  uint32_t m_ulInstanceKey = 0;
  uint8_t m_bAutostart = 0;
  uint8_t m_bMinimize = 0;
  uint8_t m_bTaskScheduler = 0;
  int m_iRestartKind = kRestartNone;
  char m_szRestartArguments[kCommandLineChars] = {};
  bool m_bBroadcastRestart = false;
  char m_szNames[2][260] = {};
  bool m_bStateVersionChanged = false;
  AppStateRecord m_state;
  InstallRecord m_install;
  bool m_bAcceleratorsEnabled = true;
  CStringTable m_stringTable;
  CPointerArray m_aWindows;  // CAppWindow*, sorted by id
  CPointerArray m_aBars;     // CDockBar*, sorted by id
  CCommandTable m_commands;
  int m_iHourlyTicks = 0;
  HWND m_hwndForeground = nullptr;
  bool m_bShutDown = false;
  bool m_bQuitRequested = false;   // "-QUIT" was given
  bool m_bWaitForDataPath = false; // "-WAITFORDATAPATH" was given
  int m_iHandOff = kHandOffDone;   // a second start's hand-over (HandOffResult)
  bool m_bOwnCommandLinePending = false;  // the instance has not yet acted on its own
  bool m_bCommandLineTooLong = false;
  DWORD m_dwUiThreadId = 0;
  UINT m_uDoubleClickTime = 0;
  CGrowArray<AcceleratorRecord> m_aAccelerators;
  CFontCache m_fontCache;
  CPointerArray m_aItems;        // every live CUIItem
  CPointerArray m_aMenuBar;      // menu-bar entries for keyboard access, built on demand
  ItemMouseState m_itemMouse = {};
  int m_iActiveWindowId = -1;    // the framework window activated last

 private:
  int InitProductAndFolders(int showCommand);
  int ReadInstallRecord();
  int ChooseDataFolders();
  int WaitForDataFolders();
  int CheckOtherInstance(bool allowSeveralInstances);
  int CreateFrameworkWindows();
  void LoadAppState(int layoutVersion);
  void ReadProgramVersion();
  void ReadOsVersion();
  int ShowInitError(int status);
  int InitLook();
  void HandOverCommandLine();
  bool HandleSizingFrame(MSG* message);
  bool HandlePopupKeys(MSG* message);
  bool HandlePopupKey(WPARAM key);
  bool HandleKeys(MSG* message);
  bool HandleAccelerator(MSG* message);
  void LeaveMenuMode();
  int OpenMenuBarEntry(int index);
  bool FindMenuBarEntries();

  struct SizingState {
    CAppWindow* window;
    int zone;
    RECT startRect;
    POINT startPoint;
  };

  CCommandLine m_commandLine;
  bool m_bOwnsSetup = false;
  SizingState m_sizing = {};
  CMenu* m_pOpenPopup = nullptr;   // root of the open popup chain
  uint16_t m_wPopupWindowId = 0;   // the window the open popup belongs to
  bool m_bMenuMode = false;
  bool m_bModalPopup = false;      // ShowPopupMenu is waiting
  int m_iModalChoice = 0;          // the command it returns
  CMenu* m_pTrackedMenu = nullptr; // the one menu item TrackMenu and ShowPopupMenu use
  bool m_bAltUsed = false;         // an Alt shortcut ran: its Alt release is not a menu key
};

extern CApp gApp;
// The string table the application object owns.
extern CStringTable& gStringTable;

// The running instance's phantom window: class "ORVPhantom" (any case),
// titled exactly with the product name; null when none.
HWND FindOtherInstance(const char* productName);
LRESULT CALLBACK PhantomWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Seams for the daily due-checks: the update check and the configuration
// archive register their functions here when they are part of the program.
// Both are called at start-up and on every 24th tick of the hourly timer.
struct DailyJobs {
  void (*pfnCheckForUpdateIfDue)();
  void (*pfnArchiveConfigurationIfDue)();
};
extern DailyJobs gDailyJobs;
