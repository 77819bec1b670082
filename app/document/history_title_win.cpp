// The main window's title names the current state.
#include <cstdio>

#include "app/document/history.h"
#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"

namespace {
constexpr uint16_t kTextProductName = 2100;
}

void UpdateMainWindowTitle(const char* name) {
  const char* product = gStringTable.GetText(kTextProductName, 0);
  if (!product) product = "";
  char title[2 * kImageNameChars];
  if (name && *name)
    snprintf(title, sizeof(title), "%s - %s", product, name);
  else
    snprintf(title, sizeof(title), "%s", product);
  if (gProgramHooks.pfnSetMainWindowTitle) gProgramHooks.pfnSetMainWindowTitle(title);
}
