// Single instance: the phantom window, the control message and the hand-off
// of a second start's command line to the running instance.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/app/app_math.h"
#include "framework/app/app_win.h"
#include "framework/app/instance_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/settings/data_files.h"
#include "framework/settings/data_path.h"
#include "framework/ui/ui_item_win.h"

namespace {

const char kCommandFile[] = "(ORV)Cmd";
const DWORD kHandOffMutexWaitMs = 10000;
const DWORD kHandOffTakenWaitMs = 5000;

struct InstanceSearch {
  const char* productName;
  HWND found;
};

BOOL CALLBACK FindPhantomProc(HWND window, LPARAM lParam) {
  InstanceSearch* search = reinterpret_cast<InstanceSearch*>(lParam);
  char className[32] = {};
  GetClassNameA(window, className, sizeof(className));
  if (lstrcmpiA(className, "ORVPhantom") != 0) return TRUE;
  char title[260] = {};
  GetWindowTextA(window, title, sizeof(title));
  if (strcmp(title, search->productName) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

HANDLE gSetupMutex = nullptr;

// Holds the hand-off mutex for one hand-over.
class CHandOffLock {
 public:
  CHandOffLock(uint32_t instanceKey, DWORD timeoutMs)
      : m_hMutex(AcquireHandOffMutex(instanceKey, timeoutMs)) {}
  ~CHandOffLock() {
    if (!m_hMutex) return;
    ReleaseMutex(m_hMutex);
    CloseHandle(m_hMutex);
  }
  CHandOffLock(const CHandOffLock&) = delete;
  CHandOffLock& operator=(const CHandOffLock&) = delete;
  bool IsHeld() const { return m_hMutex != nullptr; }

 private:
  HANDLE m_hMutex;
};

bool GetCommandFilePaths(char* path, char* taken) {
  return GetDataFilePath(kCommandFile, kNoIndex, path, 0) &&
         snprintf(taken, kPathChars, "%s_taken", path) < kPathChars;
}

}  // namespace

HWND FindOtherInstance(const char* productName) {
  InstanceSearch search = {productName, nullptr};
  EnumWindows(FindPhantomProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool AcquireSetupMutex(uint32_t instanceKey) {
  if (gSetupMutex) return true;
  char name[64];
  snprintf(name, sizeof(name), "ORVSetup-%08X", instanceKey);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!mutex) return false;
  DWORD wait = WaitForSingleObject(mutex, 0);
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
    gSetupMutex = mutex;
    return true;
  }
  CloseHandle(mutex);
  return false;
}

void ReleaseSetupMutex() {
  if (!gSetupMutex) return;
  ReleaseMutex(gSetupMutex);
  CloseHandle(gSetupMutex);
  gSetupMutex = nullptr;
}

HANDLE AcquireHandOffMutex(uint32_t instanceKey, DWORD timeoutMs) {
  char name[64];
  snprintf(name, sizeof(name), "ORVCommandLine-%08X", instanceKey);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!mutex) return nullptr;
  DWORD wait = WaitForSingleObject(mutex, timeoutMs);
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return mutex;
  CloseHandle(mutex);
  return nullptr;
}

bool WaitForCommandLineTaken(DWORD timeoutMs) {
  char path[kPathChars];
  if (!GetDataFilePath(kCommandFile, kNoIndex, path, 0)) return true;
  DWORD start = GetTickCount();
  while (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(5);
  }
  return true;
}

bool WithdrawCommandLine() {
  char path[kPathChars];
  if (!GetDataFilePath(kCommandFile, kNoIndex, path, 0)) return false;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (DeleteFileA(path)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    Sleep(10);
  }
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A second start: under the hand-off mutex, so that starts in quick
// succession take turns, the command line goes into "(ORV)Cmd" and the
// running instance is asked to take it. When it has not taken it in time,
// the start takes it back; only a command line that is gone counts as
// delivered, so every command arrives once or its start reports failure.
void CApp::HandOverCommandLine() {
  CHandOffLock lock(m_ulInstanceKey, kHandOffMutexWaitMs);
  if (!lock.IsHeld()) {
    m_iHandOff = kHandOffBusy;
    return;
  }
  int size = int(strlen(m_szCommandLine)) + 1;
  if (WriteDataFile(kCommandFile, kNoIndex, m_szCommandLine, size, 0) != size) {
    m_iHandOff = kHandOffNotWritten;
    return;
  }
  PostMessageA(HWND_BROADCAST, m_uControlMessage, CTRL_ACTIVATE, LPARAM(m_ulInstanceKey));
  if (!WaitForCommandLineTaken(kHandOffTakenWaitMs) && WithdrawCommandLine())
    m_iHandOff = kHandOffNotTaken;
}

bool CApp::TakeCommandLine(char* buffer, int size) {
  if (!buffer || size < 1) return false;
  buffer[0] = '\0';
  if (m_bOwnCommandLinePending) {
    m_bOwnCommandLinePending = false;
    snprintf(buffer, size_t(size), "%s", m_szCommandLine);
    return true;
  }
  // The file is renamed before it is read: a start that withdraws its
  // command line at the same moment finds it either still there (and takes
  // it back) or gone (and knows it arrived).
  char path[kPathChars];
  char taken[kPathChars];
  if (!GetCommandFilePaths(path, taken) || !MoveFileExA(path, taken, MOVEFILE_REPLACE_EXISTING))
    return false;
  char* text = static_cast<char*>(calloc(kCommandLineChars + 1, 1));
  int read = text ? ReadFileToBuffer(taken, text, kCommandLineChars + 1) : 0;
  // Whole and terminated, or it is not ours to run: it goes back, so that
  // its start sees it was not taken.
  bool whole = read > 0 && read <= kCommandLineChars && text[read - 1] == '\0' &&
               strlen(text) < size_t(size);
  if (whole) {
    memcpy(buffer, text, strlen(text) + 1);
    DeleteFileA(taken);
  } else {
    MoveFileExA(taken, path, 0);
  }
  free(text);
  return whole;
}

int CApp::CheckOtherInstance(bool allowSeveralInstances) {
  HWND other = allowSeveralInstances && !m_bQuitRequested ? nullptr
                                                          : FindOtherInstance(m_szProductName);
  if (!other && !m_bQuitRequested) {
    m_bOwnCommandLinePending = true;  // the instance runs its own command line from memory
    return 0;
  }
  m_bNoSave = true;
  if (other && m_bQuitRequested)
    PostMessageA(HWND_BROADCAST, m_uControlMessage, CTRL_QUIT, LPARAM(m_ulInstanceKey));
  else if (other)
    HandOverCommandLine();
  return kStatusOtherInstance;
}

int CApp::CreateFrameworkWindows() {
  RegisterUIItemClass(m_hInstance);
  WNDCLASSA phantomClass = {};
  phantomClass.lpfnWndProc = PhantomWndProc;
  phantomClass.hInstance = m_hInstance;
  phantomClass.hIcon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(1));
  phantomClass.lpszClassName = "ORVPhantom";
  RegisterClassA(&phantomClass);
  m_hwndPhantom = CreateWindowExA(WS_EX_TOOLWINDOW, "ORVPhantom", m_szProductName, WS_POPUP, 0,
                                  0, 0, 0, nullptr, nullptr, m_hInstance, nullptr);
  if (!m_hwndPhantom) return kStatusWindowFailed;
  m_hwndTooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, m_hInstance, nullptr);
  if (m_hwndTooltip)
    SetWindowPos(m_hwndTooltip, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return 0;
}

void CApp::OnHourlyTick() {
  if (++m_iHourlyTicks > kTicksPerDailyJob - 1) {
    m_iHourlyTicks = 0;
    RunDailyJobs();
  }
}

// A new screen layout: windows keep their place relative to their monitor,
// scaled to its new size; with only a DPI change they are told so.
LRESULT CApp::OnDisplayChange() {
  MonitorLayout before = gMonitorLayout;
  UpdateMonitorsForDisplayChange();
  ApplyLayoutChange(before, gMonitorLayout);
  return 0;
}

void CApp::ApplyLayoutChange(const MonitorLayout& before, const MonitorLayout& after) {
  int change = CompareMonitorLayouts(before, after);
  if (change == kLayoutUnchanged) return;
  if (change == kLayoutRescaled) {
    for (int i = GetWindowCount() - 1; i >= 0; --i) {
      CAppWindow* window = GetWindowAt(i);
      if (window->flags & (kWindowNoRescale | kWindowKeepOnRescale)) continue;
      RECT current = window->normalRect;
      if (window->hwnd && !IsIconic(window->hwnd) && !IsZoomed(window->hwnd))
        GetWindowRect(window->hwnd, &current);
      RECT scaled;
      if (RescaleWindowForLayout(before, after, current, &scaled))
        window->SetPosition(scaled, false);
    }
  }
  UINT message = change == kLayoutRescaled ? MSG_SCREEN_RESCALED : MSG_MONITOR_DPI_CHANGED;
  for (int i = GetWindowCount() - 1; i >= 0; --i) {
    CAppWindow* window = GetWindowAt(i);
    if (window->hwnd) SendMessageA(window->hwnd, message, 0, 0);
  }
}

namespace {

LRESULT OnControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (uint32_t(lParam) != gApp.m_ulInstanceKey)
    return DefWindowProcA(window, message, wParam, lParam);
  if (wParam == CTRL_RESTART) {
    gApp.m_iRestartKind = gApp.IsElevated() > 0 ? kRestartElevated : kRestartNormal;
    FilterRestartArguments(gApp.m_szCommandLine, gApp.m_szRestartArguments,
                           sizeof(gApp.m_szRestartArguments));
    PostQuitMessage(0);
    gApp.m_bBroadcastRestart = false;
    return 0;
  }
  if (wParam == CTRL_ACTIVATE) {
    for (int i = 0; i < gApp.GetWindowCount(); ++i) gApp.GetWindowAt(i)->SetGhost(false);
  }
  gApp.SendToActiveWindow(UINT(wParam), 0, 0);
  return 0;
}

}  // namespace

LRESULT CALLBACK PhantomWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == gApp.m_uControlMessage && message != 0)
    return OnControlMessage(window, message, wParam, lParam);
  if (message == gApp.m_uTaskbarCreatedMessage && message != 0) {
    gApp.SendToActiveWindow(MSG_TASKBAR_RECREATED, 0, 0);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      SetTimer(window, TIMER_HOURLY, kHourlyTimerMs, nullptr);
      return 0;
    case WM_DESTROY:
      KillTimer(window, TIMER_HOURLY);
      return 0;
    case WM_TIMER:
      if (wParam == TIMER_HOURLY) {
        gApp.OnHourlyTick();
        return 0;
      }
      break;
    case WM_ENDSESSION:
      gApp.SaveState();
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      return gApp.OnDisplayChange();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
