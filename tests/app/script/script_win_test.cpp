// Script files run for real: a recorder window of this process takes the
// keys and clicks a script sends, the stored profiles of a data folder of
// the test's own are checked, and the progress dialog is cancelled with a
// real click.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/operations/operation_runner.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/script/script_runner_win.h"
#include "app/startup/operation_errors.h"
#include "app/startup/program_texts.h"
#include "framework/app/app_win.h"
#include "framework/settings/data_folder.h"
#include "tests/framework/settings/data_file_test_util.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/test_paths.h"

namespace {

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct Recorded {
  std::string what;  // "d17" key down, "u17" key up, "L" "l" left down/up, "M" "m", "R" "r"
  double ms;
  SYSTEMTIME local;
  POINT at;
};
std::vector<Recorded> gRecorded;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::string what;
  switch (message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: what = "d" + std::to_string(wParam); break;
    case WM_KEYUP: case WM_SYSKEYUP: what = "u" + std::to_string(wParam); break;
    case WM_LBUTTONDOWN: what = "L"; break;
    case WM_LBUTTONUP: what = "l"; break;
    case WM_MBUTTONDOWN: what = "M"; break;
    case WM_MBUTTONUP: what = "m"; break;
    case WM_RBUTTONDOWN: what = "R"; break;
    case WM_RBUTTONUP: what = "r"; break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;  // Alt and F10 open no menu
      break;
  }
  if (!what.empty()) {
    Recorded r = {what, NowMs(), {}, {short(LOWORD(lParam)), short(HIWORD(lParam))}};
    GetLocalTime(&r.local);
    gRecorded.push_back(r);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string Joined(const std::vector<Recorded>& events) {
  std::string text;
  for (const Recorded& r : events) text += (text.empty() ? "" : " ") + r.what;
  return text;
}

class Scripts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gStringTable.SetLanguageTable(0, gProgramTexts);
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "ScriptRecorder";
    RegisterClassA(&windowClass);
  }

  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = FreshFolder("data_" + name);
    ASSERT_TRUE(SetDataFolder(folder_.c_str()));
    ResetProgramRecords(kDefaultScreenDpi);
    recorder_ = CreateWindowExA(WS_EX_TOPMOST, "ScriptRecorder", "Recorder", WS_POPUP | WS_VISIBLE,
                                200, 150, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    ASSERT_NE(nullptr, recorder_);
    SetForegroundWindow(recorder_);
    SetFocus(recorder_);
    Pump(100);
    gRecorded.clear();
    gbAbort = 0;
  }

  void TearDown() override {
    DestroyWindow(recorder_);
    gbAbort = 0;
  }

  static void Pump(int ms) {
    const double end = NowMs() + ms;
    MSG message;
    while (NowMs() < end) {
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {  // left for the test to see
          PostQuitMessage(int(message.wParam));
          return;
        }
        DispatchMessageA(&message);
      }
      Sleep(5);
    }
  }

  // Writes the script and runs it; what the recorder saw is in gRecorded.
  OperationError Run(const std::string& text) {
    const std::string path = TestOutputPath("script.bws");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    gRecorded.clear();
    const OperationError result = RunScriptFile(path.c_str());
    Pump(50);  // input still on its way
    return result;
  }

  static std::string Report(OperationError code) {
    char text[kOperationReportChars];
    FormatOperationReport(gStringTable, code, GetScriptLine(), text);
    return text;
  }

  POINT Centre() const {
    RECT r;
    GetWindowRect(recorder_, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  std::string folder_;
  HWND recorder_ = nullptr;
};

// What a script sends, and the failures found before anything is sent.
TEST_F(Scripts, InputReachesTheWindowAndBadScriptsSendNothing) {
  const POINT c = Centre();
  const std::string move = "MOVE " + std::to_string(c.x) + "," + std::to_string(c.y) + "\n";
  struct Case {
    std::string text;
    OperationError result;
    std::string report;  // of a failure
    std::string recorded;
  };
  const Case cases[] = {
      {"KEY CTRL+ALT+DELETE", 0, "", "d17 d18 d46 u46 u18 u17"},
      {"KEY F10\n", 0, "", "d121 u121"},
      {"key shift numpad7", 0, "", "d16 d103 u103 u16"},
      {move + "BUTTONDOWN 0\nBUTTONUP 0\nBUTTONDOWN 2\nBUTTONUP 2", 0, "", "L l R r"},
      {"LOOP 3\nKEY A\nLOOPEND\nEXIT\nKEY B", 0, "", "d65 u65 d65 u65 d65 u65"},
      {"KEY A\nKEY A+B", 0xD0022,
       "Error during the execution of the Script file!\nParameter error in line 2.", ""},
      {"KEY A\n\nJUMP", 0xD0023,
       "Error during the execution of the Script file!\nUnknown command in line 3.", ""},
      {"LOOP 3\nKEY A\n", 0xD0012,
       "Error during the execution of the Script file!\nUnbalanced LOOP / LOOPEND statements.",
       ""},
      {"KEY A\nLOOPEND\nLOOP 2", 0xD0012,
       "Error during the execution of the Script file!\nUnbalanced LOOP / LOOPEND statements.",
       ""},
      {"KEY A\nPROFILE Nobody", 0xD0022,
       "Error during the execution of the Script file!\nParameter error in line 2.", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetForegroundWindow(recorder_);
    const OperationError result = Run(c.text);
    EXPECT_EQ(c.result, result);
    if (result != 0) {
      EXPECT_EQ(c.report, Report(result));
    }
    EXPECT_EQ(c.recorded, Joined(gRecorded));
  }
}

// Every key name presses the key that the platform's own constant names.
TEST_F(Scripts, KeyNamesPressTheirKeys) {
  const std::pair<const char*, int> keys[] = {
      {"SHIFT", VK_SHIFT},    {"CTRL", VK_CONTROL},      {"ALT", VK_MENU},
      {"BACKSPACE", VK_BACK}, {"TAB", VK_TAB},           {"CLEAR", VK_CLEAR},
      {"RETURN", VK_RETURN},  {"PAUSE", VK_PAUSE},       {"ESCAPE", VK_ESCAPE},
      {"SPACE", VK_SPACE},    {"PAGEUP", VK_PRIOR},      {"PAGEDOWN", VK_NEXT},
      {"END", VK_END},        {"HOME", VK_HOME},         {"LEFT", VK_LEFT},
      {"UP", VK_UP},          {"RIGHT", VK_RIGHT},       {"DOWN", VK_DOWN},
      {"SELECT", VK_SELECT},  {"INSERT", VK_INSERT},     {"DELETE", VK_DELETE},
      {"NUMPAD0", VK_NUMPAD0}, {"NUMPAD9", VK_NUMPAD9},  {"MULTIPLY", VK_MULTIPLY},
      {"ADD", VK_ADD},        {"SUBTRACT", VK_SUBTRACT}, {"DIVIDE", VK_DIVIDE},
      {"DECIMAL", VK_DECIMAL}, {"F1", VK_F1},            {"F11", VK_F11},
      {"F12", VK_F12},        {"0", '0'},                {"9", '9'},
      {"a", 'A'},             {"Z", 'Z'},
  };
  std::string text, expected;
  for (const auto& [name, code] : keys) {
    text += std::string("KEY ") + name + "\n";
    expected += (expected.empty() ? "d" : " d") + std::to_string(code) + " u" + std::to_string(code);
  }
  SetForegroundWindow(recorder_);
  EXPECT_EQ(0u, Run(text));
  EXPECT_EQ(expected, Joined(gRecorded));
}

// SLEEP counts from the script's time base; WAIT fires once in a second
// that matches and moves the base there.
TEST_F(Scripts, SleepAndWaitKeepTheTimeBase) {
  CModalWatchdogPause longerThanABox;
  double start = NowMs();
  EXPECT_EQ(0u, Run("SLEEP 1\nLOOP 20\nKEY A\nLOOPEND\nSLEEP 1\nKEY B"));
  ASSERT_EQ(42u, gRecorded.size());
  EXPECT_NEAR(2000.0, gRecorded.back().ms - start, 150.0);

  SYSTEMTIME now;
  GetLocalTime(&now);
  const int second = (now.wSecond + 2) % 60;
  char wait[64];
  snprintf(wait, sizeof wait, "WAIT --:--:%02d\nKEY A\nLOOP 2\nWAIT --:--:--\nKEY B\nLOOPEND",
           second);
  EXPECT_EQ(0u, Run(wait));
  ASSERT_EQ(6u, gRecorded.size());
  EXPECT_EQ(second, gRecorded[0].local.wSecond);
  // Each WAIT takes the next second: never the one the last WAIT matched.
  EXPECT_EQ((second + 1) % 60, gRecorded[2].local.wSecond);
  EXPECT_EQ((second + 2) % 60, gRecorded[4].local.wSecond);
}

HWND FindProgressDialog() {
  HWND found = nullptr;
  for (HWND w = FindWindowA("#32770", "Run Script"); w;
       w = FindWindowExA(nullptr, w, "#32770", "Run Script")) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) found = w;
  }
  return found;
}

// Drives a running script from another thread: waits for its dialog, then
// acts on it.
class CDialogDriver {
 public:
  template <typename Action>
  explicit CDialogDriver(Action action)
      : m_thread([this, action] {
          const double end = NowMs() + 5000;
          HWND dialog = nullptr;
          while (!dialog && NowMs() < end) {
            dialog = FindProgressDialog();
            if (!dialog) Sleep(10);
          }
          m_found = dialog != nullptr;
          if (dialog) {
            Sleep(300);
            action(dialog);
          }
        }) {}
  ~CDialogDriver() { m_thread.join(); }
  bool Found() const { return m_found; }

 private:
  std::atomic<bool> m_found{false};
  std::thread m_thread;
};

void ClickAt(POINT point) {
  INPUT inputs[3] = {};
  const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int x = point.x - GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int y = point.y - GetSystemMetrics(SM_YVIRTUALSCREEN);
  inputs[0].type = inputs[1].type = inputs[2].type = INPUT_MOUSE;
  inputs[0].mi.dx = (x * 65536 + w - 1) / w;
  inputs[0].mi.dy = (y * 65536 + h - 1) / h;
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, inputs, sizeof(INPUT));
}

// Cancel ends the script with success before its next command, also out of
// a long SLEEP or WAIT; a quit ends it without success, and the quit stays
// for the loop that waits for it.
TEST_F(Scripts, CancelAndQuitStopARunningScript) {
  struct Case {
    const char* text;
    bool quit;
  };
  SYSTEMTIME now;
  GetLocalTime(&now);
  char wait[64];
  snprintf(wait, sizeof wait, "WAIT --:--:%02d\nKEY B", (now.wSecond + 30) % 60);
  const Case cases[] = {
      {"SLEEP 30\nKEY B", false},
      {wait, false},
      {"LOOP 100000\nWAIT --:--:--\nKEY A\nLOOPEND\nKEY B", false},
      {"SLEEP 30\nKEY B", true},
      {"LOOP 100000\nSLEEP 1\nLOOPEND\nKEY B", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SCOPED_TRACE(c.quit ? "quit" : "cancel");
    const DWORD mainThread = GetCurrentThreadId();
    OperationError result = 1;
    double endedAt = 0;
    std::atomic<double> actedAt{0.0};
    {
      CDialogDriver driver([&](HWND dialog) {
        if (c.quit) {
          actedAt = NowMs();
          PostThreadMessageA(mainThread, WM_QUIT, 7, 0);
          return;
        }
        // Without a window manager the first click on a window that is not
        // active only activates it: the caption takes that one.
        RECT frame, r;
        GetWindowRect(dialog, &frame);
        ClickAt({(frame.left + frame.right) / 2, frame.top + GetSystemMetrics(SM_CYCAPTION) / 2});
        Sleep(200);
        GetWindowRect(GetDlgItem(dialog, IDCANCEL), &r);
        actedAt = NowMs();
        ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
      });
      result = Run(c.text);
      endedAt = NowMs() - 50;  // Run pumps 50 ms after the script
      ASSERT_TRUE(driver.Found());
      EXPECT_LT(endedAt - actedAt, 100.0 + 20.0);
    }
    EXPECT_EQ(nullptr, FindProgressDialog());
    EXPECT_EQ(std::string::npos, Joined(gRecorded).find("d66"));  // nothing after the stop
    if (c.quit) {
      EXPECT_EQ(ErrCancelled, result);
      MSG message;
      ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
      EXPECT_EQ(7u, message.wParam);
    } else {
      EXPECT_EQ(0u, result);
      EXPECT_EQ(0, gbAbort.load());  // nothing else is stopped by a finished script
    }
  }
}

ProfileRecord Named(const char* name, uint32_t steps, int mode, const char* next = "") {
  ProfileRecord p;
  InitNewProfile(&p);
  memset(p.szName, 0, sizeof p.szName);
  strncpy(p.szName, name, sizeof p.szName - 1);
  p.ulSteps = steps;
  p.iSCMode = uint8_t(mode);
  strncpy(p.szDXProfile, next, sizeof p.szDXProfile - 1);
  return p;
}

// A profile that needs the user interface thread is refused before the
// script sends anything, also when another profile's chain reaches it.
TEST_F(Scripts, ProfilesThatNeedTheUserAreRefused) {
  const uint32_t capture = 1u << 1, chain = 1u << 19;
  const ProfileRecord profiles[] = {
      Named("Region", capture, 0),
      Named("Fixed", capture, 4, ""),
      Named("First", capture | chain, 4, "second"),
      Named("Second", chain, 4, "Region"),
  };
  for (const ProfileRecord& p : profiles) ASSERT_GE(AppendProfile(&p), 0);
  const std::pair<const char*, std::string> cases[] = {
      {"KEY A\nPROFILE Region", "Incompatible profile in line 2."},
      {"KEY A\n\nPROFILE first ; through two chained profiles", "Incompatible profile in line 3."},
  };
  for (const auto& [text, detail] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(0xD0024u, Run(text));
    EXPECT_EQ("Error during the execution of the Script file!\n" + detail, Report(0xD0024));
    EXPECT_EQ("", Joined(gRecorded));
  }
}

}  // namespace
