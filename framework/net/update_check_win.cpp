#include "framework/net/update_check_win.h"

#include <process.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "framework/app/app_win.h"
#include "framework/app/shell_start_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/net/http_client.h"
#include "framework/net/update_record.h"
#include "framework/settings/data_files.h"
#include "framework/settings/data_path.h"
#include "framework/text/string_table.h"
#include "framework/ui/dialog_helpers_win.h"

namespace {

constexpr uint16_t kUpdateTexts = 61452;
enum : int {
  kTextLastCheck = 0,
  kTextChecking = 1,
  kTextDownloadError = 2,
  kTextFormatError = 3,
  kTextNewer = 4,
  kTextNotNewer = 5,
  kTextStartFailed = 6,
  kTextTitle = 11,
};

constexpr UINT MSG_HELP_REQUEST = 33786;  // to the main window: wParam the topic
// The check thread tells the open dialog what it found, whichever thread the
// dialog lives on: wParam the status variant and, in its second byte, the
// newer flag plus one (0: unchanged); lParam a heap copy of the fetched text
// or null. The dialog frees the text.
constexpr UINT MSG_UPDATE_STATE = WM_APP + 0x143;

constexpr LPARAM kModal = 0;
constexpr LPARAM kModeless = 1;
constexpr DWORD kStopWaitMs = 5000;

// The record and every write of it: the thread changes only the fetched
// text, the time and the newer flag, the dialog only the enabled flag and
// the interval, each on the current record.
std::mutex gRecordLock;
UpdateCheckRecord gUpdateCheck = {};

// Serialises starts, so that two starts never both see no check running.
std::mutex gStartLock;
std::atomic<uint8_t> gStop{0};
std::atomic<uint8_t> gRunning{0};
std::atomic<HWND> gDialog{nullptr};
std::atomic<int32_t> gIdleMs{kSocketIdleMs};
std::atomic<UpdateThreadStart> gThreadStart{_beginthreadex};

// Signalled while no check runs; what a start waits on (the thread itself
// may live on with the dialog it opened).
HANDLE CheckEndedEvent() {
  static HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  return event;
}

int64_t Now() { return int64_t(time(nullptr)); }

// With gRecordLock held. A file that is missing or cannot be read leaves
// the record as it is.
void ReadRecord() {
  ReadDataFile(kUpdateCheckFile, kNoIndex, &gUpdateCheck, sizeof(gUpdateCheck), 0);
  NormaliseUpdateRecord(&gUpdateCheck);
}

bool WriteRecord() {
  return WriteDataFile(kUpdateCheckFile, kNoIndex, &gUpdateCheck, sizeof(gUpdateCheck), 0) ==
         int(sizeof(gUpdateCheck));
}

UpdateCheckRecord RecordCopy() {
  std::lock_guard<std::mutex> lock(gRecordLock);
  return gUpdateCheck;
}

const char* UpdateText(int variant) {
  const char* text = gStringTable.GetText(kUpdateTexts, variant);
  return text ? text : "";
}

VersionNumber OwnVersion() {
  auto clamp = [](uint32_t v) { return uint16_t(v > 65535 ? 65535 : v); };
  return {clamp(gApp.m_ulVersionMajor), clamp(gApp.m_ulVersionMinor),
          clamp(gApp.m_ulVersionBuild)};
}

// The install record's address field as a terminated text.
void CopyAddress(const char field[260], char out[260]) {
  memcpy(out, field, 260);
  out[259] = '\0';
}

bool StartsWithI(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

// Only a web address is opened: the download field could name any program.
bool DownloadAddressUsable() {
  char address[260];
  CopyAddress(gApp.m_install.szDownloadUrl, address);
  return StartsWithI(address, "http://") || StartsWithI(address, "https://");
}

void TellDialog(int variant, int newer, const char* text) {
  HWND dialog = gDialog.load();
  if (!dialog) return;
  char* copy = text ? _strdup(text) : nullptr;
  WPARAM state = WPARAM(variant) | (WPARAM(newer + 1) << 8);
  if (!PostMessageA(dialog, MSG_UPDATE_STATE, state, LPARAM(copy))) free(copy);
}

void MarkCheckEnded() {
  gRunning.store(0);
  SetEvent(CheckEndedEvent());
}

// Waits for the running check to end; messages sent to this thread's
// windows are answered meanwhile, nothing posted is taken out of order.
bool WaitForCheckEnd(DWORD milliseconds) {
  HANDLE ended = CheckEndedEvent();
  DWORD start = GetTickCount();
  for (;;) {
    if (!gRunning.load()) return true;
    DWORD waited = GetTickCount() - start;
    if (waited >= milliseconds) return !gRunning.load();
    DWORD result = MsgWaitForMultipleObjects(1, &ended, FALSE, milliseconds - waited, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0 + 1) {
      MSG message;
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (result == WAIT_FAILED) {
      Sleep(10);
    }
  }
}

// With gStartLock held.
int StartLocked() {
  if (gRunning.load()) {
    gStop.store(1);
    if (!WaitForCheckEnd(kStopWaitMs)) return kUpdateStillRunning;
  }
  gStop.store(0);
  gRunning.store(1);
  ResetEvent(CheckEndedEvent());
  uintptr_t thread = gThreadStart.load()(nullptr, 0, UpdateCheckThread, nullptr, 0, nullptr);
  if (!thread) {
    MarkCheckEnded();
    TellDialog(kTextStartFailed, -1, nullptr);
    return kUpdateThreadFailed;
  }
  CloseHandle(HANDLE(thread));
  return kUpdateStarted;
}

// The fetch, the reading of the version, storing and showing. Returns the
// dialog the thread opened to announce a new version, or null.
HWND RunCheck(const UpdateCheckRecord& before) {
  char url[260];
  CopyAddress(gApp.m_install.szUpdateUrl, url);
  CHttpClient client;
  client.SetAbortFlag(&gStop);
  client.SetBodyLimit(kUpdateBodyLimit);
  client.SetIdleLimit(gIdleMs.load());
  int result = client.Get(url, nullptr, nullptr, nullptr, 0, true);
  // A stopped check shows nothing and stores nothing.
  if (gStop.load()) return nullptr;
  if (result != kGetOk) {
    TellDialog(kTextDownloadError, -1, nullptr);
    return nullptr;
  }
  const uint8_t* body = client.GetBody();
  int32_t length = client.GetBodyLength();
  const void* zero = length > 0 ? memchr(body, 0, size_t(length)) : nullptr;
  if (zero) length = int32_t(static_cast<const uint8_t*>(zero) - body);
  VersionNumber published;
  if (!ParseVersionText(reinterpret_cast<const char*>(body), size_t(length), &published)) {
    TellDialog(kTextFormatError, -1, nullptr);
    return nullptr;
  }
  char text[260];
  CopyFetchedText(body, length, text);
  VersionNumber own = OwnVersion();
  bool newer = IsNewerVersion(published, own);
  bool announce = ShouldAnnounceVersion(published, own, before.szFetchedText);
  {
    std::lock_guard<std::mutex> lock(gRecordLock);
    memcpy(gUpdateCheck.szFetchedText, text, sizeof(text));
    gUpdateCheck.llLastCheck = StartOfDay(Now());
    gUpdateCheck.bNewer = newer ? 1 : 0;
    WriteRecord();
  }
  if (gDialog.load()) {
    TellDialog(newer ? kTextNewer : kTextNotNewer, newer ? 1 : 0, text);
    return nullptr;
  }
  if (!announce) return nullptr;
  HWND dialog = CreateDialogParamA(gApp.m_hInstance, MAKEINTRESOURCEA(kUpdateDialogId), nullptr,
                                   UpdateCheckDlgProc, kModeless);
  if (!dialog) return nullptr;
  ShowWindow(dialog, SW_SHOW);
  TellDialog(kTextNewer, 1, text);
  return dialog;
}

// The table's "Last check" text when it takes exactly three numbers, each a
// plain "%d" with flags and a width; a translation that asks for anything
// else would read arguments that are not there.
const char* LastCheckFormat() {
  const char* format = UpdateText(kTextLastCheck);
  int numbers = 0;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    ++p;
    while (*p == '0' || *p == '-' || *p == ' ' || *p == '+') ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p != 'd') return "Last check: %02d.%02d.%04d";
    ++numbers;
  }
  return numbers == 3 ? format : "Last check: %02d.%02d.%04d";
}

void FormatDate(char* out, size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(out, size, format, arguments);
  va_end(arguments);
}

// "Last check: dd.mm.yyyy" in local time.
void ShowLastCheck(HWND dialog, int64_t lastCheck) {
  // Seconds since 1970 to the system's 100 ns ticks since 1601.
  ULARGE_INTEGER ticks;
  ticks.QuadPart = uint64_t(lastCheck < 0 ? 0 : lastCheck) * 10000000ULL + 116444736000000000ULL;
  FILETIME utc = {ticks.LowPart, ticks.HighPart};
  SYSTEMTIME universal = {}, local = {};
  if (!FileTimeToSystemTime(&utc, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    local = universal;
  char text[200];
  FormatDate(text, sizeof(text), LastCheckFormat(), int(local.wDay), int(local.wMonth),
             int(local.wYear));
  SetDlgItemTextA(dialog, kIdUpdateStatus, text);
}

void ApplyVersionFont(HWND dialog, int dpi) {
  HFONT font = GetAppFont(kFontDialog, dpi < 96 ? 96 : dpi);
  if (!font) return;
  for (int id = kIdInstalledVersion; id <= kIdUpdateStatus; ++id)
    if (HWND control = GetDlgItem(dialog, id)) SendMessageA(control, WM_SETFONT, WPARAM(font), TRUE);
}

void InitDialog(HWND dialog, LPARAM form) {
  SetWindowLongPtrA(dialog, DWLP_USER, form);
  gDialog.store(dialog);
  PrepareDialog(dialog);
  ApplyVersionFont(dialog, int(GetWindowDpi(dialog)));
  char title[300];
  snprintf(title, sizeof(title), "%s %s", gApp.m_szProductName, UpdateText(kTextTitle));
  SetWindowTextA(dialog, title);
  CenterWindow(dialog, nullptr, nullptr);
  SetFocus(dialog);
  VersionNumber own = OwnVersion();
  SetDlgItemTextF(dialog, kIdInstalledVersion, "%d.%d.%d", int(own.major), int(own.minor),
                  int(own.build));
  UpdateCheckRecord record = RecordCopy();
  CheckDlgItem(dialog, kIdAutomaticCheck, record.bEnabled ? BST_CHECKED : BST_UNCHECKED);
  EnableDlgItem(record.bEnabled != 0, dialog, kIdIntervalDays, kIdDaysLabel, 0);
  SetDlgItemInteger(dialog, kIdIntervalDays, record.iIntervalDays);
  SetDlgItemTextA(dialog, kIdAvailableVersion, record.szFetchedText);
  EnableWindow(GetDlgItem(dialog, kIdUpdateButton), record.bNewer && DownloadAddressUsable());
  ShowLastCheck(dialog, record.llLastCheck);
}

void CloseDialog(HWND dialog, int id, bool stopCheck) {
  if (stopCheck) gStop.store(1);
  HWND self = dialog;
  gDialog.compare_exchange_strong(self, nullptr);
  // The modeless form ends its thread's loop by being destroyed; EndDialog
  // would only hide it.
  if (GetWindowLongPtrA(dialog, DWLP_USER) == kModeless)
    DestroyWindow(dialog);
  else
    EndDialog(dialog, id);
}

void AcceptDialog(HWND dialog) {
  bool enabled = IsDlgItemChecked(dialog, kIdAutomaticCheck);
  int32_t days = GetDlgItemInteger(dialog, kIdIntervalDays, kUpdateIntervalMin, kUpdateIntervalMax,
                                   false);
  bool due;
  {
    std::lock_guard<std::mutex> lock(gRecordLock);
    gUpdateCheck.bEnabled = enabled ? 1 : 0;
    gUpdateCheck.iIntervalDays = days;
    WriteRecord();
    ReadRecord();
    due = IsUpdateCheckDue(gUpdateCheck, Now());
  }
  if (due) StartUpdateCheck();
  // A check that runs (just started, or started before) is left to finish:
  // OK accepts, only Cancel stops.
  CloseDialog(dialog, IDOK, false);
}

void RequestHelp() {
  if (gApp.GetWindowCount() == 0) return;
  CAppWindow* main = gApp.GetWindowAt(0);
  static const char kTopic[] = "About";
  if (main && main->hwnd) PostMessageA(main->hwnd, MSG_HELP_REQUEST, WPARAM(kTopic), 0);
}

void ShowState(HWND dialog, WPARAM state, char* text) {
  int variant = int(state & 0xFF);
  int newer = int((state >> 8) & 0xFF) - 1;
  SetDlgItemTextA(dialog, kIdUpdateStatus, UpdateText(variant));
  if (text) SetDlgItemTextA(dialog, kIdAvailableVersion, text);
  if (newer >= 0) EnableWindow(GetDlgItem(dialog, kIdUpdateButton), newer && DownloadAddressUsable());
  free(text);
}

}  // namespace

void CheckForUpdateIfDue() {
  // The user interface thread never waits for a check.
  if (gRunning.load()) return;
  bool due;
  {
    std::unique_lock<std::mutex> lock(gRecordLock, std::try_to_lock);
    if (!lock.owns_lock()) return;
    ReadRecord();
    due = IsUpdateCheckDue(gUpdateCheck, Now());
  }
  if (!due) return;
  std::unique_lock<std::mutex> start(gStartLock, std::try_to_lock);
  if (!start.owns_lock() || gRunning.load()) return;
  StartLocked();
}

int StartUpdateCheck() {
  std::lock_guard<std::mutex> start(gStartLock);
  return StartLocked();
}

unsigned __stdcall UpdateCheckThread(void*) {
  UpdateCheckRecord before;
  {
    std::lock_guard<std::mutex> lock(gRecordLock);
    ReadRecord();
    before = gUpdateCheck;
  }
  TellDialog(kTextChecking, -1, nullptr);
  HWND dialog = RunCheck(before);
  // Cleared before the loop: "Check now!" in this thread's own dialog must
  // find no check running.
  MarkCheckEnded();
  while (dialog && IsWindow(dialog)) {
    MSG message;
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

void ShowUpdateCheckDialog(HWND owner) {
  if (HWND open = gDialog.load()) {
    if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
    SetForegroundWindow(open);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(gRecordLock);
    ReadRecord();
  }
  gApp.RunModalDialog(owner, kUpdateDialogId, UpdateCheckDlgProc, kModal);
}

INT_PTR CALLBACK UpdateCheckDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog, lParam);
      return FALSE;  // the focus is set
    case WM_SHOWWINDOW:
      if (wParam) gDialog.store(dialog);
      break;
    case MSG_UPDATE_STATE:
      ShowState(dialog, wParam, reinterpret_cast<char*>(lParam));
      return TRUE;
    case WM_DPICHANGED: {
      int dpi = HIWORD(wParam);
      SetDialogFont(dialog, dpi);
      ApplyVersionFont(dialog, dpi);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_HELP:
      RequestHelp();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdAutomaticCheck:
          EnableDlgItem(IsDlgItemChecked(dialog, kIdAutomaticCheck), dialog, kIdIntervalDays,
                        kIdDaysLabel, 0);
          return TRUE;
        case kIdCheckNow:
          StartUpdateCheck();
          return TRUE;
        case kIdUpdateButton: {
          char address[260];
          CopyAddress(gApp.m_install.szDownloadUrl, address);
          if (DownloadAddressUsable())
            ShellStartAsDesktopUser(address, nullptr, nullptr, "open", SW_SHOWNORMAL);
          return TRUE;
        }
        case IDOK:
          AcceptDialog(dialog);
          return TRUE;
        case IDCANCEL:
          CloseDialog(dialog, IDCANCEL, true);
          return TRUE;
        case IDHELP:
          RequestHelp();
          return TRUE;
      }
      break;
    case WM_DESTROY: {
      HWND self = dialog;
      gDialog.compare_exchange_strong(self, nullptr);
      // Texts posted but not shown any more.
      MSG pending;
      while (PeekMessageA(&pending, dialog, MSG_UPDATE_STATE, MSG_UPDATE_STATE, PM_REMOVE))
        free(reinterpret_cast<char*>(pending.lParam));
      break;
    }
  }
  return FALSE;
}

HWND GetUpdateCheckDialog() { return gDialog.load(); }

bool IsUpdateCheckRunning() { return gRunning.load() != 0; }

bool WaitForUpdateCheck(DWORD milliseconds) { return WaitForCheckEnd(milliseconds); }

void SetUpdateCheckIdleLimit(int32_t milliseconds) { gIdleMs.store(milliseconds); }

void SetUpdateThreadStart(UpdateThreadStart start) {
  gThreadStart.store(start ? start : _beginthreadex);
}
