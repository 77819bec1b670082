#include "framework/draw/ux_theme_api_win.h"

UxThemeApi gUxThemeApi;

namespace {

HMODULE gUxTheme;

template <typename F>
void Resolve(HMODULE module, const char* name, F* entry) {
  *entry = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

void LoadUxThemeApi() {
  if (!gUxTheme) gUxTheme = LoadLibraryA("UxTheme.dll");
  Resolve(gUxTheme, "IsThemeActive", &gUxThemeApi.pfnIsThemeActive);
  Resolve(gUxTheme, "OpenThemeData", &gUxThemeApi.pfnOpenThemeData);
  Resolve(gUxTheme, "GetThemeSysColor", &gUxThemeApi.pfnGetThemeSysColor);
  Resolve(gUxTheme, "CloseThemeData", &gUxThemeApi.pfnCloseThemeData);
}
