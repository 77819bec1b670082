// Until the program's own switches and scripts run here: the command line
// is taken and parsed, and logged for tests.
#include "app/script/command_line_win.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "framework/app/app_win.h"

namespace {

// Each command line the instance takes is written, as parsed, to the file
// that BW_COMMAND_LOG names, one line each ("[switch]<argument>..."), so
// that tests can see every command arrive exactly once.
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

}  // namespace

void ProcessCommandLine() {
  char* commandLine = static_cast<char*>(malloc(kCommandLineChars));
  if (commandLine && gApp.TakeCommandLine(commandLine, kCommandLineChars)) {
    gApp.ParseCommandLine(commandLine);
    LogTakenCommandLine();
  }
  free(commandLine);
}
