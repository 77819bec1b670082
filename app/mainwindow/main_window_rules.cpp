#include "app/mainwindow/main_window_rules.h"

#include <cstdio>
#include <cstring>

#include "app/mainwindow/command_ids.h"
#include "app/operations/operation_rules.h"
#include "framework/app/key_names.h"

namespace {

// The window messages a notification-area icon reports.
constexpr uint32_t kLeftButtonUp = 0x0202;
constexpr uint32_t kLeftDoubleClick = 0x0203;
constexpr uint32_t kRightButtonUp = 0x0205;

// Steps of a profile, by bit.
constexpr uint32_t kStepOpen = 1u << 3;
constexpr uint32_t kStepPaste = 1u << 4;
constexpr uint32_t kStepScan = 1u << 5;
constexpr uint32_t kStepPrint = 1u << 15;

constexpr int kZoomSteps = 12;
constexpr unsigned kKeySnapshot = 44;

void Append(char* out, int size, int* used, const char* text) {
  if (*used >= size - 1) return;
  int n = snprintf(out + *used, size_t(size - *used), "%s", text);
  if (n > 0) *used = *used + n < size - 1 ? *used + n : size - 1;
}

bool SameIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a >= 'a' && *a <= 'z' ? char(*a - 32) : *a;
    char y = *b >= 'a' && *b <= 'z' ? char(*b - 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

const char* KeyText(unsigned key) {
  if (key >= unsigned(kKeyNameCount)) return "";
  const KeyNameRecord& record = gaKeyNames[key];
  if (record.szChar[0]) return record.szChar;
  if (record.szLocal[0]) return record.szLocal;
  return record.pszVirtualKey ? record.pszVirtualKey : "";
}

}  // namespace

bool CommandPassesWhileBusy(uint16_t id) { return id == kCmdHide || id == kCmdExit; }

int ProgressPercent(int step, int count, int base, int phases) {
  if (count <= 0 || phases <= 0) return 0;
  // In 64 bits: a caller's step may be any int.
  long long percent = (static_cast<long long>(step) + 1) * 100 / count / phases +
                      static_cast<long long>(base) * 100 / phases;
  if (percent < 0) return 0;
  if (percent > 100) return 100;
  return int(percent);
}

int ZoomIndexAfterWheel(int index, int wheelDelta) {
  if (wheelDelta == 0) return -1;
  int next = wheelDelta > 0 ? index - 1 : index + 1;
  return next >= 0 && next < kZoomSteps ? next : -1;
}

TrayAction DecideTrayAction(uint32_t mouseMessage, int trayClick, int trayAction) {
  if (mouseMessage == kRightButtonUp) return kTrayMenu;
  const uint32_t click = trayClick == 1 ? kLeftDoubleClick : kLeftButtonUp;
  if (mouseMessage != click) return kTrayNothing;
  return trayAction ? kTrayRunProfile : kTrayToggleWindow;
}

uint16_t SourceStepImage(uint32_t steps) {
  if (steps & kStepScan) return (steps & kStepPrint) ? kCmdPhotocopy : kCmdScan;
  if (steps & kStepPaste) return kCmdPaste;
  if (steps & kStepOpen) return kCmdOpen;
  return kCmdNew;
}

void FormatHotkeyName(uint16_t hotkey, char* out, int size) {
  if (!out || size <= 0) return;
  out[0] = '\0';
  int used = 0;
  const unsigned modifiers = HotkeyModifiers(hotkey);
  // Modifier bits of the word (Alt 1, Ctrl 2, Shift 4, Windows 8), named in
  // the order Ctrl, Shift, Alt, Windows by their keys' local names.
  const struct { unsigned bit; unsigned key; } kNamed[] = {{2, 17}, {4, 16}, {1, 18}, {8, 91}};
  for (const auto& named : kNamed) {
    if (!(modifiers & named.bit)) continue;
    Append(out, size, &used, gaKeyNames[named.key].szLocal);
    Append(out, size, &used, " + ");
  }
  const unsigned key = HotkeyKey(hotkey);
  const char* name = KeyText(key);
  if (key == kKeySnapshot && SameIgnoringCase(name, "<00>")) name = "Print Screen";
  Append(out, size, &used, name);
}

void DragOutFileName(const char* expanded, char* out, int size) {
  if (!out || size <= 0) return;
  const char* name = expanded && expanded[0] ? expanded : "Brightwarden.opt";
  if (GetExtensionIndex(name) >= 0)
    snprintf(out, size_t(size), "%s", name);
  else
    snprintf(out, size_t(size), "%s.opt", name);
}
