// CApp::Init: everything between the program's entry and its message loop.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/app/app_win.h"
#include "framework/app/first_run_win.h"
#include "framework/app/instance_win.h"
#include "framework/app/key_names_win.h"
#include "framework/app/wait_for_data_path_win.h"
#include "framework/draw/dpi_api_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/settings/data_files.h"
#include "framework/settings/data_folder.h"
#include "framework/settings/data_path.h"
#include "framework/app/app_math.h"
#include "framework/text/crc32.h"

CApp gApp;
CStringTable& gStringTable = gApp.m_stringTable;
DailyJobs gDailyJobs = {nullptr, nullptr};

namespace {

const char* TextOrEmpty(uint16_t id, int variant) {
  const char* text = gStringTable.GetText(id, variant);
  return text ? text : "";
}

// Fills a text from a format of the string table.
void FormatText(char* out, size_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(out, size, format, arguments);
  va_end(arguments);
}

void SetProcessDpiAwarenessFromTable() {
  LoadDpiApi();
  // Per-monitor v2 where the system has it; every refusal falls back.
  if (gDpiApi.pfnSetProcessDpiAwarenessContext &&
      gDpiApi.pfnSetProcessDpiAwarenessContext(reinterpret_cast<DPI_AWARENESS_CONTEXT>(-4)))
    return;
  if (gDpiApi.pfnSetProcessDpiAwareness &&
      SUCCEEDED(gDpiApi.pfnSetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE)))
    return;
  SetProcessDPIAware();
}

bool CommonControlsRecentEnough() {
  HMODULE comctl = LoadLibraryA("comctl32.dll");
  if (!comctl) return false;
  typedef HRESULT(CALLBACK * GetVersionFn)(DLLVERSIONINFO*);
  GetVersionFn getVersion = reinterpret_cast<GetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof(info);
  bool recent = false;
  if (getVersion && SUCCEEDED(getVersion(&info)))
    recent = ((info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF)) > ((4u << 16) | 70u);
  return recent;
}

void AllowMessagesThroughFilter(UINT first, UINT second) {
  HMODULE user32 = GetModuleHandleA("user32");
  typedef BOOL(WINAPI * FilterFn)(UINT, DWORD);
  FilterFn filter = user32 ? reinterpret_cast<FilterFn>(reinterpret_cast<void*>(
                                 GetProcAddress(user32, "ChangeWindowMessageFilter")))
                           : nullptr;
  if (!filter) return;
  filter(first, MSGFLT_ADD);
  filter(second, MSGFLT_ADD);
}

}  // namespace

int CApp::ShowInitError(int status) {
  ShowMessageText(nullptr, m_szProductName, kStatusInitError, 0, kBoxError, 0, status);
  return status;
}

void CApp::ReadProgramVersion() {
  GetModuleFileNameA(m_hInstance, m_szModulePath, sizeof(m_szModulePath));
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(m_szModulePath, &handle);
  if (size > 0) {
    void* block = malloc(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (block && GetFileVersionInfoA(m_szModulePath, 0, size, block) &&
        VerQueryValueA(block, "\\", reinterpret_cast<void**>(&info), &length) && info) {
      m_ulVersionMajor = HIWORD(info->dwFileVersionMS);
      m_ulVersionMinor = LOWORD(info->dwFileVersionMS);
      m_ulVersionBuild = HIWORD(info->dwFileVersionLS);
    }
    free(block);
  }
  strcpy(m_szProgramFolder, m_szModulePath);
  char* slash = strrchr(m_szProgramFolder, '\\');
  if (slash) *slash = '\0';
}

// The install record: the value's size is asked first and the whole value
// read, so a longer value than ours is accepted; its first bytes count.
int CApp::ReadInstallRecord() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvalund", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return kStatusNoInstallRecord;
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, m_szProductName, nullptr, &type, nullptr, &size);
  int status = kStatusNoInstallRecord;
  if (result == ERROR_SUCCESS && size >= kInstallRecordBytes) {
    BYTE* value = static_cast<BYTE*>(malloc(size));
    DWORD read = size;
    if (value && RegQueryValueExA(key, m_szProductName, nullptr, &type, value, &read) ==
                     ERROR_SUCCESS && read >= kInstallRecordBytes) {
      memcpy(&m_install, value, kInstallRecordBytes);
      SanitizeInstallRecord(&m_install);
      status = 0;
    }
    free(value);
  }
  RegCloseKey(key);
  return status;
}

// Both folders from the install record or the special folders. A folder
// that cannot be told (no special folder, no user name) or would not fit is
// reported like an unreachable one, never guessed or cut: a wrong guess
// would put the settings at the drive's root or share them between users.
int CApp::ChooseDataFolders() {
  char data[1040] = {};
  char common[1040] = {};
  const char* unknown = nullptr;
  if (m_install.wCustomDataFolder) {
    snprintf(common, sizeof(common), "%s", m_install.szCustomDataFolder);
    snprintf(data, sizeof(data), "%s", m_install.szCustomDataFolder);
    if (m_install.wAppendUserName) {
      char user[257] = {};
      DWORD length = sizeof(user);
      if (!GetUserNameA(user, &length) || !user[0]) {
        snprintf(user, sizeof(user), "%s", "%USERNAME%");
        unknown = data;
      }
      snprintf(data, sizeof(data), "%s\\%s", m_install.szCustomDataFolder, user);
    }
  } else {
    char appData[MAX_PATH] = {};
    char commonAppData[MAX_PATH] = {};
    bool haveData = SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData)) &&
                    appData[0];
    bool haveCommon = SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0,
                                                 commonAppData)) && commonAppData[0];
    snprintf(data, sizeof(data), "%s\\Orvalund\\%s", haveData ? appData : "%APPDATA%",
             m_szProductName);
    snprintf(common, sizeof(common), "%s\\Orvalund\\%s",
             haveCommon ? commonAppData : "%PROGRAMDATA%", m_szProductName);
    unknown = !haveData ? data : !haveCommon ? common : nullptr;
  }
  if (!unknown) unknown = strlen(data) > 259 ? data : strlen(common) > 259 ? common : nullptr;
  if (unknown) {
    ShowMessageText(nullptr, m_szProductName, 61448, 0, kBoxError, 0, unknown);
    return kStatusNoDataFolder;
  }
  strcpy(m_szDataFolder, data);
  strcpy(m_szCommonDataFolder, common);
  SetDataFolder(m_szDataFolder);
  SetCommonDataFolder(m_szCommonDataFolder);
  return 0;
}

int CApp::WaitForDataFolders() {
  char tip[260];
  char menu[260];
  snprintf(tip, sizeof(tip), "%s: %s", m_szProductName, TextOrEmpty(61448, 1));
  FormatText(menu, sizeof(menu), TextOrEmpty(61448, 2), m_szProductName);
  const char* folders[2] = {m_szDataFolder, m_szCommonDataFolder};
  int count = lstrcmpiA(m_szDataFolder, m_szCommonDataFolder) != 0 ? 2 : 1;
  for (int i = 0; i < count; ++i) {
    CWaitForDataPath waiter;
    int result = waiter.Wait(folders[i], m_bWaitForDataPath ? -1 : 1, 1, tip, menu);
    if (result == 1) return kStatusNoDataFolder;
    if (result != 0 || TestFolderWritable(folders[i]) != 0) {
      ShowMessageText(nullptr, m_szProductName, 61448, 0, kBoxError, 0, folders[i]);
      return kStatusNoDataFolder;
    }
  }
  return 0;
}

void CApp::LoadAppState(int layoutVersion) {
  ReadDataFile("(ORV)App", kNoIndex, &m_state, sizeof(m_state), 0);
  if (m_state.iLayoutVersion != layoutVersion) m_bStateVersionChanged = true;
  m_state.iLayoutVersion = layoutVersion;
  SanitizeAppState(&m_state);
  m_stringTable.SetLanguage(m_state.iLanguage);
}

void CApp::ReadOsVersion() {
  typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleA("ntdll");
  RtlGetVersionFn getVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
                                           GetProcAddress(ntdll, "RtlGetVersion")))
                                     : nullptr;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  m_iOsVersion = 0;
  if (getVersion && getVersion(&info) == 0)
    m_iOsVersion = OsVersionCode(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
  typedef BOOL(WINAPI * IsWow64Fn)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32");
  IsWow64Fn isWow64 = kernel ? reinterpret_cast<IsWow64Fn>(reinterpret_cast<void*>(
                                   GetProcAddress(kernel, "IsWow64Process")))
                             : nullptr;
  BOOL wow64 = FALSE;
  m_bWow64 = isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

int CApp::InitProductAndFolders(int showCommand) {
  int status = InitDialogFont();
  if (status != 0)
    return status == kStatusOtherInstance || status == kStatusNoDataFolder ? status
                                                                           : ShowInitError(status);
  if (m_bCommandLineTooLong) {
    m_bNoSave = true;
    return ShowInitError(kStatusCommandLineTooLong);
  }
  m_bMinimize = showCommand != SW_SHOWNORMAL && showCommand != SW_SHOW &&
                showCommand != SW_SHOWDEFAULT;
  ParseCommandLine(m_szCommandLine);
  ReadProgramVersion();
  if (ReadInstallRecord() != 0) return ShowInitError(kStatusNoInstallRecord);
  status = ChooseDataFolders();
  if (status == 0) status = WaitForDataFolders();
  return status;
}

int CApp::Init(HINSTANCE instance, uint16_t productNameTextId, TextRecord* languageZeroTable,
               bool allowSeveralInstances, int layoutVersion, const char* commandLine,
               int showCommand) {
  SetProcessDpiAwarenessFromTable();
  m_dwUiThreadId = GetCurrentThreadId();
  m_hInstance = instance;
  m_wProductNameId = productNameTextId;
  // A command line that does not fit is refused whole: a cut one could end
  // in another path that looks valid.
  if (!commandLine) commandLine = "";
  m_bCommandLineTooLong = strlen(commandLine) >= sizeof(m_szCommandLine);
  if (!m_bCommandLineTooLong) strcpy(m_szCommandLine, commandLine);
  m_stringTable.SetLanguageTable(0, languageZeroTable);
  snprintf(m_szProductName, sizeof(m_szProductName), "%s", TextOrEmpty(productNameTextId, 0));
  m_dwProcessId = GetCurrentProcessId();
  m_uControlMessage = RegisterWindowMessageA("ORVMSG_ORVCONTROL");
  m_ulInstanceKey = Crc32String(m_szProductName, -1);
  m_bOwnsSetup = AcquireSetupMutex(m_ulInstanceKey);
  GetMonitorRects();
  m_uDoubleClickTime = GetDoubleClickTime();
  CompleteKeyNameTable();

  int status = InitProductAndFolders(showCommand);
  if (status != 0) return status;
  if (!m_bQuitRequested && m_bOwnsSetup && !FindOtherInstance(m_szProductName)) {
    CopyFirstRunFiles(m_szProgramFolder, m_szDataFolder);
    ApplyPendingRestore(m_szDataFolder, m_szProductName, m_szNames[0]);
  }
  LoadAppState(layoutVersion);

  status = InitLook();
  if (status == 0 && !CommonControlsRecentEnough()) status = kStatusOldControls;
  if (status != 0) return status == kStatusOtherInstance || status == kStatusNoDataFolder
                              ? status : ShowInitError(status);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFFFFFFFF};
  InitCommonControlsEx(&controls);
  m_uTaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  AllowMessagesThroughFilter(m_uTaskbarCreatedMessage, m_uControlMessage);
  ReadOsVersion();

  status = CheckOtherInstance(allowSeveralInstances);
  if (status != 0) return status;
  status = CreateFrameworkWindows();
  if (status == 0) status = AddFrameworkCommands();
  if (status != 0) return ShowInitError(status);
  RunDailyJobs();
  return 0;
}

int CApp::InitLook() {
  int status = LoadThemeColors();
  if (status != 0) return status;
  char face[32];
  GetStateFontFace(m_state, face);
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return CreateAppFonts(face, m_state.iFontSize, dpi);
}

void CApp::RunDailyJobs() {
  if (gDailyJobs.pfnCheckForUpdateIfDue) gDailyJobs.pfnCheckForUpdateIfDue();
  if (gDailyJobs.pfnArchiveConfigurationIfDue) gDailyJobs.pfnArchiveConfigurationIfDue();
}

int CApp::ParseCommandLine(const char* text) {
  CommandLineFlags flags = {};
  int result = m_commandLine.Parse(text, &flags);
  m_bAutostart = flags.bAutostart;
  if (flags.bMinimize) m_bMinimize = 1;
  m_bTaskScheduler = flags.bTaskScheduler;
  m_bQuitRequested = flags.bQuit;
  m_bWaitForDataPath = flags.bWaitForDataPath;
  return result;
}

void CApp::SetNames(const char* first, const char* second) {
  snprintf(m_szNames[0], sizeof(m_szNames[0]), "%s", first ? first : "");
  snprintf(m_szNames[1], sizeof(m_szNames[1]), "%s", second ? second : "");
}
