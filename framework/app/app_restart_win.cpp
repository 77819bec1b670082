// The end of the application object's life: saving the state, destroying
// the windows, and the restart; also the Startup shortcut and elevation.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstring>

#include "framework/draw/icon_list_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/app/app_win.h"
#include "framework/app/instance_win.h"
#include "framework/settings/data_files.h"
#include "framework/settings/data_path.h"

CApp::CApp() { SetAppStateDefaults(&m_state); memset(&m_install, 0, sizeof(m_install)); }

CApp::~CApp() { Shutdown(); }

int CApp::SaveState() {
  for (int i = 0; i < m_aBars.count; ++i) static_cast<CDockBar*>(m_aBars.data[i])->SaveState();
  for (int i = 0; i < GetWindowCount(); ++i) GetWindowAt(i)->SavePlacement();
  return WriteDataFile("(ORV)App", kNoIndex, &m_state, sizeof(m_state), 0);
}

void CApp::DestroyAll() {
  if (!m_bNoSave && m_hwndPhantom) SaveState();
  CancelMenus(nullptr);
  if (m_pTrackedMenu) {
    m_pTrackedMenu->Destroy();
    delete m_pTrackedMenu;
    m_pTrackedMenu = nullptr;
  }
  if (m_hwndTooltip) DestroyWindow(m_hwndTooltip);
  if (m_hwndPhantom) DestroyWindow(m_hwndPhantom);
  m_hwndTooltip = m_hwndPhantom = nullptr;
  for (int i = m_aBars.count - 1; i >= 0; --i) {
    CDockBar* bar = static_cast<CDockBar*>(m_aBars.data[i]);
    m_commands.Remove(bar->id);
    bar->Destroy();
    delete bar;
  }
  PtrArrayRemoveAll(&m_aBars);
  for (int i = GetWindowCount() - 1; i >= 0; --i) {
    CAppWindow* window = GetWindowAt(i);
    window->Destroy();
    delete window;
  }
  PtrArrayRemoveAll(&m_aWindows);
  PtrArrayRemoveAll(&m_aMenuBar);
}

// Runs once: from the end of WinMain, or from the destructor when WinMain
// did not get there.
void CApp::Shutdown() {
  if (m_bShutDown) return;
  m_bShutDown = true;
  DestroyAll();
  // The next instance must be free to apply a restore staged for the restart.
  ReleaseSetupMutex();
  if (m_bBroadcastRestart && m_uControlMessage)
    PostMessageA(HWND_BROADCAST, m_uControlMessage, CTRL_RESTART, LPARAM(m_ulInstanceKey));
  if (m_iRestartKind != kRestartNone && m_szModulePath[0]) {
    const char* verb = m_iRestartKind == kRestartElevated && m_iOsVersion > 5 ? "runas" : nullptr;
    ShellExecuteA(nullptr, verb, m_szModulePath, m_szRestartArguments, nullptr, SW_SHOWNORMAL);
  }
  m_iRestartKind = kRestartNone;
  m_commands.Clear();
  m_aAccelerators.RemoveAll();
  m_commandLine.Clear();
  FreeIcons();
}

void CApp::RequestRestart(int kind, const char* arguments, bool broadcast) {
  if (kind < 0) kind = IsElevated() > 0 ? kRestartElevated : kRestartNormal;
  m_iRestartKind = kind;
  if (arguments)
    snprintf(m_szRestartArguments, sizeof(m_szRestartArguments), "%s", arguments);
  else
    FilterRestartArguments(m_szCommandLine, m_szRestartArguments, sizeof(m_szRestartArguments));
  m_bBroadcastRestart = broadcast;
  PostQuitMessage(0);
}

int CApp::IsElevated() const {
  if (m_iOsVersion != 0 && m_iOsVersion < 6) return 1;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return -1;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  BOOL read = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
  CloseHandle(token);
  if (!read) return -1;
  return elevation.TokenIsElevated ? 1 : 0;
}

namespace {

bool SaveShortcut(const char* linkPath, const char* target, const char* arguments,
                  const char* iconPath) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkA* link = nullptr;
  bool saved = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetArguments(arguments)) &&
        SUCCEEDED(link->SetIconLocation(iconPath, 0)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      WCHAR wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH);
      saved = SUCCEEDED(file->Save(wide, TRUE));
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return saved;
}

}  // namespace

int CApp::SetAutostart(bool create, const char* arguments, bool onlyIfMissing,
                       const char* iconPath, const char* linkName) {
  char startup[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, startup)) ||
      !startup[0])
    return kStatusAutostartFailed;
  char linkPath[MAX_PATH * 2];
  snprintf(linkPath, sizeof(linkPath), "%s\\%s.lnk", startup,
           linkName && linkName[0] ? linkName : m_szProductName);
  if (!create) {
    DeleteFileA(linkPath);
    return 0;
  }
  if (onlyIfMissing && GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES) return 0;
  char target[MAX_PATH * 2];
  snprintf(target, sizeof(target), "%s\\%s.exe", m_install.szProgramFolder, m_szProductName);
  char shortcutArguments[1040];
  snprintf(shortcutArguments, sizeof(shortcutArguments), "%s %s %s", "-WAITFORDATAPATH",
           "-AUTOSTART", arguments ? arguments : "");
  if (strlen(linkPath) >= MAX_PATH || strlen(target) >= MAX_PATH) return kStatusAutostartFailed;
  return SaveShortcut(linkPath, target, shortcutArguments, iconPath ? iconPath : target)
             ? 0 : kStatusAutostartFailed;
}
