// The update check in the real program (version 1.0.0), started as installed
// with the update and download addresses in its install record: the
// announcement on the first start, nothing for the same version later, the
// window again for the next version. Plain and HTTPS.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "framework/net/update_check_win.h"
#include "framework/net/update_record.h"
#include "tests/app/app_driver_win.h"
#include "tests/framework/net/net_test_server.h"
#include "tests/support/test_paths.h"

namespace {

const char kTitle[] = "Brightwarden Update Check";

// The update address (offset 800) and the download address (1060) in the
// install record that the driver wrote.
void SetAddresses(const std::string& update, const std::string& download) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvalund", 0,
                                         KEY_ALL_ACCESS, &key));
  BYTE record[1326] = {};
  DWORD size = sizeof(record);
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Brightwarden", nullptr, nullptr, record, &size));
  memset(record + 800, 0, 520);
  memcpy(record + 800, update.c_str(), std::min<size_t>(update.size(), 259));
  memcpy(record + 1060, download.c_str(), std::min<size_t>(download.size(), 259));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Brightwarden", 0, REG_BINARY, record, size));
  RegCloseKey(key);
}

std::string ControlText(HWND dialog, int id) {
  char text[512] = {};
  GetDlgItemTextA(dialog, id, text, sizeof(text));
  return text;
}

bool WaitForText(HWND dialog, int id, const std::string& want) {
  for (int i = 0; i < 500; ++i) {
    if (ControlText(dialog, id) == want) return true;
    Sleep(10);
  }
  return false;
}

class UpdateE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server = new CNetTestServer();
    if (server->Available()) TrustTestAuthority(*server, true);
    InstallProgram();
  }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server->Available()) << server->Why(); }
  void TearDown() override {
    if (app_.hProcess) KillApp(&app_);
  }

  std::string Record() const { return data_ + "\\(ORV)UpdateCheck.kzc"; }

  UpdateCheckRecord ReadRecord() const {
    UpdateCheckRecord record = {};
    std::string bytes = ReadFileText(Record());
    if (bytes.size() == sizeof(record)) memcpy(&record, bytes.data(), sizeof(record));
    return record;
  }

  // Starts the program with `published` served; the announcement it
  // opened, or null once its check stored what it found.
  HWND Start(const char* listener, const std::string& published) {
    std::string token = UniqueToken("e2e");
    SetAddresses(server->Url(listener, "/text?body=" + PercentEncode(published) + "&t=" + token),
                 "https://localhost/download");
    app_ = StartApp("");
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
      if (HWND dialog = FindAppWindow("#32770", app_.dwProcessId, kTitle)) return dialog;
      // Stored: the check is over and would have opened its window already.
      if (!server->Connections(token).empty() &&
          strcmp(ReadRecord().szFetchedText, published.c_str()) == 0 &&
          ReadRecord().llLastCheck == StartOfDay(int64_t(time(nullptr)))) {
        Sleep(200);
        return FindAppWindow("#32770", app_.dwProcessId, kTitle);
      }
      Sleep(20);
    }
    ADD_FAILURE() << "the check did not end: " << published;
    return nullptr;
  }

  void Quit() {
    if (HWND dialog = FindAppWindow("#32770", app_.dwProcessId, kTitle)) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      for (int i = 0; i < 300 && IsWindow(dialog); ++i) Sleep(10);
      EXPECT_FALSE(IsWindow(dialog));
    }
    HWND main = FindAppWindow("ORVWindow", app_.dwProcessId);
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, WaitExit(&app_, 10000));
    app_ = AppProcess();
  }

  void MoveLastCheckBack() const {
    UpdateCheckRecord record = ReadRecord();
    record.llLastCheck -= 8 * kSecondsPerDay;
    WriteFileText(Record(), std::string(reinterpret_cast<const char*>(&record), sizeof(record)));
  }

  static CNetTestServer* server;
  AppProcess app_;
  std::string data_;
};

CNetTestServer* UpdateE2E::server = nullptr;

TEST_F(UpdateE2E, EachNewVersionIsAnnouncedOncePlainAndHttps) {
  for (const char* listener : {"plain", "good"}) {
    SCOPED_TRACE(listener);
    std::string root = TestOutputPath(listener);
    data_ = root + "\\data";
    RemoveTree(root);
    MakeFolders(data_);
    WriteInstallRecord(1326, data_, false);

    HWND dialog = Start(listener, "1.0.1 released today");
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(WaitForText(dialog, kIdUpdateStatus, "New version available"))
        << ControlText(dialog, kIdUpdateStatus);
    EXPECT_EQ("1.0.0", ControlText(dialog, kIdInstalledVersion));
    EXPECT_EQ("1.0.1 released today", ControlText(dialog, kIdAvailableVersion));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kIdUpdateButton)));
    EXPECT_TRUE(WaitForText(dialog, kIdAvailableVersion, "1.0.1 released today"));
    // Python's struct reads this copy (the program's own record).
    WriteFileText(TestOutputPath(std::string("announced-e2e-") + listener + ".kzc"),
                  ReadFileText(Record()));
    Quit();

    struct Later {
      std::string published;
      bool announced;
    } later[] = {{"1.0.1 released today, with notes", false}, {"1.0.2", true}, {"1.0.0", false}};
    for (const Later& step : later) {
      MoveLastCheckBack();
      dialog = Start(listener, step.published);
      EXPECT_EQ(step.announced, dialog != nullptr) << step.published;
      Quit();
    }
  }
}

}  // namespace
