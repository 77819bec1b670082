// Template expansion with fixed values: placeholders, the running number,
// file-name mode and cutting at the buffer's end.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/profiles/text_template.h"

namespace {

class CFixedValues : public CTemplateValues {
 public:
  std::map<char, std::string> texts;
  int32_t number = 0;
  int asked = 0;  // texts asked for, %O among them

  std::string Text(char letter) override {
    ++asked;
    auto it = texts.find(letter);
    return it == texts.end() ? std::string() : it->second;
  }
  int32_t TakeRunningNumber() override {
    int32_t n = number;
    number = NextRunningNumber(number);
    return n;
  }
};

struct Case {
  const char* text;
  std::map<char, std::string> values;
  int32_t number;
  bool fileName;
  const char* expected;
  int32_t numberAfter;
};

TEST(TextTemplate, PlaceholdersAndFileNameMode) {
  const std::string path = "C:\\a\\b\\a.png";
  const Case cases[] = {
      {"Shot_%N3", {}, 7, false, "Shot_007", 8},
      {"%N", {}, 12, false, "0012", 13},
      {"%N9", {}, 5, false, "000000005", 6},
      {"%N1", {}, INT32_MAX, false, "2147483647", INT32_MIN},
      {"%N2-%N", {}, -1, false, "-1-0000", 1},  // every %N advances once
      {"%N0", {}, 3, false, "00030", 4},        // 0 is no digit count
      {"a%Xb%", {}, 0, false, "ab", 0},         // unknown and final % vanish
      {"%%N", {}, 0, false, "N", 0},
      {"%F|%f|%P|%p", {{'P', path}}, 0, false, "a.png|a|C:\\a\\b\\a.png|C:\\a\\b\\a", 0},
      {"%f %f", {{'P', "a.jpeg"}}, 0, false, "a.jpeg a.jpeg", 0},
      {"%f|%p", {{'P', "ab"}}, 0, false, "ab|ab", 0},
      {"%f|%p", {{'P', ".png"}}, 0, false, "|", 0},
      {"%F|%f", {}, 0, false, "(Unnamed)|(Unnamed)", 0},
      {"%B%O%P", {{'B', "%N"}, {'O', "%D"}, {'P', "%%"}}, 9, false, "%N%D%%", 9},
      {"%C %U %D %T %t", {{'C', "pc"}, {'U', "me"}, {'D', "d"}, {'T', "t"}, {'t', "s"}},
       0, false, "pc me d t s", 0},
      {"x/%D", {{'D', "12/9/2026"}}, 0, true, "x/12-9-2026", 0},
      {"%D", {{'D', "12/9/2026"}}, 0, false, "12/9/2026", 0},
      {"%B", {{'B', "a:b*c?\r\n|\"<>\\/\t"}}, 0, true, "a-b-c----------", 0},
      {"sub\\%B\\x", {{'B', ".."}}, 0, true, "sub\\--\\x", 0},
      {"sub\\%B\\x", {{'B', ". ."}}, 0, true, "sub\\---\\x", 0},
      {"sub\\%B", {{'B', "..a b"}}, 0, true, "sub\\..a b", 0},
      {"%F", {{'P', "C:\\d\\a:b"}}, 0, true, "a-b", 0},
      {"%P", {{'P', "C:\\d\\a.png"}}, 0, true, "C--d-a.png", 0},
  };
  for (const Case& c : cases) {
    CFixedValues values;
    values.texts = c.values;
    values.number = c.number;
    char out[64];
    int result = ExpandTemplateWith(c.text, out, sizeof out, c.fileName, &values);
    EXPECT_STREQ(c.expected, out) << c.text;
    EXPECT_EQ(kTemplateWhole, result) << c.text;
    EXPECT_EQ(c.numberAfter, values.number) << c.text;
  }
}

// %O asks once for each occurrence; a template without it never asks.
TEST(TextTemplate, CommentAskedPerOccurrence) {
  CFixedValues values;
  values.texts['O'] = "c";
  char out[16];
  ExpandTemplateWith("%O-%O", out, sizeof out, false, &values);
  EXPECT_STREQ("c-c", out);
  EXPECT_EQ(2, values.asked);
  values.asked = 0;
  ExpandTemplateWith("%N%D%%", out, sizeof out, false, &values);
  EXPECT_EQ(1, values.asked);  // %D only
}

// Without file-name mode a small buffer holds exactly the start of what a
// large one holds, the rest of it zeros and nothing beyond it touched; the
// result says whether anything was left out.
TEST(TextTemplate, CutAtEverySizeEqualsThePrefix) {
  const char* templates[] = {"Shot_%N3_%F", "%P%P", "abc", "%X%P%", "%B"};
  for (const char* text : templates) {
    CFixedValues large;
    large.texts = {{'P', "C:\\folder\\image.png"}, {'B', "clip"}};
    char full[256];
    ASSERT_EQ(kTemplateWhole, ExpandTemplateWith(text, full, sizeof full, false, &large));
    const size_t length = strlen(full);
    for (int size = -1; size <= int(length) + 2; ++size) {
      CFixedValues values;
      values.texts = large.texts;
      std::vector<char> buffer(size_t(size > 0 ? size : 0) + 8, '#');
      int result = ExpandTemplateWith(text, buffer.data(), size, false, &values);
      SCOPED_TRACE(std::string(text) + " size " + std::to_string(size));
      size_t kept = size > 0 ? std::min(length, size_t(size - 1)) : 0;
      EXPECT_EQ(std::string(full, kept), std::string(buffer.data(), kept));
      for (int i = int(kept); i < size; ++i) EXPECT_EQ('\0', buffer[size_t(i)]);
      for (size_t i = size > 0 ? size_t(size) : 0; i < buffer.size(); ++i)
        EXPECT_EQ('#', buffer[i]);  // the canary after the buffer
      bool cut = size <= 0 ? *text != '\0' : length > size_t(size - 1);
      EXPECT_EQ(cut ? kTemplateCut : kTemplateWhole, result);
    }
  }
}

// A value cut to the room left is made safe after the cut: the start of
// "..abc" must not leave ".." at the end of a path.
TEST(TextTemplate, CutValueIsStillSafe) {
  CFixedValues values;
  values.texts['B'] = "..abc";
  char out[5];
  EXPECT_EQ(kTemplateCut, ExpandTemplateWith("x\\%B", out, sizeof out, true, &values));
  EXPECT_STREQ("x\\--", out);
}

}  // namespace
