// The update check inside a test process against the local server: the
// announcement once per version, garbage that changes nothing, the daily job
// that never waits, the stop, and the dialog's fields. Version 1.0.0 plays
// the program's own; each test has its own data folder.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/app/app_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/net/update_check_win.h"
#include "framework/net/update_record.h"
#include "framework/settings/data_folder.h"
#include "tests/framework/net/net_test_server.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/test_paths.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ControlText(HWND dialog, int id) {
  char text[512] = {};
  GetDlgItemTextA(dialog, id, text, sizeof(text));
  return text;
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
  auto start = Clock::now();
  while (!done()) {
    if (MsSince(start) > milliseconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// What the main window was asked by help requests: their topics.
std::vector<std::string> gHelpTopics;

LRESULT CALLBACK HelpRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 33786) {
    gHelpTopics.push_back(wParam ? reinterpret_cast<const char*>(wParam) : "<none>");
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int CountProcesses(const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, name) == 0) ++count;
  CloseHandle(snapshot);
  return count;
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

// Wine hands web addresses to the browsers its registry names; a script
// that logs what it gets stands in for them while this test runs.
class CRecordingBrowser {
 public:
  CRecordingBrowser() {
    const char* script = getenv("BW_BROWSER_SCRIPT");
    if (!script) return;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &m_key, nullptr) != ERROR_SUCCESS)
      return;
    m_ok = RegSetValueExA(m_key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(script),
                          DWORD(strlen(script) + 1)) == ERROR_SUCCESS;
  }
  ~CRecordingBrowser() {
    if (!m_key) return;
    RegDeleteValueA(m_key, "Browsers");
    RegCloseKey(m_key);
  }
  bool Ready() const { return m_ok; }

 private:
  HKEY m_key = nullptr;
  bool m_ok = false;
};

class UpdateCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server = new CNetTestServer();
    if (server->Available()) TrustTestAuthority(*server, true);
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    strcpy(gApp.m_szProductName, "Brightwarden");
    gApp.m_ulVersionMajor = 1;
    gApp.m_ulVersionMinor = 0;
    gApp.m_ulVersionBuild = 0;
    SetUpdateCheckIdleLimit(3000);
  }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(server->Available()) << server->Why();
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = TestOutputPath(name);
    CreateDirectoryA(folder_.c_str(), nullptr);
    ASSERT_TRUE(SetDataFolder(folder_.c_str()));
    StoreRecord(UpdateCheckRecord{});  // as new: the process keeps what it read last
    SetDownload("https://localhost/download");
  }

  void TearDown() override {
    EXPECT_TRUE(WaitForUpdateCheck(10000));
    CloseAnnouncement();
  }

  std::string RecordPath() const { return folder_ + "\\(ORV)UpdateCheck.kzc"; }

  static void SetField(char* field, const std::string& text) {
    memset(field, 0, 260);
    snprintf(field, 260, "%s", text.c_str());
  }
  static void SetUrl(const std::string& url) { SetField(gApp.m_install.szUpdateUrl, url); }
  static void SetDownload(const std::string& url) { SetField(gApp.m_install.szDownloadUrl, url); }

  // The published text, served by `listener`; `path` "text" or "slowtext".
  static std::string TextUrl(const std::string& text, const std::string& listener = "plain",
                             const std::string& path = "text", const std::string& extra = "") {
    token_ = UniqueToken("update");
    return server->Url(listener, "/" + path + "?body=" + PercentEncode(text) + "&t=" + token_ + extra);
  }

  static size_t Requests() { return server->Connections(token_).size(); }

  UpdateCheckRecord StoredRecord() const {
    UpdateCheckRecord record = {};
    std::string bytes = ReadBytes(RecordPath());
    EXPECT_EQ(sizeof(record), bytes.size());
    if (bytes.size() == sizeof(record)) memcpy(&record, bytes.data(), sizeof(record));
    return record;
  }

  void StoreRecord(const UpdateCheckRecord& record) const {
    WriteBytes(RecordPath(), std::string(reinterpret_cast<const char*>(&record), sizeof(record)));
  }

  // Runs one due check to its end; the announcement it opened, or null.
  HWND CheckOnce(const std::string& url) {
    SetUrl(url);
    CheckForUpdateIfDue();
    EXPECT_TRUE(WaitForUpdateCheck(10000)) << url;
    return GetUpdateCheckDialog();
  }

  // The stored check moved back by more than the interval, so the next
  // daily job checks again.
  void MakeDue() const {
    UpdateCheckRecord record = StoredRecord();
    record.llLastCheck -= 8 * kSecondsPerDay;
    StoreRecord(record);
  }

  static void CloseAnnouncement() {
    HWND dialog = GetUpdateCheckDialog();
    if (!dialog) return;
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && !GetUpdateCheckDialog(); }, 10000));
  }

  // Opens the dialog modal on this thread while `drive` works it from
  // another; the dialog is cancelled afterwards if `drive` left it open.
  static void WithModalDialog(const std::function<void(HWND)>& drive) {
    CModalWatchdogPause pause;
    std::thread helper([&] {
      HWND dialog = nullptr;
      WaitUntil([&] { return (dialog = GetUpdateCheckDialog()) != nullptr && IsWindowVisible(dialog); },
                10000);
      if (dialog) drive(dialog);
      if (dialog && IsWindow(dialog)) Press(dialog, IDCANCEL);
    });
    ShowUpdateCheckDialog(nullptr);
    helper.join();
  }

  static CNetTestServer* server;
  static std::string token_;
  std::string folder_;
};

CNetTestServer* UpdateCheckTest::server = nullptr;
std::string UpdateCheckTest::token_;

TEST_F(UpdateCheckTest, EachNewerVersionIsAnnouncedOnce) {
  CModalWatchdogPause pause;
  for (const char* listener : {"plain", "good"}) {
    SCOPED_TRACE(listener);
    StoreRecord(UpdateCheckRecord{});
    HWND dialog = CheckOnce(TextUrl("1.0.1 released today", listener));
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdUpdateStatus) == "New version available"; },
                          10000))
        << ControlText(dialog, kIdUpdateStatus);
    char title[100] = {};
    GetWindowTextA(dialog, title, sizeof(title));
    EXPECT_STREQ("Brightwarden Update Check", title);
    EXPECT_EQ("1.0.0", ControlText(dialog, kIdInstalledVersion));
    EXPECT_EQ("1.0.1 released today", ControlText(dialog, kIdAvailableVersion));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kIdUpdateButton)));
    EXPECT_FALSE(IsUpdateCheckRunning());
    // Python reads this copy as the stored record's second opinion.
    WriteBytes(TestOutputPath(std::string("announced-") + listener + ".kzc"), ReadBytes(RecordPath()));

    // "Check now!" in the announcement fetches again and updates it.
    SetUrl(TextUrl("1.0.2 even newer", listener));
    Press(dialog, kIdCheckNow);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdAvailableVersion) == "1.0.2 even newer"; },
                          10000));
    EXPECT_EQ("New version available", ControlText(dialog, kIdUpdateStatus));
    CloseAnnouncement();
    // At once: a start that waited for the closed announcement's thread
    // would take its 5 s and give 1.
    auto start = Clock::now();
    EXPECT_EQ(kUpdateStarted, StartUpdateCheck());
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_TRUE(WaitForUpdateCheck(10000));
    CloseAnnouncement();  // the same 1.0.2 text: nothing was opened
  }

  // Once per version, whatever the words; the stored text is cut to 259.
  StoreRecord(UpdateCheckRecord{});
  ASSERT_NE(nullptr, CheckOnce(TextUrl("1.0.1 released today")));
  CloseAnnouncement();
  struct Step {
    std::string published;
    bool announced;
    uint8_t newer;
    int pad;  // letters the server adds
  } steps[] = {
      {"1.0.1 released today", false, 1, 0},
      {"1.0.1 with other words", false, 1, 0},
      {"1.0.1 ", false, 1, 300},
      {"1.0.2", true, 1, 0},
      {"1.0.0", false, 0, 0},
      {"0.9.9 older", false, 0, 0},
      {"\xEF\xBB\xBF" "1.0.3", true, 1, 0},
  };
  for (const Step& step : steps) {
    MakeDue();
    std::string extra = step.pad ? "&pad=" + std::to_string(step.pad) : "";
    HWND dialog = CheckOnce(TextUrl(step.published, "plain", "text", extra));
    EXPECT_EQ(step.announced, dialog != nullptr) << step.published;
    UpdateCheckRecord record = StoredRecord();
    EXPECT_EQ(step.newer, record.bNewer) << step.published;
    std::string served = step.published + std::string(size_t(step.pad), 'w');
    EXPECT_EQ(served.substr(0, 259), record.szFetchedText);
    EXPECT_EQ(1u, Requests()) << step.published;
    CloseAnnouncement();
  }
}

TEST_F(UpdateCheckTest, GarbageChangesNothing) {
  UpdateCheckRecord before = {};
  snprintf(before.szFetchedText, sizeof(before.szFetchedText), "0.9.0 the last one");
  before.bEnabled = 1;
  before.iIntervalDays = 7;
  StoreRecord(before);
  const std::string original = ReadBytes(RecordPath());
  const std::string garbage[] = {
      TextUrl(""),
      TextUrl("garbage"),
      TextUrl("-1.0.1"),
      TextUrl("99999999999.1.1"),
      TextUrl("1.0"),
      server->Url("plain", "/raw/html"),
      server->Url("plain", "/status/404"),
      server->Url("plain", "/status/500"),
      server->Url("plain", "/raw/midbody"),
      TextUrl("1.0.1", "wrongname"),
      TextUrl("1.0.1", "selfsigned"),
      "ftp://localhost/version.txt",
  };
  for (const std::string& url : garbage) {
    EXPECT_EQ(nullptr, CheckOnce(url)) << url;
    EXPECT_EQ(original, ReadBytes(RecordPath())) << url;
  }
  // An open dialog tells which kind of failure it was.
  for (const auto& expected : {std::make_pair(TextUrl("garbage"), "Version format error"),
                               std::make_pair(server->Url("plain", "/status/404"),
                                              "Version download error")}) {
    SetUrl(expected.first);
    std::string status;
    WithModalDialog([&](HWND dialog) {
      Press(dialog, kIdCheckNow);
      WaitUntil([&] { return ControlText(dialog, kIdUpdateStatus) == expected.second; }, 10000);
      status = ControlText(dialog, kIdUpdateStatus);
    });
    EXPECT_EQ(expected.second, status);
    EXPECT_EQ(original, ReadBytes(RecordPath()));
  }
}

TEST_F(UpdateCheckTest, TheDailyJobNeverWaits) {
  gDailyJobs = {CheckForUpdateIfDue, nullptr};
  // The slow text takes over a second; a job that waited for it would take
  // as long. The bound counts the best of three rounds, each with its own
  // due check, so that the machine's load is not taken for a wait.
  double best = 1e9;
  for (int round = 0; round < 3 && best >= 50; ++round) {
    SCOPED_TRACE(round);
    StoreRecord(UpdateCheckRecord{});
    SetUrl(TextUrl("0.9.9 slowly", "plain", "slowtext", "&pause=0.1"));
    double slowest = 0;
    for (int i = 0; i < 2; ++i) {
      auto start = Clock::now();
      gApp.RunDailyJobs();
      slowest = std::max(slowest, MsSince(start));
      EXPECT_TRUE(IsUpdateCheckRunning());
    }
    best = std::min(best, slowest);
    EXPECT_TRUE(WaitForUpdateCheck(10000));
    EXPECT_EQ(1u, Requests());
    EXPECT_STREQ("0.9.9 slowly", StoredRecord().szFetchedText);
  }
  gDailyJobs = {nullptr, nullptr};
  EXPECT_LT(best, 50);
}

TEST_F(UpdateCheckTest, CancelStopsTheCheckAndStoresNothing) {
  UpdateCheckRecord before = {};
  before.bEnabled = 1;
  before.iIntervalDays = 7;
  StoreRecord(before);
  const std::string original = ReadBytes(RecordPath());
  // Every try must stop and store nothing; the delay counts the best of
  // three, so that the machine's load is not taken for the check's.
  double best = 1e9;
  for (int attempt = 0; attempt < 3 && best >= 300; ++attempt) {
    SetUrl(TextUrl("1.0.1 very slowly", "good", "slowtext", "&pause=0.2"));
    double stopMs = 1e9;
    WithModalDialog([&](HWND dialog) {
      Press(dialog, kIdCheckNow);
      WaitUntil([&] { return Requests() == 1; }, 10000);
      EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdUpdateStatus) == "Checking..."; }, 10000));
      auto start = Clock::now();
      Press(dialog, IDCANCEL);
      if (WaitUntil([] { return !IsUpdateCheckRunning(); }, 10000)) stopMs = MsSince(start);
    });
    EXPECT_LT(stopMs, 1e9) << "the check did not stop";
    best = std::min(best, stopMs);
    EXPECT_EQ(original, ReadBytes(RecordPath()));
  }
  EXPECT_LT(best, 300);
  // At once: the stopped check is over, nothing to wait for.
  auto start = Clock::now();
  SetUrl(TextUrl("1.0.0"));
  EXPECT_EQ(kUpdateStarted, StartUpdateCheck());
  EXPECT_LT(MsSince(start), 1000);
}

TEST_F(UpdateCheckTest, TheDialogStoresSwitchAndInterval) {
  UpdateCheckRecord today = {};
  today.bEnabled = 1;
  today.iIntervalDays = 7;
  today.llLastCheck = StartOfDay(int64_t(time(nullptr)));
  struct Case {
    const char* entered;
    bool checked;
    int32_t days;
  } cases[] = {{"3", true, 7}, {"20000", true, 9999}, {"", true, 7}, {"30", false, 30}};
  for (const Case& c : cases) {
    StoreRecord(today);
    bool intervalEnabled = true;
    WithModalDialog([&](HWND dialog) {
      SetDlgItemTextA(dialog, kIdIntervalDays, c.entered);
      if (!c.checked) {
        SendDlgItemMessageA(dialog, kIdAutomaticCheck, BM_SETCHECK, BST_UNCHECKED, 0);
        Press(dialog, kIdAutomaticCheck);
        WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(dialog, kIdIntervalDays)); }, 10000);
      }
      intervalEnabled = IsWindowEnabled(GetDlgItem(dialog, kIdIntervalDays)) != FALSE;
      Press(dialog, IDOK);
      WaitUntil([&] { return !IsWindow(dialog); }, 10000);
    });
    UpdateCheckRecord stored = StoredRecord();
    EXPECT_EQ(c.days, stored.iIntervalDays) << c.entered;
    EXPECT_EQ(c.checked ? 1 : 0, stored.bEnabled) << c.entered;
    EXPECT_EQ(c.checked, intervalEnabled) << c.entered;
    EXPECT_EQ(today.llLastCheck, stored.llLastCheck);
  }

  // OK during a check keeps both the new interval and what the check found.
  today.llLastCheck = 0;
  StoreRecord(today);
  SetUrl(TextUrl("1.0.0 found meanwhile", "plain", "slowtext", "&pause=0.02"));
  WithModalDialog([&](HWND dialog) {
    Press(dialog, kIdCheckNow);
    WaitUntil([] { return IsUpdateCheckRunning(); }, 10000);
    SetDlgItemTextA(dialog, kIdIntervalDays, "30");
    Press(dialog, IDOK);
    WaitUntil([&] { return !IsWindow(dialog); }, 10000);
  });
  EXPECT_TRUE(WaitForUpdateCheck(10000));
  UpdateCheckRecord stored = StoredRecord();
  EXPECT_EQ(30, stored.iIntervalDays);
  EXPECT_STREQ("1.0.0 found meanwhile", stored.szFetchedText);
}

// The runtime's thread start failing as it does when no thread can be made.
uintptr_t __cdecl NoThreadStart(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned,
                                unsigned*) {
  errno = EAGAIN;
  return 0;
}

BOOL CALLBACK CountUpdateDialog(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char title[100] = {};
  GetWindowTextA(window, title, sizeof(title));
  if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
      strcmp(title, "Brightwarden Update Check") == 0)
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// The visible top-level windows of this process with the dialog's title.
int OpenUpdateDialogs() {
  int count = 0;
  EnumWindows(CountUpdateDialog, LPARAM(&count));
  return count;
}

TEST_F(UpdateCheckTest, TheDialogShowsTheStoredStateAndOpensOnce) {
  const int64_t today = StartOfDay(int64_t(time(nullptr)));
  struct Case {
    uint8_t enabled;
    uint8_t newer;
    int32_t days;
    int64_t lastCheck;
    const char* text;
  } cases[] = {
      {1, 1, 7, today - 3 * kSecondsPerDay, "1.0.1 stored"},
      {0, 0, 30, 17532 * kSecondsPerDay, "0.9.9 older"},  // 2018-01-01
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    UpdateCheckRecord record = {};
    snprintf(record.szFetchedText, sizeof(record.szFetchedText), "%s", c.text);
    record.bEnabled = c.enabled;
    record.bNewer = c.newer;
    record.iIntervalDays = c.days;
    record.llLastCheck = c.lastCheck;
    StoreRecord(record);
    // The C runtime's own local time is the second opinion on the date.
    time_t when = time_t(c.lastCheck);
    char lastCheck[64];
    strftime(lastCheck, sizeof(lastCheck), "Last check: %d.%m.%Y", localtime(&when));
    WithModalDialog([&](HWND dialog) {
      char title[100] = {};
      GetWindowTextA(dialog, title, sizeof(title));
      EXPECT_STREQ("Brightwarden Update Check", title);
      EXPECT_EQ("1.0.0", ControlText(dialog, kIdInstalledVersion));
      EXPECT_EQ(c.text, ControlText(dialog, kIdAvailableVersion));
      EXPECT_EQ(lastCheck, ControlText(dialog, kIdUpdateStatus));
      EXPECT_EQ(std::to_string(c.days), ControlText(dialog, kIdIntervalDays));
      EXPECT_EQ(c.enabled ? BST_CHECKED : BST_UNCHECKED,
                int(SendDlgItemMessageA(dialog, kIdAutomaticCheck, BM_GETCHECK, 0, 0)));
      EXPECT_EQ(c.enabled != 0, IsWindowEnabled(GetDlgItem(dialog, kIdIntervalDays)) != FALSE);
      EXPECT_EQ(c.enabled != 0, IsWindowEnabled(GetDlgItem(dialog, kIdDaysLabel)) != FALSE);
      EXPECT_EQ(c.newer != 0, IsWindowEnabled(GetDlgItem(dialog, kIdUpdateButton)) != FALSE);

      // Asked again, the open dialog comes to the front; no second opens.
      std::atomic<bool> returned{false};
      std::thread again([&] {
        ShowUpdateCheckDialog(nullptr);
        returned = true;
      });
      EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, 10000)) << "a second dialog opened";
      EXPECT_EQ(1, OpenUpdateDialogs());
      if (!returned) {
        HWND second = FindWindowExA(nullptr, nullptr, "#32770", "Brightwarden Update Check");
        if (second == dialog) second = FindWindowExA(nullptr, second, "#32770", "Brightwarden Update Check");
        if (second) Press(second, IDCANCEL);
      }
      again.join();

      // A check whose thread cannot start says so and leaves no check running.
      SetUpdateThreadStart(NoThreadStart);
      Press(dialog, kIdCheckNow);
      EXPECT_TRUE(WaitUntil(
          [&] { return ControlText(dialog, kIdUpdateStatus) == "Could not start update check"; },
          10000))
          << ControlText(dialog, kIdUpdateStatus);
      EXPECT_EQ(kUpdateThreadFailed, StartUpdateCheck());
      SetUpdateThreadStart(nullptr);
      EXPECT_FALSE(IsUpdateCheckRunning());
    });
    EXPECT_EQ(0, OpenUpdateDialogs());
  }
}

TEST_F(UpdateCheckTest, UpdateOpensOnlyAWebAddress) {
  CModalWatchdogPause pause;
  const std::string log = TestOutputPath("browser.log");
  DeleteFileA(log.c_str());
  CRecordingBrowser browser;
  ASSERT_TRUE(browser.Ready());
  const std::string page = "https://localhost/download?" + UniqueToken("page");
  SetDownload(page);
  HWND dialog = CheckOnce(TextUrl("1.0.1"));
  ASSERT_NE(nullptr, dialog);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdUpdateStatus) == "New version available"; },
                        10000));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kIdUpdateButton)));
  Press(dialog, kIdUpdateButton);
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(log).find(page) != std::string::npos; }, 20000))
      << ReadBytes(log);
  CloseAnnouncement();

  // Anything but a web address stays unopened, even when the button is
  // pressed behind its back.
  SetDownload("C:\\windows\\notepad.exe");
  StoreRecord(UpdateCheckRecord{});
  dialog = CheckOnce(TextUrl("1.0.2"));
  ASSERT_NE(nullptr, dialog);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdUpdateStatus) == "New version available"; },
                        10000));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kIdUpdateButton)));
  Press(dialog, kIdUpdateButton);
  Sleep(1000);
  EXPECT_EQ(0, CountProcesses("notepad.exe"));
}

TEST_F(UpdateCheckTest, HelpAndF1AskTheMainWindowAndADpiChangeRenewsTheFonts) {
  CModalWatchdogPause pause;
  int index = gApp.AddWindow(0, HelpRecorder, 0xFFFF, 0);
  ASSERT_GE(index, 0);
  gHelpTopics.clear();
  HWND dialog = CheckOnce(TextUrl("1.0.1"));
  ASSERT_NE(nullptr, dialog);
  // The Help button, then F1 as the system reports it.
  HELPINFO f1 = {};
  f1.cbSize = sizeof(f1);
  f1.iContextType = HELPINFO_WINDOW;
  for (int asked = 1; asked <= 2; ++asked) {
    if (asked == 1)
      Press(dialog, IDHELP);
    else
      SendMessageA(dialog, WM_HELP, 0, LPARAM(&f1));
    auto start = Clock::now();
    while (gHelpTopics.size() < size_t(asked) && MsSince(start) < 3000) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(10);
    }
    EXPECT_EQ(std::vector<std::string>(size_t(asked), "About"), gHelpTopics) << asked;
  }

  HFONT large = GetAppFont(kFontDialog, 192);
  ASSERT_NE(nullptr, large);
  RECT suggested = {0, 0, 600, 400};
  SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(192, 192), LPARAM(&suggested));
  for (int id : {kIdInstalledVersion, kIdAvailableVersion, kIdUpdateStatus})
    EXPECT_EQ(large, HFONT(SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0))) << id;
  CloseAnnouncement();
  gApp.DestroyAll();
}

}  // namespace
