#include "app/script/command_line_win.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/operations/operation_runner.h"
#include "app/profiles/profile_execution.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/script/script_runner_win.h"
#include "app/startup/operation_errors.h"
#include "app/startup/program_hooks.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"

namespace {

constexpr uint16_t kProfileNotLoadedText = 10009;

// Each command line the instance takes is written, as parsed, to the file
// that BW_COMMAND_LOG names, one line each ("[switch]<argument>..."), so
// that a driver can see every command arrive exactly once.
void LogTakenCommandLine() {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("BW_COMMAND_LOG", path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return;
  FILE* log = fopen(path, "ab");
  if (!log) return;
  for (int i = 0; const CommandLineSwitch* record = gApp.GetSwitch(i); ++i) {
    fprintf(log, "[%s]", record->szName);
    for (int32_t j = 0; j < record->aArguments.count; ++j)
      fprintf(log, "<%s>", record->aArguments.GetAt(j));
  }
  fputc('\n', log);
  fclose(log);
}

// The argument of a program switch, or null when the switch is absent. A
// switch without an argument has the empty one.
const char* SwitchArgument(const char* name) {
  const int index = gApp.FindSwitch(name);
  if (index < 0) return nullptr;
  const CommandLineSwitch* record = gApp.GetSwitch(index);
  return record->aArguments.count > 0 ? record->aArguments.GetAt(0) : "";
}

void ShowProfileNotLoaded() {
  HWND owner = gProgramHooks.pfnGetMainWindow
                   ? static_cast<HWND>(gProgramHooks.pfnGetMainWindow())
                   : nullptr;
  gApp.ShowMessageText(owner, gStringTable.GetText(kProductNameText, 0), kProfileNotLoadedText, 0,
                       kBoxError, 0);
}

// The profile that -EXECUTE runs: loaded fresh for each run.
ProfileRecord* CommandLineProfile() {
  static ProfileRecord* record = new ProfileRecord();
  return record;
}

}  // namespace

namespace {

using CommandLineText = std::unique_ptr<char, decltype(&free)>;

CommandLineText TakeCommandLine() {
  CommandLineText text(static_cast<char*>(malloc(kCommandLineChars)), free);
  if (text && !gApp.TakeCommandLine(text.get(), kCommandLineChars)) text.reset();
  return text;
}

}  // namespace

void DiscardCommandLine() { TakeCommandLine(); }

void ProcessCommandLine() {
  CommandLineText commandLine = TakeCommandLine();
  if (!commandLine) return;
  gApp.ParseCommandLine(commandLine.get());
  LogTakenCommandLine();

  if (const char* name = SwitchArgument("-PROFILE")) {
    if (LoadProfileByName(name, &gCurrentProfile) != 0) ShowProfileNotLoaded();
    if (gProgramHooks.pfnUpdateStatusBar) gProgramHooks.pfnUpdateStatusBar(0);
  }
  if (const char* path = SwitchArgument("-SCRIPT")) {
    ReportOperationError(RunScriptFile(path));
    // The program quits under the script: nothing more is started.
    if (gbAbort != 0) return;
  }
  if (const char* name = SwitchArgument("-EXECUTE")) {
    ProfileRecord* profile = CommandLineProfile();
    if (LoadProfileByName(name, profile) != 0) {
      ShowProfileNotLoaded();
      return;
    }
    ReportOperationError(ExecuteProfile(profile));
  }
}
