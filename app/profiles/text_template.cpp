#include "app/profiles/text_template.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kUnnamed[] = "(Unnamed)";
constexpr int kDefaultDigits = 4;

// Characters that no Windows file name may hold; control characters (a CR,
// LF or TAB from the clipboard or a comment) are refused too.
bool IsForbiddenInFileName(unsigned char c) {
  return c < 32 || strchr("\"*/:<>?\\|", c) != nullptr;
}

// What an inserted value may put into a file name. Forbidden characters
// become hyphens; a value of only dots and blanks becomes hyphens as a whole,
// so no value ever forms "." or ".." between the template's own separators.
void MakeFileNameSafe(std::string* value) {
  bool onlyDots = !value->empty();
  for (char& c : *value) {
    if (c != '.' && c != ' ') onlyDots = false;
    if (IsForbiddenInFileName(static_cast<unsigned char>(c))) c = '-';
  }
  if (onlyDots) value->assign(value->size(), '-');
}

// Cuts a three-letter extension: the text ends at its fourth-last character
// when that is a point. Shorter texts stay as they are.
std::string WithoutExtension(const std::string& name) {
  size_t n = name.size();
  return n >= 4 && name[n - 4] == '.' ? name.substr(0, n - 4) : name;
}

std::string AfterLastBackslash(const std::string& name) {
  size_t slash = name.rfind('\\');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The running number with at least `digits` digits.
std::string NumberText(int digits, int32_t number) {
  char text[16];
  snprintf(text, sizeof text, "%0*d", digits, static_cast<int>(number));
  return text;
}

// Appends text to the output within its room; false when it had to be cut.
class COutput {
 public:
  COutput(char* out, int size) : m_out(out), m_room(size - 1) {}
  bool Put(const char* text, size_t length) {
    size_t take = length < m_room - m_used ? length : m_room - m_used;
    memcpy(m_out + m_used, text, take);
    m_used += take;
    return take == length;
  }
  size_t Room() const { return m_room - m_used; }

 private:
  char* m_out;
  size_t m_room;
  size_t m_used = 0;
};

// The value of the placeholder at text[0] (the letter); advances text past
// the digit of %N1-%N9. Unknown letters give nothing.
std::string Replacement(const char** text, CTemplateValues* values) {
  char letter = **text;
  switch (letter) {
    case 'F':
    case 'f':
    case 'P':
    case 'p': {
      std::string name = values->Text('P');
      if (name.empty()) name = kUnnamed;
      if (letter == 'F' || letter == 'f') name = AfterLastBackslash(name);
      return letter == 'f' || letter == 'p' ? WithoutExtension(name) : name;
    }
    case 'N': {
      int digits = kDefaultDigits;
      char next = (*text)[1];
      if (next >= '1' && next <= '9') {
        digits = next - '0';
        ++*text;
      }
      return NumberText(digits, values->TakeRunningNumber());
    }
    case 'B':
    case 'C':
    case 'D':
    case 'O':
    case 'T':
    case 't':
    case 'U':
      return values->Text(letter);
    default:
      return std::string();
  }
}

}  // namespace

int32_t NextRunningNumber(int32_t n) {
  // Unsigned arithmetic wraps without undefined behaviour.
  return static_cast<int32_t>(static_cast<uint32_t>(n) + 1u);
}

int ExpandTemplateWith(const char* text, char* out, int size, bool fileNameMode,
                       CTemplateValues* values) {
  if (!text) text = "";
  if (size <= 0 || !out) return *text ? kTemplateCut : kTemplateWhole;
  memset(out, 0, static_cast<size_t>(size));
  COutput output(out, size);
  bool whole = true;
  for (; *text; ++text) {
    if (*text != '%') {
      whole &= output.Put(text, 1);
      continue;
    }
    if (!text[1]) break;  // a final percent sign is dropped
    ++text;
    std::string value = Replacement(&text, values);
    // Cut first: a cut value must be as safe as a whole one.
    bool fits = value.size() <= output.Room();
    if (!fits) value.resize(output.Room());
    if (fileNameMode) MakeFileNameSafe(&value);
    output.Put(value.data(), value.size());
    whole &= fits;
  }
  return whole ? kTemplateWhole : kTemplateCut;
}
