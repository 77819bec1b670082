// Capturing for real: windows paint a pattern whose every pixel is a
// function of its screen position, xdotool drives the overlay, and each
// captured image must equal both the pattern at its screen position and
// what ImageMagick's import reads off the display there, pixel for pixel.
// A frame or label of the overlay in the image would break both.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/capture/capture_host.h"
#include "app/capture/capture_overlay_win.h"
#include "app/capture/capture_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "app/profiles/program_records.h"
#include "framework/app/app_win.h"
#include "framework/draw/dpi_api_win.h"
#include "tests/support/test_paths.h"

namespace {

// Unique for every point of a 4096 x 4096 square around the origin.
uint32_t PatternAt(int x, int y) {
  const unsigned u = unsigned(x + 2048) & 4095, v = unsigned(y + 2048) & 4095;
  return ((u & 255) << 16) | ((v & 255) << 8) | ((u >> 8) << 4) | (v >> 8);
}

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int w = client.right, h = client.bottom;
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[size_t(y) * w + x] = PatternAt(origin.x + x, origin.y + y);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

// The hotkey the main window would hold, and the test's requests into the
// user interface thread while the overlay's loop runs.
constexpr UINT WM_NESTED_CAPTURE = WM_APP + 1;
std::vector<int> gHotkeyCalls;  // 1 register, 0 unregister
HWND gHotkeyWindow;
OperationError gNestedResult = 0xFFFFFFFF;
int gToolSelected = -1;
ProfileRecord gNestedProfile;

LRESULT CALLBACK HotkeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NESTED_CAPTURE) {
    gNestedResult = CaptureScreen(gNestedProfile);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TestRegisterHotkeys(int on, int) {
  gHotkeyCalls.push_back(on);
  if (on) RegisterHotKey(gHotkeyWindow, 0, 0, VK_SNAPSHOT);
  else UnregisterHotKey(gHotkeyWindow, 0);
}

// Whether another thread (another holder of keys) can have Print Screen
// now; it gives it back at once. The error when it cannot.
DWORD OtherThreadTakesPrint() {
  DWORD error = 0;
  std::thread([&] {
    if (RegisterHotKey(nullptr, 7, 0, VK_SNAPSHOT)) UnregisterHotKey(nullptr, 7);
    else error = GetLastError();
  }).join();
  return error;
}

void Pump(int ms) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < DWORD(ms));
}

// Starts a Unix script (Wine gives no handle) and waits for the file it
// leaves when done. From any thread.
bool RunUnix(const std::string& script, const std::string& done, const std::string& arguments) {
  DeleteFileA(done.c_str());
  std::string command = "cmd /c start /unix " + LocalPathToHost(TestSourcePath(script)) + " " +
                        LocalPathToHost(done) + " " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 1000; ++i) {
    if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(20);
  }
  return false;
}

HWND FindOverlay() {
  HWND overlay = FindWindowA(kCaptureOverlayClass, nullptr);
  return overlay && IsWindowVisible(overlay) ? overlay : nullptr;
}

// Drives a running overlay from another thread: waits for it to show and
// paint, runs `before` (checks that need it open), then the xdotool chain.
// An overlay that the input did not end is cancelled, so that the test
// fails instead of hanging.
class COverlayDriver {
 public:
  COverlayDriver(std::string xdotool, std::function<void()> before = nullptr)
      : thread_([this, xdotool, before] {
          HWND overlay = nullptr;
          for (int i = 0; i < 1000 && !overlay; ++i) {
            overlay = FindOverlay();
            if (overlay && GetUpdateRect(overlay, nullptr, FALSE)) overlay = nullptr;
            if (!overlay) Sleep(10);
          }
          seen = overlay != nullptr;
          Sleep(100);
          if (before) before();
          sent = RunUnix("app/capture/xdo.sh", TestOutputPath("xdo.done"), xdotool);
          for (int i = 0; i < 500 && FindOverlay(); ++i) Sleep(10);
          if (HWND left = FindOverlay()) {
            stuck = true;
            PostMessageA(left, WM_KEYDOWN, VK_ESCAPE, 0);
          }
        }) {}
  ~COverlayDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> seen{false};
  std::atomic<bool> sent{false};
  std::atomic<bool> stuck{false};

 private:
  std::thread thread_;
};

// The display through ImageMagick, rows top-down, 0x00RRGGBB.
std::vector<uint32_t> ImportRect(const RECT& r) {
  const int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
  char geometry[64];
  snprintf(geometry, sizeof(geometry), "%dx%d+%d+%d", w, h,
           int(r.left) - GetSystemMetrics(SM_XVIRTUALSCREEN),
           int(r.top) - GetSystemMetrics(SM_YVIRTUALSCREEN));
  const std::string file = TestOutputPath("root.ppm");
  if (!RunUnix("app/capture/root_crop.sh", file, geometry)) return {};
  FILE* in = fopen(file.c_str(), "rb");
  if (!in) return {};
  int fw = 0, fh = 0, max = 0;
  std::vector<uint32_t> pixels;
  if (fscanf(in, "P6 %d %d %d", &fw, &fh, &max) == 3 && fw == w && fh == h && max == 255) {
    fgetc(in);
    pixels.resize(size_t(w) * h);
    for (uint32_t& p : pixels) {
      int red = fgetc(in), green = fgetc(in), blue = fgetc(in);
      p = (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
    }
  }
  fclose(in);
  return pixels;
}

uint32_t ImagePixel(const CImage& image, int x, int y) {
  RGBQUAD c = image.GetPixelColor(x, image.GetHeight() - 1 - y);
  return (uint32_t(c.rgbRed) << 16) | (uint32_t(c.rgbGreen) << 8) | c.rgbBlue;
}

class CaptureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    gApp.m_hInstance = GetModuleHandleA(nullptr);
    gApp.m_dwProcessId = GetCurrentProcessId();
    gApp.m_dwUiThreadId = GetCurrentThreadId();
    LoadDpiApi();
    UpdateMultiMonitorFlag();
    ResetProgramRecords(kDefaultScreenDpi);
    RegisterCaptureOverlayClass();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = gApp.m_hInstance;
    wc.lpszClassName = "CapturePattern";
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    wc.lpfnWndProc = HotkeyProc;
    wc.lpszClassName = "CaptureHotkeys";
    RegisterClassA(&wc);
    gHotkeyWindow = CreateWindowA("CaptureHotkeys", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  gApp.m_hInstance, nullptr);
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    background_ = CreateWindowA("CapturePattern", "", WS_POPUP | WS_VISIBLE, vx, vy,
                                GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr,
                                gApp.m_hInstance, nullptr);
    helper_ = CreateWindowA("CapturePattern", "helper", WS_POPUP | WS_VISIBLE, 300, 200, 520, 330,
                            nullptr, nullptr, gApp.m_hInstance, nullptr);
    child_ = CreateWindowA("CapturePattern", "", WS_CHILD | WS_VISIBLE, 60, 50, 210, 130, helper_,
                           nullptr, gApp.m_hInstance, nullptr);
    gCaptureHost.pfnRegisterHotkeys = TestRegisterHotkeys;
    gCaptureHost.pfnSelectDrawTool = [](int tool) { gToolSelected = tool; };
    TestRegisterHotkeys(1, 0);
    Pump(300);
  }
  static void TearDownTestSuite() {
    TestRegisterHotkeys(0, 0);
    DestroyWindow(helper_);
    DestroyWindow(background_);
    DestroyWindow(gHotkeyWindow);
    ClearHistory();
  }
  void SetUp() override {
    profile_ = gProfileTemplate;
    profile_.iSCOSound = 0;
    profile_.iSCOHideSC = 0;
    profile_.iSCOUseDelay = 0;
    gHotkeyCalls.clear();
    gToolSelected = -1;
    SetWindowPos(helper_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(50);
  }

  // The newest state must be the pattern of rect, and what import reads there.
  void ExpectCaptured(const RECT& rect, int statesBefore) {
    ASSERT_EQ(gaImageHistory.count, statesBefore + 1);
    const CImage* image = GetHistoryImage(giCurrentImage);
    ASSERT_NE(image, nullptr);
    const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
    ASSERT_EQ(image->GetWidth(), w);
    ASSERT_EQ(image->GetHeight(), h);
    EXPECT_STREQ(image->szName, "(Unnamed)");
    EXPECT_EQ(image->rcSelection.right, w - 1);
    EXPECT_EQ(image->rcSelection.bottom, h - 1);
    Pump(100);  // the overlay's area repainted
    std::vector<uint32_t> shown = ImportRect(rect);
    ASSERT_EQ(shown.size(), size_t(w) * h) << "import gave no picture";
    int patternOff = 0, importOff = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t p = ImagePixel(*image, x, y);
        if (p != PatternAt(rect.left + x, rect.top + y) && patternOff++ == 0)
          ADD_FAILURE() << "first pattern difference at " << x << "," << y << ": " << std::hex << p
                        << " != " << PatternAt(rect.left + x, rect.top + y);
        if (p != shown[size_t(y) * w + x] && importOff++ == 0)
          ADD_FAILURE() << "first import difference at " << x << "," << y;
      }
    }
    EXPECT_EQ(patternOff, 0);
    EXPECT_EQ(importOff, 0);
    EXPECT_EQ(gToolSelected, 0);
  }

  // Runs a capture with the overlay driven by the xdotool chain.
  OperationError CaptureDriven(const std::string& xdotool, std::function<void()> before = nullptr) {
    COverlayDriver driver(xdotool, before);
    OperationError result = CaptureScreen(profile_);
    driver.Join();
    EXPECT_TRUE(driver.seen) << "no overlay appeared";
    EXPECT_TRUE(driver.sent) << "xdotool did not finish";
    EXPECT_FALSE(driver.stuck) << "the input did not end the overlay";
    EXPECT_EQ(FindWindowA(kCaptureOverlayClass, nullptr), nullptr) << "the overlay stayed";
    EXPECT_EQ(gApp.m_iModalCount, 0) << "busy mode did not end";
    return result;
  }

  static RECT WindowRectInclusive(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return RECT{r.left, r.top, r.right - 1, r.bottom - 1};
  }

  ProfileRecord profile_;
  static HWND background_, helper_, child_;
};
HWND CaptureTest::background_, CaptureTest::helper_, CaptureTest::child_;

TEST_F(CaptureTest, RectangleDragsInBothDirectionsAndClickMoveClick) {
  profile_.iSCMode = 0;
  struct Drag {
    const char* name;
    std::string chain;
    RECT rect;
  };
  const Drag drags[] = {
      {"left to right", "mousemove 120 90 sleep 0.1 mousedown 1 sleep 0.1 mousemove 200 150 "
                        "sleep 0.1 mousemove 331 247 sleep 0.1 mouseup 1", {120, 90, 331, 247}},
      {"right to left", "mousemove 331 247 sleep 0.1 mousedown 1 sleep 0.1 mousemove 250 200 "
                        "sleep 0.1 mousemove 120 90 sleep 0.1 mouseup 1", {120, 90, 331, 247}},
      {"click, move, click", "mousemove 700 500 sleep 0.1 click 1 sleep 0.1 mousemove 800 560 "
                             "sleep 0.1 mousemove 861 603 sleep 0.1 click 1", {700, 500, 861, 603}},
  };
  for (const Drag& d : drags) {
    SCOPED_TRACE(d.name);
    const int before = gaImageHistory.count;
    ASSERT_EQ(CaptureDriven(d.chain), 0u);
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
  OperationError result = CaptureDriven(
      "mousemove 500 420 sleep 0.2 click 1", [&] {
        duringOverlay = OtherThreadTakesPrint();
        SendMessageA(gHotkeyWindow, WM_NESTED_CAPTURE, 0, 0);
      });
  ASSERT_EQ(result, 0u);
  EXPECT_EQ(duringOverlay, 0u) << "Print Screen was not given up while the overlay ran";
  EXPECT_EQ(gNestedResult, ErrCancelled) << "a second overlay was not refused";
  EXPECT_EQ(gHotkeyCalls, (std::vector<int>{0, 1}));
  EXPECT_EQ(OtherThreadTakesPrint(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED))
      << "the hotkeys did not come back";
  ExpectCaptured(WindowRectInclusive(helper_), before);

  const int beforeChild = gaImageHistory.count;
  ASSERT_EQ(CaptureDriven("mousemove 450 330 sleep 0.1 keydown ctrl sleep 0.2 click 1 "
                          "sleep 0.1 keyup ctrl"),
            0u);
  ExpectCaptured(WindowRectInclusive(child_), beforeChild);
}

TEST_F(CaptureTest, BoxAroundTheCursorOddAndEven) {
  profile_.iSCMode = 5;
  const struct { int w, h, x, y; } boxes[] = {{101, 75, 640, 400}, {100, 60, 900, 700}, {1, 1, 5, 5}};
  for (const auto& b : boxes) {
    SCOPED_TRACE(std::to_string(b.w) + " x " + std::to_string(b.h));
    profile_.iSCWidth = int16_t(b.w);
    profile_.iSCHeight = int16_t(b.h);
    const int before = gaImageHistory.count;
    char chain[96];
    snprintf(chain, sizeof(chain), "mousemove %d %d sleep 0.2 click 1", b.x, b.y);
    ASSERT_EQ(CaptureDriven(chain), 0u);
    const RECT box = {b.x - (b.w - 1) / 2, b.y - (b.h - 1) / 2, 0, 0};
    ExpectCaptured(RECT{box.left, box.top, box.left + b.w - 1, box.top + b.h - 1}, before);
  }
}

TEST_F(CaptureTest, CancelledOverlayLeavesTheHistoryAlone) {
  profile_.iSCMode = 0;
  const char* chains[] = {
      "mousemove 100 100 sleep 0.1 mousedown 1 sleep 0.1 mousemove 300 300 sleep 0.1 key Escape "
      "sleep 0.1 mouseup 1",
      "mousemove 100 100 sleep 0.1 mousedown 1 sleep 0.1 mousemove 300 300 sleep 0.1 click 3 "
      "sleep 0.1 mouseup 1",
  };
  for (const char* chain : chains) {
    SCOPED_TRACE(chain);
    const int count = gaImageHistory.count, current = giCurrentImage;
    const CImage* top = GetHistoryImage(current);
    EXPECT_EQ(CaptureDriven(chain), ErrCancelled);
    EXPECT_EQ(gaImageHistory.count, count);
    EXPECT_EQ(giCurrentImage, current);
    EXPECT_EQ(GetHistoryImage(current), top);
    EXPECT_EQ(gHotkeyCalls, (std::vector<int>{0, 1}));
    gHotkeyCalls.clear();
  }
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
      {"foreground window", 2, {}, WindowRectInclusive(helper_)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    profile_.iSCMode = uint8_t(c.mode);
    memcpy(profile_.iSCArea, c.area, sizeof(c.area));
    SetForegroundWindow(helper_);
    Pump(50);
    const int before = gaImageHistory.count;
    ASSERT_EQ(CaptureScreen(profile_), 0u);
    EXPECT_EQ(gApp.m_iModalCount, 0);
    ExpectCaptured(c.expected, before);
  }
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
