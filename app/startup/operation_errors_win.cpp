// The error box of an operation result.
#include <windows.h>

#include "app/startup/operation_errors.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"

namespace {

constexpr unsigned kErrorBoxStyle = 273;  // error icon, OK, bold first line
constexpr uint16_t kMainWindowId = 0;

int ScriptLine() { return gProgramHooks.pfnGetScriptLine ? gProgramHooks.pfnGetScriptLine() : 0; }

HWND MainWindow() {
  if (gProgramHooks.pfnGetMainWindow) return static_cast<HWND>(gProgramHooks.pfnGetMainWindow());
  CAppWindow* window = gApp.FindAppWindowById(kMainWindowId);
  return window ? window->hwnd : nullptr;
}

}  // namespace

const char* GetOperationErrorText(uint32_t value) {
  static char text[kOperationTextChars];
  FormatOperationErrorText(gStringTable, value, ScriptLine(), text);
  return text;
}

int ReportOperationError(OperationError code) {
  if (code == 0 || code == ErrCancelled) return 1;
  char text[kOperationReportChars];
  FormatOperationReport(gStringTable, code, ScriptLine(), text);
  if (gProgramHooks.pfnShowMainWindow) gProgramHooks.pfnShowMainWindow(1);
  // The box shows its owner and brings it to the foreground.
  return gApp.ShowMessage(MainWindow(), gStringTable.GetText(kProductNameText, 0), "%s",
                          kErrorBoxStyle, 0, text);
}
