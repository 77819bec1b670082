// The watchdog must turn a forgotten modal box into a quick failure that
// names the box, instead of a test hanging until CTest's time limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const char kChildVar[] = "BW_WATCHDOG_CHILD";

// Runs this executable again with only the box-opening test selected and
// returns its exit code, its output and how long it took.
DWORD RunChild(std::string* output, DWORD* elapsedMs) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=ModalWatchdog.ChildOpensBox";

  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return 0xFFFFFFFF;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  SetEnvironmentVariableA(kChildVar, "1");
  DWORD start = GetTickCount();
  BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &si, &pi);
  SetEnvironmentVariableA(kChildVar, nullptr);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return 0xFFFFFFFF;
  }
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got > 0) output->append(buf, got);
  WaitForSingleObject(pi.hProcess, 30000);
  *elapsedMs = GetTickCount() - start;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);
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
