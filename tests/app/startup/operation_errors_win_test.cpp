// The error box itself: titled with the product name, the error icon, one OK
// button, owned by the main window; nothing at all for 0 and 26.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "app/startup/operation_errors.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"
#include "tests/app/app_driver_win.h"
#include "tests/support/modal_watchdog.h"

namespace {

HWND gMainWindow = nullptr;
int gScriptLine = 0;

struct BoxSeen {
  std::string title;
  std::string text;
  std::vector<int> buttons;  // the visible ones
  HWND owner = nullptr;
  LPCSTR icon = nullptr;     // the icon whose drawing matches the box's
};

// A 32-bit top-down bitmap of w x h, selected into `memory`.
HBITMAP TopDownBitmap(HDC memory, int w, int h, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  return CreateDIBSection(memory, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// The icon control's pixels on screen.
std::vector<uint32_t> Capture(HDC source, int x, int y, int w, int h) {
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = TopDownBitmap(memory, w, h, &bits);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, source, x, y, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + w * h);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

// Which system icon the box draws: drawing the right one again over the
// capture changes (almost) nothing, any other changes much.
LPCSTR ShownIcon(HWND box) {
  HWND control = GetDlgItem(box, 50106);
  RECT client;
  GetClientRect(control, &client);
  POINT origin = {0, 0};
  ClientToScreen(control, &origin);
  const int side = client.right & ~1;
  HDC screen = GetDC(nullptr);
  std::vector<uint32_t> shown = Capture(screen, origin.x, origin.y, side, side);
  ReleaseDC(nullptr, screen);
  LPCSTR best = nullptr;
  size_t bestChanged = SIZE_MAX;
  for (LPCSTR icon : {IDI_HAND, IDI_EXCLAMATION, IDI_ASTERISK, IDI_QUESTION}) {
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = TopDownBitmap(memory, side, side, &bits);
    HGDIOBJ old = SelectObject(memory, bitmap);
    memcpy(bits, shown.data(), shown.size() * 4);
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, icon), side, side, 0, nullptr, DI_NORMAL);
    GdiFlush();
    size_t changed = 0;
    const uint32_t* drawn = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < shown.size(); ++i) changed += (drawn[i] & 0xFFFFFF) != (shown[i] & 0xFFFFFF);
    if (changed < bestChanged) {
      bestChanged = changed;
      best = icon;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  return best;
}

// Waits for the process's box, looks at it and presses OK.
void WatchBox(BoxSeen* seen) {
  HWND box = nullptr;
  for (int i = 0; i < 500 && !box; ++i) {
    box = FindBox(GetCurrentProcessId());
    if (!box) Sleep(10);
  }
  if (!box) return;
  Sleep(300);  // painted
  char title[256] = {};
  GetWindowTextA(box, title, sizeof title);
  seen->title = title;
  seen->text = BoxText(box);
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
    if (IsWindowVisible(GetDlgItem(box, id))) seen->buttons.push_back(id);
  seen->owner = GetWindow(box, GW_OWNER);
  seen->icon = ShownIcon(box);
  PressOk(box);
}

class ErrorBox : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    gStringTable.SetLanguageTable(0, gProgramTexts);
    gMainWindow = CreateWindowExA(0, "STATIC", "Main", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    gProgramHooks.pfnGetMainWindow = [] { return static_cast<void*>(gMainWindow); };
    gProgramHooks.pfnGetScriptLine = [] { return gScriptLine; };
  }
  static void TearDownTestSuite() {
    gProgramHooks = {};
    DestroyWindow(gMainWindow);
  }
};

TEST_F(ErrorBox, OneBoxWithTheProgramsTitleErrorIconAndOk) {
  CModalWatchdogPause pause;
  BoxSeen seen;
  std::thread watcher(WatchBox, &seen);
  int result = ReportOperationError(OperationCode(OpSave, ErrNoSavePath));
  watcher.join();
  EXPECT_EQ(IDOK, result);
  EXPECT_EQ("Brightwarden", seen.title);
  EXPECT_EQ("The image could not be saved!\nNo filename or path for sequential saving specified. "
            "Please check the options.", seen.text);
  EXPECT_EQ(std::vector<int>{IDOK}, seen.buttons);
  EXPECT_EQ(gMainWindow, seen.owner);
  EXPECT_TRUE(seen.icon == IDI_HAND) << "another icon is shown";
}

TEST_F(ErrorBox, SuccessAndCancelShowNothing) {
  for (OperationError code : {0u, 26u}) {
    EXPECT_EQ(1, ReportOperationError(code));
    EXPECT_EQ(nullptr, FindBox(GetCurrentProcessId()));
  }
}

TEST_F(ErrorBox, ScriptTextsTakeTheEnginesLine) {
  gScriptLine = 7;
  EXPECT_STREQ("Parameter error in line 7.", GetOperationErrorText(ErrScriptParameter));
  EXPECT_STREQ("Error during the execution of the Script file!",
               GetOperationErrorText(OperationCode(OpScript, 0)));
  gScriptLine = 0;
}

}  // namespace
