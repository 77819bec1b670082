// The theme colours from the running system, and a scheme change.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/ux_theme_api_win.h"

namespace {

// The active caption colour as the classic system colours give it: mixed
// with its gradient colour when gradient captions are on.
COLORREF ClassicActiveCaption() {
  COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
  BOOL gradients = FALSE;
  SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &gradients, 0);
  if (!gradients) return active;
  COLORREF gradient = GetSysColor(COLOR_GRADIENTACTIVECAPTION);
  auto mix = [](int a, int b) { return BYTE(a + (b - a) * 0.4); };
  return RGB(mix(GetRValue(active), GetRValue(gradient)), mix(GetGValue(active), GetGValue(gradient)),
             mix(GetBValue(active), GetBValue(gradient)));
}

TEST(ThemeColors, SchemesFollowTheSystemAndTheUsersColours) {
  gApp.m_state.bColorScheme = kSchemeUnset;
  ASSERT_EQ(0, LoadThemeColors());
  LoadUxThemeApi();
  bool styled = gUxThemeApi.pfnIsThemeActive && gUxThemeApi.pfnIsThemeActive();
  // Not chosen yet: the default scheme with a visual style, else none.
  EXPECT_EQ(styled ? kSchemeDefault : kSchemeNone, FontCache().scheme);
  gApp.SetTheme(kSchemeDefault);
  EXPECT_EQ(kSchemeDefault, FontCache().scheme);
  COLORREF derivedFace = GetThemeColor(0);
  gApp.SetTheme(kSchemeNone);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(face, GetThemeColor(0));
  EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), GetThemeColor(1));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetThemeColor(3));
  if (!styled) {
    COLORREF active = ClassicActiveCaption();
    auto mix = [](int a, int b) { return BYTE(a + (b - a) * 0.75); };
    EXPECT_EQ(RGB(mix(GetRValue(active), GetRValue(face)), mix(GetGValue(active), GetGValue(face)),
                  mix(GetBValue(active), GetBValue(face))),
              GetThemeColor(41));
  }
  EXPECT_NE(derivedFace, GetThemeColor(0));
  // The user's own colours: the background and focus roles show up.
  gApp.m_state.aulThemeValues[kCustomBackground] = RGB(30, 120, 60);
  gApp.m_state.aulThemeValues[kCustomFocus] = RGB(200, 40, 10);
  gApp.SetTheme(kSchemeCustom);
  EXPECT_EQ(RGB(30, 120, 60), GetThemeColor(34));
  EXPECT_EQ(RGB(200, 40, 10), GetThemeColor(42));
  EXPECT_EQ(RGB(200, 40, 10), GetThemeColor(46));
  gApp.SetTheme(kSchemeUnset);
}

}  // namespace
