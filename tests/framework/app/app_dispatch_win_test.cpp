// What DispatchAppMessage does before a message reaches its window: keys of
// open popup menus, dialog keys, accelerators.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/app/app_win.h"

namespace {

// The open popup chain as the menu code would present it: it records what
// the loop asked of it.
class CRecordingPopups : public CPopupChain {
 public:
  int depth = 2;
  int hot[2] = {-1, 3};
  HWND windows[2] = {nullptr, nullptr};
  bool subPopup = false;
  std::vector<std::string> calls;

  int GetDepth() const override { return depth; }
  HWND GetWindow(int level) const override { return windows[level]; }
  int GetHotEntry(int level) const override { return hot[level]; }
  void ClickEntry(int level, int entry) override { Note("click", level, entry); }
  void MoveHot(int level, int step) override { Note("move", level, step); }
  void ClosePopup(int level) override { Note("close", level, 0); }
  bool EnterSubPopup(int level) override {
    Note("enter", level, 0);
    return subPopup;
  }
  void CloseAll() override { Note("closeall", 0, 0); }

 private:
  void Note(const char* what, int a, int b) {
    calls.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
  }
};

std::vector<int> gBarModes;
int RecordBarMode(int mode) {
  gBarModes.push_back(mode);
  return 0;
}

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
    gBarModes.clear();
  }
  void TearDown() override {
    gApp.m_pPopups = nullptr;
    gApp.m_pfnMenuBarKeyboard = nullptr;
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

TEST_F(Dispatch, PopupKeysWorkOnTheHighlightedPopupAndAreSwallowed) {
  CRecordingPopups popups;
  gApp.m_pPopups = &popups;
  gApp.m_pfnMenuBarKeyboard = RecordBarMode;
  Send(WM_KEYDOWN, VK_DOWN);
  Send(WM_KEYDOWN, VK_RETURN);
  Send(WM_KEYDOWN, VK_ESCAPE);   // on the sub-popup: closes just that one
  Send(WM_KEYDOWN, VK_LEFT);     // back to the parent
  Send(WM_KEYDOWN, 'A');         // swallowed
  EXPECT_EQ((std::vector<std::string>{"move 1 1", "click 1 3", "close 1 0", "close 1 0"}),
            popups.calls);
  popups.hot[0] = 2;             // now the top popup is the one with a highlight
  popups.calls.clear();
  Send(WM_KEYDOWN, VK_UP);
  Send(WM_KEYDOWN, VK_RIGHT);    // no sub-popup: next menu-bar entry
  Send(WM_KEYDOWN, VK_LEFT);     // top popup: previous menu-bar entry
  Send(WM_KEYDOWN, VK_ESCAPE);   // top popup: leaves menu mode
  Send(WM_SYSKEYUP, VK_MENU);
  EXPECT_EQ((std::vector<std::string>{"move 0 -1", "enter 0 0"}), popups.calls);
  EXPECT_EQ((std::vector<int>{1, -1, 2, 2}), gBarModes);
  EXPECT_EQ(0, gKeysDelivered);
}

TEST_F(Dispatch, ClickOutsideThePopupsClosesThem) {
  CRecordingPopups popups;
  popups.windows[0] = popups.windows[1] = nullptr;
  gApp.m_pPopups = &popups;
  MSG click = Key(window_, WM_LBUTTONDOWN, 0);
  gApp.DispatchAppMessage(&click);
  EXPECT_EQ((std::vector<std::string>{"closeall 0 0"}), popups.calls);
  popups.calls.clear();
  popups.windows[1] = window_;
  gApp.DispatchAppMessage(&click);
  EXPECT_TRUE(popups.calls.empty());
}

TEST_F(Dispatch, AltReleaseEntersMenuModeWithoutPopups) {
  gApp.m_pfnMenuBarKeyboard = RecordBarMode;
  Send(WM_SYSKEYUP, VK_MENU);
  EXPECT_EQ((std::vector<int>{0}), gBarModes);
  EXPECT_EQ(0, gKeysDelivered);
  gApp.m_pfnMenuBarKeyboard = nullptr;
  Send(WM_SYSKEYUP, VK_MENU);
  Send(WM_KEYDOWN, 'B');
  EXPECT_EQ(2, gKeysDelivered);
}

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
  CommandRecord* record = const_cast<CommandRecord*>(gApp.m_commands.GetAt(0));
  record->flags &= ~kCommandEnabled;
  key.wParam = VK_F5;
  gApp.DispatchAppMessage(&key);
  EXPECT_EQ(0, gNotified);
}

}  // namespace
