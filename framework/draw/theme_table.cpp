#include "framework/draw/theme_table.h"

#include "framework/draw/color.h"

namespace {

// Lightness and saturation scaled by (1 + l) and (1 + s), hue kept.
COLORREF Adjust(COLORREF color, double l, double s) { return BlendThemeColor(color, 0, l, s); }

void SetRoles(const ThemeBase& base, int scheme, const uint32_t custom[kCustomRoleCount],
              double p, ThemeRoles* roles) {
  if (scheme == kSchemeCustom) {
    roles->background = custom[kCustomBackground];
    roles->focus = custom[kCustomFocus];
    roles->text = custom[kCustomText];
    roles->highlightText = custom[kCustomHighlightText];
    return;
  }
  roles->background = Adjust(base.activeCaption, p + 0.4, -0.25);
  roles->focus = base.highlight;
  roles->text = base.menuText;
  roles->highlightText = base.highlightText;
}

// The colours every scheme shares.
void SetCommonColors(const ThemeBase& base, const ThemeRoles& roles, COLORREF* t) {
  t[4] = roles.text;
  t[5] = roles.highlightText;
  t[6] = base.window;
  t[46] = roles.focus;
  t[47] = base.window;
  t[48] = base.highlightText;
  t[49] = base.menuText;
  t[50] = base.grayText;
  t[57] = base.face;
  const double activeSteps[8] = {-0.2, -0.1, 0, -0.1, -0.3, -0.2, -0.1, -0.2};
  for (int i = 0; i < 8; ++i) {
    t[10 + i] = Adjust(base.activeCaption, activeSteps[i], 0.2);
    t[18 + i] = Adjust(base.inactiveCaption, activeSteps[i], -0.2);
  }
  t[58] = Adjust(roles.focus, 0.7, -0.2);
}

void SetSystemColors(const ThemeBase& base, COLORREF* t) {
  t[0] = base.face;
  t[1] = base.light;
  t[2] = base.highlightEdge;
  t[3] = base.shadow;
  t[26] = base.shadow;
  t[27] = base.highlightEdge;
  t[28] = t[32] = t[39] = base.highlightEdge;
  t[29] = t[31] = t[40] = base.shadow;
  t[30] = t[33] = t[34] = t[35] = t[36] = t[37] = base.face;
  t[38] = SameRgb(base.menu, base.face) ? base.highlightEdge : base.menu;
  t[41] = t[42] = BlendColor(0.75, base.activeCaption, base.face);
  t[43] = t[44] = BlendColor(0.85, base.activeCaption, base.face);
  t[45] = base.activeCaptionSystem;
  t[51] = base.face;
  t[52] = base.highlightEdge;
  t[53] = base.shadow;
}

void SetDerivedColors(const ThemeRoles& roles, double p, COLORREF* t) {
  COLORREF bg = roles.background;
  COLORREF focus = roles.focus;
  t[0] = t[30] = t[35] = Adjust(bg, p + 0.2, -0.3);
  t[1] = t[2] = t[28] = t[32] = t[39] = Adjust(bg, p + 0.33, -0.1);
  t[3] = t[29] = t[31] = t[40] = Adjust(bg, p - 0.25, -0.8);
  t[26] = Adjust(bg, p - 0.6, -0.1);
  t[27] = Adjust(bg, p + 0.35, -0.1);
  t[33] = t[36] = Adjust(bg, p + 0.3, 0);
  t[34] = t[37] = bg;
  t[38] = Adjust(bg, p + 0.4, -0.25);
  t[41] = Adjust(focus, p + 0.3, 0);
  t[42] = focus;
  t[43] = Adjust(focus, p + 0.4, 0);
  t[44] = Adjust(focus, p + 0.2, 0);
  t[45] = Adjust(bg, p - 0.5, -0.5);
  t[51] = Adjust(bg, p + 0.35, -0.4);
  t[52] = Adjust(t[51], p + 0.4, -0.2);
  t[53] = Adjust(t[51], p - 0.2, -0.6);
}

}  // namespace

COLORREF BlendColor(double factor, COLORREF a, COLORREF b) {
  auto channel = [factor](int x, int y) { return BYTE(x + (y - x) * factor); };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

void ComputeThemeTable(const ThemeBase& base, ThemeRoles* roles, int scheme,
                       const uint32_t custom[kCustomRoleCount], COLORREF table[kThemeColorCount]) {
  double p = 0.5137 - ((RgbToHls(base.activeCaption) >> 8) & 0xFF) / 255.0;
  SetRoles(base, scheme, custom, p, roles);
  if (scheme == kSchemeNone) SetSystemColors(base, table);
  else SetDerivedColors(*roles, p, table);
  SetCommonColors(base, *roles, table);
  table[7] = table[8] = table[9] = table[0];
  // The slider's disabled thumb and track follow the face colour of the scheme.
  table[54] = Adjust(table[0], -0.2, -0.3);
  table[55] = Adjust(table[0], -0.05, -0.3);
  table[56] = Adjust(table[0], 0.05, -0.3);
}
