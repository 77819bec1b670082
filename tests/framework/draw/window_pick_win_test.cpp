#include "framework/draw/window_pick_win.h"

#include <gtest/gtest.h>

namespace {

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

POINT Centre(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A window to pick from, covered by a full-screen overlay like the one the
// capture shows:
//   top (400 x 300 at 100,100)
//     enabled    button, visible
//     disabled   button, visible but disabled
//     hidden     button, not visible
//     panel      child window, visible, holding
//       inner    button, visible
//       tucked   button, not visible
class WindowPickTest : public testing::Test {
 protected:
  void SetUp() override {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OverlayProc;
    wc.hInstance = instance;
    wc.lpszClassName = "BwPickTestWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);

    mTop = CreateWindowExA(WS_EX_TOOLWINDOW, "BwPickTestWindow", "pick target",
                           WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr, instance,
                           nullptr);
    ASSERT_TRUE(mTop);
    mEnabled = Child(mTop, "BUTTON", WS_VISIBLE, 10, 10, 100, 30);
    mDisabled = Child(mTop, "BUTTON", WS_VISIBLE | WS_DISABLED, 10, 60, 100, 30);
    mHidden = Child(mTop, "BUTTON", 0, 10, 110, 100, 30);
    mPanel = Child(mTop, "BwPickTestWindow", WS_VISIBLE, 200, 10, 180, 250);
    mInner = Child(mPanel, "BUTTON", WS_VISIBLE, 10, 10, 80, 30);
    mTucked = Child(mPanel, "BUTTON", 0, 10, 100, 80, 30);

    mOverlay = CreateWindowExA(
        WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "BwPickTestWindow", "overlay", WS_POPUP | WS_VISIBLE,
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
        nullptr, instance, nullptr);
    ASSERT_TRUE(mOverlay);
    PumpMessages();
    mOverlayProc = GetWindowLongPtrA(mOverlay, GWLP_WNDPROC);
  }

  void TearDown() override {
    if (mOverlay) DestroyWindow(mOverlay);
    if (mTop) DestroyWindow(mTop);
    UnregisterClassA("BwPickTestWindow", GetModuleHandleA(nullptr));
  }

  static HWND Child(HWND parent, const char* cls, DWORD style, int x, int y, int w, int h) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, x, y, w, h, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }

  // Picks through the overlay and checks that it is left as it was found.
  HWND Pick(POINT pt, bool rootOnly, bool includeHidden, HWND* root = nullptr) {
    HWND pick = WindowFromPointEx(pt.x, pt.y, rootOnly, includeHidden, mOverlay, root);
    EXPECT_EQ(mOverlayProc, GetWindowLongPtrA(mOverlay, GWLP_WNDPROC))
        << "the overlay's window procedure was not restored";
    POINT c = Centre(mOverlay);
    EXPECT_EQ(HTCLIENT, SendMessageA(mOverlay, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)))
        << "the overlay stayed see-through";
    return pick;
  }

  HWND mTop = nullptr, mEnabled = nullptr, mDisabled = nullptr, mHidden = nullptr;
  HWND mPanel = nullptr, mInner = nullptr, mTucked = nullptr, mOverlay = nullptr;
  LONG_PTR mOverlayProc = 0;
};

TEST_F(WindowPickTest, WithoutThePickerTheOverlayIsWhatIsThere) {
  EXPECT_EQ(mOverlay, WindowFromPointEx(Centre(mEnabled).x, Centre(mEnabled).y, false, false,
                                        nullptr, nullptr));
}

TEST_F(WindowPickTest, FindsControlsThroughTheOverlay) {
  HWND root = nullptr;
  EXPECT_EQ(mEnabled, Pick(Centre(mEnabled), false, false, &root));
  EXPECT_EQ(mTop, root);
  // The system skips disabled windows; picking must not.
  EXPECT_EQ(mDisabled, Pick(Centre(mDisabled), false, false));
  EXPECT_EQ(mInner, Pick(Centre(mInner), false, false));
  // A point on the panel but on none of its controls.
  POINT onPanel = Centre(mPanel);
  onPanel.y += 100;
  EXPECT_EQ(mPanel, Pick(onPanel, false, false));
  // A point on the target's own client area.
  EXPECT_EQ(mTop, Pick(POINT{100 + 150, 100 + 280}, false, false));
}

TEST_F(WindowPickTest, HiddenWindowsOnlyWhenAsked) {
  EXPECT_EQ(mTop, Pick(Centre(mHidden), false, false));
  EXPECT_EQ(mHidden, Pick(Centre(mHidden), false, true));
  EXPECT_EQ(mPanel, Pick(Centre(mTucked), false, false));
  EXPECT_EQ(mTucked, Pick(Centre(mTucked), false, true));
}

TEST_F(WindowPickTest, RootOnlyGivesTheTopLevelWindow) {
  HWND root = nullptr;
  EXPECT_EQ(mTop, Pick(Centre(mInner), true, false, &root));
  EXPECT_EQ(mTop, root);
  EXPECT_EQ(mTop, Pick(Centre(mDisabled), true, false));
  EXPECT_EQ(mTop, Pick(Centre(mTucked), true, true));
}

TEST_F(WindowPickTest, NoWindowThereGivesNull) {
  HWND root = reinterpret_cast<HWND>(1);
  EXPECT_EQ(nullptr, Pick(POINT{-30000, -30000}, false, false, &root));
  EXPECT_EQ(nullptr, root);
  EXPECT_EQ(nullptr, Pick(POINT{-30000, -30000}, true, true));
}

TEST_F(WindowPickTest, RepeatedPicksLeaveOneProcedure) {
  for (int i = 0; i < 5; ++i) EXPECT_EQ(mEnabled, Pick(Centre(mEnabled), false, false));
  // And the overlay is the top window again once picking is over.
  POINT c = Centre(mEnabled);
  EXPECT_EQ(mOverlay, WindowFromPoint(c));
}

}  // namespace
