// The program's entry: the application object starts (single instance, data
// folder, restore), the program initialises its records and commands, the
// main window with its four bars and the image view comes up, the message
// loop runs, and everything is torn down in order while the application
// object still lives; it shuts down last.
#include <windows.h>

#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/document/history.h"
#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/main_window_shared_win.h"
#include "app/mainwindow/main_window_win.h"
#include "app/mainwindow/program_commands.h"
#include "app/mainwindow/scanning_seam.h"
#include "app/operations/operation_runner.h"
#include "app/profiles/profile_menu.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "app/profiles/text_template.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_start_win.h"
#include "app/startup/program_texts.h"
#include "app/view/image_view_win.h"
#include "framework/app/app_win.h"
#include "framework/net/update_check_win.h"

namespace {

const int kLayoutVersion = 1;
// Exit codes of a start that could not do what its command line asked.
const int kExitHandOffFailed = 4;        // the running instance did not get it
const int kExitCommandLineTooLong = 5;   // refused whole
// Results of a start whose window could not be made.
enum StartResult { kStartOk = 0, kNoMainWindow = 1, kNoBar = 2, kNoView = 3 };
const unsigned kStartupThreadWaitMs = 100 * 50;
const unsigned kStartFailureBoxStyle = 273;
const uint16_t kIconProgram = 1;

// A word for whoever started the program from a console or a script; a
// program without one simply has nowhere to say it.
void TellOnStderr(const char* text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (!error || error == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(error, text, DWORD(strlen(text)), &written, nullptr);
}

int ReportEndWithoutWindow(int status) {
  if (status == kStatusCommandLineTooLong) {
    char text[160];
    snprintf(text, sizeof(text),
             "Brightwarden: the command line is longer than %d characters; nothing was done.\n",
             kCommandLineChars - 1);
    TellOnStderr(text);
    return kExitCommandLineTooLong;
  }
  switch (gApp.m_iHandOff) {
    case kHandOffBusy:
      TellOnStderr("Brightwarden: other starts kept the running instance busy; "
                   "the command line was not passed on.\n");
      return kExitHandOffFailed;
    case kHandOffNotWritten:
      TellOnStderr("Brightwarden: the command line could not be written to the data folder; "
                   "it was not passed on.\n");
      return kExitHandOffFailed;
    case kHandOffNotTaken:
      TellOnStderr("Brightwarden: the running instance did not answer within 5 seconds; "
                   "the command line was withdrawn.\n");
      return kExitHandOffFailed;
  }
  return 0;
}

// The tests' way to make one creation step fail as if the system refused
// it: BW_FAIL_START names the step's result (1 window, 2 bar, 3 view).
int InjectedStartFailure() {
  char value[8] = {};
  if (!GetEnvironmentVariableA("BW_FAIL_START", value, sizeof(value))) return kStartOk;
  int step = atoi(value);
  return step >= kNoMainWindow && step <= kNoView ? step : kStartOk;
}

struct BarPlacement {
  uint16_t id;
  int side;
  int x;
  int length;
  uint16_t flags;
  const uint16_t* items;
};

int CreateBars(int injected) {
  const uint16_t drawBarShown = gOptions.iShowDrawBar ? kBarVisible : 0;
  const BarPlacement bars[] = {
      {kBarMenu, kSideTop, 0, 400, kBarVisible, kMenuBarItems},
      {kBarToolbar, kSideTop, -1, 400, kBarVisible | kBarCloseBox, kToolbarItems},
      {kBarDraw, kSideLeft, 0, 100, uint16_t(drawBarShown | kBarCloseBox), kDrawBarItems},
      {kBarInfo, kSideBottom, 0, 100, kBarVisible | kBarCloseBox, kInfoBarItems},
  };
  if (injected == kNoBar) return kNoBar;
  for (const BarPlacement& bar : bars) {
    if (gApp.AddBar(bar.id, kMainWindowId, bar.side, 0, bar.x, 0, bar.length, 32, bar.flags,
                    bar.id, kSameAsId, bar.items) < 0)
      return kNoBar;
  }
  return kStartOk;
}

// Steps 7 to 9: the main window, its bars and its view.
int CreateMainWindow(int injected) {
  int index = injected == kNoMainWindow
                  ? -1
                  : gApp.AddWindow(kMainWindowId, MainWndProc, kProductNameText, kMainWindowFlags,
                                   kIconProgram);
  CAppWindow* frame = gApp.GetWindowAt(index);
  if (!frame) return kNoMainWindow;
  ghwndMain = frame->hwnd;
  frame->SetMinTrackSize(200, 150);
  DragAcceptFiles(ghwndMain, TRUE);
  // A program of lower integrity may drop files on us.
  ChangeWindowMessageFilterEx(ghwndMain, WM_DROPFILES, MSGFLT_ALLOW, nullptr);
  ChangeWindowMessageFilterEx(ghwndMain, 73 /* WM_COPYGLOBALDATA */, MSGFLT_ALLOW, nullptr);
  if (int result = CreateBars(injected)) return result;
  if (injected == kNoView || !CreateImageViewWindows(ghwndMain)) return kNoView;
  return kStartOk;
}

// Steps 10 to 15: the running program until its loop ends.
void RunMainWindow() {
  AddClipboardFormatListener(ghwndMain);
  if (gOptions.iDPInitNumber != kKeepPrintNumber) gOptions.iPrtNumber = gOptions.iDPInitNumber;
  if (gOptions.iDelCBText && gOptions.szCBText[0]) DeleteFileA(gOptions.szCBText);
  gApp.SetTrayIcon(kMainWindowId, gOptions.iTrayIcon ? kIconProgram : -1, nullptr);
  ApplyDrawColors();
  SetZoomIndex(giZoomIndex, -1);
  UpdateStatusBar(0);
  RegisterHotkeys(1, 1);
  PostMessageA(ghwndMain, WM_PROCESSCMDLINE, gApp.m_bMinimize ? 1 : 0, 0);
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  gApp.Run();
  if (hook) UnhookWindowsHookEx(hook);
  // A loop ended from outside (a restart, a quit message) saves here.
  SaveSettingsOnExit();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  gDailyJobs.pfnCheckForUpdateIfDue = CheckForUpdateIfDue;
  gProgramHooks.pfnExpandTemplate = [](const char* text, char* out, int size, int fileNameMode) {
    ExpandTemplate(text, out, size, fileNameMode);
  };
  ConnectMainWindow();
  int status = gApp.Init(instance, kProductNameText, gProgramTexts, false, kLayoutVersion,
                         commandLine, showCommand);
  if (status != 0) {
    int exitCode = ReportEndWithoutWindow(status);
    gApp.Shutdown();
    return exitCode;
  }
  if (gApp.m_bAutostart) gApp.m_bMinimize = 1;
  InitProgramRecords();

  const HRESULT ole = OleInitialize(nullptr);
  if (gScanningSeam.pfnTwainInit) gScanningSeam.pfnTwainInit(instance);
  BuildProfileMenu();
  InitApplication();
  gbClipboardHasDib = IsClipboardFormatAvailable(CF_DIB) ? 1 : 0;
  if (gApp.m_bTaskScheduler) gApp.SetAutostart(false);

  if (gApp.m_bAutostart && !gOptions.iAutoStart) {
    // Started with the user's session while the option is off: nothing to
    // show, and nothing of the window's to tear down.
    WaitForStartupThreads(kStartupThreadWaitMs);
    if (StartupThreadsEnded() && gScanningSeam.pfnTwainShutdown) gScanningSeam.pfnTwainShutdown();
    if (SUCCEEDED(ole)) OleUninitialize();
    gApp.Shutdown();
    return 0;
  }

  int result = CreateMainWindow(InjectedStartFailure());
  if (result == kStartOk) RunMainWindow();

  // Long work still running looks at this and stops.
  gbAbort = 1;
  if (ghwndMain) RemoveClipboardFormatListener(ghwndMain);
  WaitForStartupThreads(kStartupThreadWaitMs);
  ClearHistory();
  ExitApplication();
  gApp.SetTrayIcon(kMainWindowId, -1, nullptr);
  // The source manager stays loaded while a thread may still call into it.
  if (StartupThreadsEnded() && gScanningSeam.pfnTwainShutdown) gScanningSeam.pfnTwainShutdown();
  if (SUCCEEDED(ole)) OleUninitialize();

  if (result != kStartOk) {
    gApp.ShowMessageText(nullptr, gStringTable.GetText(kProductNameText, 0), kStatusInitError, 0,
                         kStartFailureBoxStyle, 0, result);
  }
  gApp.Shutdown();
  return result;
}
