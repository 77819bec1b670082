// The program's template values under Windows: the clock in the user's
// formats, the system's names, the clipboard's Unicode text, the running
// number of the options, and the "User Comment" box behind %O.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "app/profiles/program_records.h"
#include "app/profiles/text_template.h"
#include "app/profiles/user_comment_win.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"
#include "tests/support/modal_watchdog.h"

namespace {

std::string Expand(const char* text, bool fileName = false) {
  char out[512];
  EXPECT_EQ(kTemplateWhole, ExpandTemplate(text, out, sizeof out, fileName)) << text;
  return out;
}

std::string DateOrTime(char letter) {
  char text[128] = "";
  if (letter == 'D')
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
  else
    GetTimeFormatA(LOCALE_USER_DEFAULT, letter == 'T' ? TIME_NOSECONDS : 0, nullptr, nullptr,
                   text, sizeof text);
  return text;
}

// The clock may tick between the reading and the expansion: the value must
// equal the formatted clock just before or just after.
TEST(TemplateValues, ClockInTheUsersFormats) {
  for (char letter : {'D', 'T', 't'}) {
    const char text[] = {'%', letter, '\0'};
    std::string before = DateOrTime(letter);
    std::string value = Expand(text);
    std::string after = DateOrTime(letter);
    EXPECT_TRUE(value == before || value == after) << letter << ": " << value;
    EXPECT_FALSE(value.empty()) << letter;
  }
  // A short date holds slashes under LANG=C; a file name never does.
  std::string date = Expand("%D", true);
  EXPECT_EQ(std::string::npos, date.find_first_of("/\\:"));
}

TEST(TemplateValues, ComputerAndUserNames) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  char user[257] = "";
  size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  EXPECT_EQ(std::string(computer) + "|" + user, Expand("%C|%U"));
}

bool PutClipboardText(const wchar_t* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool put = true;
  if (text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  }
  CloseClipboard();
  return put;
}

// Characters of the code page stay, others become its default character
// ("-" in a file name), never a look-alike: the division slash (U+2215)
// must not come back as a folder separator.
TEST(TemplateValues, ClipboardUnicodeTextInTheCodePage) {
  ASSERT_TRUE(PutClipboardText(L"caf\u00e9 \u65e5\u672c a\u2215b"));
  std::string plain = Expand("%B");
  EXPECT_EQ("caf\xe9 ?? a?b", plain);
  EXPECT_EQ("caf\xe9 -- a-b", Expand("%B", true));
  ASSERT_TRUE(PutClipboardText(L"line\r\n%N"));
  EXPECT_EQ("line--%N", Expand("%B", true));
  ASSERT_TRUE(PutClipboardText(nullptr));
  EXPECT_EQ("[]", Expand("[%B]"));
}

TEST(TemplateValues, RunningNumberOfTheOptions) {
  gOptions.iPrtNumber = 7;
  EXPECT_EQ("Shot_007", Expand("Shot_%N3"));
  EXPECT_EQ(8, gOptions.iPrtNumber);
  gOptions.iPrtNumber = INT32_MAX;
  EXPECT_EQ("2147483647", Expand("%N"));
  EXPECT_EQ(INT32_MIN, gOptions.iPrtNumber);
}

// The box of this process, once it is up.
HWND WaitForCommentBox() {
  for (int i = 0; i < 500; ++i) {
    HWND box = FindWindowA("#32770", "User Comment");
    DWORD process = 0;
    if (box) GetWindowThreadProcessId(box, &process);
    if (box && process == GetCurrentProcessId() && IsWindowVisible(box)) return box;
    Sleep(10);
  }
  return nullptr;
}

// Types `count` characters into the box's field, then presses `button`.
void AnswerBox(int count, int button) {
  HWND box = WaitForCommentBox();
  if (!box) return;
  HWND edit = GetDlgItem(box, 1123);
  for (int i = 0; i < count; ++i) SendMessageA(edit, WM_CHAR, 'a' + i % 26, 0);
  PostMessageA(box, WM_COMMAND, button, 0);
}

class CommentBox : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    gStringTable.SetLanguageTable(0, gProgramTexts);
  }
};

TEST_F(CommentBox, KeepsSixtyFourCharactersAndCancelGivesNothing) {
  CModalWatchdogPause pause;
  std::string typed;
  for (int i = 0; i < 70; ++i) typed += char('a' + i % 26);
  {
    char comment[kUserCommentChars + 1];
    std::thread answer(AnswerBox, 70, IDOK);
    INT_PTR result = AskUserComment(comment);
    answer.join();
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(typed.substr(0, 64), comment);
  }
  {
    char comment[kUserCommentChars + 1];
    std::thread answer(AnswerBox, 5, IDCANCEL);
    INT_PTR result = AskUserComment(comment);
    answer.join();
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_STREQ("", comment);
  }
  // Each %O asks again, and its text is made safe in a file name.
  std::thread answer([] {
    AnswerBox(3, IDOK);
    Sleep(200);
    AnswerBox(0, IDOK);
  });
  EXPECT_EQ("abc_", Expand("%O_%O", true));
  answer.join();
}

}  // namespace
