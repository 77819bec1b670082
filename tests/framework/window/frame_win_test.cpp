// Framework windows with four bars like the program's, driven by real input:
// first-start layout, dragging bars between bays and floating, the busy
// overlay, the window menu's commands, status texts from a worker, stored
// placements read back (also broken ones) and a DPI change.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <vector>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/app/app_win.h"
#include "framework/draw/monitors_win.h"
#include "framework/settings/data_folder.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/ui_item_win.h"
#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/test_paths.h"

#include "tests/framework/window/frame_harness_win.h"

namespace {

TEST_F(Frames, FirstStartPutsTheBarsWhereTheirDefaultsSay) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* menu = gApp.FindBar(kMenuBar);
  CDockBar* tools = gApp.FindBar(kToolbar);
  CDockBar* draw = gApp.FindBar(kDrawBar);
  CDockBar* info = gApp.FindBar(kInfoBar);
  EXPECT_EQ(frame->GetBay(kSideTop)->hwnd, GetParent(menu->hwnd));
  EXPECT_EQ(frame->GetBay(kSideTop)->hwnd, GetParent(tools->hwnd));
  EXPECT_EQ(frame->GetBay(kSideLeft)->hwnd, GetParent(draw->hwnd));
  EXPECT_EQ(frame->GetBay(kSideBottom)->hwnd, GetParent(info->hwnd));
  // The menu bar at 0 in row 0; the tool bar follows it (x -1 at creation).
  RECT menuRect = WindowRectOf(menu->hwnd), toolRect = WindowRectOf(tools->hwnd);
  RECT topBay = WindowRectOf(frame->GetBay(kSideTop)->hwnd);
  EXPECT_EQ(topBay.left, menuRect.left);
  EXPECT_EQ(menuRect.right, toolRect.left);
  EXPECT_EQ(menuRect.top, toolRect.top);
  EXPECT_TRUE(tools->flags & kBarAlignPrevious);
  EXPECT_EQ(0, tools->row);
  // Each bar is as long as its items measure: gripper, items with gaps, margins.
  for (CDockBar* bar : {menu, tools}) {
    int extent = 0, shown = 0;
    for (int i = 0; i < bar->items.count; ++i) {
      CUIItem* item = static_cast<CUIItem*>(bar->items.data[i]);
      if (!IsWindowVisible(item->hwnd)) continue;
      extent += WindowRectOf(item->hwnd).right - WindowRectOf(item->hwnd).left;
      ++shown;
    }
    int gripper = bar->gripperRect.right - bar->gripperRect.left;
    EXPECT_EQ(gripper + 2 + extent + 2 * (shown - 1) + 2, bar->length) << bar->id;
  }
  // The draw bar is vertical on the left, the info bar along the bottom,
  // and the client area lies between the bays.
  RECT drawRect = WindowRectOf(draw->hwnd), infoRect = WindowRectOf(info->hwnd);
  EXPECT_GT(drawRect.bottom - drawRect.top, drawRect.right - drawRect.left);
  RECT frameClient;
  GetClientRect(frame->hwnd, &frameClient);
  POINT origin = {0, 0};
  ClientToScreen(frame->hwnd, &origin);
  EXPECT_EQ(origin.y + frameClient.bottom, infoRect.bottom);
  EXPECT_EQ(drawRect.right - origin.x, frame->clientRect.left);
  EXPECT_EQ(toolRect.bottom - origin.y, frame->clientRect.top);
  EXPECT_EQ(WindowRectOf(frame->GetBay(kSideBottom)->hwnd).top - origin.y,
            frame->clientRect.bottom);
  // The info bar's status item stretches over the bar, less the size grip.
  CUIItem* status = ItemOf(kStatusItem);
  ASSERT_TRUE(status);
  EXPECT_GT(WindowRectOf(status->hwnd).right - WindowRectOf(status->hwnd).left,
            (infoRect.right - infoRect.left) / 2);
  WriteScreenRects(frame, "first_start", nullptr);
  TakeScreenshot("first_start.png");
}

TEST_F(Frames, DefaultPlacementOfAnotherWindowSteppedById) {
  ForgetRecords();
  RECT monitor;
  GetMonitorRect(0, 0, &monitor, false);
  int index = gApp.AddWindow(2, FrameProc, 0xFFFF, 0);
  ASSERT_GE(index, 0);
  RECT rect = WindowRectOf(gApp.GetWindowAt(index)->hwnd);
  int width = (monitor.right - monitor.left) * 2 / 3, height = (monitor.bottom - monitor.top) * 2 / 3;
  EXPECT_EQ(width, rect.right - rect.left);
  EXPECT_EQ(height, rect.bottom - rect.top);
  EXPECT_EQ(((monitor.right - width) / 2 + 80) % (monitor.right - width), rect.left);
  if (monitor.right == 1920 && monitor.bottom == 1080) {
    EXPECT_EQ(400, rect.left);
    EXPECT_EQ(260, rect.top);
    EXPECT_EQ(1280, rect.right - rect.left);
  }
}

TEST_F(Frames, DraggingTheToolBarFloatsAndDocksIt) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  CDockBar* menu = gApp.FindBar(kMenuBar);
  // Below the frame, over the bare screen.
  RECT frameRect = WindowRectOf(frame->hwnd);
  Drag(GripperOf(tools), {frameRect.left + 200, frameRect.bottom + 80});
  EXPECT_EQ(-1, tools->dockSide);
  LONG_PTR style = GetWindowLongPtrA(tools->hwnd, GWL_STYLE);
  EXPECT_EQ(LONG_PTR(WS_POPUP | WS_CAPTION), style & (WS_POPUP | WS_CAPTION | WS_CHILD));
  EXPECT_EQ(frame->hwnd, GetWindow(tools->hwnd, GW_OWNER));
  EXPECT_TRUE(IsWindowVisible(tools->hwnd));
  WriteScreenRects(frame, "drag_floating", nullptr);
  TakeScreenshot("drag_floating.png");
  // By its caption into the left bay: docked vertically.
  RECT floating = WindowRectOf(tools->hwnd);
  POINT caption = {floating.left + 20, floating.top + GetSystemMetrics(SM_CYSMCAPTION) / 2 + 2};
  RECT leftBay = WindowRectOf(frame->GetBay(kSideLeft)->hwnd);
  Drag(caption, {leftBay.right + 2, (leftBay.top + leftBay.bottom) / 2});
  EXPECT_EQ(kSideLeft, tools->dockSide);
  EXPECT_EQ(frame->GetBay(kSideLeft)->hwnd, GetParent(tools->hwnd));
  RECT vertical = WindowRectOf(tools->hwnd);
  EXPECT_GT(vertical.bottom - vertical.top, vertical.right - vertical.left);
  Pump(60);
  WriteScreenRects(frame, "drag_left", &floating);  // the vacated place shows the screen
  TakeScreenshot("drag_left.png");
  // Back to the top bay, just after the menu bar: it sits beside it in row 0.
  RECT menuRect = WindowRectOf(menu->hwnd);
  Drag(GripperOf(tools), {menuRect.right + 6, (menuRect.top + menuRect.bottom) / 2});
  EXPECT_EQ(kSideTop, tools->dockSide);
  EXPECT_EQ(menu->row, tools->row);
  EXPECT_EQ(menuRect.right, WindowRectOf(tools->hwnd).left);
  WriteScreenRects(frame, "drag_top", nullptr);
  TakeScreenshot("drag_top.png");
}

TEST_F(Frames, LockedBarPositionsKeepABarInPlace) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  POINT grip = GripperOf(tools);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61777, 0);  // Lock > Bar Positions
  EXPECT_TRUE(frame->flags & kWindowBarPositionsLocked);
  RECT before = WindowRectOf(tools->hwnd);  // the gripper went: the bar is shorter
  Drag(grip, CentreOf(WindowRectOf(frame->hwnd)));
  EXPECT_EQ(kSideTop, tools->dockSide);
  RECT after = WindowRectOf(tools->hwnd);
  EXPECT_EQ(0, memcmp(&before, &after, sizeof(RECT)));
  // Position locked: moving from code changes neither the window nor the
  // placement that is saved.
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61779, 0);
  RECT placed = WindowRectOf(frame->hwnd);
  frame->SetPosition({placed.left + 50, placed.top + 40, placed.right + 50, placed.bottom + 40},
                     false);
  RECT moved = WindowRectOf(frame->hwnd);
  EXPECT_EQ(placed.left, moved.left);
  EXPECT_EQ(placed.left, frame->normalRect.left);
  EXPECT_EQ(placed.top, frame->normalRect.top);
}

TEST_F(Frames, BusyOverlayKeepsClicksOffEveryBar) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  RECT frameRect = WindowRectOf(frame->hwnd);
  Drag(GripperOf(tools), {frameRect.left + 200, frameRect.bottom + 60});
  ASSERT_EQ(-1, tools->dockSide);
  // A docked and a floating button, each answering a click while idle.
  POINT docked = CentreOf(WindowRectOf(ItemOf(kDraw1)->hwnd));
  POINT floating = CentreOf(WindowRectOf(ItemOf(kTool1)->hwnd));
  auto clicksNotified = [&](POINT at) {
    Notices().clear();
    ClickAt(at.x, at.y);
    Pump(30);
    return CountNotices(MSG_ITEM_NOTIFY);
  };
  ASSERT_EQ(1, clicksNotified(docked));
  ASSERT_EQ(1, clicksNotified(floating));
  gApp.EnterModal(true);
  gApp.EnterModal(true);
  ASSERT_TRUE(frame->busyOverlay);
  ASSERT_TRUE(tools->busyOverlay);
  EXPECT_EQ(0, clicksNotified(docked));
  EXPECT_EQ(0, clicksNotified(floating));
  MoveMouse(docked.x, docked.y);
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof(cursor);
  GetCursorInfo(&cursor);
  EXPECT_EQ(LoadCursor(nullptr, IDC_WAIT), cursor.hCursor);
  // A right click in the client area opens no menu, also after a resize.
  for (int pass = 0; pass < 2; ++pass) {
    POINT client = CentreOf(WindowRectOf(frame->hwnd));
    MoveMouse(client.x, client.y);
    MouseButton(1, true);
    MouseButton(1, false);
    Pump(30);
    EXPECT_EQ(nullptr, gApp.GetOpenPopup()) << pass;
    RECT r = WindowRectOf(frame->hwnd);
    frame->Layout(r.left, r.top, r.right - r.left + 80, r.bottom - r.top + 40, false);
    Pump(20);
  }
  gApp.EnterModal(false);  // one level left: still busy
  EXPECT_EQ(0, clicksNotified(docked));
  gApp.EnterModal(false);
  EXPECT_EQ(nullptr, frame->busyOverlay);
  EXPECT_EQ(nullptr, tools->busyOverlay);
  EXPECT_EQ(1, clicksNotified(docked));
  EXPECT_EQ(1, clicksNotified(floating));
}

TEST_F(Frames, CloseBoxHidesTheBarAndFloatingWidthsWrapTheItems) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  // Sizing a floating bar narrower wraps its items into more lines, and the
  // sizing rectangle follows what the lines need.
  RECT frameRect = WindowRectOf(frame->hwnd);
  Drag(GripperOf(tools), {frameRect.left + 200, frameRect.bottom + 60});
  ASSERT_EQ(-1, tools->dockSide);
  RECT wide = WindowRectOf(tools->hwnd);
  int wideThickness = tools->thickness;
  RECT sizing = wide;
  sizing.right = sizing.left + (wide.right - wide.left) / 2;
  SendMessageA(tools->hwnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing));
  EXPECT_GT(int(tools->thickness), wideThickness);
  SIZE outer = tools->FloatingOuterSize(tools->length, tools->thickness);
  EXPECT_EQ(outer.cx, sizing.right - sizing.left);
  EXPECT_EQ(outer.cy, sizing.bottom - sizing.top);
  EXPECT_LT(sizing.right - sizing.left, wide.right - wide.left);
  // Back in the top bay, its close box hides it.
  RECT menuRect = WindowRectOf(gApp.FindBar(kMenuBar)->hwnd);
  RECT floatingRect = WindowRectOf(tools->hwnd);
  Drag({floatingRect.left + 20, floatingRect.top + 5}, {menuRect.right + 6, menuRect.top + 4});
  ASSERT_EQ(kSideTop, tools->dockSide);
  POINT close = CentreOf(tools->closeRect);
  ClientToScreen(tools->hwnd, &close);
  ClickAt(close.x, close.y);
  Pump(30);
  EXPECT_FALSE(tools->IsVisible());
  EXPECT_FALSE(IsWindowVisible(tools->hwnd));
}

TEST_F(Frames, WindowMenuListsTheBarsAndItsCommandsAct) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  // A real right click on the left bay below the draw bar opens it.
  RECT leftBay = WindowRectOf(frame->GetBay(kSideLeft)->hwnd);
  MoveMouse((leftBay.left + leftBay.right) / 2, leftBay.bottom - 10);
  MouseButton(1, true);
  MouseButton(1, false);
  Pump(60);
  CMenu* open = gApp.GetOpenPopup();
  ASSERT_TRUE(open);
  ASSERT_EQ(4 + 1 + 7, open->GetEntryCount());
  const uint16_t expected[] = {kMenuBar, kToolbar, kDrawBar, kInfoBar, kSeparatorCommand,
                               61712, 61713, 61728, 61744, 61760, 61776, 61792};
  for (int i = 0; i < open->GetEntryCount(); ++i)
    EXPECT_EQ(expected[i], open->GetEntry(i)->id) << i;
  EXPECT_TRUE(gApp.GetCommandFlags(kToolbar) & kCommandChecked);
  Tap(VK_ESCAPE);
  Pump(30);
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_EQ(0, frame->transparency);
  // The commands as the menu sends them.
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61712, 0);
  EXPECT_TRUE(frame->flags & kWindowTopmost);
  // Wine 8 does not report WS_EX_TOPMOST for a frame that owns menu popups
  // (the same frame without bars does): only the flag is checked here.
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61798, 0);  // 50%
  BYTE alpha = 0;
  DWORD how = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(frame->hwnd, nullptr, &alpha, &how));
  EXPECT_EQ(127, alpha);
  // A bar entry hides the bar; its row closes up.
  RECT menuBefore = WindowRectOf(gApp.FindBar(kMenuBar)->hwnd);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, kMenuBar, 0);
  Pump(30);
  EXPECT_FALSE(IsWindowVisible(gApp.FindBar(kMenuBar)->hwnd));
  EXPECT_LT(WindowRectOf(tools->hwnd).left, menuBefore.right);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61732, 0);  // Borderless
  Pump(30);

  EXPECT_TRUE(IsWindowVisible(frame->hwnd));
  EXPECT_FALSE(GetWindowLongPtrA(frame->hwnd, GWL_STYLE) & WS_CAPTION);
  // Floating bars take the frame's transparency.
  POINT middle = CentreOf(WindowRectOf(frame->hwnd));
  Drag(GripperOf(tools), middle);
  ASSERT_EQ(-1, tools->dockSide);
  ASSERT_TRUE(GetLayeredWindowAttributes(tools->hwnd, nullptr, &alpha, &how));
  EXPECT_EQ(127, alpha);
}

TEST_F(Frames, ShrinkingMovesToolBarItemsIntoTheOverflowMenu) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  CDockBar* menu = gApp.FindBar(kMenuBar);
  RECT rect = WindowRectOf(frame->hwnd);
  // Room for the menu bar and half of what the tool bar could give up.
  RECT client;
  GetClientRect(frame->hwnd, &client);
  int border = (rect.right - rect.left) - client.right;
  int width = border + menu->length + (tools->minLength + tools->naturalLength) / 2;
  frame->Layout(rect.left, rect.top, width, rect.bottom - rect.top, false);
  Pump(30);
  ASSERT_NE(kListEnd, tools->overflowIds[0]);
  // In bar order, from the end, and never starting with a separator.
  EXPECT_NE(kSeparatorCommand, tools->overflowIds[0]);
  int n = 0;
  while (tools->overflowIds[n] != kListEnd) ++n;
  EXPECT_EQ(kTool6, tools->overflowIds[n - 1]);
  for (int i = 1; i < n; ++i) {
    if (tools->overflowIds[i] != kSeparatorCommand && tools->overflowIds[i - 1] != kSeparatorCommand) {
      EXPECT_LT(tools->overflowIds[i - 1], tools->overflowIds[i]);
    }
  }
  CUIItem* overflow = static_cast<CUIItem*>(tools->items.data[tools->items.count - 1]);
  EXPECT_TRUE(IsWindowVisible(overflow->hwnd));
  EXPECT_FALSE(IsWindowVisible(ItemOf(kTool6)->hwnd));
  // The overflow menu opens with the hidden items; one of them notifies like its button.
  POINT at = CentreOf(WindowRectOf(overflow->hwnd));
  ClickAt(at.x, at.y);
  Pump(60);
  CMenu* open = gApp.GetOpenPopup();
  ASSERT_TRUE(open);
  ASSERT_EQ(n, open->GetEntryCount());
  CUIItem* last = open->GetEntry(n - 1);
  POINT entry = CentreOf(WindowRectOf(last->hwnd));
  Notices().clear();
  ClickAt(entry.x, entry.y);
  Pump(40);
  ASSERT_EQ(1, CountNotices(MSG_ITEM_NOTIFY));
  EXPECT_EQ(kTool6, LOWORD(Notices()[0].wParam));
  TakeScreenshot("overflow.png");
}

TEST_F(Frames, StatusTextsFollowThePartsAlsoFromAWorker) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  EXPECT_EQ(kStatusItem, frame->statusCommand);
  EXPECT_STREQ(gStringTable.GetText(61444, 0), gStringTable.GetText(kTestTextLong, 0));
  gApp.SetStatusTextF(0, -1, "%s", "main part");
  gApp.SetStatusTextF(0, -2, nullptr);
  EXPECT_STREQ(gStringTable.GetText(61444, 0), gStringTable.GetText(kTestTextLong, 0));
  gApp.SetStatusTextF(0, 4, "%s", "100% %s %n.png");
  EXPECT_STREQ("100% %s %n.png", gStringTable.GetText(kTestTextLong, 0));
  struct Worker {
    static DWORD WINAPI Run(LPVOID) {
      char text[1024];
      for (int i = 0; i < 20000; ++i) {
        int length = 1 + i % 1000;
        memset(text, 'a' + i % 26, size_t(length));
        snprintf(text, sizeof(text), "%d", i);
        text[strlen(text)] = i % 2 ? 'x' : 'y';
        text[length] = 0;
        gApp.SetStatusTextF(0, 4, "%s", text);
      }
      gApp.SetStatusTextF(0, 4, "%s", "done");
      return 0;
    }
  };
  HANDLE thread = CreateThread(nullptr, 0, Worker::Run, nullptr, 0, nullptr);
  ASSERT_TRUE(thread);
  DWORD start = GetTickCount();
  while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT && GetTickCount() - start < 60000) {
    RedrawWindow(frame->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    gApp.SetStatusTextF(0, -2, "%s", "hover");
    Pump(5);
  }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0)) << "the worker stalled";
  CloseHandle(thread);
  Pump(30);
  EXPECT_STREQ("hover", gStringTable.GetText(kTestTextLong, 0));  // the last record shows
  gApp.SetStatusTextF(0, -2, nullptr);
  EXPECT_STREQ("done", gStringTable.GetText(kTestTextLong, 0));
}

TEST_F(Frames, EditedAndBrokenRecordsStayUsable) {
  ForgetRecords();
  // Edited records: row 40, side 9, thickness 0, x 30000, transparency 200,
  // and a 5-byte placement.
  auto bar = [](int16_t x, int16_t y, uint16_t length, uint16_t thickness, uint16_t side,
                uint16_t row, uint16_t flags) {
    uint8_t b[16];
    int16_t fields[8] = {x, y, int16_t(length), int16_t(thickness), 0, int16_t(side),
                         int16_t(row), int16_t(flags)};
    memcpy(b, fields, 16);
    return std::string(reinterpret_cast<char*>(b), 16);
  };
  std::string records[] = {bar(0, 0, 200, 30, 0, 40, 0x20), bar(10, 0, 200, 30, 9, 0, 0x20),
                           bar(0, 0, 200, 0, 2, 0, 0x20), bar(30000, 30000, 200, 40, 255, 0, 0x20)};
  for (int i = 0; i < 4; ++i)
    WriteBytes(RecordPath("(ORV)Bar", kMenuBar + i), records[i].data(), 16);
  uint8_t placement[16] = {};
  int16_t x = 30000;
  memcpy(placement, &x, 2);
  placement[4] = 0x20, placement[5] = 0x03;  // 800 wide
  placement[6] = 0x58, placement[7] = 0x02;  // 600 high
  placement[12] = 200;
  WriteBytes(RecordPath("(ORV)Win", 0), placement, 16);
  CAppWindow* edited = Build();
  ASSERT_TRUE(edited);
  RECT monitorsUnion = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT r = WindowRectOf(edited->hwnd);
  EXPECT_GE(r.left, monitorsUnion.left);
  EXPECT_LE(r.right, monitorsUnion.right);
  EXPECT_EQ(90, edited->transparency);
  for (int id = kMenuBar; id <= kInfoBar; ++id) {
    CDockBar* b = gApp.FindBar(uint16_t(id));
    EXPECT_TRUE(IsWindowVisible(b->hwnd)) << id;
    EXPECT_LE(b->row, 15);
    RECT br = WindowRectOf(b->hwnd);
    EXPECT_GT(br.right - br.left, 0);
    EXPECT_GT(br.bottom - br.top, 0);
    EXPECT_GE(br.left, monitorsUnion.left) << id;
    EXPECT_LE(br.right, monitorsUnion.right) << id;
  }
  gApp.DestroyAll();
  Pump(20);
  uint8_t shortRecord[5] = {1, 2, 3, 4, 5};
  WriteBytes(RecordPath("(ORV)Win", 0), shortRecord, 5);
  CAppWindow* fresh = Build(120, 90, 700, 500);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(0, fresh->transparency);
  RECT rect = WindowRectOf(fresh->hwnd);
  EXPECT_EQ(120, rect.left);
  EXPECT_EQ(700, rect.right - rect.left);
  // A button answers a real click.
  CUIItem* button = ItemOf(kDraw2);
  POINT at = CentreOf(WindowRectOf(button->hwnd));
  Notices().clear();
  ClickAt(at.x, at.y);
  Pump(30);
  EXPECT_EQ(1, CountNotices(MSG_ITEM_NOTIFY));
}

TEST_F(Frames, DpiChangeScalesBarThicknessAndMovesTheWindow) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* info = gApp.FindBar(kInfoBar);
  int before = info->thickness;
  frame->dpi = 96;
  RECT suggested = {200, 150, 200 + 1000, 150 + 700};
  SendMessageA(frame->hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&suggested));
  Pump(20);
  EXPECT_EQ(144u, frame->dpi);
  ASSERT_TRUE(info->flags & kBarSizable);
  EXPECT_EQ(before * 144 / 96, int(info->thickness));
  RECT rect = WindowRectOf(frame->hwnd);
  EXPECT_EQ(200, rect.left);
  EXPECT_EQ(1000, rect.right - rect.left);
}

}  // namespace

namespace {

TEST_F(Frames, AltOpensTheMenuBarFromTheBarsOfTheActiveWindow) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  POINT middle = CentreOf(WindowRectOf(frame->hwnd));
  ClickAt(middle.x, middle.y);  // the frame is the active window
  Pump(30);
  Tap(VK_MENU);
  Pump(60);
  CMenu* open = gApp.GetOpenPopup();
  ASSERT_TRUE(open);
  EXPECT_EQ(kMenuFile, open->id);
  Tap(VK_RIGHT);
  Pump(40);
  ASSERT_TRUE(gApp.GetOpenPopup());
  EXPECT_EQ(kMenuEdit, gApp.GetOpenPopup()->id);
  Tap(VK_ESCAPE);
  Tap(VK_ESCAPE);
  Pump(40);
}

TEST_F(Frames, DropsNearRowBoundariesInsertRowsAndEndsSnap) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  CDockBar* info = gApp.FindBar(kInfoBar);
  CDockBay* top = frame->GetBay(kSideTop);
  // Just below the only row: a new row 1.
  RECT bay = WindowRectOf(top->hwnd);
  Drag(GripperOf(tools), {bay.left + 40, bay.bottom + 1});
  EXPECT_EQ(kSideTop, tools->dockSide);
  EXPECT_EQ(1, tools->row);
  EXPECT_EQ(0, gApp.FindBar(kMenuBar)->row);
  // The info bar dropped on the boundary between rows 0 and 1 pushes row 1 down.
  int boundary = WindowRectOf(gApp.FindBar(kMenuBar)->hwnd).bottom;
  Drag(GripperOf(info), {bay.left + 60, boundary - 1});
  EXPECT_EQ(kSideTop, info->dockSide);
  EXPECT_EQ(1, info->row);
  EXPECT_EQ(2, tools->row);
  TakeScreenshot("rows.png");
  // The tool bar ending near the row end aligns to it, also after a resize.
  RECT toolRect = WindowRectOf(tools->hwnd);
  bay = WindowRectOf(top->hwnd);
  POINT grip = GripperOf(tools);
  int shift = (bay.right - 4) - toolRect.right;
  Drag(grip, {grip.x + shift, grip.y});
  EXPECT_TRUE(tools->flags & kBarAlignEnd);
  EXPECT_EQ(bay.right, WindowRectOf(tools->hwnd).right);
  RECT rect = WindowRectOf(frame->hwnd);
  frame->Layout(rect.left, rect.top, rect.right - rect.left + 120, rect.bottom - rect.top, false);
  Pump(30);
  EXPECT_EQ(WindowRectOf(top->hwnd).right, WindowRectOf(tools->hwnd).right);
}

TEST_F(Frames, SplitterSizesTheRowAndTheGripSizesTheFrame) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* info = gApp.FindBar(kInfoBar);
  CDockBay* bottom = frame->GetBay(kSideBottom);
  RECT bay = WindowRectOf(bottom->hwnd);
  int before = info->thickness;
  POINT splitter = {(bay.left + bay.right) / 2, bay.top + 1};
  MoveMouse(splitter.x, splitter.y);
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof(cursor);
  GetCursorInfo(&cursor);
  EXPECT_EQ(LoadCursor(nullptr, IDC_SIZENS), cursor.hCursor);
  Drag(splitter, {splitter.x, splitter.y - 30});
  EXPECT_EQ(before + 30, int(info->thickness));
  EXPECT_EQ(bay.top - 30, WindowRectOf(bottom->hwnd).top);
  // Far beyond the frame: capped at its client height.
  bay = WindowRectOf(bottom->hwnd);
  Drag({splitter.x, bay.top + 1}, {splitter.x, bay.top - 4000}, 4);
  RECT client;
  GetClientRect(frame->hwnd, &client);
  EXPECT_LE(int(info->thickness), client.bottom);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61778, 0);  // Lock > Bar Sizes
  bay = WindowRectOf(bottom->hwnd);
  MoveMouse((bay.left + bay.right) / 2, bay.top + 1);
  GetCursorInfo(&cursor);
  EXPECT_NE(LoadCursor(nullptr, IDC_SIZENS), cursor.hCursor);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61778, 0);
  // The size grip in the bottom-right corner sizes the frame.
  RECT frameBefore = WindowRectOf(frame->hwnd);
  bay = WindowRectOf(bottom->hwnd);
  POINT grip = {bay.right - 3, bay.bottom - 3};
  MoveMouse(grip.x, grip.y);
  // The system's size loop runs inside the press: the rest of the drag
  // comes from another thread.
  struct Rest {
    POINT from;
    static DWORD WINAPI Run(LPVOID parameter) {
      POINT from = static_cast<Rest*>(parameter)->from;
      Sleep(150);
      for (int i = 1; i <= 8; ++i) {
        SetCursorPos(from.x + 60 * i / 8, from.y + 40 * i / 8);
        INPUT move = {};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &move, sizeof(move));
        Sleep(30);
      }
      INPUT up = {};
      up.type = INPUT_MOUSE;
      up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(1, &up, sizeof(up));
      return 0;
    }
  } rest = {grip};
  HANDLE thread = CreateThread(nullptr, 0, Rest::Run, &rest, 0, nullptr);
  MouseButton(0, true);
  PumpUntil([thread] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 5000);
  CloseHandle(thread);
  Pump(60);
  RECT frameAfter = WindowRectOf(frame->hwnd);
  EXPECT_EQ(frameBefore.left, frameAfter.left);
  EXPECT_EQ(frameBefore.right + 60, frameAfter.right);
  EXPECT_EQ(frameBefore.bottom + 40, frameAfter.bottom);
}

}  // namespace

// ---- Benchmark (run with --gtest_also_run_disabled_tests; prints figures) ----

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

struct Stats {
  double mean, p95, median;
};

Stats Summarise(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  double sum = 0;
  for (double v : t) sum += v;
  return {sum / double(t.size()), t[t.size() * 95 / 100], t[t.size() / 2]};
}

// 200 resizes of a window, each timed around the synchronous SetWindowPos.
Stats TimeResizes(HWND window) {
  RECT rect = WindowRectOf(window);
  std::vector<double> times;
  for (int i = 0; i < 200; ++i) {
    int width = 500 + (i * 37) % 500, height = 400 + (i * 23) % 200;
    double start = Now();
    SetWindowPos(window, nullptr, rect.left, rect.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    times.push_back(Now() - start);
    if (i % 20 == 0) Pump(1);
  }
  return Summarise(times);
}

LRESULT CALLBACK RebarHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    HWND rebar = GetDlgItem(window, 1);
    if (rebar) SendMessageA(rebar, WM_SIZE, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Frames, DISABLED_BenchmarkLayoutDragAndStatus) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  Stats ours = TimeResizes(frame->hwnd);
  // The same buttons in four bands of a system rebar.
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&init);
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = RebarHostProc;
  hostClass.hInstance = gApp.m_hInstance;
  hostClass.lpszClassName = "BenchRebarHost";
  RegisterClassA(&hostClass);
  HWND host = CreateWindowExA(0, "BenchRebarHost", "rebar", WS_POPUP | WS_VISIBLE | WS_CAPTION, 100,
                              80, 900, 600, nullptr, nullptr, gApp.m_hInstance, nullptr);
  HWND rebar = CreateWindowExA(0, REBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | RBS_VARHEIGHT |
                               CCS_NODIVIDER, 0, 0, 0, 0, host, HMENU(1), gApp.m_hInstance, nullptr);
  const int buttonsPerBand[4] = {3, 8, 3, 1};
  for (int band = 0; band < 4; ++band) {
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT |
                                   TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                                   0, 0, 0, 0, rebar, nullptr, gApp.m_hInstance, nullptr);
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    for (int b = 0; b < buttonsPerBand[band]; ++b) {
      TBBUTTON button = {};
      button.iBitmap = I_IMAGENONE;
      button.idCommand = 100 + band * 10 + b;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
      button.iString = reinterpret_cast<INT_PTR>("B");
      SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    SIZE size = {};
    SendMessageA(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    REBARBANDINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
    info.fStyle = RBBS_GRIPPERALWAYS | (band == 3 ? RBBS_BREAK : 0);
    info.hwndChild = toolbar;
    info.cxMinChild = size.cx / 2;
    info.cyMinChild = size.cy;
    info.cx = size.cx;
    SendMessageA(rebar, RB_INSERTBANDA, WPARAM(-1), reinterpret_cast<LPARAM>(&info));
  }
  Pump(30);
  Stats system = TimeResizes(host);
  DestroyWindow(host);
  // Drag moves: the tool bar between a floating place and the top bay.
  CDockBar* tools = gApp.FindBar(kToolbar);
  RECT top = WindowRectOf(frame->GetBay(kSideTop)->hwnd);
  POINT middle = CentreOf(WindowRectOf(frame->hwnd));
  std::vector<double> moves;
  for (int i = 0; i < 100; ++i) {
    POINT cursor = i % 4 < 2 ? POINT{middle.x + i, middle.y} : POINT{top.left + 200 + i, top.top + 5};
    double start = Now();
    gApp.DockBarAt(tools, cursor, cursor);
    moves.push_back(Now() - start);
  }
  Stats drag = Summarise(moves);
  // Status texts from a worker while the user interface thread paints.
  static std::vector<double> statusTimes;
  statusTimes.clear();
  struct Worker {
    static DWORD WINAPI Run(LPVOID) {
      for (int i = 0; i < 5000; ++i) {
        double start = Now();
        gApp.SetStatusTextF(0, 4, "status %d", i);
        statusTimes.push_back(Now() - start);
      }
      return 0;
    }
  };
  HANDLE thread = CreateThread(nullptr, 0, Worker::Run, nullptr, 0, nullptr);
  while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
    RedrawWindow(frame->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(2);
  }
  CloseHandle(thread);
  Stats status = Summarise(statusTimes);
  printf("BENCH layout per WM_SIZE: mean %.3f ms, p95 %.3f ms\n", ours.mean, ours.p95);
  printf("BENCH rebar per WM_SIZE: mean %.3f ms, p95 %.3f ms\n", system.mean, system.p95);
  printf("BENCH ratio mean %.2f, p95 %.2f\n", ours.mean / system.mean, ours.p95 / system.p95);
  printf("BENCH drag move (DockBarAt and relayout): mean %.3f ms, p95 %.3f ms\n", drag.mean,
         drag.p95);
  printf("BENCH SetStatusText from a worker: median %.4f ms, p95 %.4f ms\n", status.median,
         status.p95);
}

}  // namespace

// ---- The window menu's dialogs, answered from another thread ----

namespace {

// Presses OK on the first common dialog the window owns (not a message box).
HWND WaitForCommonDialog(HWND owner) {
  for (int i = 0; i < 500; ++i) {
    HWND found = nullptr;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      char name[16] = {};
      GetClassNameA(w, name, sizeof(name));
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (process == GetCurrentProcessId() && !strcmp(name, "#32770") && IsWindowVisible(w) &&
          GetWindow(w, GW_OWNER) == owner && !GetDlgItem(w, 50108))
        found = w;
    }
    if (found) return found;
    Sleep(20);
  }
  return nullptr;
}

struct DialogDriver {
  HWND owner;
  bool dialogSeen;
  BoxDriver box;  // the restart question, when one follows
  bool expectBox;
};

DWORD WINAPI DriveDialog(LPVOID parameter) {
  DialogDriver* driver = static_cast<DialogDriver*>(parameter);
  HWND dialog = WaitForCommonDialog(driver->owner);
  driver->dialogSeen = dialog != nullptr;
  if (!dialog) return 0;
  Sleep(150);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  if (driver->expectBox) DriveBox(&driver->box);
  return 0;
}

TEST_F(Frames, ColourAndFontDialogsStoreTheirChoice) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  gApp.m_state.bColorScheme = 0;
  gApp.m_state.aulThemeValues[2] = RGB(10, 120, 230);
  DialogDriver colour = {frame->hwnd, false, {}, false};
  HANDLE thread = CreateThread(nullptr, 0, DriveDialog, &colour, 0, nullptr);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61749, 0);  // Color > Custom > Focus
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  ASSERT_TRUE(colour.dialogSeen);
  EXPECT_EQ(2, gApp.m_state.bColorScheme);
  EXPECT_EQ(uint32_t(RGB(10, 120, 230)), gApp.m_state.aulThemeValues[2]);

  // The font: pixels at 96 DPI in, the same pixels back; the restart
  // question answered with Escape restarts nothing.
  snprintf(gApp.m_state.szFontFace, sizeof(gApp.m_state.szFontFace), "%s", "Liberation Sans");
  gApp.m_state.iFontSize = 16;  // 12 points at 96 DPI
  gApp.m_iRestartKind = kRestartNone;
  DialogDriver font = {frame->hwnd, false, {}, true};
  font.box.escapeFirst = true;
  thread = CreateThread(nullptr, 0, DriveDialog, &font, 0, nullptr);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61762, 0);  // Font > Custom...
  WaitForSingleObject(thread, 15000);
  CloseHandle(thread);
  ASSERT_TRUE(font.dialogSeen);
  EXPECT_STREQ("Liberation Sans", gApp.m_state.szFontFace);
  EXPECT_EQ(16, gApp.m_state.iFontSize);
  ASSERT_TRUE(font.box.seen.found);
  std::string question = font.box.seen.heading + font.box.seen.text;
  EXPECT_NE(std::string::npos, question.find("restarted")) << question;
  EXPECT_EQ(kRestartNone, gApp.m_iRestartKind);
  gApp.m_state.szFontFace[0] = 0;
  gApp.m_state.iFontSize = 0;
  gApp.m_state.bColorScheme = 255;
}

}  // namespace

namespace {

TEST_F(Frames, WindowMenuByKeysSetsTransparencyOnFrameAndFloatingBar) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  RECT frameRect = WindowRectOf(frame->hwnd);
  Drag(GripperOf(tools), {frameRect.left + 200, frameRect.bottom + 60});
  ASSERT_EQ(-1, tools->dockSide);
  RECT leftBay = WindowRectOf(frame->GetBay(kSideLeft)->hwnd);
  MoveMouse((leftBay.left + leftBay.right) / 2, leftBay.bottom - 10);
  MouseButton(1, true);
  MouseButton(1, false);
  Pump(60);
  ASSERT_TRUE(gApp.GetOpenPopup());
  // From the last entry ("Transparency") into its menu, down to "50%".
  Tap(VK_UP);
  Pump(60);
  Tap(VK_RIGHT);
  Pump(60);
  for (int i = 0; i < 5; ++i) {
    Tap(VK_DOWN);
    Pump(20);
  }
  Tap(VK_RETURN);
  Pump(60);
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_EQ(50, frame->transparency);
  BYTE alpha = 0;
  DWORD how = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(frame->hwnd, nullptr, &alpha, &how));
  EXPECT_EQ(127, alpha);
  ASSERT_TRUE(GetLayeredWindowAttributes(tools->hwnd, nullptr, &alpha, &how));
  EXPECT_EQ(127, alpha);
}

}  // namespace

// ---- A restart is a second process reading what the first one saved ----

namespace {

// What a user sees of the frame and its bars, one line each.
std::string DescribeScreen(CAppWindow* frame) {
  std::string out;
  char line[256];
  RECT r = WindowRectOf(frame->hwnd);
  snprintf(line, sizeof(line), "frame %ld %ld %ld %ld transparency %d flags %x\n", r.left, r.top,
           r.right, r.bottom, frame->transparency, unsigned(frame->flags & kWindowUserBits));
  out += line;
  for (int i = 0; i < gApp.GetBarCount(); ++i) {
    CDockBar* bar = gApp.GetBarAt(i);
    RECT b = WindowRectOf(bar->hwnd);
    snprintf(line, sizeof(line), "bar %u side %d row %u visible %d rect %ld %ld %ld %ld\n",
             bar->id, bar->dockSide, bar->row, int(IsWindowVisible(bar->hwnd) != 0), b.left, b.top,
             b.right, b.bottom);
    out += line;
  }
  return out;
}

std::string ReadText(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
  fclose(file);
  return text;
}

TEST_F(Frames, DISABLED_RestartChild) {
  char out[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("BW_RESTART_CHILD_OUT", out, sizeof(out))) GTEST_SKIP();
  CAppWindow* frame = Build(10, 10, 300, 300);  // what was saved wins
  ASSERT_TRUE(frame);
  Pump(60);
  std::string text = DescribeScreen(frame);
  WriteBytes(out, text.data(), text.size());
}

TEST_F(Frames, ASecondProcessShowsWhatTheFirstSaved) {
  ForgetRecords();
  CAppWindow* frame = Build(140, 110, 820, 580);
  ASSERT_TRUE(frame);
  CDockBar* tools = gApp.FindBar(kToolbar);
  CDockBar* info = gApp.FindBar(kInfoBar);
  RECT frameRect = WindowRectOf(frame->hwnd);
  Drag(GripperOf(tools), {frameRect.left + 300, frameRect.bottom + 70});
  ASSERT_EQ(-1, tools->dockSide);
  RECT bayRect = WindowRectOf(frame->GetBay(kSideTop)->hwnd);
  Drag(GripperOf(info), {bayRect.left + 40, bayRect.bottom + 1});
  ASSERT_EQ(kSideTop, info->dockSide);
  frame->SetTransparency(30);
  SendMessageA(frame->hwnd, MSG_ITEM_NOTIFY, 61777, 0);  // bar positions locked
  Pump(30);
  std::string expected = DescribeScreen(frame);
  gApp.SaveState();
  gApp.DestroyAll();
  Pump(20);
  std::string out = TestOutputPath("restart_child.txt");
  DeleteFileA(out.c_str());
  SetEnvironmentVariableA("BW_RESTART_CHILD_OUT", out.c_str());
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof(exe));
  std::string command = std::string("\"") + exe +
                        "\" --gtest_filter=Frames.DISABLED_RestartChild"
                        " --gtest_also_run_disabled_tests";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  SetEnvironmentVariableA("BW_RESTART_CHILD_OUT", nullptr);
  while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) Pump(20);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(0u, exitCode);
  EXPECT_EQ(expected, ReadText(out));
  // For the record oracle: the records as the second process left them, and
  // what they must say (later tests rewrite the data folder).
  WriteBytes(TestOutputPath("restart_expected.txt"), expected.data(), expected.size());
  std::string kept = TestOutputPath("restart_records");
  CreateDirectoryA(kept.c_str(), nullptr);
  CopyFileA(RecordPath("(ORV)Win", 0).c_str(), (kept + "\\(ORV)Win0.kzc").c_str(), FALSE);
  for (int id = kMenuBar; id <= kInfoBar; ++id)
    CopyFileA(RecordPath("(ORV)Bar", id).c_str(),
              (kept + "\\(ORV)Bar" + std::to_string(id) + ".kzc").c_str(), FALSE);
}

}  // namespace

namespace {

TEST_F(Frames, TabMovesTheFocusRoundTheFocusableChildren) {
  ForgetRecords();
  CAppWindow* frame = Build();
  ASSERT_TRUE(frame);
  HWND fields[3];
  for (int i = 0; i < 3; ++i)
    fields[i] = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER,
                                frame->clientRect.left + 10, frame->clientRect.top + 10 + 30 * i,
                                120, 24, frame->hwnd, nullptr, nullptr, nullptr);
  HWND hidden = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_TABSTOP, 0, 0, 10, 10, frame->hwnd,
                                nullptr, nullptr, nullptr);
  SetFocus(frame->hwnd);
  ASSERT_TRUE(frame->MoveFocus(1));
  EXPECT_EQ(fields[0], GetFocus());  // the focus was not in the list: the first
  ASSERT_TRUE(frame->MoveFocus(1));
  EXPECT_EQ(fields[1], GetFocus());
  frame->MoveFocus(1);
  ASSERT_TRUE(frame->MoveFocus(1));
  EXPECT_EQ(fields[0], GetFocus());  // past the last: the first again
  ASSERT_TRUE(frame->MoveFocus(-1));
  EXPECT_EQ(fields[2], GetFocus());  // before the first: the last
  for (HWND field : fields) DestroyWindow(field);
  DestroyWindow(hidden);
  EXPECT_FALSE(frame->MoveFocus(1));  // nothing focusable left
}

}  // namespace
