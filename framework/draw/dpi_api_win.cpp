#include "framework/draw/dpi_api_win.h"

DpiApi gDpiApi;

namespace {

HMODULE gUser32;
HMODULE gShcore;
HMODULE gDwmapi;

HMODULE KeepLoaded(HMODULE* module, const char* name) {
  if (!*module) *module = LoadLibraryA(name);
  return *module;
}

// GetProcAddress answers a generic function pointer; the table's entries
// have their real signatures.
template <typename F>
void Resolve(HMODULE module, const char* name, F* entry) {
  *entry = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

void LoadDpiApi() {
  HMODULE user32 = KeepLoaded(&gUser32, "User32");
  Resolve(user32, "SetProcessDpiAwarenessContext", &gDpiApi.pfnSetProcessDpiAwarenessContext);
  Resolve(user32, "GetDpiForWindow", &gDpiApi.pfnGetDpiForWindow);
  Resolve(user32, "SetThreadDpiAwarenessContext", &gDpiApi.pfnSetThreadDpiAwarenessContext);
  Resolve(user32, "GetWindowDpiAwarenessContext", &gDpiApi.pfnGetWindowDpiAwarenessContext);
  Resolve(user32, "AdjustWindowRectExForDpi", &gDpiApi.pfnAdjustWindowRectExForDpi);

  HMODULE shcore = KeepLoaded(&gShcore, "SHCore");
  Resolve(shcore, "SetProcessDpiAwareness", &gDpiApi.pfnSetProcessDpiAwareness);
  Resolve(shcore, "GetDpiForMonitor", &gDpiApi.pfnGetDpiForMonitor);

  HMODULE dwmapi = KeepLoaded(&gDwmapi, "Dwmapi");
  Resolve(dwmapi, "DwmGetWindowAttribute", &gDpiApi.pfnDwmGetWindowAttribute);
}
