// The common start of a dialog: bold fonts where a dialog needs them, and
// the modal run that every framework window notices.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/ui/dialog_helpers_win.h"
#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/modal_watchdog.h"

namespace {

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

HFONT FontOf(HWND dialog, int id) {
  return reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0));
}

int Width(HWND dialog, int id) {
  RECT rect;
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  return rect.right - rect.left;
}

TEST(DialogHelpers, BoldFontsForTheDefaultButtonGroupsAndTheirTitleBoxes) {
  SetUpFramework();
  enum { kGroup = 10, kTitleBox = 11, kInnerBox = 12, kOther = 13 };
  std::vector<WORD> layout = DialogTemplate({
      {BS_GROUPBOX, 10, 10, 150, 60, kGroup, 0x80},
      {BS_AUTOCHECKBOX, 16, 8, 60, 10, kTitleBox, 0x80},  // in the group's title
      {BS_AUTOCHECKBOX, 20, 40, 60, 10, kInnerBox, 0x80},
      {BS_DEFPUSHBUTTON, 10, 78, 50, 14, IDOK, 0x80},
      {BS_PUSHBUTTON, 70, 78, 50, 14, kOther, 0x80},
  });
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(layout.data()),
                                           nullptr, PlainProc, 0);
  ASSERT_TRUE(dialog);
  int titleWidth = Width(dialog, kTitleBox);
  HFONT bold = PrepareDialog(dialog);
  ASSERT_TRUE(bold);
  LOGFONTA font = {};
  GetObjectA(bold, sizeof(font), &font);
  EXPECT_EQ(FW_BOLD, font.lfWeight);
  const struct {
    int id;
    bool bold;
  } cases[] = {{IDOK, true}, {kGroup, true}, {kTitleBox, true}, {kInnerBox, false},
               {kOther, false}};
  for (const auto& c : cases) EXPECT_EQ(c.bold, FontOf(dialog, c.id) == bold) << c.id;
  EXPECT_EQ(titleWidth * 6 / 5, Width(dialog, kTitleBox));
  // Another DPI: fonts again, the width grows only once.
  HFONT bigger = SetDialogFont(dialog, 144);
  EXPECT_EQ(titleWidth * 6 / 5, Width(dialog, kTitleBox));
  EXPECT_EQ(bigger, FontOf(dialog, kTitleBox));
  EXPECT_NE(bold, bigger);
  DestroyWindow(dialog);
}

int gModalCountInside = -1;
INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  gModalCountInside = gApp.m_iModalCount;
  EndDialog(dialog, 42);
  return TRUE;
}

TEST(DialogHelpers, AModalDialogRaisesTheModalCountAndShowsItsOwner) {
  CModalWatchdogPause dialogsAreExpected;
  CTestFrame frame;
  ShowWindow(frame.hwnd, SW_HIDE);
  EXPECT_EQ(42, gApp.RunModalDialog(frame.hwnd, 50100, EndAtOnce, 0));
  EXPECT_EQ(1, gModalCountInside);
  EXPECT_EQ(0, gApp.m_iModalCount);
  EXPECT_TRUE(IsWindowVisible(frame.hwnd));
}

}  // namespace
