#include "app/script/script_runner_win.h"

#include <atomic>
#include <cstdlib>
#include <memory>

#include "app/operations/operation_runner.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_list.h"
#include "app/script/script_engine.h"
#include "app/script/script_input_win.h"
#include "app/script/script_profile_check.h"
#include "app/script/script_progress_dialog_win.h"
#include "app/startup/program_hooks.h"

namespace {

// A script file is small; anything larger than this is refused as if memory
// had run out rather than read whole.
constexpr LONGLONG kMaxScriptBytes = 64LL << 20;
constexpr uint8_t kQuitting = 1;  // gbAbort as the operation runner sets it on a quit

std::atomic<int> giScriptLine{0};
HWND ghwndScriptProgress = nullptr;

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct FreeText {
  void operator()(char* text) const { free(text); }
};
using ScriptText = std::unique_ptr<char, FreeText>;

bool LoadByName(const char* name, ProfileRecord* record, void*) {
  return LoadProfileByName(name, record) == 0;
}

// A profile captures, pushes states into the image history and shows
// windows: all of that belongs to the user interface thread. The worker hands
// the run to this window, which lives on that thread, and waits for the
// result; the user interface thread takes the message while it pumps for the
// worker.
constexpr UINT kMsgRunProfile = WM_APP + 1;
constexpr char kProfileWindowClass[] = "BrightwardenScriptProfileRunner";

LRESULT CALLBACK ProfileRunnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kMsgRunProfile) return DefWindowProcA(window, message, wParam, lParam);
  const char* name = reinterpret_cast<const char*>(lParam);
  auto profile = std::make_unique<ProfileRecord>();
  if (LoadProfileByName(name, profile.get()) != 0) return kProfileNameUnknown;
  return LRESULT(ExecuteProfile(profile.get()));
}

struct WindowCloser {
  void operator()(HWND window) const {
    if (window) DestroyWindow(window);
  }
};
using UniqueWindow = std::unique_ptr<HWND__, WindowCloser>;

UniqueWindow CreateProfileRunner() {
  static ATOM windowClass = 0;
  if (!windowClass) {
    WNDCLASSA description = {};
    description.lpfnWndProc = ProfileRunnerProc;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = kProfileWindowClass;
    windowClass = RegisterClassA(&description);
    if (!windowClass) return nullptr;
  }
  return UniqueWindow(CreateWindowExA(0, kProfileWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, GetModuleHandleA(nullptr), nullptr));
}

// The world a script acts on: real input, the tick count and the local
// time, the stored profiles. Runs on the script's worker thread.
class CWindowsScriptHost : public CScriptHost {
 public:
  CWindowsScriptHost(HANDLE cancelEvent, HWND profileRunner)
      : m_cancelEvent(cancelEvent), m_profileRunner(profileRunner) {}

  bool Aborted() override { return gbAbort != 0; }
  uint32_t CheckProfile(const char* name) override {
    return CheckScriptProfile(name, LoadByName, nullptr);
  }
  uint32_t RunProfile(const char* name) override {
    if (!m_profileRunner) return OperationCode(OpScript, ErrNoMemory);
    return uint32_t(SendMessageA(m_profileRunner, kMsgRunProfile, 0, LPARAM(name)));
  }
  void SendButton(ScriptButtonEvent event) override { SendScriptButton(event); }
  void SendKeys(const uint8_t* codes, int count) override { SendScriptKeys(codes, count); }
  void MoveMouse(int32_t x, int32_t y) override { MoveScriptMouse(x, y); }
  uint64_t Ticks() override { return GetTickCount64(); }
  ScriptClockTime LocalTime() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME stamp = {};
    SystemTimeToFileTime(&now, &stamp);
    const uint64_t hundredNs = uint64_t(stamp.dwHighDateTime) << 32 | stamp.dwLowDateTime;
    return {int64_t(hundredNs / 10000000), now.wHour, now.wMinute, now.wSecond,
            now.wMilliseconds};
  }
  void Pause(uint32_t milliseconds) override {
    if (m_cancelEvent) WaitForSingleObject(m_cancelEvent, milliseconds);
    else Sleep(milliseconds);
  }

 private:
  HANDLE m_cancelEvent;
  HWND m_profileRunner;
};

struct PassJob {
  ScriptRun* run;
  bool check;
  CScriptHost* host;
};

OperationError PassOnWorker(void* argument) {
  PassJob* job = static_cast<PassJob*>(argument);
  const OperationError result = RunScriptPass(job->run, job->check, job->host);
  giScriptLine = job->run->iLine;
  return result;
}

OperationError RunPass(ScriptRun* run, bool check, CScriptHost* host) {
  PassJob job = {run, check, host};
  return RunImageOperation(PassOnWorker, &job);
}

// The whole file with a zero after it, or the failure's detail.
uint32_t ReadScriptText(const char* path, ScriptText* text) {
  UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return ErrFileNotFound;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return ErrFileAccess;
  if (size.QuadPart > kMaxScriptBytes) return ErrNoMemory;
  text->reset(static_cast<char*>(malloc(size_t(size.QuadPart) + 1)));
  if (!*text) return ErrNoMemory;
  DWORD read = 0;
  if (!ReadFile(file.get(), text->get(), DWORD(size.QuadPart), &read, nullptr) ||
      read != DWORD(size.QuadPart))
    return ErrFileAccess;
  text->get()[read] = '\0';
  return 0;
}

void ShowMainWindow(int show) {
  if (gProgramHooks.pfnShowMainWindow) gProgramHooks.pfnShowMainWindow(show);
}

HWND MainWindow() {
  return gProgramHooks.pfnGetMainWindow ? static_cast<HWND>(gProgramHooks.pfnGetMainWindow())
                                        : nullptr;
}

int ScriptLineHook() { return giScriptLine; }

}  // namespace

int GetScriptLine() { return giScriptLine; }

HWND GetScriptProgressWindow() { return ghwndScriptProgress; }

OperationError RunScriptFile(const char* path) {
  // The error texts name the line this engine stopped at.
  gProgramHooks.pfnGetScriptLine = ScriptLineHook;
  gbAbort = 0;
  giScriptLine = 0;
  ScriptText text;
  if (uint32_t failed = ReadScriptText(path, &text)) return OperationCode(OpScript, failed);

  ScriptRun run;
  BeginScriptRun(&run, text.get());
  CWindowsScriptHost checker(nullptr, nullptr);
  const OperationError checked = RunPass(&run, true, &checker);
  if (gbAbort == kQuitting) return ErrCancelled;
  if (checked != 0) return OperationCode(OpScript, checked);
  if (run.iLoopBalance != 0) return OperationCode(OpScript, ErrLoopBalance);

  UniqueHandle cancelEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // Hidden first: a main window that hides its satellites must not take
  // the dialog along.
  ShowMainWindow(0);
  ghwndScriptProgress = OpenScriptProgressDialog(MainWindow(), path, cancelEvent.get());
  UniqueWindow profileRunner = CreateProfileRunner();
  CWindowsScriptHost host(cancelEvent.get(), profileRunner.get());
  BeginScriptRun(&run, text.get());
  run.ullTimeBase = host.Ticks();
  run.llLastWaitSecond = host.LocalTime().llSecond;
  const OperationError result = RunPass(&run, false, &host);

  CloseScriptProgressDialog(ghwndScriptProgress);
  ghwndScriptProgress = nullptr;
  if (gbAbort == kQuitting) return ErrCancelled;
  // A cancelled script is done; nothing else is to stop because of it.
  gbAbort = 0;
  ShowMainWindow(1);
  // A profile's failure ends the script with that failure as it stands; the
  // script's own failures are details of the script operation.
  if (result > 0xFFFF) return result;
  return result == 0 ? 0 : OperationCode(OpScript, result);
}
