#include "tests/app/capture/capture_harness_win.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/capture/capture_host.h"
#include "app/capture/capture_overlay_win.h"
#include "app/capture/capture_win.h"
#include "app/capture/screen_area_win.h"
#include "app/document/history.h"
#include "framework/app/app_win.h"
#include "framework/draw/dpi_api_win.h"
#include "tests/support/test_paths.h"

HWND gBackground, gHelper, gChild, gHotkeyWindow;
std::vector<int> gHotkeyCalls;
int gToolSelected = -1;
ProfileRecord gNestedProfile;
OperationError gNestedResult;

uint32_t PatternAt(int x, int y) {
  const unsigned u = unsigned(x + 2048) & 4095, v = unsigned(y + 2048) & 4095;
  return ((u & 255) << 16) | ((v & 255) << 8) | ((u >> 8) << 4) | (v >> 8);
}

namespace {

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

}  // namespace

void SetUpCaptureHarness() {
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
  gBackground = CreateWindowA("CapturePattern", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              gApp.m_hInstance, nullptr);
  gHelper = CreateWindowA("CapturePattern", "helper", WS_POPUP, 300, 200, 520, 330, nullptr,
                          nullptr, gApp.m_hInstance, nullptr);
  gChild = CreateWindowA("CapturePattern", "", WS_CHILD | WS_VISIBLE, 60, 50, 210, 130, gHelper,
                         nullptr, gApp.m_hInstance, nullptr);
  PlacePatternWindows();
  gCaptureHost.pfnRegisterHotkeys = TestRegisterHotkeys;
  gCaptureHost.pfnSelectDrawTool = [](int tool) { gToolSelected = tool; };
  TestRegisterHotkeys(1, 0);
}

void PlacePatternWindows() {
  SetWindowPos(gBackground, HWND_TOP, GetSystemMetrics(SM_XVIRTUALSCREEN),
               GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
               GetSystemMetrics(SM_CYVIRTUALSCREEN), SWP_SHOWWINDOW);
  SetWindowPos(gHelper, HWND_TOP, 300, 200, 520, 330, SWP_SHOWWINDOW);
  InvalidateRect(gBackground, nullptr, FALSE);
  InvalidateRect(gHelper, nullptr, FALSE);
  InvalidateRect(gChild, nullptr, FALSE);
  Pump(300);
}

void TearDownCaptureHarness() {
  TestRegisterHotkeys(0, 0);
  gCaptureHost = CaptureHost{};
  DestroyWindow(gHelper);
  DestroyWindow(gBackground);
  DestroyWindow(gHotkeyWindow);
  ClearHistory();
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

DWORD OtherThreadTakesPrint() {
  DWORD error = 0;
  std::thread([&] {
    if (RegisterHotKey(nullptr, 7, 0, VK_SNAPSHOT)) UnregisterHotKey(nullptr, 7);
    else error = GetLastError();
  }).join();
  return error;
}

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
  // Wine gives no handle of the Unix program: wait for its file.
  for (int i = 0; i < 1000; ++i) {
    if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(20);
  }
  return false;
}

std::string MoveTo(int x, int y) {
  char text[64];
  snprintf(text, sizeof(text), "mousemove %d %d", x - GetSystemMetrics(SM_XVIRTUALSCREEN),
           y - GetSystemMetrics(SM_YVIRTUALSCREEN));
  return text;
}

bool RunXdotool(const std::string& chain) {
  return RunUnix("app/capture/xdo.sh", TestOutputPath("xdo.done"), chain);
}

HWND FindOverlay() {
  HWND overlay = FindWindowA(kCaptureOverlayClass, nullptr);
  return overlay && IsWindowVisible(overlay) ? overlay : nullptr;
}

RECT WindowRectInclusive(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return RECT{r.left, r.top, r.right - 1, r.bottom - 1};
}

COverlayDriver::COverlayDriver(std::string chain, std::function<void()> before)
    : thread_([this, chain, before] {
        HWND overlay = nullptr;
        for (int i = 0; i < 1000 && !overlay; ++i) {
          overlay = FindOverlay();
          if (overlay && GetUpdateRect(overlay, nullptr, FALSE)) overlay = nullptr;
          if (!overlay) Sleep(10);
        }
        seen = overlay != nullptr;
        Sleep(100);
        if (before) before();
        sent = RunXdotool(chain);
        for (int i = 0; i < 500 && FindOverlay(); ++i) Sleep(10);
        if (HWND left = FindOverlay()) {
          stuck = true;
          PostMessageA(left, WM_KEYDOWN, VK_ESCAPE, 0);
        }
      }) {}

OperationError CaptureDriven(const ProfileRecord& profile, const std::string& chain,
                             std::function<void()> before) {
  COverlayDriver driver(chain, before);
  OperationError result = CaptureScreen(profile);
  driver.Join();
  EXPECT_TRUE(driver.seen) << "no overlay appeared";
  EXPECT_TRUE(driver.sent) << "xdotool did not finish";
  EXPECT_FALSE(driver.stuck) << "the input did not end the overlay";
  EXPECT_EQ(FindWindowA(kCaptureOverlayClass, nullptr), nullptr) << "the overlay stayed";
  EXPECT_EQ(gApp.m_iModalCount, 0) << "busy mode did not end";
  return result;
}

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

void ExpectCaptured(const RECT& rect, int statesBefore, const std::vector<RECT>& checked) {
  ASSERT_EQ(gaImageHistory.count, statesBefore + 1);
  const CImage* image = GetHistoryImage(giCurrentImage);
  ASSERT_NE(image, nullptr);
  const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
  ASSERT_EQ(image->GetWidth(), w);
  ASSERT_EQ(image->GetHeight(), h);
  EXPECT_STREQ(image->szName, "(Unnamed)");
  EXPECT_EQ(image->rcSelection.right, w - 1);
  EXPECT_EQ(image->rcSelection.bottom, h - 1);
  EXPECT_EQ(gToolSelected, 0);
  Pump(100);  // the overlay's area repainted
  const std::vector<uint32_t> shown = ImportRect(rect);
  ASSERT_EQ(shown.size(), size_t(w) * h) << "import gave no picture";
  const std::vector<RECT> areas = checked.empty() ? std::vector<RECT>{rect} : checked;
  int patternOff = 0, importOff = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const POINT at = {rect.left + x, rect.top + y};
      bool inside = false;
      for (const RECT& a : areas)
        inside |= at.x >= a.left && at.x <= a.right && at.y >= a.top && at.y <= a.bottom;
      if (!inside) continue;
      const uint32_t p = ImagePixel(*image, x, y);
      if (p != PatternAt(at.x, at.y) && patternOff++ == 0)
        ADD_FAILURE() << "first pattern difference at " << at.x << "," << at.y << ": " << std::hex
                      << p << " != " << PatternAt(at.x, at.y);
      if (p != shown[size_t(y) * w + x] && importOff++ == 0)
        ADD_FAILURE() << "first import difference at " << at.x << "," << at.y;
    }
  }
  EXPECT_EQ(patternOff, 0);
  EXPECT_EQ(importOff, 0);
}
