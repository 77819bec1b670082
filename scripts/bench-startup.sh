#!/usr/bin/env bash
# Measures Brightwarden's start-up under Wine (medians over repeated runs):
#   start     process start to the phantom window existing and the program idle
#   shown     process start to the main window visible, painted and idle
#   hand-off  a second start with -PROFILE x to its exit, the running
#             instance having taken the command line
#   quit      a -QUIT start to the running instance's exit
# beside the platform's floors: a minimal Win32 program that creates one
# hidden window and exits, and one that shows a window, paints it once and
# exits. Usage: bench-startup.sh [runs] (default 9).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
runs=${1:-9}

"$BW_ROOT/scripts/setup.sh"
BW_SKIP_SETUP=1 "$BW_ROOT/scripts/build.sh" --wine >&2
EXE=$BW_BUILD_DIR/win/app/Brightwarden.exe

work=$BW_BUILD_DIR/bench
mkdir -p "$work"
cat >"$work/floor.c" <<'C'
#include <windows.h>
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous; (void)line; (void)show;
  WNDCLASSA c = {0};
  c.lpfnWndProc = DefWindowProcA;
  c.hInstance = instance;
  c.lpszClassName = "Floor";
  RegisterClassA(&c);
  HWND w = CreateWindowExA(0, "Floor", "", WS_POPUP, 0, 0, 0, 0, 0, 0, instance, 0);
  DestroyWindow(w);
  return 0;
}
C
cat >"$work/floor_shown.c" <<'C'
#include <windows.h>
static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT p;
    BeginPaint(w, &p);
    EndPaint(w, &p);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous; (void)line; (void)show;
  WNDCLASSA c = {0};
  c.lpfnWndProc = Proc;
  c.hInstance = instance;
  c.lpszClassName = "FloorShown";
  RegisterClassA(&c);
  HWND w = CreateWindowExA(0, "FloorShown", "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                           480, 0, 0, instance, 0);
  MSG m;
  while (GetMessageA(&m, 0, 0, 0) > 0) DispatchMessageA(&m);
  DestroyWindow(w);
  return 0;
}
C
cat >"$work/bench.c" <<'C'
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static double Now(void) {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return (double)c.QuadPart * 1000.0 / (double)f.QuadPart;
}

static HANDLE Start(const char* exe, const char* args, DWORD* pid) {
  char line[2048];
  snprintf(line, sizeof(line), "\"%s\" %s", exe, args);
  STARTUPINFOA s = {0};
  s.cb = sizeof(s);
  PROCESS_INFORMATION p = {0};
  if (!CreateProcessA(exe, line, 0, 0, FALSE, 0, 0, 0, &s, &p)) {
    fprintf(stderr, "cannot start %s\n", exe);
    exit(2);
  }
  CloseHandle(p.hThread);
  if (pid) *pid = p.dwProcessId;
  return p.hProcess;
}

static HWND PhantomOf(DWORD pid) {
  HWND w = NULL;
  while ((w = FindWindowExA(NULL, w, "ORVPhantom", "Brightwarden")) != NULL) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return NULL;
}

// The main window of the process: shown, with nothing left to paint.
static int MainShownAndPainted(DWORD pid) {
  HWND w = NULL;
  while ((w = FindWindowExA(NULL, w, "ORVWindow", "Brightwarden")) != NULL) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return IsWindowVisible(w) && !GetUpdateRect(w, NULL, FALSE);
  }
  return 0;
}

static int Compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

static double Median(double* v, int n) {
  qsort(v, (size_t)n, sizeof(double), Compare);
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int main(int argc, char** argv) {
  const char* app = argv[1];
  const char* floorExe = argv[2];
  const char* cmdFile = argv[3];
  int runs = atoi(argv[4]);
  const char* shownFloorExe = argv[5];
  double* shownFloorMs = calloc((size_t)runs, sizeof(double));
  double* shownMs = calloc((size_t)runs, sizeof(double));
  double* floorMs = calloc((size_t)runs, sizeof(double));
  double* startMs = calloc((size_t)runs, sizeof(double));
  double* handMs = calloc((size_t)runs, sizeof(double));
  double* quitMs = calloc((size_t)runs, sizeof(double));
  for (int i = 0; i < runs; ++i) {
    double t = Now();
    HANDLE f = Start(floorExe, "", NULL);
    WaitForSingleObject(f, INFINITE);
    floorMs[i] = Now() - t;
    CloseHandle(f);

    t = Now();
    f = Start(shownFloorExe, "", NULL);
    WaitForSingleObject(f, INFINITE);
    shownFloorMs[i] = Now() - t;
    CloseHandle(f);

    DWORD pid = 0;
    t = Now();
    HANDLE a = Start(app, "", &pid);
    while (!PhantomOf(pid)) Sleep(1);
    WaitForInputIdle(a, 10000);
    startMs[i] = Now() - t;
    while (!MainShownAndPainted(pid)) Sleep(1);
    WaitForInputIdle(a, 10000);
    shownMs[i] = Now() - t;
    Sleep(200);

    t = Now();
    HANDLE b = Start(app, "-PROFILE Rectangle", NULL);
    WaitForSingleObject(b, INFINITE);
    while (GetFileAttributesA(cmdFile) != INVALID_FILE_ATTRIBUTES) Sleep(1);
    handMs[i] = Now() - t;
    CloseHandle(b);

    t = Now();
    HANDLE q = Start(app, "-QUIT", NULL);
    WaitForSingleObject(a, INFINITE);
    quitMs[i] = Now() - t;
    WaitForSingleObject(q, INFINITE);
    CloseHandle(q);
    CloseHandle(a);
  }
  double fl = Median(floorMs, runs), st = Median(startMs, runs);
  double ho = Median(handMs, runs), qu = Median(quitMs, runs);
  double sf = Median(shownFloorMs, runs), sh = Median(shownMs, runs);
  printf("runs: %d (medians)\n", runs);
  printf("floor (hidden window, exit):     %7.1f ms\n", fl);
  printf("start to idle phantom window:    %7.1f ms  (%.2fx floor, target <= 3x)\n", st, st / fl);
  printf("shown floor (window painted):    %7.1f ms\n", sf);
  printf("start to main window visible, painted and idle: %7.1f ms  (%.2fx floor, target <= 3x; "
         "%.2fx shown floor)\n", sh, sh / fl, sh / sf);
  printf("second start hand-off:           %7.1f ms  (%.2fx floor, target < 300 ms)\n", ho, ho / fl);
  printf("-QUIT to exit of the instance:   %7.1f ms  (%.2fx floor)\n", qu, qu / fl);
  return 0;
}
C
x86_64-w64-mingw32-gcc-posix -O2 -static -mwindows -o "$work/floor.exe" "$work/floor.c"
x86_64-w64-mingw32-gcc-posix -O2 -static -mwindows -o "$work/floor_shown.exe" "$work/floor_shown.c"
x86_64-w64-mingw32-gcc-posix -O2 -static -o "$work/bench.exe" "$work/bench.c"

bw_wine_env
bw_new_prefix "$work/wine" || bw_die "could not create a Wine prefix"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home XDG_DATA_HOME=$work/wine/home/.local/share
trap bw_cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  bw_start_xvfb DISPLAY || bw_die "Xvfb did not start"
  export DISPLAY
fi
prog=$WINEPREFIX/drive_c/bench
mkdir -p "$prog/Init"
cp -f "$EXE" "$prog/Brightwarden.exe"
record=$(/usr/bin/python3 - <<'PY'
record = bytearray(1326)
for offset, text in ((20, b'C:\\bench'), (280, b'C:\\bench\\data')):
    record[offset:offset + len(text)] = text
record[16] = 1
print(record.hex())
PY
)
"$BW_WINE" reg add 'HKLM\Software\Orvalund' /v Brightwarden /t REG_BINARY /d "$record" /f >/dev/null 2>&1
"$BW_WINE" "$work/floor.exe"   # warm the prefix
"$BW_WINE" "$work/bench.exe" 'C:\bench\Brightwarden.exe' "$(printf 'Z:%s' "${work//\//\\}")\\floor.exe" \
  'C:\bench\data\(ORV)Cmd.kzc' "$runs" "$(printf 'Z:%s' "${work//\//\\}")\\floor_shown.exe"
