/* Times Print Screen presses: from SendInput to the saved file appearing.
 * The programs replace the file atomically, so it is complete when it
 * appears. Each result is kept for the comparison with the shown picture.
 * Usage: bench_capture.exe <show_image.exe> <picture.bmp> <runs> <target.png>
 *        <keep prefix> floor|app <program> [arguments]
 * Prints "median <ms> min <ms> max <ms> runs <n>". */
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

static HANDLE Start(const char* line, DWORD* pid) {
  char buffer[4096];
  snprintf(buffer, sizeof(buffer), "%s", line);
  STARTUPINFOA s = {0};
  s.cb = sizeof(s);
  PROCESS_INFORMATION p = {0};
  if (!CreateProcessA(NULL, buffer, NULL, NULL, FALSE, 0, NULL, NULL, &s, &p)) {
    fprintf(stderr, "cannot start %s\n", line);
    exit(2);
  }
  CloseHandle(p.hThread);
  if (pid) *pid = p.dwProcessId;
  return p.hProcess;
}

static int WaitForEvent(const char* name, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    HANDLE e = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (e) {
      DWORD r = WaitForSingleObject(e, spent < ms ? ms - spent : 0);
      CloseHandle(e);
      return r == WAIT_OBJECT_0;
    }
    if (spent >= ms) return 0;
    Sleep(10);
  }
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

static void PressPrintScreen(void) {
  INPUT keys[2];
  memset(keys, 0, sizeof(keys));
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_SNAPSHOT;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

static int Compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
  if (argc < 8) return 2;
  const char* show = argv[1];
  const char* picture = argv[2];
  int runs = atoi(argv[3]);
  const char* target = argv[4];
  const char* keep = argv[5];
  int app = strcmp(argv[6], "app") == 0;
  char line[4096];
  snprintf(line, sizeof(line), "\"%s\" \"%s\"", show, picture);
  HANDLE screen = Start(line, NULL);
  if (!WaitForEvent("BenchScreenShown", 20000)) {
    fprintf(stderr, "the picture was not shown\n");
    return 3;
  }
  size_t n = 0;
  line[0] = 0;
  for (int i = 7; i < argc; ++i)
    n += (size_t)snprintf(line + n, sizeof(line) - n, i == 7 ? "\"%s\"" : " %s", argv[i]);
  DWORD pid = 0;
  HANDLE program = Start(line, &pid);
  if (app) {
    DWORD end = GetTickCount() + 30000;
    while (!PhantomOf(pid) && (int)(end - GetTickCount()) > 0) Sleep(10);
    WaitForInputIdle(program, 10000);
  } else if (!WaitForEvent("BenchFloorReady", 20000)) {
    fprintf(stderr, "the floor did not start\n");
    return 3;
  }
  Sleep(1500);  /* let start-up work and the first paints settle */
  double* ms = calloc((size_t)runs + 1, sizeof(double));
  int failed = 0;
  for (int i = 0; i <= runs; ++i) {  /* press 0 warms up and is not counted */
    DeleteFileA(target);
    double t = Now();
    PressPrintScreen();
    /* Polling every millisecond keeps the wine server free for the program. */
    while (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES && Now() - t < 20000) Sleep(1);
    double took = Now() - t;
    if (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES) {
      fprintf(stderr, "press %d: no file after %.0f ms\n", i, took);
      failed = 1;
      break;
    }
    if (i > 0) ms[i - 1] = took;
    char kept[MAX_PATH];
    snprintf(kept, sizeof(kept), "%s%02d.png", keep, i);
    Sleep(300);  /* the file is complete; the program finishes its step */
    CopyFileA(target, kept, FALSE);
    Sleep(400);
  }
  TerminateProcess(program, 0);
  TerminateProcess(screen, 0);
  if (failed) return 4;
  qsort(ms, (size_t)runs, sizeof(double), Compare);
  double median = runs % 2 ? ms[runs / 2] : (ms[runs / 2 - 1] + ms[runs / 2]) / 2;
  printf("median %.1f min %.1f max %.1f runs %d\n", median, ms[0], ms[runs - 1], runs);
  return 0;
}
