// Templates and values from any bytes: the output stays terminated inside
// its buffer, nothing past it is written, and in file-name mode an inserted
// value never brings a forbidden character, a separator or a "."/".." part.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/profiles/text_template.h"

namespace {

class CBytesValues : public CTemplateValues {
 public:
  explicit CBytesValues(const std::string& text) : m_text(text) {}
  std::string Text(char letter) override {
    // Each letter takes its own slice, so values differ between letters.
    size_t start = static_cast<unsigned char>(letter) % (m_text.size() + 1);
    return m_text.substr(start);
  }
  int32_t TakeRunningNumber() override { return m_number = NextRunningNumber(m_number); }

 private:
  std::string m_text;
  int32_t m_number = INT32_MAX - 2;
};

// Template characters that keep the check simple: the template itself holds
// no dots and no forbidden characters other than its separators.
bool PlainTemplateChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 32 && c != '.' && !strchr("\"*/:<>?|", c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int bufferSize = int(data[0] % 80) - 2;  // -2..77
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = input.find('\0');
  std::string text = input.substr(0, split);
  const std::string value = split == std::string::npos ? "" : input.substr(split + 1);

  for (char& c : text)
    if (!PlainTemplateChar(c)) c = '%';
  CBytesValues values(value);
  std::vector<char> out(size_t(bufferSize > 0 ? bufferSize : 0) + 4, '#');
  ExpandTemplateWith(text.c_str(), out.data(), bufferSize, true, &values);
  if (bufferSize <= 0) {
    for (char c : out)
      if (c != '#') __builtin_trap();
    return 0;
  }
  for (size_t i = size_t(bufferSize); i < out.size(); ++i)
    if (out[i] != '#') __builtin_trap();
  if (out[size_t(bufferSize - 1)] != '\0') __builtin_trap();

  const std::string result(out.data());
  size_t separators = 0;
  for (char c : text) separators += c == '\\';
  size_t seen = 0;
  for (char c : result) {
    if (static_cast<unsigned char>(c) < 32 || strchr("\"*/:<>?|", c)) __builtin_trap();
    seen += c == '\\';
  }
  if (seen > separators) __builtin_trap();
  // Every part between separators: never "." or "..".
  size_t start = 0;
  for (;;) {
    size_t end = result.find('\\', start);
    std::string part = result.substr(start, end == std::string::npos ? end : end - start);
    if (part == "." || part == "..") __builtin_trap();
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return 0;
}
