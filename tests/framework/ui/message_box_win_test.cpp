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

int ShowDriven(BoxDriver* driver, unsigned style, const char* text) {
  HANDLE thread = CreateThread(nullptr, 0, DriveBox, driver, 0, nullptr);
  int result = gApp.ShowMessage(nullptr, "Box test", "%s", style, 0, text);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  return result;
}

class MessageBoxes : public testing::Test {
 protected:
  CModalWatchdogPause boxesAreExpected_;
  CTestFrame frame_;
};

TEST_F(MessageBoxes, ButtonSetsAnswerReturnAndEscape) {
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
    BoxDriver driver;
    driver.escapeFirst = c.escape;
    EXPECT_EQ(c.result, ShowDriven(&driver, c.style, "Question")) << "style " << c.style;
    ASSERT_TRUE(driver.seen.found);
    EXPECT_TRUE(driver.seen.keyboard) << "style " << c.style;
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

TEST_F(MessageBoxes, OneLineIsAHeadingCentredOnTheIcon) {
  BoxDriver driver;
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

TEST_F(MessageBoxes, TwentyLinesPutTheRestIntoTheText) {
  BoxDriver driver;
  driver.screenshot = "box_twenty_lines.png";
  std::string text = Lines(1, 20);
  ShowDriven(&driver, 16 | 0x100, text.c_str());
  ASSERT_TRUE(driver.seen.found);
  EXPECT_EQ("Line 1", driver.seen.heading);
  ASSERT_TRUE(driver.seen.hasText);
  EXPECT_EQ(Lines(2, 20), driver.seen.text);
  EXPECT_LE(driver.seen.textFits, 0) << "the text control cuts lines off";
}

TEST_F(MessageBoxes, ALongPathWithoutBlanksFitsTheBox) {
  std::string path = "C:\\Data";
  while (path.size() < 200) path += "\\folder" + std::to_string(path.size());
  BoxDriver driver;
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

TEST_F(MessageBoxes, TextTallerThanTheScreenScrolls) {
  BoxDriver driver;
  std::string text = Lines(1, 200);  // within the 2,047 characters a box shows
  HANDLE thread = CreateThread(nullptr, 0, DriveBox, &driver, 0, nullptr);
  gApp.ShowMessage(nullptr, "Box test", "%s", 16, 0, text.c_str());
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  ASSERT_TRUE(driver.seen.found);
  EXPECT_NE(std::string::npos, driver.seen.text.find("Line 200"));
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromRect(&driver.seen.window, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_LE(driver.seen.window.bottom - driver.seen.window.top,
            monitor.rcWork.bottom - monitor.rcWork.top);
  EXPECT_TRUE(driver.seen.textScrolls);
}

// A box opened from within a box, then a DPI change of the outer one: the
// outer box keeps its own default button and bold heading.
BoxDriver gInner;
HWND gNestedFrame = nullptr;
void OpenInnerBox(WPARAM) {
  gApp.ShowMessage(nullptr, "Inner", "%s", 32 | 512, 0, "Inner box");
}

DWORD WINAPI DriveNested(LPVOID parameter) {
  BoxDriver* outer = static_cast<BoxDriver*>(parameter);
  HWND box = WaitForBox(nullptr);
  if (!box) return 0;
  // Straight to the test's frame: a search by class could find another
  // framework window that an earlier test has not finished closing.
  PostMessageA(gNestedFrame, WM_APP, 0, 0);
  gInner.owner = box;
  DriveBox(&gInner);
  for (int i = 0; i < 1000 && FindBox(box); ++i) Sleep(10);
  RECT rect;
  GetWindowRect(box, &rect);
  SendMessageA(box, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&rect));
  ReadBox(box, &outer->seen);
  outer->seen.keyboard = WaitForKeyboard(box, 5000);
  if (outer->seen.keyboard) PressKey(VK_RETURN);
  else PostMessageA(box, WM_COMMAND, 7, 0);
  return 0;
}

TEST_F(MessageBoxes, ANestedBoxAndADpiChangeKeepTheOuterBoxAsItWas) {
  gFrameAppMessage = OpenInnerBox;
  gNestedFrame = frame_.hwnd;
  BoxDriver outer;
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
