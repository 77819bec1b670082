#include "framework/settings/settings_exchange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

#pragma pack(push, 1)
struct HotkeyEntry {
  uint16_t hotkey;
  char szProfile[32];
};
struct SampleRecord {
  uint8_t iFlag;
  int8_t iSigned;
  uint8_t rgb[3];
  int16_t iShort;
  uint16_t iHexShort;
  int32_t iInt;
  uint32_t ulHexInt;
  float fValue;
  float fArray[4];
  char szName[32];
  uint8_t lfFont[60];
  uint32_t cFore;
  HotkeyEntry hkHotkey[4];
};
#pragma pack(pop)

SampleRecord gSample;

// One serializer for both directions, as the program's own records use it.
void Exchange(CSettingsExchange* ex) {
  ex->Byte(&gSample.iFlag, "&gSample.iFlag");
  ex->Byte(&gSample.iSigned, "&gSample.iSigned");
  for (int i = 0; i < 3; ++i) ex->HexByte(&gSample.rgb[i], "&gSample.rgb[xi]", i);
  ex->Short(&gSample.iShort, "&gSample.iShort");
  ex->HexShort(&gSample.iHexShort, "&gSample.iHexShort");
  ex->Int(&gSample.iInt, "&gSample.iInt");
  ex->HexInt(&gSample.ulHexInt, "&gSample.ulHexInt");
  ex->Float(&gSample.fValue, "&gSample.fValue");
  for (int i = 0; i < 4; ++i) ex->Float(&gSample.fArray[i], "&gSample.fArray[xi]", i);
  ex->String(gSample.szName, sizeof gSample.szName, "gSample.szName");
  ex->Binary(gSample.lfFont, sizeof gSample.lfFont, "(PBYTE)&gSample.lfFont");
  ex->Dword(&gSample.cFore, "&gSample.cFore");
  for (int i = 0; i < 4; ++i) {
    ex->HexShort(&gSample.hkHotkey[i].hotkey, "&gSample.hkHotkey[xi].hotkey", i);
    ex->String(gSample.hkHotkey[i].szProfile, 32, "gSample.hkHotkey[xi].szProfile", i);
  }
}

SampleRecord RandomRecord(std::mt19937* rng) {
  SampleRecord r;
  auto* bytes = reinterpret_cast<uint8_t*>(&r);
  for (size_t i = 0; i < sizeof r; ++i) bytes[i] = static_cast<uint8_t>((*rng)());
  auto randomText = [rng](char* s, int size) {
    int n = static_cast<int>((*rng)() % size);
    for (int i = 0; i < n; ++i) s[i] = static_cast<char>('!' + (*rng)() % 90);
    memset(s + n, 0, size - n);
  };
  randomText(r.szName, 32);
  for (auto& hk : r.hkHotkey) randomText(hk.szProfile, 32);
  // NaN payloads are not kept by a text form; every other float pattern is.
  // (The record is packed: its floats are reached through copies.)
  auto noNan = [](void* field) {
    float f;
    memcpy(&f, field, 4);
    if (std::isnan(f)) f = 1.5f;
    memcpy(field, &f, 4);
  };
  noNan(&r.fValue);
  for (int i = 0; i < 4; ++i) noNan(&r.fArray[i]);
  return r;
}

std::string SavedText(const SampleRecord& rec) {
  gSample = rec;
  CSettingsExchange ex;
  ex.Open(1, "gSample.");
  Exchange(&ex);
  return std::string(reinterpret_cast<char*>(ex.text.data), ex.text.count);
}

// The value of `key` in a saved text, or "<missing>".
std::string ValueIn(const std::string& text, const std::string& key) {
  std::string needle = key + "=";
  size_t p = text.compare(0, needle.size(), needle) == 0 ? 0 : text.find("\r\n" + needle);
  if (p == std::string::npos) return "<missing>";
  if (p != 0) p += 2;
  size_t start = p + needle.size();
  return text.substr(start, text.find('\0', start) - start);
}

std::string Line(const std::string& key, const std::string& value) {
  return key + "=" + value + std::string("\0\r\n", 3);
}

void Load(CSettingsExchange* ex, const std::string& text, const char* prefix = "gSample.") {
  ex->Open(0, prefix);
  ASSERT_TRUE(ex->SetText(text.data(), static_cast<int32_t>(text.size())));
}

TEST(SettingsExchange, EveryKindRoundTripsIntoAFreshRecord) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 300; ++round) {
    SampleRecord original = RandomRecord(&rng);
    std::string text = SavedText(original);
    // Every field starts different from the saved one; the text fields start
    // zeroed, since a load writes only the text and its terminator.
    memset(&gSample, 0xCC, sizeof gSample);
    memset(gSample.szName, 0, sizeof gSample.szName);
    for (auto& hk : gSample.hkHotkey) memset(hk.szProfile, 0, sizeof hk.szProfile);
    CSettingsExchange ex;
    Load(&ex, text);
    Exchange(&ex);
    for (size_t i = 0; i < sizeof gSample; ++i)
      ASSERT_EQ(reinterpret_cast<uint8_t*>(&original)[i], reinterpret_cast<uint8_t*>(&gSample)[i])
          << "round " << round << " byte " << i;
  }
}

TEST(SettingsExchange, SavedTextHasTheDocumentedForms) {
  SampleRecord r{};
  r.iFlag = 200;
  r.iSigned = -5;
  r.rgb[0] = 0xAB;
  r.iShort = -2;
  r.iHexShort = 0xFF;
  r.iInt = -123456;
  r.ulHexInt = 0xABCD;
  r.fValue = 12.0f;
  r.fArray[0] = 12.5f;
  r.fArray[1] = 1e-9f;
  r.fArray[2] = 1e20f;
  r.fArray[3] = -0.0f;
  strcpy(r.szName, "a b=c");
  r.lfFont[0] = 0x0A;
  r.lfFont[59] = 0xF0;
  r.cFore = 0x11223344;
  std::string text = SavedText(r);
  EXPECT_EQ("-56", ValueIn(text, "iFlag"));
  EXPECT_EQ("-5", ValueIn(text, "iSigned"));
  EXPECT_EQ("AB", ValueIn(text, "rgb[0]"));
  EXPECT_EQ("-2", ValueIn(text, "iShort"));
  EXPECT_EQ("0x00FF", ValueIn(text, "iHexShort"));
  EXPECT_EQ("-123456", ValueIn(text, "iInt"));
  EXPECT_EQ("0x0000ABCD", ValueIn(text, "ulHexInt"));
  EXPECT_EQ("12.0", ValueIn(text, "fValue"));
  EXPECT_EQ("12.5", ValueIn(text, "fArray[0]"));
  EXPECT_EQ("9.9999997e-10", ValueIn(text, "fArray[1]"));  // two-digit exponent in both builds
  EXPECT_EQ("1e+20", ValueIn(text, "fArray[2]"));
  EXPECT_EQ("-0.0", ValueIn(text, "fArray[3]"));
  EXPECT_EQ("a b=c", ValueIn(text, "szName"));
  // A full text field without its terminator gives its first 31 characters.
  memset(r.szName, 'x', sizeof r.szName);
  EXPECT_EQ(std::string(31, 'x'), ValueIn(SavedText(r), "szName"));
  EXPECT_EQ("0A" + std::string(116, '0') + "F0", ValueIn(text, "gSample.lfFont"));
  EXPECT_EQ("44332211", ValueIn(text, "cFore"));
  // Every line, the last included, ends in 00 0D 0A.
  EXPECT_EQ(std::string("\0\r\n", 3), text.substr(text.size() - 3));
  EXPECT_EQ(0u, text.find("iFlag=-56", 0));
}

TEST(SettingsExchange, KeysFollowTheFieldExpressions) {
  CSettingsExchange ex;
  ex.Open(1, "gOptions.");
  EXPECT_STREQ("hkHotkey[3].szName", ex.FormatName("gOptions.hkHotkey[i].szName", 3));
  EXPECT_STREQ("hkHotkey[3].szName", ex.FormatName("&gOptions.hkHotkey[xi].szName", 3));
  EXPECT_STREQ("Options.lfFont", ex.FormatName("(PBYTE)&gOptions.lfFont"));
  EXPECT_STREQ("Options.cPalette", ex.FormatName("(PBYTE)&gOptions.cPalette"));
  EXPECT_STREQ("a[2][7]", ex.FormatName("&gOptions.a[xi][yi]", 2, 7));
  EXPECT_STREQ("a[3].b[1]", ex.FormatName("gOptions.a[3].b[i]", 1));  // a digit stays
  EXPECT_STREQ("a[_i]", ex.FormatName("gOptions.a[_i]", 9));  // not a letter: stays
  EXPECT_STREQ("", ex.FormatName("gOpt"));
  ex.Open(1, "pprf->");
  EXPECT_STREQ(")&pprf->lfHeadFont", ex.FormatName("(PBYTE)&pprf->lfHeadFont"));
  EXPECT_STREQ(")&pprf->lfTxtOvlFont", ex.FormatName("(PBYTE)&pprf->lfTxtOvlFont"));
  EXPECT_STREQ("szDPHeader[2]", ex.FormatName("pprf->szDPHeader[xi]", 2));
  ex.Open(1, "gaStiEvent");
  EXPECT_STREQ("[31].profile", ex.FormatName("gaStiEvent[xi].profile", 31));
  std::string longest = "gaStiEvent" + std::string(259, 'k');
  EXPECT_EQ(259u, strlen(ex.FormatName(longest.c_str())));
}

// A key holding "=" would shadow the shorter key before it ("a=b=1" reads as
// key "a"), and a key cut to 259 characters could merge with another: such
// expressions stop a debug build and are refused by a release build, which
// then neither writes nor reads the field.
TEST(SettingsExchange, KeysThatCouldShadowOrMergeAreRefused) {
  const std::string bad[] = {"a=b", std::string(260, 'k'),
                             std::string(254, 'k') + "[xi]"};  // "[12345]" passes 259
  for (const std::string& expression : bad) {
    SCOPED_TRACE(expression.substr(0, 12));
    CSettingsExchange ex;
    ex.Open(1, "");
#ifdef NDEBUG
    int32_t v = 5;
    EXPECT_EQ(nullptr, ex.FormatName(expression.c_str(), 12345));
    EXPECT_STREQ("", ex.szKey);
    EXPECT_EQ(kSettingsBadKey, ex.Int(&v, expression.c_str(), 12345));
    EXPECT_EQ(0, ex.text.count);
    EXPECT_FALSE(ex.bFailed);  // the rest of the section still saves
    Load(&ex, Line("a", "1") + Line("a=b", "2") + Line(std::string(259, 'k'), "3"), "");
    EXPECT_EQ(kSettingsBadKey, ex.Int(&v, expression.c_str(), 12345));
    EXPECT_EQ(5, v);
#else
    EXPECT_DEATH(ex.FormatName(expression.c_str(), 12345), "settings key refused");
#endif
  }
}

TEST(SettingsExchange, HotkeyKeysOfOneExpressionAreDistinctLines) {
  CSettingsExchange ex;
  ex.Open(1, "gOptions.");
  char names[32][32];
  for (int i = 0; i < 32; ++i) {
    snprintf(names[i], sizeof names[i], "profile %d", i);
    ex.String(names[i], 32, "gOptions.hkHotkey[xi].szName", i);
  }
  std::string text(reinterpret_cast<char*>(ex.text.data), ex.text.count);
  for (int i = 0; i < 32; ++i)
    EXPECT_EQ("profile " + std::to_string(i),
              ValueIn(text, "hkHotkey[" + std::to_string(i) + "].szName"));
  CSettingsExchange in;
  Load(&in, text, "gOptions.");
  for (int i = 31; i >= 0; --i) {  // reverse order: every lookup wraps
    char got[32] = "unchanged";
    ASSERT_EQ(0, in.String(got, 32, "gOptions.hkHotkey[xi].szName", i));
    EXPECT_STREQ(names[i], got);
  }
}

TEST(SettingsExchange, LoadingKeepsFieldsOfMissingOrBadValues) {
  CSettingsExchange ex;
  Load(&ex, Line("iShort", "70000") + Line("iInt", "4294967295") + Line("iHexShort", "12") +
                Line("ulHexInt", "0xZZ") + Line("rgb[0]", "G1") + Line("iFlag", "  -56xyz") +
                Line("szName", std::string(40, 'n')) + Line("cFore", "0A0B") +
                Line("fValue", " 2.5e1junk") + Line("hkHotkey[0].hotkey", "0x1ABCD"));
  SampleRecord& r = gSample;
  memset(&r, 0x5A, sizeof r);
  EXPECT_EQ(0, ex.Short(&r.iShort, "gSample.iShort"));
  EXPECT_EQ(static_cast<int16_t>(70000 & 0xFFFF), +r.iShort);  // low bits kept
  EXPECT_EQ(0, ex.Int(&r.iInt, "gSample.iInt"));
  EXPECT_EQ(-1, +r.iInt);
  EXPECT_EQ(1, ex.HexShort(&r.iHexShort, "gSample.iHexShort"));
  EXPECT_EQ(0x5A5A, +r.iHexShort);
  EXPECT_EQ(1, ex.HexInt(&r.ulHexInt, "gSample.ulHexInt"));
  EXPECT_EQ(0x5A5A5A5Au, +r.ulHexInt);
  EXPECT_EQ(1, ex.HexByte(&r.rgb[0], "gSample.rgb[xi]", 0));
  EXPECT_EQ(0x5A, +r.rgb[0]);
  EXPECT_EQ(0, ex.Byte(&r.iFlag, "gSample.iFlag"));
  EXPECT_EQ(200, +r.iFlag);
  EXPECT_EQ(0, ex.String(r.szName, 32, "gSample.szName"));
  EXPECT_EQ(std::string(31, 'n'), +r.szName);
  EXPECT_EQ(0, ex.Dword(&r.cFore, "gSample.cFore"));
  const uint8_t dword[4] = {0x0A, 0x0B, 0x00, 0x00};
  EXPECT_EQ(0, memcmp(dword, &r.cFore, 4));
  EXPECT_EQ(0, ex.Float(&r.fValue, "gSample.fValue"));
  EXPECT_EQ(25.0f, +r.fValue);
  EXPECT_EQ(0, ex.HexShort(&r.hkHotkey[0].hotkey, "gSample.hkHotkey[xi].hotkey", 0));
  EXPECT_EQ(0xABCD, +r.hkHotkey[0].hotkey);
  // A key that is not there leaves the field alone.
  EXPECT_EQ(-1, ex.Int(&r.ulHexInt, "gSample.iNowhere"));
  EXPECT_EQ(0x5A5A5A5Au, +r.ulHexInt);
  EXPECT_EQ(-1, ex.iLastHit);
  EXPECT_EQ(-1, ex.Binary(r.lfFont, 60, "gSample.lfFont"));
  EXPECT_EQ(0x5A, +r.lfFont[0]);
}

TEST(SettingsExchange, FindValueMatchesWholeKeysAtLineStartsOnly) {
  CSettingsExchange ex;
  // A text value that holds a line break and "iTool=" must not stand in for
  // the real key, nor may a key that merely ends or begins like it.
  std::string text = Line("szNote", std::string("x\r\niTool=666")) + Line("xiTool", "5") +
                     Line("iToolbar", "4") + Line("iTool", "3");
  Load(&ex, text, "");
  int32_t tool = 0;
  EXPECT_EQ(0, ex.Int(&tool, "iTool"));
  EXPECT_EQ(3, tool);
  EXPECT_STREQ("3", ex.pValue);
  EXPECT_EQ(static_cast<int32_t>(text.size()) - 3, ex.iLastHit);
  // The same text with a zero byte but no line end after the value of iTool.
  std::string cut = text.substr(0, text.size() - 2);
  Load(&ex, cut, "");
  tool = 7;
  EXPECT_EQ(-1, ex.Int(&tool, "iTool"));
  EXPECT_EQ(7, tool);
  EXPECT_EQ(-1, ex.iLastHit);
  // The key at offset 0, and a key whose "=" would be the last byte.
  Load(&ex, Line("a", "1") + "b=", "");
  EXPECT_EQ(0, ex.FindText("a", 1, 0));
  EXPECT_EQ(-1, ex.FindValue("b"));
  EXPECT_EQ(-1, ex.FindText("a", 1, 1));
}

TEST(SettingsExchange, SearchStartsAfterTheLastHitAndWrapsOnce) {
  std::string text;
  for (int i = 0; i < 50; ++i) text += Line("k" + std::to_string(i), std::to_string(i * 10));
  CSettingsExchange ex;
  Load(&ex, text, "");
  int32_t v = 0;
  ASSERT_EQ(0, ex.Int(&v, "k40"));
  int32_t after40 = ex.iLastHit;
  // The next key in write order is found at the first candidate behind it.
  ASSERT_EQ(0, ex.Int(&v, "k41"));
  EXPECT_EQ(410, v);
  EXPECT_EQ(after40 + static_cast<int32_t>(Line("k41", "410").size()), ex.iLastHit);
  // A key before the last hit is still found: the search wraps to the start.
  ASSERT_EQ(0, ex.Int(&v, "k2"));
  EXPECT_EQ(20, v);
  // A miss resets the start, and the next search begins at 0.
  EXPECT_EQ(-1, ex.FindValue("k99"));
  ASSERT_EQ(0, ex.Int(&v, "k49"));
  EXPECT_EQ(490, v);
}

TEST(SettingsExchange, ForeignOrderAndUnknownKeysStillLoad) {
  SampleRecord original{};
  original.iInt = 42;
  original.fValue = 0.25f;
  strcpy(original.szName, "named");
  original.hkHotkey[2].hotkey = 0x0241;
  std::string text = SavedText(original);
  // Reverse the lines, drop one and add keys that no field asks for.
  std::vector<std::string> lines;
  for (size_t p = 0; p < text.size();) {
    size_t end = text.find(std::string("\0\r\n", 3), p) + 3;
    lines.push_back(text.substr(p, end - p));
    p = end;
  }
  std::string shuffled = Line("iUnknown", "1") + Line("szNote", "x\r\niInt=7");
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (it->compare(0, 6, "iShort") != 0) shuffled += *it;
  memset(&gSample, 0, sizeof gSample);
  gSample.iShort = 99;
  CSettingsExchange ex;
  Load(&ex, shuffled);
  Exchange(&ex);
  EXPECT_EQ(42, +gSample.iInt);
  EXPECT_EQ(0.25f, +gSample.fValue);
  EXPECT_STREQ("named", gSample.szName);
  EXPECT_EQ(0x0241, +gSample.hkHotkey[2].hotkey);
  EXPECT_EQ(99, +gSample.iShort);  // missing: the default survives
}

TEST(SettingsExchange, LongStringsAndBinariesPassTheValueBuffer) {
  static char big[5000];
  memset(big, 'q', sizeof big - 1);
  static uint8_t blob[3000];
  for (size_t i = 0; i < sizeof blob; ++i) blob[i] = static_cast<uint8_t>(i * 7);
  CSettingsExchange ex;
  ex.Open(1, "");
  ex.String(big, sizeof big, "big");
  ex.Binary(blob, sizeof blob, "blob");
  std::string text(reinterpret_cast<char*>(ex.text.data), ex.text.count);
  static char bigBack[5000];
  static uint8_t blobBack[3000];
  CSettingsExchange in;
  Load(&in, text, "");
  ASSERT_EQ(0, in.String(bigBack, sizeof bigBack, "big"));
  ASSERT_EQ(0, in.Binary(blobBack, sizeof blobBack, "blob"));
  EXPECT_EQ(0, memcmp(big, bigBack, sizeof big));
  EXPECT_EQ(0, memcmp(blob, blobBack, sizeof blob));
}

}  // namespace
