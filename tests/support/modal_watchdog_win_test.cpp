// The watchdog must turn a forgotten modal box into a quick failure that
// names the box, instead of a test hanging until CTest's time limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const char kChildVar[] = "BW_WATCHDOG_CHILD";

// Runs this executable again with only the box-opening test selected and
// returns its exit code, its output and how long it took. The output goes
// through a file, not a pipe: a helper process that Wine starts for the child
// could inherit a pipe's write end and keep a reader waiting for good.
DWORD RunChild(std::string* output, DWORD* elapsedMs) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=ModalWatchdog.ChildOpensBox";
  char folder[MAX_PATH] = {}, path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  if (!GetTempFileNameA(folder, "wdg", 0, path)) return 0xFFFFFFFF;

  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE log = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 0xFFFFFFFF;
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = log;
  si.hStdError = log;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  SetEnvironmentVariableA(kChildVar, "1");
  DWORD start = GetTickCount();
  BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &si, &pi);
  SetEnvironmentVariableA(kChildVar, nullptr);
  CloseHandle(log);
  DWORD code = 0xFFFFFFFF;
  if (started) {
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    *elapsedMs = GetTickCount() - start;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  HANDLE in = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in != INVALID_HANDLE_VALUE) {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(in, buf, sizeof(buf), &got, nullptr) && got > 0) output->append(buf, got);
    CloseHandle(in);
  }
  DeleteFileA(path);
  return code;
}

}  // namespace

TEST(ModalWatchdog, ChildOpensBox) {
  if (!GetEnvironmentVariableA(kChildVar, nullptr, 0)) GTEST_SKIP() << "runs only as a child";
  MessageBoxA(nullptr, "Nobody will press OK here", "Forgotten box", MB_OK);
  ADD_FAILURE() << "the box was closed instead of failing the run";
}

TEST(ModalWatchdog, ForgottenBoxFailsFastWithItsText) {
  std::string output;
  DWORD elapsed = 0;
  DWORD code = RunChild(&output, &elapsed);
  EXPECT_EQ(70u, code) << output;
  EXPECT_NE(std::string::npos, output.find("Forgotten box")) << output;
  EXPECT_NE(std::string::npos, output.find("Nobody will press OK here")) << output;
  EXPECT_LT(elapsed, 15000u);
}
