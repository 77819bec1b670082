// What DispatchAppMessage does before a message reaches its window: keys of
// open popup menus, dialog keys, accelerators.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/app/app_win.h"

namespace {

int gKeysDelivered = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_SYSKEYUP) ++gKeysDelivered;
  return DefWindowProcA(window, message, wParam, lParam);
}

MSG Key(HWND window, UINT message, WPARAM key) {
  MSG msg = {};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = key;
  return msg;
}

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    gApp.m_dwProcessId = GetCurrentProcessId();
    int index = gApp.AddWindow(0, CountingProc, 0xFFFF, 0);
    ASSERT_GE(index, 0);
    window_ = gApp.GetWindowAt(index)->hwnd;
    gKeysDelivered = 0;
  }
  void TearDown() override {
    gApp.m_aAccelerators.RemoveAll();
    gApp.m_commands.Clear();
    gApp.DestroyAll();
  }
  void Send(UINT message, WPARAM key) {
    MSG msg = Key(window_, message, key);
    gApp.DispatchAppMessage(&msg);
  }
  HWND window_ = nullptr;
};

int gDialogCommand = 0;
INT_PTR CALLBACK RecordingDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) gDialogCommand = LOWORD(wParam);
  return FALSE;
}

// A dialog template in memory: an edit field and a default button (id 1).
std::vector<WORD> DialogTemplate() {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  auto align = [&t] {
    if (t.size() % 2) t.push_back(0);
  };
  dword(WS_POPUP | DS_MODALFRAME);
  dword(0);
  t.push_back(2);  // items
  t.push_back(0); t.push_back(0); t.push_back(100); t.push_back(50);
  t.push_back(0); t.push_back(0); t.push_back(0);  // menu, class, title
  align();
  dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL);
  dword(0);
  t.push_back(5); t.push_back(5); t.push_back(80); t.push_back(12); t.push_back(100);
  t.push_back(0xFFFF); t.push_back(0x0081);  // edit
  t.push_back(0); t.push_back(0);
  align();
  dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
  dword(0);
  t.push_back(5); t.push_back(25); t.push_back(40); t.push_back(14); t.push_back(IDOK);
  t.push_back(0xFFFF); t.push_back(0x0080);  // button
  t.push_back(0); t.push_back(0);
  return t;
}

TEST_F(Dispatch, KeysInsideADialogGoThroughItsDialogHandling) {
  std::vector<WORD> layout = DialogTemplate();
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(layout.data()),
                                           nullptr, RecordingDialogProc, 0);
  ASSERT_NE(nullptr, dialog);
  HWND edit = GetDlgItem(dialog, 100);
  gDialogCommand = 0;
  MSG enter = Key(edit, WM_KEYDOWN, VK_RETURN);
  gApp.DispatchAppMessage(&enter);
  EXPECT_EQ(IDOK, gDialogCommand);  // Enter pressed the default button
  DestroyWindow(dialog);
}

int gNotified = 0;
LRESULT CALLBACK NotifiedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MSG_ITEM_NOTIFY) gNotified = int(wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Dispatch, AcceleratorsReachTheForegroundWindowUnlessDisabled) {
  int index = gApp.AddWindow(2, NotifiedProc, 0xFFFF, 0);
  ASSERT_GE(index, 0);
  HWND target = gApp.GetWindowAt(index)->hwnd;
  SetWindowPos(target, HWND_TOP, 10, 10, 100, 100, SWP_SHOWWINDOW);
  SetForegroundWindow(target);
  if (GetForegroundWindow() != target) GTEST_SKIP() << "no foreground window on this display";
  gApp.AddCommand(500, kItemButton, 0, 0, 0xFFFF, nullptr);
  gApp.AddAccelerator(VK_F5, 0xFFFF, 500);
  gApp.AddAccelerator(VK_F6, 2, 600);
  gNotified = 0;
  MSG key = Key(target, WM_KEYDOWN, VK_F5);
  gApp.DispatchAppMessage(&key);
  EXPECT_EQ(0x100000 + 500, gNotified);
  gNotified = 0;
  key.wParam = VK_F6;  // a command outside the table still goes to the window
  gApp.DispatchAppMessage(&key);
  EXPECT_EQ(0x100000 + 600, gNotified);
  gNotified = 0;
  gApp.m_commands.Clear();
  gApp.AddCommand(500, kItemButton, 0, 0, 0xFFFF, nullptr);
  CommandRecord* record = gApp.m_commands.GetAt(0);
  record->flags &= ~kCommandEnabled;
  key.wParam = VK_F5;
  gApp.DispatchAppMessage(&key);
  EXPECT_EQ(0, gNotified);
}

}  // namespace
