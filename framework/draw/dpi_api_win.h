#pragma once
// System functions that newer Windows versions have and older ones lack.
// They are looked up once, at start-up, into this one table; a null entry
// means the system does not offer the function and callers take their
// fallback.
#include <windows.h>
#include <shellscalingapi.h>

struct DpiApi {
  // user32
  BOOL(WINAPI* pfnSetProcessDpiAwarenessContext)(DPI_AWARENESS_CONTEXT context);
  UINT(WINAPI* pfnGetDpiForWindow)(HWND window);
  DPI_AWARENESS_CONTEXT(WINAPI* pfnSetThreadDpiAwarenessContext)(DPI_AWARENESS_CONTEXT context);
  DPI_AWARENESS_CONTEXT(WINAPI* pfnGetWindowDpiAwarenessContext)(HWND window);
  BOOL(WINAPI* pfnAdjustWindowRectExForDpi)(RECT* rect, DWORD style, BOOL hasMenu,
                                            DWORD exStyle, UINT dpi);
  // shcore
  HRESULT(WINAPI* pfnSetProcessDpiAwareness)(PROCESS_DPI_AWARENESS awareness);
  HRESULT(WINAPI* pfnGetDpiForMonitor)(HMONITOR monitor, MONITOR_DPI_TYPE type, UINT* dpiX,
                                       UINT* dpiY);
  // dwmapi
  HRESULT(WINAPI* pfnDwmGetWindowAttribute)(HWND window, DWORD attribute, void* value,
                                            DWORD size);
};

extern DpiApi gDpiApi;

// Fills gDpiApi. The libraries stay loaded for the life of the process;
// calling it again refreshes the table without loading them twice.
void LoadDpiApi();
