// Capturing for real: windows paint a pattern whose every pixel is a
// function of its screen position, xdotool drives the overlay, and each
// captured image must equal both the pattern at its screen position and
// what ImageMagick's import reads off the display there, pixel for pixel.
// A frame or label of the overlay in the image would break both.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/capture/capture_overlay_win.h"
#include "app/capture/capture_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"
#include "tests/app/capture/capture_harness_win.h"

namespace {

class CaptureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { SetUpCaptureHarness(); }
  static void TearDownTestSuite() { TearDownCaptureHarness(); }
  void SetUp() override {
    profile_ = gProfileTemplate;
    profile_.iSCOSound = 0;
    profile_.iSCOHideSC = 0;
    profile_.iSCOUseDelay = 0;
    gHotkeyCalls.clear();
    gToolSelected = -1;
    SetWindowPos(gHelper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(50);
  }

  ProfileRecord profile_;
};

TEST_F(CaptureTest, RectangleDragsInBothDirectionsAndClickMoveClick) {
  profile_.iSCMode = 0;
  struct Drag {
    const char* name;
    std::string chain;
    RECT rect;
  };
  const Drag drags[] = {
      {"left to right", MoveTo(120, 90) + " sleep 0.1 mousedown 1 sleep 0.1 " + MoveTo(200, 150) +
                            " sleep 0.1 " + MoveTo(331, 247) + " sleep 0.1 mouseup 1",
       {120, 90, 331, 247}},
      {"right to left", MoveTo(331, 247) + " sleep 0.1 mousedown 1 sleep 0.1 " + MoveTo(250, 200) +
                            " sleep 0.1 " + MoveTo(120, 90) + " sleep 0.1 mouseup 1",
       {120, 90, 331, 247}},
      {"click, move, click", MoveTo(700, 500) + " sleep 0.1 click 1 sleep 0.1 " + MoveTo(800, 560) +
                                 " sleep 0.1 " + MoveTo(861, 603) + " sleep 0.1 click 1",
       {700, 500, 861, 603}},
  };
  for (const Drag& d : drags) {
    SCOPED_TRACE(d.name);
    const int before = gaImageHistory.count;
    ASSERT_EQ(CaptureDriven(profile_, d.chain), 0u);
    ExpectCaptured(d.rect, before);
  }
}

// The window under the cursor, or with Ctrl the child under it; and while
// the overlay runs the hotkeys are free for others, and a second capture is
// refused without disturbing the first.
TEST_F(CaptureTest, WindowPickTopLevelOrChildAndHotkeysOffMeanwhile) {
  profile_.iSCMode = 1;
  EXPECT_EQ(OtherThreadTakesPrint(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED));
  DWORD duringOverlay = 1;
  const int before = gaImageHistory.count;
  gNestedProfile = profile_;
  gNestedResult = 0xFFFFFFFF;
  OperationError result = CaptureDriven(profile_, MoveTo(500, 420) + " sleep 0.2 click 1", [&] {
    duringOverlay = OtherThreadTakesPrint();
    SendMessageA(gHotkeyWindow, WM_NESTED_CAPTURE, 0, 0);
  });
  ASSERT_EQ(result, 0u);
  EXPECT_EQ(duringOverlay, 0u) << "Print Screen was not given up while the overlay ran";
  EXPECT_EQ(gNestedResult, ErrCancelled) << "a second overlay was not refused";
  EXPECT_EQ(gHotkeyCalls, (std::vector<int>{0, 1}));
  EXPECT_EQ(OtherThreadTakesPrint(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED))
      << "the hotkeys did not come back";
  ExpectCaptured(WindowRectInclusive(gHelper), before);

  const int beforeChild = gaImageHistory.count;
  ASSERT_EQ(CaptureDriven(profile_, MoveTo(450, 330) + " sleep 0.1 keydown ctrl sleep 0.2 click 1 "
                                                        "sleep 0.1 keyup ctrl"),
            0u);
  ExpectCaptured(WindowRectInclusive(gChild), beforeChild);

  // The wheel, like the right button, turns a rectangle pick into a window pick.
  profile_.iSCMode = 0;
  const int beforeWheel = gaImageHistory.count;
  ASSERT_EQ(CaptureDriven(profile_, MoveTo(500, 420) + " sleep 0.1 click 4 sleep 0.2 click 1"), 0u);
  ExpectCaptured(WindowRectInclusive(gHelper), beforeWheel);
}

// What the overlay shows while the box follows the cursor: an inverted
// frame five pixels wide, the size label beside the cursor, hidden while
// Shift is held, and none of it in the image.
TEST_F(CaptureTest, BoxFrameAndSizeLabelOnTheOverlay) {
  const int cx = 640, cy = 400, w = 161, h = 121;
  const int left = cx - (w - 1) / 2, top = cy - (h - 1) / 2;
  ASSERT_TRUE(RunXdotool(MoveTo(cx, cy)));
  Pump(100);
  profile_.iSCMode = 5;
  profile_.iSCWidth = int16_t(w);
  profile_.iSCHeight = int16_t(h);
  profile_.iSCOShowDim = 1;
  auto screen = [](int x, int y) {
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
  };
  const uint32_t face = [] {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
  }();
  struct Seen {
    uint32_t band, inside, label;
  } shown = {}, shifted = {};
  // A loaded machine may show the overlay's pixels a while after its first
  // paint: look again until the expected picture is there or 3 s passed.
  auto look = [&](Seen* seen, std::function<bool(const Seen&)> settled) {
    for (int i = 0; i < 60; ++i) {
      seen->band = screen(left + 2, top + 30);
      seen->inside = screen(left + 5, top + 30);
      seen->label = screen(cx + 8, cy + 8);
      if (settled(*seen)) break;
      Sleep(50);
    }
  };
  const uint32_t inverted = ~PatternAt(left + 2, top + 30) & 0xFFFFFF;
  const uint32_t underLabel = PatternAt(cx + 8, cy + 8);
  const int before = gaImageHistory.count;
  ASSERT_EQ(CaptureDriven(profile_, "sleep 0.1 click 1", [&] {
              look(&shown, [&](const Seen& v) { return v.band == inverted && v.label == face; });
              RunXdotool("keydown shift sleep 0.3");
              look(&shifted, [&](const Seen& v) { return v.label == underLabel; });
              RunXdotool("keyup shift sleep 0.2");
            }),
            0u);
  EXPECT_EQ(shown.band, inverted) << "no inverted frame";
  EXPECT_EQ(shown.inside, PatternAt(left + 5, top + 30)) << "the frame is wider than 5";
  EXPECT_EQ(shown.label, face) << "no size label right below the cursor";
  EXPECT_EQ(shifted.band, shown.band);
  EXPECT_EQ(shifted.label, underLabel) << "Shift did not hide the label";
  ExpectCaptured(RECT{left, top, left + w - 1, top + h - 1}, before);
}

TEST_F(CaptureTest, BoxAroundTheCursorOddAndEven) {
  profile_.iSCMode = 5;
  const struct { int w, h, x, y; } boxes[] = {{101, 75, 640, 400}, {100, 60, 900, 700}, {1, 1, 5, 5}};
  for (const auto& b : boxes) {
    SCOPED_TRACE(std::to_string(b.w) + " x " + std::to_string(b.h));
    profile_.iSCWidth = int16_t(b.w);
    profile_.iSCHeight = int16_t(b.h);
    const int before = gaImageHistory.count;
    ASSERT_EQ(CaptureDriven(profile_, MoveTo(b.x, b.y) + " sleep 0.2 click 1"), 0u);
    const int left = b.x - (b.w - 1) / 2, top = b.y - (b.h - 1) / 2;
    ExpectCaptured(RECT{left, top, left + b.w - 1, top + b.h - 1}, before);
  }
}

TEST_F(CaptureTest, CancelledOverlayLeavesTheHistoryAlone) {
  profile_.iSCMode = 0;
  const std::string drag = MoveTo(100, 100) + " sleep 0.1 mousedown 1 sleep 0.1 " +
                           MoveTo(300, 300) + " sleep 0.1 ";
  const std::string chains[] = {drag + "key Escape sleep 0.1 mouseup 1",
                                drag + "click 3 sleep 0.1 mouseup 1"};
  for (const std::string& chain : chains) {
    SCOPED_TRACE(chain);
    const int count = gaImageHistory.count, current = giCurrentImage;
    const CImage* top = GetHistoryImage(current);
    EXPECT_EQ(CaptureDriven(profile_, chain), ErrCancelled);
    EXPECT_EQ(gaImageHistory.count, count);
    EXPECT_EQ(giCurrentImage, current);
    EXPECT_EQ(GetHistoryImage(current), top);
    EXPECT_EQ(gHotkeyCalls, (std::vector<int>{0, 1}));
    gHotkeyCalls.clear();
  }
}

// Closing the overlay or quitting the program while it runs cancels the
// capture; the quit stays for the program's own loop.
TEST_F(CaptureTest, CloseOrQuitDuringTheOverlayCancels) {
  profile_.iSCMode = 0;
  const int count = gaImageHistory.count;
  EXPECT_EQ(CaptureDriven(profile_, "sleep 0.1", [] { PostMessageA(FindOverlay(), WM_CLOSE, 0, 0); }),
            ErrCancelled);
  const DWORD ui = GetCurrentThreadId();
  EXPECT_EQ(CaptureDriven(profile_, "sleep 0.1", [ui] { PostThreadMessageA(ui, WM_QUIT, 3, 0); }),
            ErrCancelled);
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was lost";
  EXPECT_EQ(quit.wParam, 3u);
  EXPECT_EQ(gaImageHistory.count, count);
}

// The modes without overlay: the foreground window, the screen, the fixed
// area either way round.
TEST_F(CaptureTest, ForegroundScreenAndFixedArea) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* name;
    int mode;
    int16_t area[4];
    RECT expected;
  };
  const Case cases[] = {
      {"screen", 3, {}, {0, 0, width - 1, height - 1}},
      {"fixed area", 4, {0, 0, 639, 479}, {0, 0, 639, 479}},
      {"reversed area", 4, {870, 655, 231, 176}, {231, 176, 870, 655}},
      {"foreground window", 2, {}, WindowRectInclusive(gHelper)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    profile_.iSCMode = uint8_t(c.mode);
    memcpy(profile_.iSCArea, c.area, sizeof(c.area));
    SetForegroundWindow(gHelper);
    Pump(50);
    const int before = gaImageHistory.count;
    ASSERT_EQ(CaptureScreen(profile_), 0u);
    EXPECT_EQ(gApp.m_iModalCount, 0);
    ExpectCaptured(c.expected, before);
  }
}

// With the cursor asked for, the screen mode differs from the screen only
// inside the cursor's box, and there it does differ.
TEST_F(CaptureTest, CursorDrawnOnlyWhereItIs) {
  ASSERT_TRUE(RunXdotool(MoveTo(555, 444)));
  Pump(300);  // the helper sets its cursor
  profile_.iSCMode = 3;
  profile_.iSCOMouse = 1;
  const int before = gaImageHistory.count;
  ASSERT_EQ(CaptureScreen(profile_), 0u);
  ASSERT_EQ(gaImageHistory.count, before + 1);
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof(cursor);
  ASSERT_TRUE(GetCursorInfo(&cursor));
  ASSERT_TRUE(cursor.flags & CURSOR_SHOWING) << "the pointer is over a Wine window";
  ICONINFO icon = {};
  ASSERT_TRUE(GetIconInfo(cursor.hCursor, &icon));
  if (icon.hbmMask) DeleteObject(icon.hbmMask);
  if (icon.hbmColor) DeleteObject(icon.hbmColor);
  const RECT box = {cursor.ptScreenPos.x - LONG(icon.xHotspot),
                    cursor.ptScreenPos.y - LONG(icon.yHotspot),
                    cursor.ptScreenPos.x - LONG(icon.xHotspot) + GetSystemMetrics(SM_CXCURSOR),
                    cursor.ptScreenPos.y - LONG(icon.yHotspot) + GetSystemMetrics(SM_CYCURSOR)};
  const CImage* image = GetHistoryImage(giCurrentImage);
  ASSERT_NE(image, nullptr);
  int inside = 0, outside = 0;
  for (int y = 0; y < image->GetHeight(); ++y) {
    for (int x = 0; x < image->GetWidth(); ++x) {
      if (ImagePixel(*image, x, y) == PatternAt(x, y)) continue;
      (x >= box.left && x < box.right && y >= box.top && y < box.bottom ? inside : outside)++;
    }
  }
  EXPECT_GT(inside, 0) << "no cursor in the image";
  EXPECT_EQ(outside, 0);
}

// A profile that hides the main window: it goes without animation (the
// setting comes back afterwards), and both delays pass before the grab; a
// negative delay is no delay.
HWND gMainWindow;
bool gAnimationWhileHiding = true;

bool AnimationOn() {
  ANIMATIONINFO info = {};
  info.cbSize = sizeof(info);
  SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0);
  return info.iMinAnimate != 0;
}

TEST_F(CaptureTest, HidesTheMainWindowThenWaitsBothDelays) {
  gMainWindow = CreateWindowA("CapturePattern", "main", WS_POPUP | WS_VISIBLE, 20, 20, 50, 50,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  gProgramHooks.pfnGetMainWindow = []() -> void* { return gMainWindow; };
  gProgramHooks.pfnShowMainWindow = [](int show) {
    gAnimationWhileHiding = AnimationOn();
    ShowWindow(gMainWindow, show ? SW_SHOW : SW_HIDE);
    return 1;
  };
  const bool animation = SetWindowAnimation(true);
  // Wine may not keep the setting; then at least it must end as it began.
  const bool before = AnimationOn();
  profile_.iSCMode = 4;
  profile_.iSCOHideSC = 1;
  profile_.iSCOUseDelay = 1;
  profile_.iSCODelay = 120;
  gOptions.iCaptureDelay = 1;
  gOptions.iCaptureDelayTime = 150;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  EXPECT_EQ(CaptureScreen(profile_), 0u);
  QueryPerformanceCounter(&end);
  const double ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
  EXPECT_FALSE(IsWindowVisible(gMainWindow));
  EXPECT_FALSE(gAnimationWhileHiding);
  EXPECT_EQ(AnimationOn(), before) << "the animation setting did not come back";
  EXPECT_GE(ms, 120 + 150 - 16);  // a tick of slack

  // Hidden already: no second hide and no options delay; negative delays
  // pass at once.
  gAnimationWhileHiding = true;
  profile_.iSCODelay = -1;
  gOptions.iCaptureDelayTime = -1;
  QueryPerformanceCounter(&start);
  EXPECT_EQ(CaptureScreen(profile_), 0u);
  QueryPerformanceCounter(&end);
  EXPECT_TRUE(gAnimationWhileHiding) << "hidden again";
  EXPECT_LT(double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart), 1000.0);

  SetWindowAnimation(animation);
  gProgramHooks.pfnGetMainWindow = nullptr;
  gProgramHooks.pfnShowMainWindow = nullptr;
  DestroyWindow(gMainWindow);
  gOptions.iCaptureDelay = 0;
}

// Failures give their codes, keep the history and end busy mode.
TEST_F(CaptureTest, FailuresAreReportedNotHidden) {
  profile_.iSCMode = 5;
  profile_.iSCWidth = 0;
  EXPECT_EQ(CaptureScreen(profile_), kCaptureFailed) << "box below 1 x 1";
  EXPECT_EQ(FindWindowA(kCaptureOverlayClass, nullptr), nullptr);

  profile_.iSCMode = 4;
  OperationError offThread = 0;
  std::thread([&] { offThread = CaptureScreen(profile_); }).join();
  EXPECT_EQ(offThread, kCaptureFailed) << "a call off the user interface thread";

  // The history cannot take the image: it is not kept, and it is a memory
  // failure.
  auto append = gpfnHistoryAppend;
  gpfnHistoryAppend = [](CPointerArray*, void*) -> int32_t { return -1; };
  ClearHistory();
  EXPECT_EQ(CaptureScreen(profile_), kCaptureNoMemory);
  gpfnHistoryAppend = append;
  EXPECT_EQ(gaImageHistory.count, 0);
  EXPECT_EQ(gApp.m_iModalCount, 0);
  EXPECT_EQ(gToolSelected, -1);
}

}  // namespace
