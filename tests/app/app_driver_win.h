#pragma once
// A small Win32 driver for end-to-end tests of Brightwarden.exe: it installs
// the program into a test folder, writes the install record, starts the
// program, finds its windows by class and title, reads its message boxes and
// waits for its exit codes.
#include <windows.h>

#include <string>
#include <vector>

struct AppProcess {
  HANDLE hProcess = nullptr;
  DWORD dwProcessId = 0;
};

// The installed copy: "<out>\prog\Brightwarden.exe" with "Init\a.kzc"
// (read-only) and "Init\sub\b.kzc".
std::string InstallProgram();
std::string ProgramFolder();

// Writes HKLM\Software\Orvalund\Brightwarden with `size` bytes; the custom
// data folder, when given, is used for both folders. size 0 deletes it.
void WriteInstallRecord(size_t size, const std::string& customFolder, bool appendUser);

AppProcess StartApp(const std::string& arguments);
// The exit code, -1 on timeout, -2 when an unexpected box appeared (the
// test then fails with the box's text and the process is ended).
int WaitExit(AppProcess* app, DWORD milliseconds, bool boxesAllowed = false);
void KillApp(AppProcess* app);
// Suspends (or resumes) every thread of the process, as a debugger would;
// false when a thread could not be reached.
bool SuspendApp(const AppProcess& app, bool suspend);

// The first visible or hidden top-level window of the class (ignoring
// case) whose process is `processId` (0: any process) and whose title
// matches when given.
HWND FindAppWindow(const char* className, DWORD processId, const char* title = nullptr);
HWND WaitForAppWindow(const char* className, DWORD processId, DWORD milliseconds,
                      const char* title = nullptr);
// A message box (#32770) of the process, its heading and text joined by
// "\n", and pressing its OK button.
HWND FindBox(DWORD processId);
std::string BoxText(HWND box);
void PressOk(HWND box);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);  // files (also read-only) and folders below, and itself
std::vector<std::string> ListFiles(const std::string& folder);  // relative, recursive, sorted

// A Unix command run on the test's display (xdotool, python3 ...), through
// run_unix.sh: true when it ended with exit code 0 within 30 s. Wine gives no
// handle of a Unix process, so the script leaves a file when it ends.
bool RunUnix(const std::string& arguments);
inline bool Xdotool(const std::string& chain) { return RunUnix("/usr/bin/xdotool " + chain); }

// Polls condition every 20 ms; false when it still fails after milliseconds.
template <class Condition>
bool WaitFor(Condition condition, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(20);
  }
  return true;
}
