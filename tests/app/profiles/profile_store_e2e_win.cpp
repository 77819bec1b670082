// Profiles as Brightwarden.exe stores, lists and runs them. The program runs
// in its own process with a fresh data folder; this test reads and writes
// that folder with the program's own store code while the program is
// stopped (as the profile dialogs and the Hot-Keys page will), and drives
// the program's Profile popup and hotkeys with real input (xdotool). The
// check mark is read from the screen; the saved files are named here from
// the clock and checked again with PIL by profile_execution_oracle.py.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/document/image.h"
#include "app/profiles/profile_list.h"
#include "app/profiles/program_records.h"
#include "app/profiles/settings_store.h"
#include "framework/settings/data_folder.h"
#include "tests/app/app_driver_win.h"
#include "tests/app/profiles/block_pattern_win.h"
#include "tests/app/profiles/profile_test_records.h"
#include "tests/support/test_paths.h"

namespace {

// The block pattern, in a corner away from the main window and its popups.
constexpr int kShotLeft = 1800, kShotTop = 980, kShotW = 64, kShotH = 48;
// Keys reach the program's hotkeys while the pointer is over a Wine window.
constexpr int kHolderLeft = 1600, kHolderTop = 700, kHolderSize = 120;
constexpr int kProfileMenu = 4030;
constexpr uint16_t kCtrlShiftF9 = uint16_t((MOD_CONTROL | MOD_SHIFT) << 8 | VK_F9);
const char kDiscardText[] = "The current image will be discarded!\nDo you want to continue?";


// The topmost pattern and the focus holder, painted by a thread of their own
// so that they repaint while the test waits.
class CTestWindows {
 public:
  CTestWindows() {
    thread_ = std::thread([this] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = Paint;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "ProfileStorePattern";
      wc.hbrBackground = HBRUSH(GetStockObject(GRAY_BRUSH));
      RegisterClassA(&wc);
      pattern_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "pattern",
                                 WS_POPUP | WS_VISIBLE, kShotLeft, kShotTop, kShotW, kShotH,
                                 nullptr, nullptr, wc.hInstance, nullptr);
      holder_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "holder",
                                WS_POPUP | WS_VISIBLE, kHolderLeft, kHolderTop, kHolderSize,
                                kHolderSize, nullptr, nullptr, wc.hInstance, nullptr);
      threadId_ = GetCurrentThreadId();
      ready_ = true;
      MSG message;
      while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
      DestroyWindow(pattern_);
      DestroyWindow(holder_);
    });
    while (!ready_) Sleep(10);
    Sleep(300);
  }
  ~CTestWindows() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }

 private:
  static LRESULT CALLBACK Paint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char title[16] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (message == WM_PAINT && strcmp(title, "pattern") == 0) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintBlockPattern(dc, kShotW, kShotH);
      EndPaint(window, &paint);
      return 0;
    }
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return DefWindowProcA(window, message, wParam, lParam);
  }

  std::thread thread_;
  std::atomic<bool> ready_{false};
  HWND pattern_ = nullptr, holder_ = nullptr;
  DWORD threadId_ = 0;
};

std::string At(const RECT& r) {
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

std::string HolderAt() {
  return At(RECT{kHolderLeft, kHolderTop, kHolderLeft + kHolderSize, kHolderTop + kHolderSize});
}

struct Entry {
  int id;
  RECT rect;  // on the screen
};

struct ItemSearch {
  std::vector<Entry> found;
};

BOOL CALLBACK CollectItem(HWND window, LPARAM out) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpiA(name, "ORVAppUIItem") == 0 && IsWindowVisible(window)) {
    Entry entry = {GetDlgCtrlID(window), {}};
    GetWindowRect(window, &entry.rect);
    reinterpret_cast<ItemSearch*>(out)->found.push_back(entry);
  }
  return TRUE;
}

std::vector<Entry> ItemsOf(HWND window) {
  ItemSearch search;
  EnumChildWindows(window, CollectItem, LPARAM(&search));
  std::sort(search.found.begin(), search.found.end(),
            [](const Entry& a, const Entry& b) { return a.rect.top < b.rect.top; });
  return search.found;
}

struct PopupSearch {
  DWORD processId;
  HWND popup;
};

BOOL CALLBACK FindPopup(HWND window, LPARAM out) {
  PopupSearch* search = reinterpret_cast<PopupSearch*>(out);
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) &&
      lstrcmpiA(name, "ORVAppMenuPopup") == 0) {
    search->popup = window;
    return FALSE;
  }
  return TRUE;
}

// The pixels of a rectangle of the screen, 0x00RRGGBB.
std::vector<uint32_t> ScreenPixels(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<uint32_t> pixels(size_t(w) * h);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(dc, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  GetDIBits(dc, bitmap, 0, UINT(h), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// The entries that show the check mark: a dark tick in the column left of
// the labels (as wide as the entry is high), where other entries show only
// the popup's light strip.
std::vector<int> CheckedEntries(const std::vector<Entry>& entries) {
  std::vector<int> checked;
  for (const Entry& e : entries) {
    const RECT column = {e.rect.left, e.rect.top, e.rect.left + (e.rect.bottom - e.rect.top),
                         e.rect.bottom};
    int dark = 0;
    for (uint32_t p : ScreenPixels(column))
      dark += ((p >> 16) & 255) < 80 && ((p >> 8) & 255) < 80 && (p & 255) < 80;
    if (dark >= 5) checked.push_back(e.id);
  }
  return checked;
}

std::vector<int> Ids(const std::vector<Entry>& entries) {
  std::vector<int> ids;
  for (const Entry& e : entries) ids.push_back(e.id);
  return ids;
}

// The date as the file-name template writes it: the short date, with the
// characters a file name cannot hold as hyphens.
std::string FileNameDate() {
  char date[64] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof(date));
  std::string text = date;
  std::replace(text.begin(), text.end(), '/', '-');
  return text;
}

std::string ShotName(int number, const std::string& date) {
  char name[128];
  snprintf(name, sizeof(name), "shot_%03d_%s.png", number, date.c_str());
  return name;
}

class ProfileStoreE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool installed = false;
    if (!installed) InstallProgram();
    installed = true;
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = TestOutputPath(name);
    RemoveTree(root_);
    MakeFolders(root_ + "\\shots");
    data_ = root_ + "\\data";
    WriteInstallRecord(1326, data_, false);
    ASSERT_TRUE(SetDataFolder(data_.c_str()));
  }
  void TearDown() override {
    if (app_.hProcess) Stop();
    KillApp(&app_);
  }

  void Start() {
    app_ = StartApp("");
    main_ = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      main_ = FindAppWindow("ORVWindow", app_.dwProcessId, "Brightwarden");
      return main_ && IsWindowVisible(main_);
    }, 15000)) << "the main window did not show";
    Sleep(500);
  }

  // Closes the program as a user does (it saves its settings on the way);
  // the only box allowed is the question before a changed image goes.
  void Stop() {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100; ++i) {
      if (HWND box = FindBox(app_.dwProcessId)) {
        const std::string text = BoxText(box);
        EXPECT_EQ(kDiscardText, text);
        PostMessageA(box, WM_COMMAND, text == kDiscardText ? IDYES : IDOK, 0);
      }
      if (WaitForSingleObject(app_.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    EXPECT_EQ(0, WaitExit(&app_, 5000, true));
    app_ = AppProcess();
  }

  // Opens the Profile popup by a click on the menu bar's entry and gives its
  // profile entries; the pointer then rests off the program's windows, so
  // that no entry is highlighted.
  std::vector<Entry> OpenProfileMenu() {
    RECT bar = {};
    for (const Entry& e : ItemsOf(main_))
      if (e.id == kProfileMenu) bar = e.rect;
    EXPECT_LT(bar.left, bar.right) << "no Profile entry on the menu bar";
    for (int attempt = 0; attempt < 2 && !popup_; ++attempt) {
      EXPECT_TRUE(Xdotool("mousemove " + At(bar) + " click 1"));
      WaitFor([&] { return (popup_ = Popup()) != nullptr; }, 2000);
    }
    EXPECT_NE(nullptr, popup_) << "the Profile popup did not open";
    // The pointer away from the menu bar, so that its tooltip goes.
    EXPECT_TRUE(Xdotool("mousemove " + HolderAt()));
    Sleep(600);
    std::vector<Entry> profiles;
    if (popup_)
      for (const Entry& e : ItemsOf(popup_))
        if (e.id < kMaxProfiles) profiles.push_back(e);
    return profiles;
  }

  HWND Popup() {
    PopupSearch search = {app_.dwProcessId, nullptr};
    EnumWindows(FindPopup, LPARAM(&search));
    return search.popup;
  }

  // A click (button 1 or 3) on an entry of the open popup; a click the
  // popup took as its activation is repeated.
  void ClickEntry(const std::vector<Entry>& entries, int id, int button) {
    for (const Entry& e : entries) {
      if (e.id != id) continue;
      for (int attempt = 0; attempt < 2 && Popup(); ++attempt) {
        ASSERT_TRUE(Xdotool("mousemove " + At(e.rect) + " click " + std::to_string(button)));
        WaitFor([&] { return Popup() == nullptr; }, 1500);
      }
      EXPECT_EQ(nullptr, Popup()) << "the popup stayed open";
      popup_ = nullptr;
      return;
    }
    ADD_FAILURE() << "no entry " << id;
  }

  void Keys(const std::string& keys) {
    ASSERT_TRUE(Xdotool("mousemove " + HolderAt() + " sleep 0.2 key " + keys));
  }

  std::vector<std::string> Shots() { return ListFiles(root_ + "\\shots"); }

  // Runs `action` and expects exactly one new file, shot_<number>_<date>.
  template <class Action>
  void ExpectOneShot(const char* how, int number, Action action) {
    const std::vector<std::string> before = Shots();
    const std::string dateBefore = FileNameDate();
    action();
    EXPECT_TRUE(WaitFor([&] { return Shots().size() > before.size(); }, 10000))
        << how << ": no file";
    Sleep(1500);
    std::vector<std::string> added;
    for (const std::string& name : Shots())
      if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
    const std::string dateAfter = FileNameDate();
    ASSERT_EQ(1u, added.size()) << how;
    EXPECT_TRUE(added[0] == ShotName(number, dateBefore) || added[0] == ShotName(number, dateAfter))
        << how << ": " << added[0] << ", want " << ShotName(number, dateAfter);
    EXPECT_EQ(nullptr, FindBox(app_.dwProcessId)) << how << ": a box";
  }

  // "Pattern Shot": the pattern's area, grey, halved (nearest), saved as
  // PNG under a numbered and dated name.
  ProfileRecord PatternShot() {
    ProfileRecord p = Plain("Pattern Shot");
    CaptureArea(&p, kShotLeft, kShotTop, kShotLeft + kShotW - 1, kShotTop + kShotH - 1);
    p.ulSteps |= MakeStepMask(kStepColorFormat, kStepGeometry, -1);
    p.iICMode = kColorClassGray;
    p.iIGResize = 1;
    p.iIGUnit = 2;
    p.fIGNewW = p.fIGNewH = 50;
    p.fIGAspect = 0;
    p.iIGDpi = 0;
    p.iIGAntiAlias = 0;
    SaveTo(&p, root_ + "\\shots", "shot_%N3_%D");
    return p;
  }

  // The names of the stored profiles, in list order, read by the program's
  // own code.
  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    for (int32_t i = 0; ProfileFileExists(i); ++i) {
      ProfileRecord p;
      EXPECT_EQ(0u, LoadProfileByIndex(i, &p)) << i;
      names.push_back(p.szName);
    }
    return names;
  }

  AppProcess app_;
  HWND main_ = nullptr;
  HWND popup_ = nullptr;
  std::string root_, data_;
};

TEST_F(ProfileStoreE2E, FirstStartStoresTheDefaultsAndChecksTheFirst) {
  Start();
  EXPECT_EQ((std::vector<std::string>{"Rectangle", "Screen", "Window"}), StoredNames());
  const std::vector<Entry> entries = OpenProfileMenu();
  EXPECT_EQ((std::vector<int>{0, 1, 2}), Ids(entries));
  EXPECT_EQ(std::vector<int>{0}, CheckedEntries(entries)) << "Rectangle carries the check mark";
  ClickEntry(entries, 0, 1);
  Stop();
  EXPECT_EQ((std::vector<std::string>{"Rectangle", "Screen", "Window"}), StoredNames())
      << "an ordinary end keeps the profiles";
}

// A profile made with the program stopped is listed after a restart and
// runs from its entry (right click), as the current profile (Print Screen,
// after a left click made it current) and by its own hotkey; each run
// writes one file with the next number. A restart keeps it current and the
// number where it was.
TEST_F(ProfileStoreE2E, AddedProfileRunsFromTheMenuAndBothHotkeysAndStaysCurrent) {
  CTestWindows windows;
  Start();
  Stop();

  InitProgramRecords();
  ASSERT_TRUE(SerializeOptions(0)) << "the first start saved no options";
  gOptions.hkHotkey[2].hotkey = kCtrlShiftF9;
  snprintf(gOptions.hkHotkey[2].profile, sizeof gOptions.hkHotkey[2].profile, "Pattern Shot");
  gOptions.iPrtNumber = 7;
  ASSERT_TRUE(SerializeOptions(1));
  const ProfileRecord shot = PatternShot();
  ASSERT_EQ(3, AppendProfile(&shot));

  Start();
  std::vector<Entry> entries = OpenProfileMenu();
  ASSERT_EQ((std::vector<int>{0, 1, 2, 3}), Ids(entries));
  EXPECT_EQ(std::vector<int>{0}, CheckedEntries(entries));
  ClickEntry(entries, 3, 1);
  entries = OpenProfileMenu();
  EXPECT_EQ(std::vector<int>{3}, CheckedEntries(entries)) << "a left click makes the profile current";
  ExpectOneShot("right click on its entry", 7, [&] { ClickEntry(entries, 3, 3); });
  ExpectOneShot("Print Screen", 8, [&] { Keys("Print"); });
  ExpectOneShot("Ctrl+Shift+F9", 9, [&] { Keys("ctrl+shift+F9"); });
  Stop();

  InitProgramRecords();
  ASSERT_TRUE(SerializeOptions(0));
  EXPECT_EQ(10, gOptions.iPrtNumber) << "the next number is stored";
  Start();
  entries = OpenProfileMenu();
  EXPECT_EQ(std::vector<int>{3}, CheckedEntries(entries)) << "the current profile after a restart";
  ClickEntry(entries, 3, 1);
  ExpectOneShot("Print Screen after a restart", 10, [&] { Keys("Print"); });
  Stop();
}

}  // namespace
