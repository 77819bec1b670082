// Number fields of a real dialog under the user's decimal separator and the
// C runtime's number locale, both ways round.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ui/dialog_helpers_win.h"
#include "tests/framework/ui/ui_harness_win.h"

namespace {

INT_PTR CALLBACK FieldDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The user's decimal separator while it lives.
class CUserSeparator {
 public:
  explicit CUserSeparator(const char* separator) {
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_, sizeof(old_));
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator);
  }
  ~CUserSeparator() { SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_); }
  CUserSeparator(const CUserSeparator&) = delete;
  CUserSeparator& operator=(const CUserSeparator&) = delete;

 private:
  char old_[8] = {};
};

TEST(NumberFieldsInADialog, ReadAndWriteUnderEveryLocale) {
  SetUpFramework();
  std::vector<WORD> layout = EditDialogTemplate();
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(layout.data()),
                                           nullptr, FieldDialogProc, 0);
  ASSERT_TRUE(dialog);
  const struct {
    const char* text;
    bool strict;
    double value;
    int status;
  } reads[] = {
      {"1,5", true, 1.5, 0}, {"1.5", true, 1.5, 0},    {"12x", false, 12, 0},
      {"12x", true, -1, 61455}, {"", false, -1, 61454}, {"abc", false, -1, 61455},
      {"1e300", true, 100, 0},
  };
  for (const char* separator : {",", "."}) {
    CUserSeparator user(separator);
    for (const char* runtime : {"C", "German"}) {
      const char* set = setlocale(LC_NUMERIC, runtime);
      ASSERT_TRUE(set) << runtime;
      EXPECT_STREQ(runtime[0] == 'C' ? "." : ",", localeconv()->decimal_point);
      for (const auto& r : reads) {
        SetDlgItemTextA(dialog, 100, r.text);
        gLastStatus = -7;
        EXPECT_DOUBLE_EQ(r.value, GetDlgItemDouble(dialog, 100, -1, 100, r.strict))
            << r.text << " user " << separator << " runtime " << runtime;
        EXPECT_EQ(r.status, gLastStatus) << r.text << " user " << separator << " runtime " << runtime;
      }
      SetDlgItemTextA(dialog, 100, "12x");
      EXPECT_EQ(12, GetDlgItemInteger(dialog, 100, 0, 50, false));
      EXPECT_EQ(0, GetDlgItemInteger(dialog, 100, 0, 50, true));
      EXPECT_EQ(61455, gLastStatus);
      SetDlgItemDouble(dialog, 100, 2.5);
      char text[32] = {};
      GetDlgItemTextA(dialog, 100, text, sizeof(text));
      EXPECT_EQ(std::string("2") + separator + "5", text) << "runtime " << runtime;
      SetDlgItemDouble(dialog, 100, -0.0001);
      GetDlgItemTextA(dialog, 100, text, sizeof(text));
      EXPECT_STREQ("0", text);
      SetDlgItemInteger(dialog, 100, -42);
      EXPECT_EQ(-42, GetDlgItemInteger(dialog, 100, -100, 100, true));
    }
    setlocale(LC_NUMERIC, "C");
  }
  DestroyWindow(dialog);
}

}  // namespace
