// The framework's message box as the user meets it: found on the screen,
// read like a user reads it, and answered with real keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/draw/font_cache_win.h"
#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/modal_watchdog.h"

namespace {

struct BoxSeen {
  bool found = false;
  std::string heading;
  bool hasText = false;
  std::string text;
  std::vector<int> buttons;  // visible, in id order
  int defaultId = 0;
  bool closeBox = false;
  RECT icon = {}, headingRect = {}, textRect = {}, window = {};
  int headingWeight = 0;
  int defaultButtonWeight = 0;
  int textFits = 0;          // the text's wrapped height minus the control's height
  bool openAfterEscape = false;
};

struct BoxFind {
  HWND owner;  // the box must be owned by this window (null: any)
  HWND found;
};

BOOL CALLBACK FindBoxProc(HWND window, LPARAM lParam) {
  BoxFind* find = reinterpret_cast<BoxFind*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || strcmp(name, "#32770"))
    return TRUE;
  if (find->owner && GetWindow(window, GW_OWNER) != find->owner) return TRUE;
  if (!GetDlgItem(window, 50108)) return TRUE;
  find->found = window;
  return FALSE;
}

HWND FindBox(HWND owner) {
  BoxFind find = {owner, nullptr};
  EnumWindows(FindBoxProc, LPARAM(&find));
  return find.found;
}

HWND WaitForBox(HWND owner) {
  for (int i = 0; i < 300; ++i) {
    if (HWND box = FindBox(owner)) return box;
    Sleep(10);
  }
  return nullptr;
}

std::string ItemText(HWND box, int id) {
  char text[4096] = {};
  GetDlgItemTextA(box, id, text, sizeof(text));
  return text;
}

RECT ClientRectOf(HWND box, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(box, id), &rect);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int FontWeight(HWND control) {
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfWeight;
}

void Read(HWND box, BoxSeen* seen) {
  seen->found = true;
  seen->heading = ItemText(box, 50108);
  HWND text = GetDlgItem(box, 50109);
  seen->hasText = text != nullptr;
  if (text) seen->text = ItemText(box, 50109);
  for (int id : {1, 2, 6, 7})
    if (IsWindowVisible(GetDlgItem(box, id))) seen->buttons.push_back(id);
  seen->defaultId = LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0));
  seen->closeBox = GetWindowLongPtrA(box, GWL_STYLE) & WS_SYSMENU;
  seen->icon = ClientRectOf(box, 50106);
  seen->headingRect = ClientRectOf(box, 50108);
  GetWindowRect(box, &seen->window);
  seen->headingWeight = FontWeight(GetDlgItem(box, 50108));
  seen->defaultButtonWeight = FontWeight(GetDlgItem(box, seen->defaultId));
  if (text) {
    seen->textRect = ClientRectOf(box, 50109);
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, seen->textRect.right - seen->textRect.left, 0};
    DrawTextA(dc, seen->text.c_str(), -1, &need,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    seen->textFits = (need.bottom - need.top) - (seen->textRect.bottom - seen->textRect.top);
  }
}

void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

// Waits for the box, reads it, then presses Escape (noting whether the box
// stayed) and Return.
struct Driver {
  BoxSeen seen;
  bool escapeFirst = false;
  HWND owner = nullptr;
  std::string screenshot;  // taken while the box shows, when named
};

DWORD WINAPI DriveBox(LPVOID parameter) {
  Driver* driver = static_cast<Driver*>(parameter);
  HWND box = WaitForBox(driver->owner);
  if (!box) return 0;
  Sleep(50);
  Read(box, &driver->seen);
  if (!driver->screenshot.empty()) TakeScreenshot(driver->screenshot);
  if (driver->escapeFirst) {
    PressKey(VK_ESCAPE);
    Sleep(250);
    driver->seen.openAfterEscape = IsWindow(box) && IsWindowVisible(box);
    if (!driver->seen.openAfterEscape) return 0;
  }
  PressKey(VK_RETURN);
  return 0;
}

int ShowDriven(Driver* driver, unsigned style, const char* text) {
  HANDLE thread = CreateThread(nullptr, 0, DriveBox, driver, 0, nullptr);
  int result = gApp.ShowMessage(nullptr, "Box test", "%s", style, 0, text);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  return result;
}

class MessageBox : public testing::Test {
 protected:
  CModalWatchdogPause boxesAreExpected_;
  CTestFrame frame_;
};

TEST_F(MessageBox, ButtonSetsAnswerReturnAndEscape) {
  const struct {
    unsigned style;
    bool escape;
    int result;
    std::vector<int> buttons;
    int defaultId;
    bool escapeIgnored;
  } cases[] = {
      {16, false, 1, {1}, 1, false},
      {16, true, 1, {1}, 1, false},          // Escape on an OK box is OK
      {32, true, 2, {1, 2}, 1, false},
      {32 | 1024, false, 2, {1, 2}, 2, false},
      {64 | 4096, false, 7, {6, 7}, 7, false},
      {64, true, 6, {6, 7}, 6, true},        // Yes/No ignores Escape
      {128, true, 2, {2, 6, 7}, 6, false},
  };
  for (const auto& c : cases) {
    Driver driver;
    driver.escapeFirst = c.escape;
    EXPECT_EQ(c.result, ShowDriven(&driver, c.style, "Question")) << "style " << c.style;
    ASSERT_TRUE(driver.seen.found);
    EXPECT_EQ(c.buttons, driver.seen.buttons) << "style " << c.style;
    EXPECT_EQ(c.defaultId, driver.seen.defaultId) << "style " << c.style;
    EXPECT_EQ(c.escapeIgnored, driver.seen.openAfterEscape) << "style " << c.style;
    EXPECT_EQ((c.style & 0xF0) != 64, driver.seen.closeBox) << "style " << c.style;
    EXPECT_EQ(FW_BOLD, driver.seen.defaultButtonWeight) << "style " << c.style;
  }
}

std::string Lines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    if (i > first) text += "\n";
    text += "Line " + std::to_string(i);
  }
  return text;
}

TEST_F(MessageBox, OneLineIsAHeadingCentredOnTheIcon) {
  Driver driver;
  driver.screenshot = "box_one_line.png";
  ShowDriven(&driver, 273, "Something went wrong.");
  ASSERT_TRUE(driver.seen.found);
  EXPECT_FALSE(driver.seen.hasText);
  EXPECT_EQ("Something went wrong.", driver.seen.heading);
  EXPECT_EQ(FW_BOLD, driver.seen.headingWeight);
  const RECT& icon = driver.seen.icon;
  const RECT& heading = driver.seen.headingRect;
  EXPECT_NEAR((icon.top + icon.bottom) / 2.0, (heading.top + heading.bottom) / 2.0, 1.0);
}

TEST_F(MessageBox, TwentyLinesPutTheRestIntoTheText) {
  Driver driver;
  driver.screenshot = "box_twenty_lines.png";
  std::string text = Lines(1, 20);
  ShowDriven(&driver, 16 | 0x100, text.c_str());
  ASSERT_TRUE(driver.seen.found);
  EXPECT_EQ("Line 1", driver.seen.heading);
  ASSERT_TRUE(driver.seen.hasText);
  EXPECT_EQ(Lines(2, 20), driver.seen.text);
  EXPECT_LE(driver.seen.textFits, 0) << "the text control cuts lines off";
}

TEST_F(MessageBox, ALongPathWithoutBlanksFitsTheBox) {
  std::string path = "C:\\Data";
  while (path.size() < 200) path += "\\folder" + std::to_string(path.size());
  Driver driver;
  driver.screenshot = "box_long_path.png";
  HANDLE thread = CreateThread(nullptr, 0, DriveBox, &driver, 0, nullptr);
  // The start-up's box for an unreachable data folder.
  gApp.ShowMessageText(nullptr, "Box test", 61448, 0, kBoxError, 0, path.c_str());
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  ASSERT_TRUE(driver.seen.found);
  EXPECT_EQ("Could not access the data path!", driver.seen.heading);
  EXPECT_EQ(FW_BOLD, driver.seen.headingWeight);
  EXPECT_NE(std::string::npos, driver.seen.text.find(path));
  EXPECT_LE(driver.seen.textFits, 0) << "the path is cut";
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromRect(&driver.seen.window, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT inside;
  EXPECT_TRUE(IntersectRect(&inside, &driver.seen.window, &monitor.rcMonitor) &&
              EqualRect(&inside, &driver.seen.window))
      << "the box leaves the monitor";
}

// A box opened from within a box, then a DPI change of the outer one: the
// outer box keeps its own default button and bold heading.
Driver gInner;
void OpenInnerBox(WPARAM) {
  gApp.ShowMessage(nullptr, "Inner", "%s", 32 | 512, 0, "Inner box");
}

DWORD WINAPI DriveNested(LPVOID parameter) {
  Driver* outer = static_cast<Driver*>(parameter);
  HWND box = WaitForBox(nullptr);
  if (!box) return 0;
  PostMessageA(FindWindowA("ORVWindow", nullptr), WM_APP, 0, 0);
  gInner.owner = box;
  DriveBox(&gInner);
  for (int i = 0; i < 300 && FindBox(box); ++i) Sleep(10);
  RECT rect;
  GetWindowRect(box, &rect);
  SendMessageA(box, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&rect));
  Read(box, &outer->seen);
  PressKey(VK_RETURN);
  return 0;
}

TEST_F(MessageBox, ANestedBoxAndADpiChangeKeepTheOuterBoxAsItWas) {
  gFrameAppMessage = OpenInnerBox;
  Driver outer;
  HANDLE thread = CreateThread(nullptr, 0, DriveNested, &outer, 0, nullptr);
  int result = gApp.ShowMessage(frame_.hwnd, "Outer", "%s", 64 | 4096 | 0x100, 0,
                                "Heading\nAnd its text");
  WaitForSingleObject(thread, 8000);
  CloseHandle(thread);
  gFrameAppMessage = nullptr;
  ASSERT_TRUE(gInner.seen.found);
  EXPECT_EQ(1, gInner.seen.defaultId);
  ASSERT_TRUE(outer.seen.found);
  EXPECT_EQ(7, outer.seen.defaultId);
  EXPECT_EQ(FW_BOLD, outer.seen.defaultButtonWeight);
  EXPECT_EQ(FW_BOLD, outer.seen.headingWeight);
  EXPECT_EQ(7, result);
}

}  // namespace
