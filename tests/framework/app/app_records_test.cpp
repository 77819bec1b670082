#include <gtest/gtest.h>

#include <cstring>

#include "framework/app/app_math.h"
#include "framework/app/app_state.h"
#include "framework/app/restore_names.h"

namespace {

TEST(AppStateRecord, DefaultsAndSanitising) {
  AppStateRecord state;
  memset(&state, 0xAB, sizeof(state));
  SetAppStateDefaults(&state);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&state);
  EXPECT_EQ(255, bytes[8]);
  EXPECT_EQ(0x18, bytes[9]);
  EXPECT_EQ(0x6E, bytes[10]);
  EXPECT_EQ(0xEE, bytes[11]);
  EXPECT_EQ(0xFF, bytes[17]);
  EXPECT_EQ(0xAD, bytes[18]);
  EXPECT_EQ(0x55, bytes[19]);
  EXPECT_EQ(0, int(state.iFontSize));

  for (int language : {-1, 2, 5, INT32_MIN}) {
    state.iLanguage = language;
    SanitizeAppState(&state);
    EXPECT_EQ(0, int(state.iLanguage)) << language;
  }
  state.iLanguage = 1;
  SanitizeAppState(&state);
  EXPECT_EQ(1, int(state.iLanguage));

  memset(state.szFontFace, 'F', sizeof(state.szFontFace));
  SanitizeAppState(&state);
  EXPECT_EQ(259u, strlen(state.szFontFace));
  char face[32];
  GetStateFontFace(state, face);
  EXPECT_EQ(31u, strlen(face));
  strcpy(state.szFontFace, "Arial");
  GetStateFontFace(state, face);
  EXPECT_STREQ("Arial", face);
}

TEST(InstallRecord, EveryTextFieldIsTerminated) {
  InstallRecord record;
  memset(&record, 'x', sizeof(record));
  SanitizeInstallRecord(&record);
  EXPECT_EQ(259u, strlen(record.szProgramFolder));
  EXPECT_EQ(259u, strlen(record.szCustomDataFolder));
  EXPECT_EQ(259u, strlen(record.szUpdateUrl));
  EXPECT_EQ(259u, strlen(record.szDownloadUrl));
}

TEST(OsVersionCode, MapsTheKnownVersions) {
  EXPECT_EQ(6, OsVersionCode(6, 0, 6000));
  EXPECT_EQ(7, OsVersionCode(6, 1, 7601));
  EXPECT_EQ(8, OsVersionCode(6, 2, 9200));
  EXPECT_EQ(8, OsVersionCode(6, 3, 9600));
  EXPECT_EQ(0, OsVersionCode(6, 4, 9800));
  EXPECT_EQ(10, OsVersionCode(10, 0, 19045));
  EXPECT_EQ(11, OsVersionCode(10, 0, 22000));
  EXPECT_EQ(0, OsVersionCode(5, 1, 2600));
  EXPECT_EQ(0, OsVersionCode(11, 0, 0));
}

RECT Rect(LONG l, LONG t, LONG r, LONG b) {
  RECT rect;
  rect.left = l;
  rect.top = t;
  rect.right = r;
  rect.bottom = b;
  return rect;
}

TEST(Rescale, KeepsThePlaceRelativeToTheMonitorOrigin) {
  // A secondary monitor at 1280,256 that grows from 1280x1024 to 1920x1536.
  RECT scaled;
  ASSERT_TRUE(RescaleWindowRect(Rect(1380, 356, 1780, 656), Rect(1280, 256, 2560, 1280),
                                Rect(1280, 256, 3200, 1792), &scaled));
  EXPECT_EQ(1430, scaled.left);
  EXPECT_EQ(406, scaled.top);
  EXPECT_EQ(2030, scaled.right);
  EXPECT_EQ(856, scaled.bottom);
  // Half away from zero, also left of the origin.
  ASSERT_TRUE(RescaleWindowRect(Rect(-3, -1, 1, 1), Rect(0, 0, 2, 2), Rect(0, 0, 3, 3), &scaled));
  EXPECT_EQ(-5, scaled.left);  // -4.5
  EXPECT_EQ(-2, scaled.top);   // -1.5
  EXPECT_EQ(2, scaled.right);  // 1.5
  EXPECT_FALSE(RescaleWindowRect(Rect(0, 0, 1, 1), Rect(5, 5, 5, 9), Rect(0, 0, 3, 3), &scaled));
  EXPECT_FALSE(RescaleWindowRect(Rect(0, 0, 1, 1), Rect(5, 5, 9, 5), Rect(0, 0, 3, 3), &scaled));
}

TEST(Rescale, LayoutComparisonAndMonitorChoice) {
  MonitorLayout before;
  MonitorLayout after;
  ResetMonitorLayout(&before, 0, 0, 2560, 1280);
  AddMonitorToLayout(&before, Rect(0, 0, 1280, 1024), "DISPLAY1", 96);
  AddMonitorToLayout(&before, Rect(1280, 256, 2560, 1280), "DISPLAY2", 96);
  after = before;
  EXPECT_EQ(kLayoutUnchanged, CompareMonitorLayouts(before, after));
  after.uDpi[1] = 144;
  EXPECT_EQ(kLayoutDpiChanged, CompareMonitorLayouts(before, after));
  ResetMonitorLayout(&after, 0, 0, 3200, 1536);
  AddMonitorToLayout(&after, Rect(0, 0, 1280, 1024), "DISPLAY1", 96);
  AddMonitorToLayout(&after, Rect(1280, 0, 3200, 1536), "DISPLAY2", 96);
  EXPECT_EQ(kLayoutRescaled, CompareMonitorLayouts(before, after));
  RECT scaled;
  ASSERT_TRUE(RescaleWindowForLayout(before, after, Rect(1380, 356, 1780, 656), &scaled));
  EXPECT_EQ(1430, scaled.left);
  EXPECT_EQ(150, scaled.top);  // 0 + (356 - 256) * 1.5
  ASSERT_TRUE(RescaleWindowForLayout(before, after, Rect(100, 100, 300, 200), &scaled));
  EXPECT_EQ(100, scaled.left);
  EXPECT_EQ(300, scaled.right);
}

TEST(RestoreNames, RefusesNamesThatLeaveTheFolder) {
  EXPECT_TRUE(IsSafeRestoreName("Options.kzc"));
  EXPECT_TRUE(IsSafeRestoreName("sub/x.kzc"));
  EXPECT_TRUE(IsSafeRestoreName("a..b/c...kzc"));
  EXPECT_FALSE(IsSafeRestoreName(""));
  EXPECT_FALSE(IsSafeRestoreName(nullptr));
  EXPECT_FALSE(IsSafeRestoreName("../evil.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("sub\\..\\..\\evil.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("sub/.."));
  EXPECT_FALSE(IsSafeRestoreName("./x.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("/abs.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("\\abs.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("C:evil.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("sub//x.kzc"));
  EXPECT_FALSE(IsSafeRestoreName("sub/"));
}

TEST(RestoreNames, SeparatorsAndContainment) {
  char local[16];
  EXPECT_TRUE(ToLocalSeparators("a/b/c.kzc", local, sizeof(local)));
  EXPECT_STREQ("a\\b\\c.kzc", local);
  EXPECT_FALSE(ToLocalSeparators("0123456789abcdef", local, sizeof(local)));
  EXPECT_TRUE(IsPathInsideFolder("C:\\Data\\x.kzc", "c:\\data"));
  EXPECT_TRUE(IsPathInsideFolder("C:\\Data\\s\\x.kzc", "C:\\Data\\"));
  EXPECT_FALSE(IsPathInsideFolder("C:\\DataX\\x.kzc", "C:\\Data"));
  EXPECT_FALSE(IsPathInsideFolder("C:\\Data", "C:\\Data"));
  EXPECT_FALSE(IsPathInsideFolder("C:\\Other\\x.kzc", "C:\\Data"));
}

}  // namespace
