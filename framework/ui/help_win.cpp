// Opening the compiled help file at a topic.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/text/text_utils.h"

namespace {

constexpr uint16_t kHelpTexts = 61447;  // 0 no viewer, 1 file missing

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int CApp::ShowHelp(const char* helpFile, const char* topic) {
  if (!helpFile || !StrEndsWithI(helpFile, ".chm")) return kHelpNotChm;
  char path[MAX_PATH];
  if (Exists(helpFile)) {
    snprintf(path, sizeof(path), "%s", helpFile);
  } else {
    // Relative to the program folder; a path that would not fit is never cut.
    int length = snprintf(path, sizeof(path), "%s\\%s", m_install.szProgramFolder, helpFile);
    if (length < 0 || length >= MAX_PATH) {
      char full[2 * MAX_PATH + 2];
      snprintf(full, sizeof(full), "%s\\%s", m_install.szProgramFolder, helpFile);
      ShowMessageText(nullptr, m_szProductName, kHelpTexts, 1, kBoxError, 0, full);
      return kHelpMissing;
    }
  }
  if (!Exists(path)) {
    ShowMessageText(nullptr, m_szProductName, kHelpTexts, 1, kBoxError, 0, path);
    return kHelpMissing;
  }
  char shortPath[MAX_PATH];
  DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof(shortPath));
  if (shortLength > 0 && shortLength < sizeof(shortPath)) snprintf(path, sizeof(path), "%s", shortPath);
  char viewer[MAX_PATH] = {};
  INT_PTR found = reinterpret_cast<INT_PTR>(FindExecutableA(path, nullptr, viewer));
  if (found == SE_ERR_NOASSOC || found <= 32 || !viewer[0]) {
    if (found == SE_ERR_FNF || found == SE_ERR_PNF) {
      ShowMessageText(nullptr, m_szProductName, kHelpTexts, 1, kBoxError, 0, path);
      return kHelpMissing;
    }
    ShowMessageText(nullptr, m_szProductName, kHelpTexts, 0, kBoxError, 0, helpFile);
    return kHelpNoViewer;
  }
  char parameter[3 * MAX_PATH];
  if (topic && topic[0]) snprintf(parameter, sizeof(parameter), "\"%s::/%s\"", path, topic);
  else snprintf(parameter, sizeof(parameter), "\"%s\"", path);
  INT_PTR started = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, nullptr, viewer, parameter, nullptr, SW_SHOWNORMAL));
  if (started <= 32) {
    ShowMessageText(nullptr, m_szProductName, kHelpTexts, 0, kBoxError, 0, helpFile);
    return kHelpStartFailed;
  }
  return kHelpShown;
}
