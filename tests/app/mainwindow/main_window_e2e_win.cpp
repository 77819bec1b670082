// Brightwarden.exe as a user meets it: the main window with its four bars,
// Print Screen and Ctrl+N opening the capture overlay, a dragged area
// arriving, image commands and Undo, Save As, Copy and Paste with programs
// outside Wine, the tray, the hotkeys, the busy rule, and the start-up's
// failures. Input is real (xdotool on the display); the oracles are a
// pattern painted here, the X clipboard read with xclip and files read with
// PIL.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <initializer_list>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/app_driver_win.h"
#include "tests/support/test_paths.h"

namespace {

constexpr UINT kItemNotify = 33773;
constexpr UINT kTrayNotify = 33777;
constexpr WPARAM kRotateRight = 3220, kRotate180 = 3200;
const char kOverlayClass[] = "BrightwardenCaptureOverlay";
// The overlay has no keyboard focus without a window manager; the mouse
// cancels it as well: the right button while dragging.
const char kCancelDrag[] = "mousemove 900 600 mousedown 1 mousemove 950 650 click 3 mouseup 1";

uint32_t PatternAt(int x, int y) {
  const unsigned u = unsigned(x + 2048) & 4095, v = unsigned(y + 2048) & 4095;
  return ((u & 255) << 16) | ((v & 255) << 8) | ((u >> 8) << 4) | (v >> 8);
}

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // rows top-down, 0x00RRGGBB
  uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Picture PatternPicture(const RECT& r) {
  Picture p;
  p.width = r.right - r.left + 1;
  p.height = r.bottom - r.top + 1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.pixels.push_back(PatternAt(r.left + x, r.top + y));
  return p;
}

// Turned a quarter clockwise, as the program's Rotate Right does.
Picture TurnedRight(const Picture& in) {
  Picture out;
  out.width = in.height;
  out.height = in.width;
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) out.pixels.push_back(in.at(y, in.height - 1 - x));
  return out;
}

Picture HalfTurned(const Picture& in) {
  Picture out = in;
  for (int y = 0; y < in.height; ++y)
    for (int x = 0; x < in.width; ++x)
      out.pixels[size_t(y) * in.width + x] = in.at(in.width - 1 - x, in.height - 1 - y);
  return out;
}

bool ReadPpm(const std::string& path, Picture* picture) {
  FILE* in = fopen(path.c_str(), "rb");
  if (!in) return false;
  int max = 0;
  bool ok = fscanf(in, "P6 %d %d %d", &picture->width, &picture->height, &max) == 3 && max == 255;
  if (ok) {
    fgetc(in);
    picture->pixels.assign(size_t(picture->width) * picture->height, 0);
    for (uint32_t& p : picture->pixels) {
      int r = fgetc(in), g = fgetc(in), b = fgetc(in);
      ok = ok && b != EOF;
      p = (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
    }
  }
  fclose(in);
  return ok;
}

void WritePpm(const std::string& path, const Picture& picture) {
  FILE* out = fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  fprintf(out, "P6\n%d %d\n255\n", picture.width, picture.height);
  for (uint32_t p : picture.pixels) {
    fputc(int(p >> 16) & 255, out);
    fputc(int(p >> 8) & 255, out);
    fputc(int(p) & 255, out);
  }
  fclose(out);
}

void ExpectSame(const Picture& expected, const Picture& got, const char* what) {
  ASSERT_EQ(expected.width, got.width) << what;
  ASSERT_EQ(expected.height, got.height) << what;
  size_t differ = 0, first = 0;
  for (size_t i = 0; i < got.pixels.size(); ++i)
    if (got.pixels[i] != expected.pixels[i] && differ++ == 0) first = i;
  EXPECT_EQ(differ, 0u) << what << ": first difference at " << first % got.width << ","
                        << first / got.width;
}

bool Images(const std::string& arguments) {
  return RunUnix("/usr/bin/python3 " + LocalPathToHost(TestSourcePath("app/mainwindow/images.py")) +
                 " " + arguments);
}

Picture ClipboardPicture() {
  Picture picture;
  const std::string file = TestOutputPath("clipboard.ppm");
  DeleteFileA(file.c_str());
  EXPECT_TRUE(Images("clip-to-ppm " + LocalPathToHost(file))) << "xclip gave no image";
  ReadPpm(file, &picture);
  return picture;
}

// The pattern behind everything, painted by a thread of its own so that it
// repaints while the test waits.
class CPatternScreen {
 public:
  CPatternScreen() {
    thread_ = std::thread([this] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = Paint;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "MainWindowTestPattern";
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      RegisterClassA(&wc);
      window_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "pattern", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, wc.hInstance, nullptr);
      SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW |
                                                         SWP_NOACTIVATE);
      threadId_ = GetCurrentThreadId();
      ready_ = true;
      MSG message;
      while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    });
    while (!ready_) Sleep(10);
    Sleep(300);
  }
  ~CPatternScreen() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }

 private:
  static LRESULT CALLBACK Paint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      const int w = client.right, h = client.bottom;
      std::vector<uint32_t> pixels(size_t(w) * h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels[size_t(y) * w + x] = PatternAt(x, y);
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
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return DefWindowProcA(window, message, wParam, lParam);
  }

  std::thread thread_;
  std::atomic<bool> ready_{false};
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
};

std::string Title(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

struct BarInfo {
  std::string name;
  RECT rect;
  bool visible;
};

BOOL CALLBACK CollectBar(HWND window, LPARAM out) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpiA(name, "ORVAppDockBar") == 0) {
    BarInfo bar;
    bar.name = Title(window);
    GetWindowRect(window, &bar.rect);
    bar.visible = IsWindowVisible(window) != 0;
    reinterpret_cast<std::vector<BarInfo>*>(out)->push_back(bar);
  }
  return TRUE;
}

class MainWindowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool installed = false;
    if (!installed) InstallProgram();
    installed = true;
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = TestOutputPath(name);
    RemoveTree(root_);
    MakeFolders(root_);
    WriteInstallRecord(1326, root_ + "\\data", false);
    SetEnvironmentVariableA("BW_FAIL_START", nullptr);
  }
  void TearDown() override {
    if (HWND main = main_) PostMessageA(main, WM_CLOSE, 0, 0);
    for (int i = 0; i < 50 && app_.hProcess; ++i) {
      if (HWND box = FindBox(app_.dwProcessId)) PostMessageA(box, WM_COMMAND, IDYES, 0);
      if (WaitForSingleObject(app_.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    KillApp(&app_);
  }

  // Starts the program and waits for its main window to show.
  HWND StartShown(const std::string& arguments = "") {
    app_ = StartApp(arguments);
    WaitFor([&] {
      main_ = FindAppWindow("ORVWindow", app_.dwProcessId, "Brightwarden");
      return main_ && IsWindowVisible(main_);
    }, 15000);
    EXPECT_TRUE(main_ && IsWindowVisible(main_)) << "the main window did not show";
    return main_;
  }

  // Keys go to the window that has the X focus.
  void Keys(const std::string& keys) {
    ASSERT_TRUE(Xdotool("search --onlyvisible --name ^Brightwarden windowfocus --sync key " + keys));
    Sleep(300);
  }

  HWND Overlay() {
    HWND overlay = FindAppWindow(kOverlayClass, app_.dwProcessId);
    return overlay && IsWindowVisible(overlay) ? overlay : nullptr;
  }

  void Command(WPARAM id) {
    PostMessageA(main_, kItemNotify, id, 0);
    Sleep(500);
  }

  AppProcess app_;
  HWND main_ = nullptr;
  std::string root_;
};

TEST_F(MainWindowE2E, CaptureEditUndoSaveCopyAndPasteAsAUserWould) {
  CPatternScreen pattern;
  HWND main = StartShown();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ("Brightwarden", Title(main));

  // The four bars, docked where they belong.
  std::vector<BarInfo> bars;
  EnumChildWindows(main, CollectBar, LPARAM(&bars));
  std::set<std::string> names;
  RECT client;
  GetClientRect(main, &client);
  MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
  for (const BarInfo& bar : bars) {
    names.insert(bar.name);
    EXPECT_TRUE(bar.visible) << bar.name;
    const int height = bar.rect.bottom - bar.rect.top, width = bar.rect.right - bar.rect.left;
    if (bar.name == "Menu Bar" || bar.name == "Toolbar") {
      EXPECT_LT(bar.rect.top - client.top, height) << bar.name << " is not at the top";
    } else if (bar.name == "Draw Bar") {
      EXPECT_LT(bar.rect.left - client.left, width) << "draw bar";
    } else if (bar.name == "Info Bar") {
      EXPECT_LT(client.bottom - bar.rect.bottom, height) << "info bar";
    }
  }
  EXPECT_EQ((std::set<std::string>{"Menu Bar", "Toolbar", "Draw Bar", "Info Bar"}), names);

  // Print Screen over any window opens the overlay; the drag becomes the image.
  ASSERT_TRUE(Xdotool("mousemove 1500 900 sleep 0.2 key Print"));
  ASSERT_TRUE(WaitFor([&] { return Overlay() != nullptr; }, 5000)) << "no overlay after Print";
  Sleep(300);
  ASSERT_TRUE(Xdotool("mousemove 500 300 mousedown 1 mousemove 600 350 mousemove 700 420 "
                      "sleep 0.1 mouseup 1"));
  ASSERT_TRUE(WaitFor([&] { return Title(main) == "Brightwarden - (Unnamed)"; }, 5000))
      << Title(main);
  const Picture captured = PatternPicture(RECT{500, 300, 700, 420});

  Keys("ctrl+c");
  ExpectSame(captured, ClipboardPicture(), "copied capture");

  Command(kRotateRight);
  Keys("ctrl+c");
  ExpectSame(TurnedRight(captured), ClipboardPicture(), "rotated right");

  Keys("ctrl+z");
  Keys("ctrl+c");
  ExpectSame(captured, ClipboardPicture(), "after undo");

  // Save As: the dialog takes the name, Return saves a PNG.
  const std::string saved = root_ + "\\shot.png";
  Keys("ctrl+s");
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    dialog = FindBox(app_.dwProcessId);
    return dialog && GetDlgItem(dialog, 1148);
  }, 5000)) << "no Save As dialog";
  SetDlgItemTextA(dialog, 1148, saved.c_str());
  ASSERT_TRUE(Xdotool("key Return"));
  ASSERT_TRUE(WaitFor([&] { return FileExists(saved); }, 5000)) << "nothing saved";
  Sleep(300);
  Picture file;
  ASSERT_TRUE(Images("to-ppm " + LocalPathToHost(saved) + " " +
                     LocalPathToHost(root_ + "\\shot.ppm")));
  ASSERT_TRUE(ReadPpm(root_ + "\\shot.ppm", &file));
  ExpectSame(captured, file, "saved PNG");
  EXPECT_EQ(Title(main), "Brightwarden - " + saved);

  // Paste what a Linux program put on the clipboard.
  Picture offered;
  offered.width = 37;
  offered.height = 23;
  for (int y = 0; y < offered.height; ++y)
    for (int x = 0; x < offered.width; ++x)
      offered.pixels.push_back(uint32_t(x * 7) << 16 | uint32_t(y * 11) << 8 | uint32_t(x ^ y));
  WritePpm(root_ + "\\offered.ppm", offered);
  ASSERT_TRUE(Images("ppm-to-clip " + LocalPathToHost(root_ + "\\offered.ppm")));
  Sleep(500);
  Keys("ctrl+v");
  ASSERT_TRUE(WaitFor([&] { return Title(main) == "Brightwarden - (Unnamed)"; }, 5000));
  Command(kRotate180);
  Keys("ctrl+c");
  ExpectSame(HalfTurned(offered), ClipboardPicture(), "pasted and turned");

  // Ctrl+N opens the overlay too; the right button in a drag cancels and
  // leaves everything as it was.
  Keys("ctrl+n");
  ASSERT_TRUE(WaitFor([&] { return Overlay() != nullptr; }, 5000)) << "no overlay after Ctrl+N";
  Sleep(300);
  ASSERT_TRUE(Xdotool(kCancelDrag));
  ASSERT_TRUE(WaitFor([&] { return Overlay() == nullptr && IsWindowVisible(main); }, 5000));
  EXPECT_EQ(nullptr, FindBox(app_.dwProcessId)) << "a cancelled capture shows nothing";

  // Closing asks before a changed image goes (a copy counts as delivered, so
  // change it once more); Yes ends the program.
  Command(kRotateRight);
  PostMessageA(main, WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindBox(app_.dwProcessId)) != nullptr; }, 5000));
  EXPECT_EQ("The current image will be discarded!\nDo you want to continue?", BoxText(box));
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(0, WaitExit(&app_, 10000, true));
  main_ = nullptr;
}

TEST_F(MainWindowE2E, TrayHotkeysAndTheBusyRule) {
  CPatternScreen pattern;
  HWND main = StartShown();
  ASSERT_NE(main, nullptr);
  // A single left click on the tray icon hides the shown window and shows it again.
  PostMessageA(main, kTrayNotify, 0, WM_LBUTTONUP);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000)) << "tray click did not hide";
  PostMessageA(main, kTrayNotify, 0, WM_LBUTTONUP);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }, 3000)) << "tray click did not show";
  // Alt+Print Screen shows a hidden window.
  Command(3450);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000)) << "Hide did not hide";
  ASSERT_TRUE(Xdotool("mousemove 1500 900 sleep 0.2 key alt+Print"));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != 0; }, 3000)) << "Alt+Print";

  // While a file dialog is open, Print Screen, commands and tray clicks wait.
  Keys("ctrl+o");
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindBox(app_.dwProcessId)) != nullptr; }, 5000));
  ASSERT_TRUE(Xdotool("mousemove 1500 900 sleep 0.2 key Print"));
  PostMessageA(main, kItemNotify, 3460, 0);
  PostMessageA(main, kTrayNotify, 0, WM_LBUTTONUP);
  Sleep(1000);
  EXPECT_EQ(nullptr, Overlay()) << "a capture started inside the dialog";
  EXPECT_TRUE(IsWindowVisible(main)) << "a tray click acted inside the dialog";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return FindBox(app_.dwProcessId) == nullptr; }, 5000));
  // Afterwards Print Screen works again.
  ASSERT_TRUE(Xdotool("mousemove 1500 900 sleep 0.2 key Print"));
  EXPECT_TRUE(WaitFor([&] { return Overlay() != nullptr; }, 5000)) << "Print after the dialog";
  Sleep(300);
  if (HWND overlay = Overlay()) PostMessageA(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitFor([&] { return Overlay() == nullptr; }, 5000));
}

// A 24-bit BMP of one colour.
void WriteBmp(const std::string& path, int width, int height, uint8_t shade) {
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + DWORD(rowBytes) * height;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::string data(reinterpret_cast<char*>(&file), sizeof(file));
  data.append(reinterpret_cast<char*>(&info), sizeof(info));
  data.append(size_t(rowBytes) * height, char(shade));
  WriteFileText(path, data);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(MainWindowE2E, DroppedFilesOpenInOrderAndTheFirstFailureStops) {
  HWND main = StartShown();
  ASSERT_NE(main, nullptr);
  for (const char* name : {"a", "b", "c"}) WriteBmp(root_ + "\\" + name + ".bmp", 40 + name[0], 30, 99);
  WriteFileText(root_ + "\\bad.bmp", "BM this is no bitmap");
  RECT frame;
  GetWindowRect(main, &frame);
  const std::string at = std::to_string((frame.left + frame.right) / 2) + " " +
                         std::to_string((frame.top + frame.bottom) / 2) + " ";
  auto drop = [&](std::initializer_list<const char*> names) {
    std::string files;
    for (const char* name : names) files += " " + LocalPathToHost(root_ + "\\" + name);
    return RunUnix("/usr/bin/python3 " +
                   LocalPathToHost(TestSourcePath("app/mainwindow/xdnd_drop.py")) + " " + at +
                   files);
  };
  ASSERT_TRUE(drop({"a.bmp", "b.bmp", "c.bmp"})) << "the window took no drop";
  ASSERT_TRUE(WaitFor([&] { return EndsWith(Title(main), "c.bmp"); }, 5000)) << Title(main);
  Keys("ctrl+z");
  EXPECT_TRUE(EndsWith(Title(main), "b.bmp")) << Title(main);
  Keys("ctrl+z");
  EXPECT_TRUE(EndsWith(Title(main), "a.bmp")) << Title(main);

  // A file that cannot be read: one box, and the files after it stay unopened.
  ASSERT_TRUE(drop({"b.bmp", "bad.bmp", "c.bmp"}));
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindBox(app_.dwProcessId)) != nullptr; }, 5000));
  EXPECT_EQ(0u, BoxText(box).find("The image could not be opened!\n")) << BoxText(box);
  PressOk(box);
  ASSERT_TRUE(WaitFor([&] { return FindBox(app_.dwProcessId) == nullptr; }, 5000));
  Sleep(500);
  EXPECT_EQ(nullptr, FindBox(app_.dwProcessId)) << "a second box";
  EXPECT_TRUE(EndsWith(Title(main), "b.bmp")) << Title(main);
}

TEST_F(MainWindowE2E, QuitDuringAnOperationEndsItAndTheProgram) {
  HWND main = StartShown();
  ASSERT_NE(main, nullptr);
  // Large enough that sharpening it takes a while.
  const std::string big = root_ + "\\big.bmp";
  WriteBmp(big, 6000, 4000, 77);
  RECT frame;
  GetWindowRect(main, &frame);
  ASSERT_TRUE(RunUnix("/usr/bin/python3 " +
                      LocalPathToHost(TestSourcePath("app/mainwindow/xdnd_drop.py")) + " " +
                      std::to_string((frame.left + frame.right) / 2) + " " +
                      std::to_string((frame.top + frame.bottom) / 2) + " " + LocalPathToHost(big)));
  ASSERT_TRUE(WaitFor([&] { return EndsWith(Title(main), "big.bmp"); }, 20000)) << Title(main);
  for (WPARAM operation : {WPARAM(3224), WPARAM(3220)}) {
    PostMessageA(main, kItemNotify, operation, 0);
    Sleep(200);
    AppProcess quit = StartApp("-QUIT");
    EXPECT_EQ(0, WaitExit(&quit, 10000));
    // The image changed: the quit asks first, while the operation runs on.
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindBox(app_.dwProcessId)) != nullptr; }, 10000));
    EXPECT_EQ("The current image will be discarded!\nDo you want to continue?", BoxText(box));
    PostMessageA(box, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(0, WaitExit(&app_, 20000, true)) << "operation " << operation;
    main_ = nullptr;
    if (operation == 3220) break;
    main = StartShown();
    ASSERT_TRUE(RunUnix("/usr/bin/python3 " +
                        LocalPathToHost(TestSourcePath("app/mainwindow/xdnd_drop.py")) + " " +
                        std::to_string((frame.left + frame.right) / 2) + " " +
                        std::to_string((frame.top + frame.bottom) / 2) + " " +
                        LocalPathToHost(big)));
    ASSERT_TRUE(WaitFor([&] { return EndsWith(Title(main), "big.bmp"); }, 20000));
  }
}

TEST_F(MainWindowE2E, HotkeyHeldElsewhereIsNamedInOneBox) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, 0, VK_SNAPSHOT));
  app_ = StartApp("");
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindBox(app_.dwProcessId)) != nullptr; }, 15000));
  const std::string text = BoxText(box);
  UnregisterHotKey(nullptr, 1);
  EXPECT_EQ(0u, text.find("The specified Hot-Key \"")) << text;
  EXPECT_NE(std::string::npos,
            text.find("\" could not be set.\nMaybe it's already used by another application."))
      << text;
  PressOk(box);
  main_ = nullptr;
  EXPECT_TRUE(WaitFor([&] {
    main_ = FindAppWindow("ORVWindow", app_.dwProcessId, "Brightwarden");
    return main_ && IsWindowVisible(main_) && !FindBox(app_.dwProcessId);
  }, 10000)) << "only one box, then the window";
}

TEST_F(MainWindowE2E, AutostartWithTheOptionOffShowsNothing) {
  app_ = StartApp("-AUTOSTART");
  EXPECT_EQ(0, WaitExit(&app_, 15000));
  EXPECT_EQ(nullptr, FindAppWindow("ORVWindow", 0, "Brightwarden"));
}

TEST_F(MainWindowE2E, WindowBarAndViewFailuresAreShownAfterTheCleanUp) {
  for (int step = 1; step <= 3; ++step) {
    SetEnvironmentVariableA("BW_FAIL_START", std::to_string(step).c_str());
    app_ = StartApp("");
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindBox(app_.dwProcessId)) != nullptr; }, 15000))
        << step;
    char expected[128];
    snprintf(expected, sizeof(expected),
             "Error initializing the application!\nError code 0x%08X.", step);
    EXPECT_EQ(expected, BoxText(box));
    // The box comes after the clean-up: no main window is left.
    HWND main = FindAppWindow("ORVWindow", app_.dwProcessId, "Brightwarden");
    EXPECT_TRUE(main == nullptr || !IsWindowVisible(main)) << step;
    PressOk(box);
    EXPECT_EQ(step, WaitExit(&app_, 10000, true));
  }
  SetEnvironmentVariableA("BW_FAIL_START", nullptr);
}

}  // namespace
