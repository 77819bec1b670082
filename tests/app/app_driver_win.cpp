#include "tests/app/app_driver_win.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tests/support/test_paths.h"

std::string ProgramFolder() { return TestOutputPath("prog"); }

std::string InstallProgram() {
  std::string folder = ProgramFolder();
  std::string exe = folder + "\\Brightwarden.exe";
  MakeFolders(folder + "\\Init\\sub");
  const char* source = getenv("BW_APP_EXE");
  EXPECT_NE(nullptr, source);
  if (source) CopyFileA(HostPathToLocal(source).c_str(), exe.c_str(), FALSE);
  std::string readOnly = folder + "\\Init\\a.kzc";
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteFileText(readOnly, "first-run a");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFileText(folder + "\\Init\\sub\\b.kzc", "first-run b");
  return exe;
}

void WriteInstallRecord(size_t size, const std::string& customFolder, bool appendUser) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvalund", 0, nullptr,
                                           0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  if (size == 0) {
    RegDeleteValueA(key, "Brightwarden");
  } else {
    std::vector<BYTE> record(size, 0);
    std::string program = ProgramFolder();
    if (size >= 280) memcpy(&record[20], program.c_str(), std::min<size_t>(program.size(), 259));
    if (!customFolder.empty() && size >= 540) {
      record[16] = 1;
      record[18] = appendUser ? 1 : 0;
      memcpy(&record[280], customFolder.c_str(), std::min<size_t>(customFolder.size(), 259));
    }
    RegSetValueExA(key, "Brightwarden", 0, REG_BINARY, record.data(), DWORD(size));
  }
  RegCloseKey(key);
}

AppProcess StartApp(const std::string& arguments) {
  AppProcess app;
  std::string exe = ProgramFolder() + "\\Brightwarden.exe";
  std::string line = "\"" + exe + "\" " + arguments;
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      ProgramFolder().c_str(), &startup, &info)) {
    ADD_FAILURE() << "could not start " << exe << ": " << GetLastError();
    return app;
  }
  CloseHandle(info.hThread);
  app.hProcess = info.hProcess;
  app.dwProcessId = info.dwProcessId;
  return app;
}

int WaitExit(AppProcess* app, DWORD milliseconds, bool boxesAllowed) {
  if (!app->hProcess) return -1;
  DWORD start = GetTickCount();
  for (;;) {
    if (WaitForSingleObject(app->hProcess, 20) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(app->hProcess, &code);
      CloseHandle(app->hProcess);
      app->hProcess = nullptr;
      return int(code);
    }
    if (!boxesAllowed) {
      HWND box = FindBox(app->dwProcessId);
      if (box) {
        ADD_FAILURE() << "unexpected box: " << BoxText(box);
        KillApp(app);
        return -2;
      }
    }
    if (GetTickCount() - start >= milliseconds) return -1;
  }
}

void KillApp(AppProcess* app) {
  if (!app->hProcess) return;
  TerminateProcess(app->hProcess, 99);
  WaitForSingleObject(app->hProcess, 5000);
  CloseHandle(app->hProcess);
  app->hProcess = nullptr;
}

bool SuspendApp(const AppProcess& app, bool suspend) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  bool all = true;
  int threads = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != app.dwProcessId) continue;
    // A short-lived thread of the program (a start-up list, a check) may
    // end between the snapshot and here: it has nothing left to suspend.
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_QUERY_INFORMATION, FALSE,
                               entry.th32ThreadID);
    if (!thread) continue;
    DWORD count = suspend ? SuspendThread(thread) : ResumeThread(thread);
    DWORD exitCode = 0;
    const bool ended = GetExitCodeThread(thread, &exitCode) && exitCode != STILL_ACTIVE;
    CloseHandle(thread);
    if (ended) continue;
    all = all && count != DWORD(-1);
    ++threads;
  }
  CloseHandle(snapshot);
  return all && threads > 0;
}

namespace {

struct WindowSearch {
  const char* className;
  DWORD processId;
  const char* title;
  HWND found;
};

BOOL CALLBACK SearchProc(HWND window, LPARAM lParam) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (search->processId && processId != search->processId) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof(className));
  if (lstrcmpiA(className, search->className) != 0) return TRUE;
  if (search->title) {
    char title[260] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (strcmp(title, search->title) != 0) return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindAppWindow(const char* className, DWORD processId, const char* title) {
  WindowSearch search = {className, processId, title, nullptr};
  EnumWindows(SearchProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForAppWindow(const char* className, DWORD processId, DWORD milliseconds,
                      const char* title) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindAppWindow(className, processId, title);
    if (window || GetTickCount() - start >= milliseconds) return window;
    Sleep(10);
  }
}

HWND FindBox(DWORD processId) {
  HWND box = FindAppWindow("#32770", processId);
  return box && IsWindowVisible(box) ? box : nullptr;
}

std::string BoxText(HWND box) {
  char heading[1024] = {};
  char text[4096] = {};
  GetDlgItemTextA(box, 50108, heading, sizeof(heading));
  GetDlgItemTextA(box, 50109, text, sizeof(text));
  std::string all = heading;
  if (text[0]) all += std::string("\n") + text;
  return all;
}

void PressOk(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileText(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return "<missing>";
  std::string text;
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, count);
  fclose(file);
  return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, file) << path;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

void MakeFolders(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

namespace {

void ListInto(const std::string& folder, const std::string& prefix,
              std::vector<std::string>* names) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListInto(folder + "\\" + name, prefix + name + "\\", names);
    else
      names->push_back(prefix + name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

}  // namespace

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
  DeleteFileA(path.c_str());
}

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  ListInto(folder, "", &names);
  std::sort(names.begin(), names.end());
  return names;
}

bool RunUnix(const std::string& arguments) {
  static int serial = 0;
  const std::string done = TestOutputPath("unix" + std::to_string(++serial) + ".done");
  DeleteFileA(done.c_str());
  std::string command = "cmd /c start /unix " +
                        LocalPathToHost(TestSourcePath("app/mainwindow/run_unix.sh")) + " " +
                        LocalPathToHost(done) + " " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 1500; ++i) {
    if (FileExists(done)) return ReadFileText(done).rfind("0", 0) == 0;
    Sleep(20);
  }
  return false;
}
