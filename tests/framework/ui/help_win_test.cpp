// Opening the help file: the viewer at a topic, and each way it can fail.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/test_paths.h"

namespace {

BOOL CALLBACK FindViewer(HWND window, LPARAM lParam) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof(name));
  if (strcmp(name, "HH Parent") != 0 || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = window;
  return FALSE;
}

HWND WaitForViewer() {
  for (int i = 0; i < 500; ++i) {
    HWND viewer = nullptr;
    EnumWindows(FindViewer, LPARAM(&viewer));
    if (viewer) return viewer;
    Sleep(20);
  }
  return nullptr;
}

// ".chm" files open with this program type for the test's life.
class CChmAssociation {
 public:
  explicit CChmAssociation(const char* type) {
    RegOpenKeyExA(HKEY_CLASSES_ROOT, ".chm", 0, KEY_READ | KEY_WRITE, &key_);
    DWORD size = sizeof(old_);
    RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old_), &size);
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                   DWORD(strlen(type) + 1));
  }
  ~CChmAssociation() {
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_),
                   DWORD(strlen(old_) + 1));
    RegCloseKey(key_);
  }
  CChmAssociation(const CChmAssociation&) = delete;
  CChmAssociation& operator=(const CChmAssociation&) = delete;

 private:
  HKEY key_ = nullptr;
  char old_[260] = {};
};

int ShowHelpAnswering(const char* file, BoxDriver* driver) {
  driver->byKeys = false;  // the viewer of an earlier step may hold the focus
  HANDLE thread = CreateThread(nullptr, 0, DriveBox, driver, 0, nullptr);
  int result = gApp.ShowHelp(file, nullptr);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  return result;
}

TEST(Help, TheViewerOpensAtATopicAndFailuresSayWhy) {
  SetUpFramework();
  CModalWatchdogPause boxesAreExpected;
  std::string manual = TestOutputPath("help with blanks\\manual.chm");
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(manual.c_str()));
  EXPECT_EQ(kHelpShown, gApp.ShowHelp(manual.c_str(), "topic.html"));
  HWND viewer = WaitForViewer();
  ASSERT_TRUE(viewer) << "no help viewer window";
  PostMessageA(viewer, WM_CLOSE, 0, 0);

  EXPECT_EQ(kHelpNotChm, gApp.ShowHelp("x.txt", nullptr));

  // A missing file is looked for in the program folder; the box names it.
  snprintf(gApp.m_install.szProgramFolder, sizeof(gApp.m_install.szProgramFolder), "%s",
           TestOutputDir().c_str());
  BoxDriver missing;
  EXPECT_EQ(kHelpMissing, ShowHelpAnswering("missing.chm", &missing));
  ASSERT_TRUE(missing.seen.found);
  EXPECT_NE(std::string::npos,
            (missing.seen.heading + missing.seen.text).find(TestOutputPath("missing.chm")));

  // A path too long for the program folder is reported whole, never cut.
  std::string deep(250, 'd');
  BoxDriver tooLong;
  EXPECT_EQ(kHelpMissing, ShowHelpAnswering((deep + ".chm").c_str(), &tooLong));
  ASSERT_TRUE(tooLong.seen.found);
  EXPECT_NE(std::string::npos, (tooLong.seen.heading + tooLong.seen.text).find(deep + ".chm"));

  // No program for the file type.
  CChmAssociation none("BwNoSuchProgramType");
  BoxDriver noViewer;
  EXPECT_EQ(kHelpNoViewer, ShowHelpAnswering(manual.c_str(), &noViewer));
  ASSERT_TRUE(noViewer.seen.found);
  EXPECT_NE(std::string::npos, noViewer.seen.heading.find("Could not display the manual"));
}

}  // namespace
