// The theme colours from the system: the visual style's colours when one is
// active, else the classic system colours; then the table of the scheme.
#include <windows.h>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/ux_theme_api_win.h"

namespace {

struct CaptionColors {
  COLORREF active, inactive, highlight, menuText, highlightText;
  COLORREF gradientActive, gradientInactive;
  bool gradients;
};

// The five base colours and the two gradient caption colours from the active
// visual style; false when no style is active.
bool ReadStyleColors(CaptionColors* colors) {
  LoadUxThemeApi();
  const UxThemeApi& ux = gUxThemeApi;
  if (!ux.pfnIsThemeActive || !ux.pfnOpenThemeData || !ux.pfnGetThemeSysColor ||
      !ux.pfnIsThemeActive())
    return false;
  HTHEME theme = ux.pfnOpenThemeData(nullptr, L"WINDOW");
  if (!theme) return false;
  colors->active = ux.pfnGetThemeSysColor(theme, COLOR_ACTIVECAPTION);
  colors->inactive = ux.pfnGetThemeSysColor(theme, COLOR_INACTIVECAPTION);
  colors->highlight = ux.pfnGetThemeSysColor(theme, COLOR_HIGHLIGHT);
  colors->menuText = ux.pfnGetThemeSysColor(theme, COLOR_MENUTEXT);
  colors->highlightText = ux.pfnGetThemeSysColor(theme, COLOR_HIGHLIGHTTEXT);
  colors->gradientActive = ux.pfnGetThemeSysColor(theme, COLOR_GRADIENTACTIVECAPTION);
  colors->gradientInactive = ux.pfnGetThemeSysColor(theme, COLOR_GRADIENTINACTIVECAPTION);
  colors->gradients = true;
  if (ux.pfnCloseThemeData) ux.pfnCloseThemeData(theme);
  return true;
}

void ReadSystemColors(CaptionColors* colors) {
  colors->active = GetSysColor(COLOR_ACTIVECAPTION);
  colors->inactive = GetSysColor(COLOR_INACTIVECAPTION);
  colors->highlight = GetSysColor(COLOR_HIGHLIGHT);
  colors->menuText = GetSysColor(COLOR_MENUTEXT);
  colors->highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  BOOL gradients = FALSE;
  colors->gradients =
      SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &gradients, 0) && gradients;
  colors->gradientActive = GetSysColor(COLOR_GRADIENTACTIVECAPTION);
  colors->gradientInactive = GetSysColor(COLOR_GRADIENTINACTIVECAPTION);
}

}  // namespace

int LoadThemeColors() {
  CFontCache& cache = FontCache();
  CaptionColors colors = {};
  cache.visualStyle = ReadStyleColors(&colors);
  if (!cache.visualStyle) ReadSystemColors(&colors);
  if (colors.gradients) {
    colors.active = BlendColor(0.4, colors.active, colors.gradientActive);
    colors.inactive = BlendColor(0.6, colors.inactive, colors.gradientInactive);
  }
  ThemeBase& base = cache.base;
  base.face = GetSysColor(COLOR_BTNFACE);
  base.light = GetSysColor(COLOR_3DLIGHT);
  base.highlightEdge = GetSysColor(COLOR_BTNHIGHLIGHT);
  base.shadow = GetSysColor(COLOR_BTNSHADOW);
  base.window = GetSysColor(COLOR_WINDOW);
  base.menu = GetSysColor(COLOR_MENU);
  base.grayText = GetSysColor(COLOR_GRAYTEXT);
  base.activeCaptionSystem = GetSysColor(COLOR_ACTIVECAPTION);
  base.activeCaption = colors.active;
  base.inactiveCaption = colors.inactive;
  base.highlight = colors.highlight;
  base.menuText = colors.menuText;
  base.highlightText = colors.highlightText;
  int scheme = gApp.m_state.bColorScheme;
  if (scheme == kSchemeUnset || scheme > kSchemeCustom)
    scheme = cache.visualStyle ? kSchemeDefault : kSchemeNone;
  cache.scheme = scheme;
  ComputeThemeTable(base, &cache.roles, scheme, gApp.m_state.aulThemeValues, cache.colors);
  return 0;
}

COLORREF GetThemeColor(int index) {
  return index >= 0 && index < kThemeColorCount ? FontCache().colors[index] : 0;
}
