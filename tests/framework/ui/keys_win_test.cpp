// Keys before they reach a window, pressed for real: the accelerator table
// in the program's order, Alt shortcuts, disabled commands, and keys that
// belong to an edit field or a dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/ui/ui_harness_win.h"

namespace {

enum : uint16_t {
  kArrow = 3230, kSelectAll = 3410, kSave = 3420, kOptions = 3720, kDraw = 3240,
  kAnywhere = 3501, kGone = 3500,
};
constexpr uint32_t kShift = 1u << 16;
constexpr uint32_t kControl = 1u << 17;
constexpr uint32_t kAlt = 1u << 18;

class Keys : public testing::Test {
 protected:
  void SetUp() override {
    // The program's order: plain letters come before their Ctrl forms.
    gApp.AddAccelerator('A', kAnyWindow, kArrow);
    gApp.AddAccelerator('A' | kControl, kAnyWindow, kSelectAll);
    gApp.AddAccelerator('S' | kControl, kAnyWindow, kSave);
    gApp.AddAccelerator('O' | kAlt, kAnyWindow, kOptions);
    gApp.AddAccelerator('D', kAnyWindow, kDraw);
    gApp.AddAccelerator(VK_F6, 9, kGone);  // window 9 never existed
    gApp.AddAccelerator(VK_F6, kAnyWindow, kAnywhere);
    if (gApp.FindCommand(kDraw) < 0) gApp.AddCommand(kDraw, kItemButton, 0, 0, kTestText, nullptr);
    gApp.EnableCommand(kDraw, false);
    ClickAt(200, 200);
    Notices().clear();
  }
  void TearDown() override { gApp.m_aAccelerators.RemoveAll(); }

  std::vector<int> Commands() {
    std::vector<int> ids;
    for (const Notice& n : Notices())
      if (n.message == MSG_ITEM_NOTIFY) ids.push_back(int(n.wParam) - 0x100000);
    return ids;
  }
  int Chars() { return CountNotices(WM_CHAR); }

  CTestFrame frame_;
};

TEST_F(Keys, TheExactModifiersWinAndASubsetStillFires) {
  const struct {
    WORD key;
    std::vector<WORD> modifiers;
    int command;
  } cases[] = {
      {'A', {VK_CONTROL}, kSelectAll},
      {'A', {}, kArrow},
      {'S', {VK_CONTROL, VK_SHIFT}, kSave},  // nothing claims Ctrl+Shift+S
      {VK_F6, {}, kAnywhere},                // the vanished window's record is passed over
  };
  for (const auto& c : cases) {
    Notices().clear();
    Tap(c.key, c.modifiers);
    EXPECT_EQ(std::vector<int>{c.command}, Commands()) << "key " << c.key;
    EXPECT_EQ(0, Chars());
  }
}

TEST_F(Keys, AltShortcutFiresOnceAndOpensNoMenu) {
  Tap('O', {VK_MENU});
  EXPECT_EQ(std::vector<int>{kOptions}, Commands());
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_FALSE(gApp.IsMenuMode());
  EXPECT_EQ(0, CountNotices(WM_CHAR));
  // A key without a shortcut still reaches the window as a character.
  Tap('Q');
  EXPECT_EQ(1, Chars());
}

TEST_F(Keys, ADisabledCommandSwallowsItsKey) {
  Tap('D');
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(0, Chars());
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(Keys, PlainKeysBelongToEditFieldsAndDialogs) {
  // An edit field in the framework window: "a" is typed, Ctrl+A still runs.
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 150, 24,
                              frame_.hwnd, nullptr, nullptr, nullptr);
  SetFocus(edit);
  Tap('A');
  char text[16] = {};
  GetWindowTextA(edit, text, sizeof(text));
  EXPECT_STREQ("a", text);
  EXPECT_TRUE(Commands().empty());
  Tap('A', {VK_CONTROL});
  EXPECT_EQ(std::vector<int>{kSelectAll}, Commands());
  DestroyWindow(edit);
  // A modeless dialog's edit field.
  Notices().clear();
  std::vector<WORD> layout = EditDialogTemplate();
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(layout.data()),
                                           frame_.hwnd, PlainDialogProc, 0);
  ASSERT_TRUE(dialog);
  SetForegroundWindow(dialog);
  SetFocus(GetDlgItem(dialog, 100));
  Pump(30);
  Tap('A');
  GetDlgItemTextA(dialog, 100, text, sizeof(text));
  EXPECT_STREQ("a", text);
  EXPECT_TRUE(Commands().empty());
  DestroyWindow(dialog);
}

}  // namespace
