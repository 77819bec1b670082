// The program's entry: the application object starts (single instance, data
// folder, restore), the message loop runs, and the application object shuts
// down explicitly while everything else is still alive.
#include <windows.h>

#include "framework/app/app_win.h"

namespace {

const uint16_t kProductNameText = 2100;
const int kLayoutVersion = 1;
const uint16_t kMainWindowId = 0;
// A second start's command line or our own is waiting in "(ORV)Cmd".
const UINT WM_PROCESSCMDLINE = UINT(CTRL_ACTIVATE);
// The second start gave up: the running instance did not take its command.
const int kExitHandOffNotTaken = 4;

TextRecord gProgramTexts[] = {
    {kProductNameText, {"Brightwarden"}},
    {kTextTableEnd, {}},
};

// Until the main window with its bars and views exists, this hidden framework
// window takes the requests the running instance receives: it reads the
// command line a start hands over, and quits on request.
LRESULT CALLBACK InterimMainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PROCESSCMDLINE: {
      char commandLine[kCommandLineChars];
      if (gApp.TakeCommandLine(commandLine, sizeof(commandLine)))
        gApp.ParseCommandLine(commandLine);
      return 0;
    }
    case CTRL_QUIT:
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  int status = gApp.Init(instance, kProductNameText, gProgramTexts, false, kLayoutVersion,
                         commandLine, showCommand);
  if (status != 0) {
    int exitCode = gApp.m_bHandOffTimedOut ? kExitHandOffNotTaken : 0;
    gApp.Shutdown();
    return exitCode;
  }
  int result = 0;
  int index = gApp.AddWindow(kMainWindowId, InterimMainWndProc, kProductNameText, 0);
  if (index < 0) {
    result = 1;
  } else {
    PostMessageA(gApp.GetWindowAt(index)->hwnd, WM_PROCESSCMDLINE, gApp.m_bMinimize ? 1 : 0, 0);
    gApp.Run();
  }
  gApp.Shutdown();
  if (result != 0) {
    const char* format = gStringTable.GetText(kStatusInitError, 0);
    gApp.ShowMessage(nullptr, gStringTable.GetText(kProductNameText, 0), format ? format : "", 273,
                     0, result);
  }
  return result;
}
