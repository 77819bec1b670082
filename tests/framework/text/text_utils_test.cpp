#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/text/text_utils.h"

namespace {

// A text buffer followed by guard bytes that no call may touch.
struct Guarded {
  explicit Guarded(const char* text, int size) : size(size) {
    memset(bytes, '#', sizeof(bytes));
    strcpy(bytes, text);
  }
  bool GuardIntact() const {
    for (size_t i = size_t(size); i < sizeof(bytes); ++i)
      if (bytes[i] != '#') return false;
    return true;
  }
  char bytes[64];
  int size;
};

}  // namespace

TEST(ReplaceText, ReplacesLeftToRightWithinTheBuffer) {
  char text[32] = "a\rb\rc\r";
  EXPECT_TRUE(ReplaceText(text, sizeof(text), "\r", ""));
  EXPECT_STREQ("abc", text);
  // A replacement that contains the find text is not searched again.
  strcpy(text, "xax");
  EXPECT_TRUE(ReplaceText(text, sizeof(text), "x", "xx"));
  EXPECT_STREQ("xxaxx", text);
  EXPECT_FALSE(ReplaceText(text, sizeof(text), "q", "z"));
  EXPECT_FALSE(ReplaceText(text, sizeof(text), "", "z"));
  EXPECT_FALSE(ReplaceText(nullptr, 4, "a", "b"));
  EXPECT_FALSE(ReplaceText(text, sizeof(text), nullptr, "b"));
}

TEST(ReplaceText, StopsBeforeTheTextWouldFillTheBuffer) {
  Guarded g("%n-%n-%n", 11);
  // Each "%n" becomes "abc", one character more: the third would make 11
  // characters, which need 12 bytes with the terminator.
  EXPECT_FALSE(ReplaceText(g.bytes, g.size, "%n", "abc"));
  EXPECT_STREQ("abc-abc-%n", g.bytes);
  EXPECT_TRUE(g.GuardIntact());
}

TEST(AppendText, FitsOrIsShortenedWithoutTouchingTheOriginal) {
  Guarded g("name", 10);
  EXPECT_EQ(0, AppendText(g.bytes, g.size, "_12", 0));
  EXPECT_STREQ("name_12", g.bytes);
  EXPECT_EQ(1, AppendText(g.bytes, g.size, "3456", 0));
  EXPECT_STREQ("name_1234", g.bytes);
  EXPECT_TRUE(g.GuardIntact());
  // Full already: nothing appended, nothing cut.
  EXPECT_EQ(1, AppendText(g.bytes, g.size, "x", 1));
  EXPECT_STREQ("name_1234", g.bytes);
}

TEST(AppendText, FileNameModeKeepsTheExtensionAndCleansTheAddition) {
  Guarded g("C:\\shots\\", 24);
  EXPECT_EQ(1, AppendText(g.bytes, g.size, "Title: what? now|*<>.png", 1));
  EXPECT_EQ(23u, strlen(g.bytes));
  EXPECT_STREQ("C:\\shots\\Title_ wha.png", g.bytes);
  EXPECT_TRUE(g.GuardIntact());
  // The dot belongs to the original: the addition is simply cut.
  Guarded d("a.b\\c.txt", 14);
  EXPECT_EQ(1, AppendText(d.bytes, d.size, "/x/y/z", 1));
  EXPECT_STREQ("a.b\\c.txt_x_y", d.bytes);
  EXPECT_TRUE(d.GuardIntact());
  // An extension longer than the room left: the head of the addition stays.
  Guarded e("abcdef", 9);
  EXPECT_EQ(1, AppendText(e.bytes, e.size, "x.jpeg", 1));
  EXPECT_STREQ("abcdefx.", e.bytes);
}

TEST(CaseInsensitiveSearch, SuffixAndPart) {
  const char* text = "Report.PNG";
  EXPECT_EQ(text + 6, StrEndsWithI(text, ".png"));
  EXPECT_EQ(text, StrEndsWithI(text, "report.png"));
  EXPECT_EQ(nullptr, StrEndsWithI(text, "xreport.png"));
  EXPECT_EQ(nullptr, StrEndsWithI(text, ""));
  EXPECT_EQ(nullptr, StrEndsWithI("", ""));
  EXPECT_EQ(nullptr, StrEndsWithI(text, ".jpg"));
  EXPECT_EQ(text + 2, StrFindI(text, "POrT"));
  EXPECT_EQ(nullptr, StrFindI(text, "pngx"));
  EXPECT_EQ(nullptr, StrFindI(text, "ports"));
  // Bytes above 127 compare as themselves, never as negative values.
  const char* high = "Gr\xF6\xDF" "e";
  EXPECT_EQ(high + 2, StrFindI(high, "\xF6\xDF" "E"));
}

TEST(HexDigits, BothCasesAndEveryByte) {
  EXPECT_EQ(10, HexToByte("0a"));
  EXPECT_EQ(10, HexToByte("0A"));
  EXPECT_EQ(0xFF, HexToByte("fF"));
  EXPECT_EQ(0x33, HexToByte("zz"));  // not a digit: some value, no failure
  for (int v = 0; v < 256; ++v) {
    char hex[3] = {};
    ByteToHex(uint8_t(v), hex);
    EXPECT_EQ(v, HexToByte(hex));
    EXPECT_TRUE(isxdigit(hex[0]) && !islower(hex[0]) && isxdigit(hex[1]) && !islower(hex[1]));
  }
}

TEST(SetFlag, SetsAndClearsOnlyTheMask) {
  uint32_t flags = 0x0F0;
  SetFlag(&flags, 0x101, true);
  EXPECT_EQ(0x1F1u, flags);
  SetFlag(&flags, 0x030, false);
  EXPECT_EQ(0x1C1u, flags);
}
