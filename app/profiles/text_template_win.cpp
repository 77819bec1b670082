#include <windows.h>

#include <cstring>
#include <string>

#include "app/document/history.h"
#include "app/document/image.h"
#include "app/profiles/program_records.h"
#include "app/profiles/text_template.h"
#include "app/profiles/user_comment_win.h"
#include "framework/app/app_win.h"

namespace {

constexpr uint16_t kMiscTexts = 2110;
constexpr int kUnknownVariant = 3;

std::string UnknownText() {
  const char* text = gStringTable.GetText(kMiscTexts, kUnknownVariant);
  return text && *text ? text : "(Unknown)";
}

std::string DateText() {
  char text[128] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
  return text;
}

std::string TimeText(bool seconds) {
  char text[128] = "";
  GetTimeFormatA(LOCALE_USER_DEFAULT, seconds ? 0 : TIME_NOSECONDS, nullptr, nullptr, text,
                 sizeof text);
  return text;
}

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) && *name ? name : UnknownText();
}

std::string UserName() {
  char name[257] = "";  // the longest user name and its terminator
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) && *name ? name : UnknownText();
}

// The clipboard's Unicode text in the ANSI code page. The clipboard's block
// may lack its terminator: only the block's own size is read. Characters
// the code page lacks become its default character, never a look-alike
// (a best-fit "/" for a division slash would name another folder).
std::string ClipboardText() {
  std::string result;
  if (!OpenClipboard(nullptr)) return result;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (text) {
    size_t chars = GlobalSize(data) / sizeof(wchar_t);
    size_t length = 0;
    while (length < chars && text[length]) ++length;
    int bytes = length ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, int(length),
                                             nullptr, 0, nullptr, nullptr)
                       : 0;
    if (bytes > 0) {
      result.resize(size_t(bytes));
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, int(length), &result[0], bytes,
                          nullptr, nullptr);
    }
    GlobalUnlock(data);
  }
  CloseClipboard();
  return result;
}

std::string CurrentImageName() {
  const CImage* image = GetHistoryImage(giCurrentImage);
  if (!image) return std::string();
  return std::string(image->szName, strnlen(image->szName, sizeof image->szName));
}

std::string UserComment() {
  char comment[kUserCommentChars + 1] = "";
  AskUserComment(comment);
  return comment;
}

class CProgramValues : public CTemplateValues {
 public:
  std::string Text(char letter) override {
    switch (letter) {
      case 'B': return ClipboardText();
      case 'C': return ComputerName();
      case 'D': return DateText();
      case 'O': return UserComment();
      case 'P': return CurrentImageName();
      case 'T': return TimeText(false);
      case 't': return TimeText(true);
      case 'U': return UserName();
      default: return std::string();
    }
  }
  int32_t TakeRunningNumber() override {
    int32_t number = gOptions.iPrtNumber;
    gOptions.iPrtNumber = NextRunningNumber(number);
    return number;
  }
};

}  // namespace

int ExpandTemplate(const char* text, char* out, int size, int fileNameMode) {
  CProgramValues values;
  return ExpandTemplateWith(text, out, size, fileNameMode != 0, &values);
}
