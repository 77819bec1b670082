// The shared frame of the window tests.
#include "tests/framework/window/frame_harness_win.h"

#include <cstdio>
#include <cstring>

#include "framework/draw/font_cache_win.h"
#include "framework/settings/data_folder.h"
#include "tests/support/test_paths.h"

namespace {

constexpr uint32_t kMenuBarEntry = 0x4000000;

uint16_t gMenuEntries[] = {kTool1, kTool2, kListEnd};
const uint16_t kMenuBarIds[] = {kMenuFile, kMenuEdit, kMenuHelp, kListEnd};
const uint16_t kToolbarIds[] = {kTool1, kTool2, kSeparatorCommand, kTool3, kTool4,
                                kSeparatorCommand, kTool5, kTool6, kListEnd};
const uint16_t kDrawBarIds[] = {kDraw1, kDraw2, kDraw3, kListEnd};
const uint16_t kInfoBarIds[] = {kStatusItem, kListEnd};

}  // namespace


LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MSG_ITEM_NOTIFY) Notices().push_back({message, wParam, lParam});
  return AppWindowDefProc(window, message, wParam, lParam);
}

std::string DataFolder() { return TestOutputPath("data"); }

std::string RecordPath(const char* name, int index) {
  char path[MAX_PATH];
  snprintf(path, sizeof(path), "%s\\%s%d.kzc", DataFolder().c_str(), name, index);
  return path;
}

void WriteBytes(const std::string& path, const void* bytes, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  fwrite(bytes, 1, size, file);
  fclose(file);
}

void ForgetRecords() {
  for (int id : {0, 2}) DeleteFileA(RecordPath("(ORV)Win", id).c_str());
  for (int id = kMenuBar; id <= kInfoBar; ++id) DeleteFileA(RecordPath("(ORV)Bar", id).c_str());
}

RECT WindowRectOf(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void WriteScreenRects(CAppWindow* frame, const char* name, const RECT* bare) {
  FILE* file = fopen(TestOutputPath(std::string(name) + ".rects").c_str(), "w");
  ASSERT_NE(nullptr, file);
  auto line = [file](const char* kind, const RECT& r, COLORREF colour) {
    fprintf(file, "%s %ld %ld %ld %ld %u %u %u\n", kind, r.left, r.top, r.right, r.bottom,
            GetRValue(colour), GetGValue(colour), GetBValue(colour));
  };
  for (int side = 0; side < 4; ++side) {
    CDockBay* bay = frame->GetBay(side);
    RECT r = WindowRectOf(bay->hwnd);
    if (r.right <= r.left || r.bottom <= r.top) continue;
    line("bay", r, GetThemeColor(0));
    bool farSide = side == kSideBottom || side == kSideRight;
    int offset = 0;
    for (int row = 0; row < kMaxBayRows && bay->rows[row]; ++row) {
      int size = bay->rows[row] < 0 ? -bay->rows[row] : bay->rows[row];
      if (bay->rows[row] < 0) {
        int start = farSide ? offset : offset + size - kSplitterSize;
        RECT strip = bay->vertical ? RECT{r.left + start, r.top, r.left + start + kSplitterSize, r.bottom}
                                   : RECT{r.left, r.top + start, r.right, r.top + start + kSplitterSize};
        line("skip", strip, 0);
      }
      offset += size;
    }
    if (bay->grip == 1)
      line("skip", {r.right - bay->gripSize, r.bottom - bay->gripSize, r.right, r.bottom}, 0);
  }
  for (int i = 0; i < gApp.GetBarCount(); ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    if (bar->frameId == frame->id && IsWindowVisible(bar->hwnd))
      line("bar", WindowRectOf(bar->hwnd), 0);
  }
  if (bare) line("root", *bare, 0);
  fclose(file);
}

CUIItem* ItemOf(uint16_t id) {
  for (int i = 0; i < gApp.GetItemCount(); ++i)
    if (gApp.GetItemAt(i)->id == id && gApp.GetItemAt(i)->hwnd) return gApp.GetItemAt(i);
  return nullptr;
}


void Frames::SetUpTestSuite() {
  SetUpFramework();
  CreateDirectoryA(DataFolder().c_str(), nullptr);
  SetDataFolder(DataFolder().c_str());
  ASSERT_EQ(0, gApp.AddFrameworkCommands());
  for (uint16_t id : {kMenuFile, kMenuEdit, kMenuHelp})
    gApp.AddCommand(id, kItemMenu, 0x80 | kMenuBarEntry, 0xFFFF, kTestTextShort, gMenuEntries);
  for (uint16_t id = kTool1; id <= kTool6; ++id)
    gApp.AddCommand(id, kItemButton, 0x80, 0xFFFF, kTestTextShort, nullptr);
  for (uint16_t id = kDraw1; id <= kDraw3; ++id)
    gApp.AddCommand(id, kItemButton, 0x80, 0xFFFF, kTestTextShort, nullptr);
  // The tool bar's items may move into the overflow menu; the menus may not.
  for (uint16_t id : {kMenuFile, kMenuEdit, kMenuHelp, kDraw1, kDraw2, kDraw3})
    gApp.SetCommandFlags(id, uint32_t(gApp.GetCommandFlags(id)) & ~0x1000u);
  // A stretching status item with a sizable row, as the program's info bar.
  gApp.AddCommand(kStatusItem, kItemStatic, 0x80 | 0x2 | 0x8 | 0x1000000 | kMenuBarEntry, 0xFFFF,
                  kTestTextLong, nullptr);
}

void Frames::SetUp() {
  gApp.m_bStateVersionChanged = false;  // stored placements count
  Notices().clear();
}

void Frames::TearDown() {
  while (gApp.m_iModalCount > 0) gApp.EnterModal(false);
  gApp.DestroyAll();
  Pump(20);
}

CAppWindow* Frames::Build(int x, int y, int width, int height) {
  int index = gApp.AddWindow(0, FrameProc, 0xFFFF, kFrameStyle, 1, x, y, width, height);
  EXPECT_GE(index, 0);
  if (index < 0) return nullptr;
  CAppWindow* frame = gApp.GetWindowAt(index);
  EXPECT_GE(gApp.AddBar(kMenuBar, 0, kSideTop, 0, 0, 0, 0, 0, kBarVisible, kMenuBar, kMenuBar,
                        kMenuBarIds), 0);
  EXPECT_GE(gApp.AddBar(kToolbar, 0, kSideTop, 0, -1, 0, 0, 0, kBarVisible | kBarCloseBox,
                        kToolbar, kToolbar, kToolbarIds), 0);
  EXPECT_GE(gApp.AddBar(kDrawBar, 0, kSideLeft, 0, 0, 0, 0, 0, kBarVisible | kBarNoHorizontal,
                        kDrawBar, kDrawBar, kDrawBarIds), 0);
  EXPECT_GE(gApp.AddBar(kInfoBar, 0, kSideBottom, 0, 0, 0, 0, 0, kBarVisible, kInfoBar,
                        kInfoBar, kInfoBarIds), 0);
  frame->Show(SW_SHOWNORMAL, 1);
  Pump(60);
  return frame;
}

void Frames::Drag(POINT from, POINT to, int steps) {
  MoveMouse(from.x, from.y);
  MouseButton(0, true);
  for (int i = 1; i <= steps; ++i)
    MoveMouse(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
  MouseButton(0, false);
  Pump(40);
}

POINT Frames::GripperOf(CDockBar* bar) {
  POINT p = {(bar->gripperRect.left + bar->gripperRect.right) / 2,
             (bar->gripperRect.top + bar->gripperRect.bottom) / 2};
  if (bar->flags & kBarCloseBox) {
    // Past the close box, which sits first.
    if (bar->dockSide >= 2) p.y = (bar->closeRect.bottom + bar->gripperRect.bottom) / 2;
    else p.x = (bar->closeRect.right + bar->gripperRect.right) / 2;
  }
  ClientToScreen(bar->hwnd, &p);
  return p;
}

