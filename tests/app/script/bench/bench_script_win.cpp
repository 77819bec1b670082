// Script timing under Wine: how long a KEY takes from the script to the
// window (median of 100), and how far 60 one-second SLEEP steps and 60
// WAIT steps drift from the clock. Usage: bench_script_win.exe [steps].
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/operations/operation_runner.h"
#include "app/profiles/program_records.h"
#include "app/script/script_input_win.h"
#include "app/script/script_runner_win.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"

namespace {

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

std::vector<double> gKeyDowns;
std::vector<SYSTEMTIME> gKeyClock;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) {
    gKeyDowns.push_back(NowMs());
    SYSTEMTIME now;
    GetLocalTime(&now);
    gKeyClock.push_back(now);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void PumpUntil(size_t count, double timeoutMs) {
  const double end = NowMs() + timeoutMs;
  MSG message;
  while (gKeyDowns.size() < count && NowMs() < end) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

OperationError RunText(const std::string& text) {
  char path[MAX_PATH];
  GetTempPathA(sizeof path, path);
  strcat(path, "bench_script.bws");
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(file);
  return RunScriptFile(path);
}

}  // namespace

int main(int argc, char** argv) {
  const int steps = argc > 1 ? atoi(argv[1]) : 60;
  gStringTable.SetLanguageTable(0, gProgramTexts);
  gApp.m_hInstance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecorderProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "ScriptBenchRecorder";
  RegisterClassA(&windowClass);
  HWND recorder = CreateWindowExA(WS_EX_TOPMOST, "ScriptBenchRecorder", "", WS_POPUP | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, windowClass.hInstance,
                                  nullptr);
  SetForegroundWindow(recorder);
  SetFocus(recorder);
  PumpUntil(1, 200);

  // KEY: from the call that sends it to the window's WM_KEYDOWN.
  std::vector<double> latencies;
  const uint8_t key = 'A';
  for (int i = 0; i < 100; ++i) {
    gKeyDowns.clear();
    const double sent = NowMs();
    SendScriptKeys(&key, 1);
    PumpUntil(1, 1000);
    if (!gKeyDowns.empty()) latencies.push_back(gKeyDowns[0] - sent);
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty())
    printf("KEY latency: median %.2f ms, max %.2f ms over %zu keys\n",
           latencies[latencies.size() / 2], latencies.back(), latencies.size());

  // SLEEP: step n should end n seconds after the run began.
  gKeyDowns.clear();
  const double start = NowMs();
  RunText("LOOP " + std::to_string(steps) + "\nSLEEP 1\nKEY A\nLOOPEND\n");
  PumpUntil(size_t(steps), 2000);
  // From the first step's key to the last: the run's own drift; the first
  // step also carries the check pass and the dialog before the time base.
  if (gKeyDowns.size() == size_t(steps) && steps > 1)
    printf("SLEEP drift: %.1f ms over %d one-second steps; first step %.1f ms after the start\n",
           gKeyDowns.back() - gKeyDowns.front() - 1000.0 * (steps - 1), steps - 1,
           gKeyDowns.front() - start);

  // WAIT: each step fires in the next second; how late after its start.
  gKeyDowns.clear();
  gKeyClock.clear();
  RunText("LOOP " + std::to_string(steps) + "\nWAIT --:--:--\nKEY A\nLOOPEND\n");
  PumpUntil(size_t(steps), 2000);
  double late = 0, worst = 0;
  for (const SYSTEMTIME& t : gKeyClock) {
    late += t.wMilliseconds;
    worst = std::max(worst, double(t.wMilliseconds));
  }
  if (!gKeyClock.empty())
    printf("WAIT lateness: mean %.1f ms, worst %.0f ms after the second began, %zu steps\n",
           late / double(gKeyClock.size()), worst, gKeyClock.size());
  DestroyWindow(recorder);
  return 0;
}
