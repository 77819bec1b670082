#pragma once
// The visual-style functions of UxTheme.dll, looked up once into one table:
// systems (and Wine set-ups) without the library leave the entries null.
#include <windows.h>
#include <uxtheme.h>

struct UxThemeApi {
  BOOL(WINAPI* pfnIsThemeActive)();
  HTHEME(WINAPI* pfnOpenThemeData)(HWND window, LPCWSTR classList);
  COLORREF(WINAPI* pfnGetThemeSysColor)(HTHEME theme, int colorId);
  HRESULT(WINAPI* pfnCloseThemeData)(HTHEME theme);
};

extern UxThemeApi gUxThemeApi;

// Fills gUxThemeApi; the library stays loaded for the life of the process.
void LoadUxThemeApi();
