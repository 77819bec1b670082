#include "framework/app/shell_start_win.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_paths.h"

namespace {

// A copy of this executable started with this flag runs only
// ShellStartChild and writes where it came from into the named file.
const char kReportFlag[] = "--bw-parent-report=";

std::string FlagValue(const char* flag) {
  for (int i = 1; i < __argc; ++i) {
    if (std::strncmp(__argv[i], flag, std::strlen(flag)) == 0) return __argv[i] + std::strlen(flag);
  }
  return "";
}

std::string OwnPath() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof(exe));
  return exe;
}

std::string ChildArguments(const std::string& report, const char* test) {
  return std::string("--gtest_also_run_disabled_tests --gtest_filter=") + test + " \"" +
         kReportFlag + report + "\"";
}

struct ParentInfo {
  DWORD pid = 0;
  DWORD parentPid = 0;
  std::string parentName;
};

// Waits for the child's report: its own id, its parent's id and file name.
bool WaitForReport(const std::string& path, ParentInfo* info) {
  for (int i = 0; i < 600; ++i) {
    std::ifstream in(path);
    std::string done;
    if (in >> info->pid >> info->parentPid >> info->parentName >> done && done == "done") {
      return true;
    }
    Sleep(50);
  }
  return false;
}

TEST(ShellStartChild, DISABLED_ReportParent) {
  std::string path = FlagValue(kReportFlag);
  ASSERT_FALSE(path.empty());
  DWORD self = GetCurrentProcessId();
  DWORD parent = 0;
  std::string parentName = "?";
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  }
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (parent && entry.th32ProcessID == parent) parentName = entry.szExeFile;
  }
  CloseHandle(snapshot);
  std::ofstream(path + ".tmp") << self << "\n" << parent << "\n" << parentName << "\ndone\n";
  MoveFileExA((path + ".tmp").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

TEST(ShellStart, TheDesktopShellStartsTheProgram) {
  std::string report = TestOutputPath("parent_via_shell.txt");
  DeleteFileA(report.c_str());
  HRESULT hr = ShellExecuteUnelevated(OwnPath().c_str(), 
      ChildArguments(report, "ShellStartChild.DISABLED_ReportParent").c_str(), nullptr, "open",
      SW_HIDE);
  ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  ParentInfo info;
  ASSERT_TRUE(WaitForReport(report, &info)) << "the started program never reported";
  EXPECT_NE(GetCurrentProcessId(), info.pid);
  EXPECT_NE(GetCurrentProcessId(), info.parentPid);
  EXPECT_EQ(0, _stricmp("explorer.exe", info.parentName.c_str())) << info.parentName;
}

TEST(ShellStart, AFileTheShellCannotStartIsAFailure) {
  const char* missing = "Z:\\nonexistent-folder\\no-such-program.exe";
  HRESULT hr = ShellExecuteUnelevated(missing, nullptr, nullptr, nullptr, SW_HIDE);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  // Nor can a direct start, so the fallback fails too.
  EXPECT_FALSE(ShellStartAsDesktopUser(missing, nullptr, nullptr, nullptr, SW_HIDE));
}

TEST(ShellStart, LeavesTheCallersComApartmentAlone) {
  // A thread that runs COM multithreaded: the function's own CoInitialize is
  // refused there, and it must not undo the caller's initialisation.
  HRESULT later = E_FAIL;
  std::thread worker([&later] {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
    ShellExecuteUnelevated("Z:\\nonexistent-folder\\no-such-program.exe", nullptr, nullptr,
                           nullptr, SW_HIDE);
    later = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_FALSE: still initialised
    if (SUCCEEDED(later)) CoUninitialize();
    CoUninitialize();
  });
  worker.join();
  EXPECT_EQ(S_FALSE, later);
}

bool IsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
                  elevation.TokenIsElevated;
  CloseHandle(token);
  return elevated;
}

// A program name relative to this process's current folder means nothing to
// the desktop shell's process, but a direct start finds it: the chain fails
// and only the fallback can start it.
const char kProbeName[] = "bw_fallback_probe.exe";

// The probe may still run from an earlier test; then it is there already.
bool ProbeInOutputFolder() {
  std::string probe = TestOutputPath(kProbeName);
  CopyFileA(OwnPath().c_str(), probe.c_str(), TRUE);
  return GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs in a copy of this program started with the user's limited token.
TEST(ShellStartChild, DISABLED_StartThroughFallback) {
  std::string report = FlagValue(kReportFlag);
  ASSERT_FALSE(report.empty());
  ASSERT_FALSE(IsElevated());
  ASSERT_TRUE(FAILED(ShellExecuteUnelevated(kProbeName, "--gtest_list_tests", nullptr, "open",
                                            SW_HIDE)))
      << "the shell found the program after all";
  ASSERT_TRUE(ShellStartAsDesktopUser(
      kProbeName, ChildArguments(report, "ShellStartChild.DISABLED_ReportParent").c_str(), nullptr,
      "open", SW_HIDE));
}

// Starts a copy of this program with the limited token linked to this
// process's elevated one; answers its process id and exit code.
bool RunLimitedChild(const std::string& arguments, const std::string& folder, DWORD* pid,
                     DWORD* exitCode) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  bool ok = GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size);
  CloseHandle(token);
  if (!ok) return false;
  HANDLE primary = nullptr;
  ok = DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                        TokenPrimary, &primary);
  CloseHandle(linked.LinkedToken);
  if (!ok) return false;
  std::string command = "\"" + OwnPath() + "\" " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  ok = CreateProcessAsUserA(primary, nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &si, &pi);
  CloseHandle(primary);
  if (!ok) return false;
  *pid = pi.dwProcessId;
  ok = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0 &&
       GetExitCodeProcess(pi.hProcess, exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ok;
}

TEST(ShellStart, ANonElevatedProcessFallsBackToADirectStart) {
  if (!IsElevated()) GTEST_SKIP() << "needs an elevated token to derive a limited one from";
  ASSERT_TRUE(ProbeInOutputFolder());
  std::string report = TestOutputPath("parent_via_fallback.txt");
  DeleteFileA(report.c_str());

  DWORD childPid = 0, exitCode = 1;
  ASSERT_TRUE(RunLimitedChild(ChildArguments(report, "ShellStartChild.DISABLED_StartThroughFallback"),
                              TestOutputDir(), &childPid, &exitCode));
  ASSERT_EQ(0u, exitCode) << "the limited child's checks failed";
  ParentInfo info;
  ASSERT_TRUE(WaitForReport(report, &info)) << "the started program never reported";
  // Started directly by the limited child, not by the shell.
  EXPECT_EQ(childPid, info.parentPid) << info.parentName;
}

// Restores the current folder when the test ends.
class CCurrentFolder {
 public:
  explicit CCurrentFolder(const std::string& folder) {
    GetCurrentDirectoryA(sizeof(mOld), mOld);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CCurrentFolder() { SetCurrentDirectoryA(mOld); }
  CCurrentFolder(const CCurrentFolder&) = delete;
  CCurrentFolder& operator=(const CCurrentFolder&) = delete;

 private:
  char mOld[MAX_PATH] = {};
};

TEST(ShellStart, AnElevatedProcessNeverStartsDirectly) {
  if (!IsElevated()) GTEST_SKIP() << "this process is not elevated";
  ASSERT_TRUE(ProbeInOutputFolder());
  CCurrentFolder here(TestOutputDir());
  std::string report = TestOutputPath("parent_elevated.txt");
  DeleteFileA(report.c_str());
  EXPECT_FALSE(ShellStartAsDesktopUser(
      kProbeName, ChildArguments(report, "ShellStartChild.DISABLED_ReportParent").c_str(), nullptr,
      "open", SW_HIDE));
  Sleep(2000);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(report.c_str()))
      << "something started the program elevated";
}

}  // namespace
