// Fonts, units and item images at 96, 144 and 192 DPI. Wine takes its DPI
// from the user's LogPixels when a process starts, so each DPI is measured
// in a fresh copy of this test program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/draw/dpi_api_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/ui/ui_item_win.h"
#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/test_paths.h"

namespace {

const char kChildOutput[] = "BW_DPI_CHILD_OUT";

struct Measured {
  int dpi = 0, fontHeight = 0, lineHeight = 0, extentHeight = 0, spaceWidth = 0,
      extentWidth = 0, imageWidth = 0, unitOfItem = 0;
};

// Runs in the fresh process: aware of its DPI as the program is.
TEST(DpiChild, Measure) {
  const char* output = getenv(kChildOutput);
  if (!output) GTEST_SKIP() << "measured only in a fresh process started by DpiScaling";
  LoadDpiApi();
  if (!gDpiApi.pfnSetProcessDpiAwarenessContext ||
      !gDpiApi.pfnSetProcessDpiAwarenessContext(reinterpret_cast<DPI_AWARENESS_CONTEXT>(-4)))
    SetProcessDPIAware();
  CTestFrame frame;
  Measured m;
  m.dpi = int(GetWindowDpi(frame.hwnd));
  // The state file's default size 0 stands for 12 pixels at 96 DPI.
  ASSERT_EQ(0, CreateAppFonts("Arial", 0, m.dpi));
  HFONT font = GetAppFont(kFontUI, m.dpi);
  LOGFONTA logFont = {};
  GetObjectA(font, sizeof(logFont), &logFont);
  m.fontHeight = logFont.lfHeight;
  HDC dc = GetDC(frame.hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE ag = {}, space = {};
  GetTextExtentPoint32A(dc, "Ag", 2, &ag);
  GetTextExtentPoint32A(dc, " ", 1, &space);
  SelectObject(dc, old);
  ReleaseDC(frame.hwnd, dc);
  m.lineHeight = GetLineHeight(m.dpi);
  m.extentHeight = ag.cy;
  m.spaceWidth = GetSpaceWidth(m.dpi);
  m.extentWidth = space.cx;
  CUIItem* item = MakeItem(600, kItemButton, kCommandImage, kTestText, frame.hwnd, 0, 0);
  ASSERT_TRUE(item);
  m.imageWidth = item->imageWidth;
  m.unitOfItem = item->Unit();
  DestroyItem(item);
  FILE* out = fopen(output, "w");
  ASSERT_TRUE(out);
  fprintf(out, "%d %d %d %d %d %d %d %d\n", m.dpi, m.fontHeight, m.lineHeight, m.extentHeight,
          m.spaceWidth, m.extentWidth, m.imageWidth, m.unitOfItem);
  fclose(out);
}

// The user's DPI for the processes started while it lives.
class CLogPixels {
 public:
  explicit CLogPixels(DWORD dpi) {
    RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ | KEY_WRITE, &key_);
    DWORD size = sizeof(old_);
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof(dpi));
  }
  ~CLogPixels() {
    if (had_)
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof(old_));
    else
      RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }
  CLogPixels(const CLogPixels&) = delete;
  CLogPixels& operator=(const CLogPixels&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

bool MeasureAt(DWORD dpi, Measured* m) {
  CLogPixels logPixels(dpi);
  std::string output = TestOutputPath("dpi_" + std::to_string(dpi) + ".txt");
  DeleteFileA(output.c_str());
  SetEnvironmentVariableA(kChildOutput, output.c_str());
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof(exe));
  std::string line = std::string("\"") + exe + "\" --gtest_filter=DpiChild.Measure";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  bool started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process);
  SetEnvironmentVariableA(kChildOutput, nullptr);
  if (!started) return false;
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  FILE* in = fopen(output.c_str(), "r");
  if (!in) return false;
  int read = fscanf(in, "%d %d %d %d %d %d %d %d", &m->dpi, &m->fontHeight, &m->lineHeight,
                    &m->extentHeight, &m->spaceWidth, &m->extentWidth, &m->imageWidth,
                    &m->unitOfItem);
  fclose(in);
  return read == 8;
}

TEST(DpiScaling, FontsUnitsAndImagesFollowTheDpi) {
  const struct {
    DWORD dpi;
    int fontHeight, imageWidth;
  } cases[] = {{96, -12, 16}, {144, -18, 24}, {192, -24, 32}};
  int lineAt96 = 0;
  for (const auto& c : cases) {
    Measured m;
    ASSERT_TRUE(MeasureAt(c.dpi, &m)) << c.dpi;
    EXPECT_EQ(int(c.dpi), m.dpi);
    EXPECT_EQ(c.fontHeight, m.fontHeight) << c.dpi;
    EXPECT_EQ(m.extentHeight, m.lineHeight) << c.dpi;
    EXPECT_EQ(m.extentWidth, m.spaceWidth) << c.dpi;
    EXPECT_EQ(m.spaceWidth, m.unitOfItem) << c.dpi;
    EXPECT_EQ(c.imageWidth, m.imageWidth) << c.dpi;
    if (c.dpi == 96) lineAt96 = m.lineHeight;
    else EXPECT_GT(m.lineHeight, lineAt96) << c.dpi;
  }
}

}  // namespace
