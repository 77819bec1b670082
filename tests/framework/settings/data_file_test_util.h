#pragma once
// Helpers of the data-file tests (Windows): fresh folders and whole files.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/test_paths.h"

// Removes a folder and everything below it (linked folders are not entered).
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path);
      else if (!DeleteFileA(path.c_str()))
        RemoveDirectoryA(path.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

// An empty folder below this executable's output folder, created anew.
inline std::string FreshFolder(const std::string& name) {
  std::string folder = TestOutputPath(name);
  RemoveTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// The whole file, or an empty vector when it cannot be read.
inline std::vector<unsigned char> FileBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
  }
  CloseHandle(file);
  return bytes;
}

inline bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts the helper process (settings_test_child.exe beside this executable)
// with `arguments`. Wine now and then refuses a start right after a killed
// process, so a start is tried a few times; false with *error set when none
// worked.
inline bool StartTestChild(const std::string& arguments, PROCESS_INFORMATION* pi,
                           DWORD* error) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string helper = self;
  helper = helper.substr(0, helper.rfind('\\') + 1) + "settings_test_child.exe";
  std::string command = "\"" + helper + "\" " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  *error = 0;
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       pi)) {
      CloseHandle(pi->hThread);
      return true;
    }
    *error = GetLastError();
    Sleep(100);
  }
  return false;
}

// Waits for a helper to end and returns its exit code (259 while running).
inline DWORD FinishTestChild(PROCESS_INFORMATION* pi, DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  WaitForSingleObject(pi->hProcess, timeoutMs);
  GetExitCodeProcess(pi->hProcess, &code);
  CloseHandle(pi->hProcess);
  return code;
}

inline void PutFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}
