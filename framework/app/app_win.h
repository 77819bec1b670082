#pragma once
// The application object: start-up, single instance, message loop, restart.
// The program holds exactly one, gApp, for its whole life; everything here
// runs on the user interface thread unless a comment says otherwise.
#include <windows.h>

#include <cstdint>

#include "framework/app/app_state.h"
#include "framework/app/app_window_win.h"
#include "framework/app/command_line.h"
#include "framework/app/command_table.h"
#include "framework/app/grow_array.h"
#include "framework/app/menu_keyboard_win.h"
#include "framework/draw/monitor_geometry.h"
#include "framework/text/string_table.h"

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

// Messages the application object sends to its windows.
constexpr UINT MSG_ITEM_NOTIFY = 33773;
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

#pragma pack(push, 1)
// A keyboard shortcut: the key with the modifiers it needs, for one window
// (0xFFFF: any) and one command.
struct AcceleratorRecord {
  uint16_t wKey;
  uint8_t bShift;
  uint8_t bControl;
  uint8_t bAlt;
  uint16_t wWindowId;
  uint16_t wCommand;
};
#pragma pack(pop)
static_assert(sizeof(AcceleratorRecord) == 9, "packed accelerator");

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

  // Message boxes: the framework's own dialog (see message_box_win.cpp).
  int ShowMessage(HWND owner, const char* caption, const char* format, unsigned style,
                  int focusControl, ...);

  // Windows, bars and commands (see the registry files).
  int AddWindow(uint16_t id, WNDPROC procedure, uint16_t titleTextId, uint32_t flags);
  CAppWindow* FindAppWindowById(uint16_t id) const;
  CAppWindow* GetWindowAt(int index) const;
  int GetWindowCount() const { return m_aWindows.count; }
  int AddBar(CDockBar* bar);
  CAppWindow* FindAppWindow(HWND window) const;
  // Bits 16, 17, 18 of the key ask for Shift, Control, Alt. Returns 0.
  int AddAccelerator(uint32_t key, uint16_t windowId, uint16_t commandId);
  void SetSizingCursor(int zone);
  int AddCommand(uint16_t id, uint16_t kind, uint32_t flags, uint16_t image, uint16_t text,
                 void* data, float widthFactor = 1.0f, float heightFactor = 1.0f);

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
  CPopupChain* m_pPopups = nullptr;              // set by the menu code while a popup is open
  MenuBarKeyboardFn m_pfnMenuBarKeyboard = nullptr;

 private:
  int InitProductAndFolders(int showCommand);
  int ReadInstallRecord();
  int ChooseDataFolders();
  int WaitForDataFolders();
  int CheckOtherInstance(bool allowSeveralInstances);
  int CreateFrameworkWindows();
  int AddFrameworkCommands();
  void LoadAppState(int layoutVersion);
  void ReadProgramVersion();
  void ReadOsVersion();
  int ShowInitError(int status);
  int InitLook();
  void HandOverCommandLine();
  bool HandleSizingFrame(MSG* message);
  bool HandlePopupKeys(MSG* message);
  bool HandleKeys(MSG* message);
  bool HandleAccelerator(MSG* message);
  void LeaveMenuMode();

  struct SizingState {
    CAppWindow* window;
    int zone;
    RECT startRect;
    POINT startPoint;
  };

  CCommandLine m_commandLine;
  bool m_bOwnsSetup = false;
  SizingState m_sizing = {};
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

// Window procedure of the class "ORVAppUIItem"; the UI items install theirs.
extern WNDPROC gUIItemWndProc;
