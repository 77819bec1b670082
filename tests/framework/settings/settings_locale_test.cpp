// Numbers in settings text do not depend on the process locale: floats are
// formatted and read under a German locale (decimal comma) here, and
// check_float_table.py, a C-locale process, checks every text against
// Python's own formatting and reads the section back.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/settings/section_files.h"
#include "framework/settings/settings_exchange.h"
#include "tests/support/test_paths.h"

namespace {

// Sets a locale whose decimal separator is a comma for the life of the
// object. Natively it comes from the fixture's own compiled locale.
class CGermanLocale {
 public:
  CGermanLocale() {
#ifdef _WIN32
    m_ok = setlocale(LC_ALL, "German") != nullptr;
#else
    setenv("LOCPATH", TestOutputPath("locale").c_str(), 1);
    m_ok = setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
#endif
  }
  ~CGermanLocale() { setlocale(LC_ALL, "C"); }
  bool ok() const { return m_ok; }

 private:
  bool m_ok = false;
};

uint32_t BitsOf(float f) {
  uint32_t bits;
  memcpy(&bits, &f, 4);
  return bits;
}

std::vector<float> TableFloats() {
  std::vector<float> values = {12.5f, 0.1f, 12.0f, -0.0f, 0.0f, 1e-9f, 1e20f, 100000000.0f,
                               16777216.0f, 3.4028235e38f, 1.17549435e-38f, 1e-45f, INFINITY,
                               -INFINITY, 1234567.25f, -2.5f, 0.5f};
  std::mt19937 rng(20240611);
  while (values.size() < 20000) {
    uint32_t bits = rng();
    float f;
    memcpy(&f, &bits, 4);
    if (!std::isnan(f)) values.push_back(f);
  }
  return values;
}

// Texts as a hand-edited or foreign section might hold them.
const char* const kParseTexts[] = {
    " 2.5e1junk", "+1.5", "-.5", "12,5", "1e-50", "1e50", "1e400", "-1e400", "1e-400",
    "123456789012345678901234567890", "inf", "-Infinity", "nan", "abc", "--1", "",
    ".e5", "5.", "1e", "1e+", "\t7.25", "0x10", "3.40282357e38", "1.4e-45", "7e-46"};

TEST(SettingsLocale, FloatsAreWrittenAndReadInTheCForm) {
  CGermanLocale german;
  ASSERT_TRUE(german.ok()) << "the German locale is not there";
  char probe[16];
  snprintf(probe, sizeof probe, "%.1f", 0.5);
  ASSERT_STREQ("0,5", probe) << "the locale did not take effect";

  std::vector<float> values = TableFloats();
  FILE* table = fopen(TestOutputPath("floats.txt").c_str(), "wb");
  ASSERT_NE(nullptr, table);
  CSettingsExchange ex;
  ex.Open(1, "");
  char text[32];
  for (size_t i = 0; i < values.size(); ++i) {
    FormatSettingsFloat(values[i], text, sizeof text);
    fprintf(table, "F %08X %s %08X\n", static_cast<unsigned>(BitsOf(values[i])), text,
            static_cast<unsigned>(BitsOf(ParseSettingsFloat(text))));
    ex.Float(&values[i], "f[xi]", static_cast<int>(i));
  }
  // The parse cases as hex, so that blanks and empty texts survive the table.
  for (const char* t : kParseTexts) {
    fprintf(table, "P ");
    for (const char* p = t; *p; ++p) fprintf(table, "%02X", static_cast<unsigned char>(*p));
    fprintf(table, "%s %08X\n", *t ? "" : "-", static_cast<unsigned>(BitsOf(ParseSettingsFloat(t))));
  }
  fclose(table);
  // The same floats as a saved section, for the reader in the other process.
  uint8_t* archive = nullptr;
  int32_t size = BuildSectionArchive(&ex, &archive);
  ASSERT_GT(size, 0);
  FILE* section = fopen(TestOutputPath("floats_section.kzc").c_str(), "wb");
  ASSERT_NE(nullptr, section);
  fwrite(archive, 1, static_cast<size_t>(size), section);
  fclose(section);
  FreeSectionArchive(archive);

  // Read back through the exchange in this process too, still German.
  CSettingsExchange in;
  ASSERT_TRUE(in.SetText(ex.text.data, ex.text.count));
  for (size_t i = 0; i < values.size(); i += 97) {
    float back = 7.0f;
    ASSERT_EQ(0, in.Float(&back, "f[xi]", static_cast<int>(i)));
    EXPECT_EQ(BitsOf(values[i]), BitsOf(back)) << i;
  }
}

}  // namespace
