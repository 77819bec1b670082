#pragma once
// The frame the window tests share: a framework window (id 0, style 9219)
// with four bars like the program's, records in a test data folder, and
// real drags.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/app/app_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/ui_item_win.h"
#include "tests/framework/ui/ui_harness_win.h"

enum : uint16_t {
  kMenuFile = 1001, kMenuEdit = 1002, kMenuHelp = 1003,
  kTool1 = 1101, kTool2, kTool3, kTool4, kTool5, kTool6,
  kDraw1 = 1201, kDraw2, kDraw3,
  kStatusItem = 1301,
  kMenuBar = 2001, kToolbar = 2002, kDrawBar = 2003, kInfoBar = 2004,
};
constexpr uint32_t kFrameStyle = 9219;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::string DataFolder();
std::string RecordPath(const char* name, int index);
void WriteBytes(const std::string& path, const void* bytes, size_t size);
void ForgetRecords();
RECT WindowRectOf(HWND window);
POINT CentreOf(const RECT& r);
CUIItem* ItemOf(uint16_t id);
// Beside a screenshot "<name>.png": "<name>.rects" with what the picture
// must show, for the pixel oracle: each bay ("bay" and its colour), the
// parts of it that are painted otherwise ("skip": splitters, the size
// grip), each visible bar ("bar") and a place left bare ("root").
void WriteScreenRects(CAppWindow* frame, const char* name, const RECT* bare);

class Frames : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
  // The frame and its four bars, as the program makes them.
  CAppWindow* Build(int x = 100, int y = 80, int width = 900, int height = 600);
  void Drag(POINT from, POINT to, int steps = 12);
  // A point inside the bar's gripper, in screen coordinates.
  POINT GripperOf(CDockBar* bar);
};
