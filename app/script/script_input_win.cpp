#include "app/script/script_input_win.h"

#include <windows.h>

#include "app/script/script_keys.h"

namespace {

// Keys that sit on the extended part of the keyboard: without the flag a
// receiver reading the scan code takes them for the keypad's keys.
bool IsExtendedKey(uint8_t code) {
  switch (code) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_LEFT: case VK_UP:
    case VK_RIGHT: case VK_DOWN: case VK_INSERT: case VK_DELETE: case VK_DIVIDE:
    case VK_NUMLOCK: case VK_SNAPSHOT:
      return true;
  }
  return false;
}

INPUT KeyInput(uint8_t code, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  input.ki.wScan = WORD(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(code) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

}  // namespace

void SendScriptKeys(const uint8_t* codes, int count) {
  INPUT inputs[2 * kMaxScriptKeys];
  if (count > kMaxScriptKeys) count = kMaxScriptKeys;
  for (int i = 0; i < count; ++i) {
    inputs[i] = KeyInput(codes[i], false);
    inputs[2 * count - 1 - i] = KeyInput(codes[i], true);
  }
  SendInput(UINT(2 * count), inputs, sizeof(INPUT));
}

int32_t ScaleToAbsolute(int64_t offset, int32_t size) {
  if (size <= 0 || offset <= 0) return 0;
  if (offset >= size) offset = size - 1;
  return int32_t((int64_t(offset) * 65536 + size - 1) / size);
}

void MoveScriptMouse(int32_t x, int32_t y) {
  // Over the whole virtual screen, so that every monitor can be reached; on
  // a single monitor this is the primary screen.
  const int32_t left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int32_t top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = ScaleToAbsolute(int64_t(x) - left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  input.mi.dy = ScaleToAbsolute(int64_t(y) - top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &input, sizeof(INPUT));
}

void SendScriptButton(ScriptButtonEvent event) {
  static const DWORD kFlags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_RIGHTDOWN,
                                 MOUSEEVENTF_LEFTUP,   MOUSEEVENTF_MIDDLEUP,   MOUSEEVENTF_RIGHTUP};
  if (event < kLeftDown || event > kRightUp) return;
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = kFlags[event];
  SendInput(1, &input, sizeof(INPUT));
}
