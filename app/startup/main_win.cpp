// The program's entry: the application object starts (single instance, data
// folder, restore), the message loop runs, and the application object shuts
// down explicitly while everything else is still alive.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/profiles/settings_store.h"
#include "app/profiles/text_template.h"
#include "app/script/command_line_win.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"
#include "framework/net/update_check_win.h"

namespace {

const int kLayoutVersion = 1;
const uint16_t kMainWindowId = 0;
const uint32_t kMainWindowStyle = 9219;  // taskbar button, sizable, forwarded requests, dropped files
// A second start's command line or our own is waiting in "(ORV)Cmd".
const UINT WM_PROCESSCMDLINE = UINT(CTRL_ACTIVATE);
// Exit codes of a start that could not do what its command line asked.
const int kExitHandOffFailed = 4;        // the running instance did not get it
const int kExitCommandLineTooLong = 5;   // refused whole

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

// Until the main window with its bars and views exists, this hidden framework
// window takes the requests the running instance receives: it takes the
// command lines (its own, then those of second starts), and quits on request.
LRESULT CALLBACK InterimMainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PROCESSCMDLINE: {
      ProcessCommandLine();
      return 0;
    }
    case CTRL_QUIT:
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
  }
  return AppWindowDefProc(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  gDailyJobs.pfnCheckForUpdateIfDue = CheckForUpdateIfDue;
  gProgramHooks.pfnExpandTemplate = [](const char* text, char* out, int size, int fileNameMode) {
    ExpandTemplate(text, out, size, fileNameMode);
  };
  int status = gApp.Init(instance, kProductNameText, gProgramTexts, false, kLayoutVersion,
                         commandLine, showCommand);
  if (status != 0) {
    int exitCode = ReportEndWithoutWindow(status);
    gApp.Shutdown();
    return exitCode;
  }
  // Until the program's own start-up lands: the records and their settings
  // come right after the framework, and are saved when the loop ends.
  InitProgramRecords();
  LoadSettings();
  int result = 0;
  // The main window's own style, so that the placement this window leaves
  // in "(ORV)Win" fits the main window that replaces it.
  int index = gApp.AddWindow(kMainWindowId, InterimMainWndProc, kProductNameText, kMainWindowStyle);
  if (index < 0) {
    result = 1;
  } else {
    PostMessageA(gApp.GetWindowAt(index)->hwnd, WM_PROCESSCMDLINE, gApp.m_bMinimize ? 1 : 0, 0);
    gApp.Run();
    SaveSettings();
  }
  gApp.Shutdown();
  if (result != 0) {
    gApp.ShowMessageText(nullptr, gStringTable.GetText(kProductNameText, 0), kStatusInitError, 0,
                         kBoxError, 0, result);
  }
  return result;
}
