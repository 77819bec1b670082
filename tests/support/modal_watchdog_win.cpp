#include "tests/support/modal_watchdog.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

std::atomic<int> gPauseCount{0};
const DWORD kGraceMs = 3000;  // a box open this long was not expected

struct BoxScan {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindBoxProc(HWND hwnd, LPARAM lParam) {
  BoxScan* scan = reinterpret_cast<BoxScan*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != scan->pid || !IsWindowVisible(hwnd)) return TRUE;
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (lstrcmpA(cls, "#32770") != 0) return TRUE;
  scan->found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectTextProc(HWND hwnd, LPARAM lParam) {
  char text[1024] = {};
  if (GetWindowTextA(hwnd, text, sizeof(text)) > 0) {
    std::string* all = reinterpret_cast<std::string*>(lParam);
    *all += " [";
    *all += text;
    *all += "]";
  }
  return TRUE;
}

DWORD WINAPI WatchdogThread(LPVOID) {
  HWND seen = nullptr;
  DWORD since = 0;
  for (;;) {
    Sleep(100);
    BoxScan scan = {GetCurrentProcessId(), nullptr};
    if (gPauseCount.load() == 0) EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&scan));
    if (!scan.found) {
      seen = nullptr;
      continue;
    }
    if (scan.found != seen) {
      seen = scan.found;
      since = GetTickCount();
      continue;
    }
    if (GetTickCount() - since < kGraceMs) continue;
    char title[512] = {};
    GetWindowTextA(scan.found, title, sizeof(title));
    std::string texts;
    EnumChildWindows(scan.found, CollectTextProc, reinterpret_cast<LPARAM>(&texts));
    fprintf(stderr, "\nFAILED: unexpected modal box \"%s\":%s\n", title, texts.c_str());
    fflush(stderr);
    ExitProcess(70);
  }
  return 0;
}

}  // namespace

void StartModalWatchdog() {
  HANDLE thread = CreateThread(nullptr, 0, WatchdogThread, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
}

CModalWatchdogPause::CModalWatchdogPause() { ++gPauseCount; }
CModalWatchdogPause::~CModalWatchdogPause() { --gPauseCount; }
