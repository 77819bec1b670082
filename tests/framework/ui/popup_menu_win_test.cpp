// Popup menus driven by real keys and clicks: navigation, the chosen
// command, placement at the screen's edges, the modal popup, and that
// nothing stays behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/draw/font_cache_win.h"
#include "framework/ui/menu_item_win.h"
#include "tests/framework/ui/ui_harness_win.h"

namespace {

enum : uint16_t {
  kRoot = 200, kA = 201, kB = 202, kSub = 203, kSplit = 204, kC = 205,
  kS1 = 211, kS2 = 212, kT1 = 221, kEmpty = 230, kLong = 231, kLowRoot = 232, kTallSub = 233,
  kBroken = 234, kAsking = 235, kLongFirst = 400,
};

uint16_t gRootEntries[] = {kA, kSeparatorCommand, kB, kSub, kSplit, kC, kListEnd};
uint16_t gSubEntries[] = {kS1, kS2, kListEnd};
uint16_t gSplitEntries[] = {kT1, kListEnd};
uint16_t gEmptyEntries[] = {kListEnd};
uint16_t gLowRootEntries[] = {kA, kTallSub, kListEnd};
uint16_t gBrokenEntries[] = {kA, kC, 9999, kS1, kListEnd};  // 9999 is no command
uint16_t gAnswerEntries[] = {kS1, kSeparatorCommand, kS2, kListEnd};
uint16_t gTallSubEntries[] = {kS1, kS2, kA, kC, kS1, kS2, kA, kC, kListEnd};
uint16_t gLongEntries[201];

void AddMenuCommands() {
  if (gApp.FindCommand(kRoot) >= 0) return;
  gApp.AddCommand(kSeparatorCommand, kItemSeparator, 4, 0, kSameAsId, nullptr);
  gApp.AddCommand(kRoot, kItemMenu, 0, 0, kTestText, gRootEntries);
  for (uint16_t id : {kA, kB, kC, kS1, kS2, kT1})
    gApp.AddCommand(id, kItemButton, 0, 0xFFFF, kTestText, nullptr);
  gApp.EnableCommand(kB, false);
  gApp.AddCommand(kSub, kItemMenu, 0, 0, kTestText, gSubEntries);
  gApp.AddCommand(kSplit, kItemMenu, kCommandSplitOrThin, 0, kTestText, gSplitEntries);
  gApp.AddCommand(kEmpty, kItemMenu, 0, 0, kTestText, gEmptyEntries);
  gApp.AddCommand(kLowRoot, kItemMenu, 0, 0, kTestText, gLowRootEntries);
  gApp.AddCommand(kTallSub, kItemMenu, 0, 0, kTestText, gTallSubEntries);
  gApp.AddCommand(kBroken, kItemMenu, 0, 0, kTestText, gBrokenEntries);
  gApp.AddCommand(kAsking, kItemMenu, 0, 0, kTestText, reinterpret_cast<void*>(kEntriesFromOwner));
  for (int i = 0; i < 200; ++i) {
    gLongEntries[i] = uint16_t(kLongFirst + i);
    gApp.AddCommand(gLongEntries[i], kItemButton, 0, 0xFFFF, kTestTextShort, nullptr);
  }
  gLongEntries[200] = kListEnd;
  gApp.AddCommand(kLong, kItemMenu, 0, 0, kTestText, gLongEntries);
}

BOOL CALLBACK CountVisiblePopups(HWND window, LPARAM lParam) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpA(name, "ORVAppMenuPopup") == 0 && IsWindowVisible(window)) ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}

int VisiblePopups() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountVisiblePopups, LPARAM(&count));
  return count;
}

CMenu* Entry(CMenu* menu, int index) { return static_cast<CMenu*>(menu->GetEntry(index)); }

RECT PopupRect(CMenu* menu) { return ScreenRectOf(menu->PopupWindow()); }

RECT WorkArea(POINT at) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// The test frame: other tests on the shared screen may take the foreground
// from it while a popup waits for input.
HWND gScriptFrame = nullptr;

class PopupMenu : public testing::Test {
 protected:
  void SetUp() override {
    SetUpFramework();
    AddMenuCommands();
    ClickAt(frame_.hwnd ? 130 : 0, 130);  // a first click activates: make it the frame's
    gScriptFrame = frame_.hwnd;
    Notices().clear();
  }
  CTestFrame frame_;
};

TEST_F(PopupMenu, KeysSkipWrapAndRunTheChosenEntry) {
  POINT at = {150, 150};
  // The one kept menu item exists after the first tracking; count from there.
  gApp.TrackMenu(kRoot, &at, frame_.hwnd);
  gApp.CancelMenus(nullptr);
  int items = gApp.GetItemCount();
  int objects = CountDrawKitObjects();

  CMenu* root = gApp.TrackMenu(kRoot, &at, frame_.hwnd);
  ASSERT_TRUE(root && root->IsOpen());
  ASSERT_EQ(6, root->GetEntryCount());
  EXPECT_EQ(-1, gApp.HotEntryIndex(root));
  // Down skips the separator and the disabled entry, and wraps both ways.
  const struct {
    WORD key;
    int hot;
  } steps[] = {{VK_DOWN, 0}, {VK_DOWN, 3}, {VK_DOWN, 4}, {VK_DOWN, 5},
               {VK_DOWN, 0}, {VK_UP, 5},   {VK_UP, 4},   {VK_UP, 3}};
  for (const auto& step : steps) {
    Tap(step.key);
    EXPECT_EQ(step.hot, gApp.HotEntryIndex(root)) << "after key " << step.key;
  }
  // On the sub-menu entry its popup is open: Right moves into it.
  CMenu* sub = Entry(root, 3);
  ASSERT_TRUE(sub->IsOpen());
  Tap(VK_RIGHT);
  EXPECT_EQ(0, gApp.HotEntryIndex(sub));
  EXPECT_EQ(-1, gApp.HotEntryIndex(root));
  // Escape on the sub-menu closes only it; its entry stays highlighted.
  Tap(VK_ESCAPE);
  EXPECT_FALSE(sub->IsOpen());
  EXPECT_TRUE(root->IsOpen());
  EXPECT_EQ(3, gApp.HotEntryIndex(root));
  // A split entry opens only with Right, which moves into it.
  Tap(VK_DOWN);
  CMenu* split = Entry(root, 4);
  EXPECT_EQ(4, gApp.HotEntryIndex(root));
  EXPECT_FALSE(split->IsOpen());
  Tap(VK_RIGHT);
  ASSERT_TRUE(split->IsOpen());
  EXPECT_EQ(0, gApp.HotEntryIndex(split));
  EXPECT_EQ(2, VisiblePopups());
  EXPECT_FALSE(TakeScreenshot("popup_keys.png").empty());
  // Return runs the highlighted entry through the owner, and everything closes.
  Tap(VK_RETURN);
  ASSERT_EQ(1u, Notices().size());
  EXPECT_EQ(UINT(MSG_ITEM_NOTIFY), Notices()[0].message);
  EXPECT_EQ(WPARAM(1u << 16 | kT1), Notices()[0].wParam);
  EXPECT_EQ(0, VisiblePopups());
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_FALSE(gApp.IsMenuMode());
  EXPECT_EQ(items, gApp.GetItemCount());
  EXPECT_EQ(objects, CountDrawKitObjects());
}

TEST_F(PopupMenu, AClickOutsideRunsNothingAndClosesTheMenu) {
  POINT at = {150, 150};
  CMenu* root = gApp.TrackMenu(kRoot, &at, frame_.hwnd);
  ASSERT_TRUE(root && root->IsOpen());
  RECT popup = PopupRect(root);
  ClickAt(popup.right + 40, popup.bottom + 20);  // on the frame, beside the popup
  EXPECT_EQ(0, VisiblePopups());
  EXPECT_EQ(0, CountNotices(MSG_ITEM_NOTIFY));
  // A click on an entry runs it.
  root = gApp.TrackMenu(kRoot, &at, frame_.hwnd);
  RECT first = ScreenRectOf(root->GetEntry(0)->hwnd);
  ClickAt((first.left + first.right) / 2, (first.top + first.bottom) / 2);
  ASSERT_EQ(1, CountNotices(MSG_ITEM_NOTIFY));
  EXPECT_EQ(WPARAM(1u << 16 | kA), Notices()[0].wParam);
  EXPECT_EQ(0, VisiblePopups());
}

struct Script {
  std::vector<WORD> keys;
  POINT click;  // clicked when x is not -1
};

HWND VisiblePopup() {
  HWND popup = nullptr;
  while ((popup = FindWindowExA(nullptr, popup, "ORVAppMenuPopup", nullptr)) &&
         !IsWindowVisible(popup)) {
  }
  return popup;
}

// Waits until the popup shows and its owner has the keyboard (taking the
// foreground back now and then), then sends the script's input.
void SendScript(const Script& script) {
  const DWORD uiThread = gApp.m_dwUiThreadId;
  for (int i = 0; i < 1000; ++i) {
    HWND foreground = GetForegroundWindow();
    if (VisiblePopup() && foreground &&
        GetWindowThreadProcessId(foreground, nullptr) == uiThread)
      break;
    if (i % 50 == 49 && gScriptFrame) SetForegroundWindow(gScriptFrame);
    Sleep(10);
  }
  for (WORD key : script.keys) PressKey(key);
  if (script.click.x != -1) {
    SetCursorPos(script.click.x, script.click.y);
    INPUT input[3] = {};
    input[0].type = input[1].type = input[2].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
  }
}

DWORD WINAPI DriveModalPopup(LPVOID parameter) {
  Script* script = static_cast<Script*>(parameter);
  // Keys and clicks count only once the popup shows and its owner has the
  // keyboard; input sent after that is handled in order, so no pauses.
  SendScript(*script);
  // Input lost because the foreground moved just then would leave the
  // modal popup open for good: once more, so the test ends either way.
  for (int i = 0; i < 500 && VisiblePopup(); ++i) Sleep(10);
  if (VisiblePopup()) SendScript(*script);
  return 0;
}

int ShowScripted(const Script& script, const POINT& at) {
  HANDLE thread = CreateThread(nullptr, 0, DriveModalPopup, const_cast<Script*>(&script), 0,
                               nullptr);
  int result = gApp.ShowPopupMenu(kRoot, &at);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  return result;
}

DWORD WINAPI ShowFromAnotherThread(LPVOID result) {
  *static_cast<int*>(result) = gApp.ShowPopupMenu(kRoot, nullptr);
  return 0;
}

void CALLBACK QuitSoon(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostQuitMessage(7);
}

TEST_F(PopupMenu, ShowPopupMenuAnswersTheChoiceNothingOrFailure) {
  POINT at = {150, 150};
  EXPECT_EQ(kC, ShowScripted({{VK_DOWN, VK_UP, VK_RETURN}, {-1, -1}}, at));
  EXPECT_EQ(0, ShowScripted({{}, {600, 400}}, at));  // a click outside
  EXPECT_EQ(0, CountNotices(MSG_ITEM_NOTIFY));        // the choice is the result, not a notice
  EXPECT_EQ(0, VisiblePopups());
  EXPECT_EQ(-1, gApp.ShowPopupMenu(999, &at));        // no such menu
  int other = 0;
  HANDLE thread = CreateThread(nullptr, 0, ShowFromAnotherThread, &other, 0, nullptr);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  EXPECT_EQ(-1, other);
  // A quit during the wait ends it and reaches the loop afterwards.
  SetTimer(nullptr, 0, 150, QuitSoon);
  EXPECT_EQ(0, gApp.ShowPopupMenu(kRoot, &at));
  EXPECT_EQ(0, VisiblePopups());
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(WPARAM(7), message.wParam);
}

TEST_F(PopupMenu, PlacementKeepsPopupsOnTheScreen) {
  RECT work = WorkArea({150, 150});
  // Near the right edge the popup ends at the point.
  POINT right = {work.right - 5, 120};
  CMenu* root = gApp.TrackMenu(kRoot, &right, frame_.hwnd);
  ASSERT_TRUE(root);
  RECT popup = PopupRect(root);
  EXPECT_EQ(right.x, popup.right);
  EXPECT_EQ(right.y, popup.top);
  // Near the bottom the popup opens upward, and so does its sub-menu,
  // which ends at its entry's bottom.
  POINT low = {150, work.bottom - 10};
  root = gApp.TrackMenu(kLowRoot, &low, frame_.hwnd);
  popup = PopupRect(root);
  EXPECT_EQ(low.y, popup.bottom);
  Tap(VK_UP);
  CMenu* sub = Entry(root, 1);
  ASSERT_TRUE(sub->IsOpen());
  RECT entry = ScreenRectOf(sub->hwnd);
  RECT subPopup = PopupRect(sub);
  EXPECT_EQ(entry.bottom, subPopup.bottom);
  EXPECT_EQ(entry.right - 2, subPopup.left);
  // Two hundred entries are taller than the screen: the popup starts at
  // the top of the work area.
  root = gApp.TrackMenu(kLong, &low, frame_.hwnd);
  ASSERT_TRUE(root && root->IsOpen());
  popup = PopupRect(root);
  EXPECT_EQ(work.top, popup.top);
  EXPECT_GE(popup.left, work.left);
  EXPECT_LE(popup.left, low.x);
  gApp.CancelMenus(nullptr);
}

TEST_F(PopupMenu, AnEmptyMenuOpensNothingAndItsKeysAreSafe) {
  POINT at = {150, 150};
  CMenu* empty = gApp.TrackMenu(kEmpty, &at, frame_.hwnd);
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->IsOpen());
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_EQ(nullptr, frame_.window->openPopup);
  EXPECT_EQ(-1, gApp.NextMenuEntry(empty, -1, 1));
  EXPECT_EQ(-1, gApp.HotEntryIndex(empty));
  for (WORD key : {VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT, VK_RETURN, VK_ESCAPE}) Tap(key);
  EXPECT_EQ(0, gApp.ShowPopupMenu(kEmpty, &at));
  EXPECT_EQ(0, VisiblePopups());
  EXPECT_EQ(0, CountNotices(MSG_ITEM_NOTIFY));
}

TEST_F(PopupMenu, AHalfBuiltPopupIsTakenDown) {
  POINT at = {150, 150};
  gApp.TrackMenu(kRoot, &at, frame_.hwnd);
  gApp.CancelMenus(nullptr);
  int items = gApp.GetItemCount();
  EXPECT_EQ(nullptr, gApp.TrackMenu(kBroken, &at, frame_.hwnd));
  EXPECT_EQ(0, VisiblePopups());
  EXPECT_EQ(items, gApp.GetItemCount());
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_EQ(nullptr, frame_.window->openPopup);
}

TEST_F(PopupMenu, AMenuWithoutAListAsksItsOwner) {
  POINT at = {150, 150};
  gMenuIdsAnswer = gAnswerEntries;
  CMenu* menu = gApp.TrackMenu(kAsking, &at, frame_.hwnd);
  ASSERT_TRUE(menu && menu->IsOpen());
  EXPECT_EQ(3, menu->GetEntryCount());
  EXPECT_EQ(kS2, menu->GetEntry(2)->id);
  gApp.CancelMenus(nullptr);
  gMenuIdsAnswer = nullptr;  // the owner has none: nothing opens
  EXPECT_EQ(nullptr, gApp.TrackMenu(kAsking, &at, frame_.hwnd));
  EXPECT_EQ(0, VisiblePopups());
}

TEST_F(PopupMenu, ItemsAndPopupsLeaveNothingBehind) {
  POINT at = {150, 150};
  gApp.TrackMenu(kRoot, &at, frame_.hwnd);
  gApp.CancelMenus(nullptr);
  int items = gApp.GetItemCount();
  int objects = CountDrawKitObjects();
  for (int i = 0; i < 1000; ++i) {
    CUIItem* item = MakeItem(kA, kItemButton, 0, kTestText, frame_.hwnd, (i % 10) * 30, 0);
    ASSERT_TRUE(item);
    if (i % 50 == 0) UpdateWindow(item->hwnd);
    DestroyItem(item);
  }
  for (int i = 0; i < 100; ++i) {
    CMenu* root = gApp.TrackMenu(kRoot, &at, frame_.hwnd);
    ASSERT_TRUE(root && root->IsOpen());
    if (i % 10 == 0) {
      Tap(VK_DOWN);
      Tap(VK_DOWN);  // opens the sub-menu too
    }
    gApp.CancelMenus(nullptr);
  }
  Pump(30);
  EXPECT_EQ(items, gApp.GetItemCount());
  EXPECT_EQ(objects, CountDrawKitObjects());
  EXPECT_EQ(0, VisiblePopups());
}

}  // namespace
