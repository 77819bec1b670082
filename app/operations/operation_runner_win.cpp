#include <windows.h>

#include "app/operations/operation_runner.h"
#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"

namespace {

struct WorkerStart {
  ImageOperationProc callback;
  void* argument;
};

DWORD WINAPI WorkerMain(void* parameter) {
  const WorkerStart* start = static_cast<const WorkerStart*>(parameter);
  return start->callback(start->argument);
}

constexpr DWORD kProgressPeriodMs = 100;

}  // namespace

OperationError RunImageOperation(ImageOperationProc callback, void* argument) {
  gApp.EnterModal(true);
  if (gdwScanThreadId != 0 && GetCurrentThreadId() == gdwScanThreadId) {
    const OperationError result = callback(argument);
    gApp.EnterModal(false);
    return result;
  }
  WorkerStart start = {callback, argument};
  HANDLE thread = CreateThread(nullptr, 0, WorkerMain, &start, 0, nullptr);
  if (!thread) {
    gApp.EnterModal(false);
    return 1;
  }
  bool quitting = false;
  WPARAM quitCode = 0;
  DWORD lastProgress = GetTickCount() - kProgressPeriodMs;
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, 10, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) break;
    if (woke == WAIT_FAILED) {
      WaitForSingleObject(thread, INFINITE);
      break;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Leaving now would free the history under the worker: stop it and
        // wait, and let the loop see the quit once the result is in.
        quitting = true;
        quitCode = message.wParam;
        gbAbort = 1;
        continue;
      }
      gApp.DispatchAppMessage(&message);
    }
    // Again on every round: the worker may set its source after the quit.
    if (quitting) StopProgressSource();
    const DWORD now = GetTickCount();
    if (!quitting && now - lastProgress >= kProgressPeriodMs) {
      lastProgress = now;
      const int32_t percent = ReadProgressSource();
      if (percent >= 0 && gProgramHooks.pfnShowProgress) gProgramHooks.pfnShowProgress(percent, 100);
    }
  }
  DWORD result = 1;
  if (!GetExitCodeThread(thread, &result)) result = 1;
  CloseHandle(thread);
  gApp.EnterModal(false);
  if (quitting) PostQuitMessage(int(quitCode));
  return result;
}
