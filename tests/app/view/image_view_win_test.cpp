// The image view under Wine: what it shows is read from the screen and
// compared with a nearest-neighbour picture of a coordinate-coded pattern;
// drags, pans, the scroll bar and the navigator are real input from xdotool.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/document/history.h"
#include "app/view/image_view_record_win.h"
#include "app/view/image_view_win.h"
#include "tests/support/test_paths.h"

namespace {

constexpr uint32_t kWorkspace = 0x808080;
constexpr uint32_t kGuide = 0x0000FF;
HWND gMain = nullptr;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && GetImageViewWindow()) {
    RECT client;
    GetClientRect(window, &client);
    LayoutImageView(client);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(int ms) {
  const DWORD end = GetTickCount() + DWORD(ms);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (int(end - GetTickCount()) > 0);
}

// Runs an xdotool chain on the display while this thread keeps pumping.
bool Xdotool(const std::string& chain) {
  std::atomic<bool> done{false}, ok{false};
  std::thread worker([&] {
    const std::string file = TestOutputPath("xdo.done");
    DeleteFileA(file.c_str());
    std::string command = "cmd /c start /unix " + LocalPathToHost(TestSourcePath("app/capture/xdo.sh")) +
                          " " + LocalPathToHost(file) + " " + chain;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      for (int i = 0; i < 1500 && !ok; ++i) {
        ok = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!ok) Sleep(10);
      }
    }
    done = true;
  });
  while (!done) Pump(10);
  worker.join();
  Pump(150);
  return ok;
}

std::string At(POINT screen) {
  char text[64];
  snprintf(text, sizeof(text), "mousemove %ld %ld", long(screen.x - GetSystemMetrics(SM_XVIRTUALSCREEN)),
           long(screen.y - GetSystemMetrics(SM_YVIRTUALSCREEN)));
  return text;
}

POINT ViewPoint(int x, int y) {
  POINT p{x, y};
  ClientToScreen(GetImageViewWindow(), &p);
  return p;
}

// The screen inside a client rectangle of a window, rows top-down, 0xRRGGBB.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Shot ReadScreen(HWND window, int width, int height) {
  Shot shot;
  shot.width = width;
  shot.height = height;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  shot.pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(width) * height);
  for (uint32_t& p : shot.pixels) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

RECT Client(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return r;
}

Shot ReadView() {
  const RECT r = Client(GetImageViewWindow());
  return ReadScreen(GetImageViewWindow(), r.right, r.bottom);
}

// The coordinate code of a 24-bit pattern: red and green the low bytes of
// x and y, blue their high nibbles; never the workspace grey or guide blue.
uint32_t Code24(int x, int y) {
  return uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | uint32_t((x >> 8) & 15) << 4 |
         uint32_t((y >> 8) & 7) | 8;
}
bool Decode24(uint32_t c, int* x, int* y) {
  if (!(c & 8)) return false;
  *x = int((c >> 16) & 255) | int((c >> 4) & 15) << 8;
  *y = int((c >> 8) & 255) | int(c & 7) << 8;
  return true;
}

// Pixel values of the palette depths: distinct colours, none grey.
uint32_t PaletteColour(int index) {
  return uint32_t(index) << 16 | uint32_t((index * 97 + 13) & 255) << 8 | 0x11;
}
int PaletteIndex(int bpp, int x, int y) { return (x * 7 + y * 13) % (1 << bpp); }

CImage* MakePattern(int width, int height, int bpp) {
  CImage* image = new CImage;
  image->Create(width, height, bpp, 0);
  if (bpp < 24)
    for (int i = 0; i < (1 << bpp); ++i) {
      const uint32_t c = PaletteColour(i);
      image->SetPaletteColor(BYTE(i), BYTE(c >> 16), BYTE(c >> 8), BYTE(c));
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (bpp == 24) image->SetPixelColor(x, height - 1 - y, RgbQuadFromValue(Code24(x, y)));
      else image->SetPixelIndex(x, height - 1 - y, BYTE(PaletteIndex(bpp, x, y)));
    }
  image->SelectAll();
  return image;
}

uint32_t PatternColour(int bpp, int x, int y) {
  return bpp == 24 ? Code24(x, y) : PaletteColour(PaletteIndex(bpp, x, y));
}

class ImageViewTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "ViewTestMain";
    RegisterClassA(&wc);
    gMain = CreateWindowExA(0, "ViewTestMain", "view", WS_POPUP | WS_CLIPCHILDREN, 40, 40, 660, 500,
                            nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(CreateImageViewWindows(gMain));
    ShowWindow(gMain, SW_SHOW);
    RECT client;
    GetClientRect(gMain, &client);
    LayoutImageView(client);
    Pump(200);
  }
  static void TearDownTestSuite() {
    DestroyImageViewWindows();
    DestroyWindow(gMain);
    ClearHistory();
  }
  void SetUp() override {
    ClearHistory();
    SetForegroundWindow(gMain);
    Pump(50);
  }
  // Makes image the current state at the zoom, origin (0, 0).
  CImage* Show(CImage* image, int zoom) {
    EXPECT_EQ(AddToHistory(image, "pattern", 0), 0);
    giZoomIndex = zoom;
    SendMessageA(GetImageViewWindow(), kMsgViewScrollBy, 0, MAKELPARAM(-32767, -32767));
    while (SendMessageA(GetImageViewWindow(), kMsgViewScrollBy, 0, MAKELPARAM(-32767, -32767))) {}
    UpdateImageView(0);
    Pump(80);
    return image;
  }
};

int Origin(int bar) { return GetScrollPos(GetImageViewWindow(), bar); }

// Every client pixel against the picture the view must show at an integer
// zoom: the pattern's pixel under it, the workspace outside the painted
// image, the guides left out (checked on their own).
void ExpectShows(const Shot& shot, int bpp, int w, int h, int scale) {
  // The view may go one pixel past the bar's last position.
  const int ox = gImageView.frame.originX, oy = gImageView.frame.originY;
  EXPECT_LE(std::abs(ox - Origin(SB_HORZ)), 1);
  EXPECT_LE(std::abs(oy - Origin(SB_VERT)), 1);
  // Centred where the painting falls short: horizontally only from the
  // first column, vertically only down to the last row.
  auto place = [&](int client, int extent, int origin, bool vertical, int* first, int* painted) {
    const int visible = std::min(client / scale + 1, extent - origin);
    *painted = visible * scale;
    const bool end = vertical ? origin + visible == extent : origin == 0;
    *first = end && *painted < client ? (client - *painted) / 2 : 0;
  };
  int left, pw, top, ph;
  place(shot.width, w, ox, false, &left, &pw);
  place(shot.height, h, oy, true, &top, &ph);
  const GuideLines& g = gImageView.guides;
  int wrong = 0;
  for (int y = 0; y < shot.height && wrong < 5; ++y) {
    if (y == g.top || y == g.bottom) continue;
    for (int x = 0; x < shot.width && wrong < 5; ++x) {
      if (x == g.left || x == g.right) continue;
      const bool inside = x >= left && x < left + pw && y >= top && y < top + ph;
      const uint32_t want =
          inside ? PatternColour(bpp, ox + (x - left) / scale, oy + (y - top) / scale) : kWorkspace;
      if (shot.at(x, y) != want) {
        ++wrong;
        ADD_FAILURE() << "pixel " << x << "," << y << " shows " << std::hex << shot.at(x, y)
                      << " instead of " << want;
      }
    }
  }
}

TEST_F(ImageViewTest, ZoomsAndOriginsShowThePattern) {
  struct Size { int w, h; };
  for (int bpp : {24, 8, 4, 1}) {
    for (Size size : {Size{157, 93}, Size{1201, 777}}) {
      ClearHistory();
      Show(MakePattern(size.w, size.h, bpp), kZoomIndex100);
      for (int zoom = kZoomIndex100; zoom < kZoomSteps; ++zoom) {
        for (int step : {0, 1, 2}) {
          SCOPED_TRACE(testing::Message() << bpp << " bpp " << size.w << "x" << size.h << " zoom "
                                          << kZoomPercent[zoom] << " origin step " << step);
          giZoomIndex = zoom;
          UpdateImageView(0);
          // Origins: the corner, somewhere inside, and as far as the bar goes.
          const int dx = step == 0 ? -32767 : step == 1 ? size.w / 3 : 32767;
          const int dy = step == 0 ? -32767 : step == 1 ? size.h / 5 : 32767;
          SendMessageA(GetImageViewWindow(), kMsgViewScrollBy, 0, MAKELPARAM(dx, dy));
          Pump(30);
          ExpectShows(ReadView(), bpp, size.w, size.h, kZoomPercent[zoom] / 100);
          if (HasFailure()) return;
        }
      }
    }
  }
}

TEST_F(ImageViewTest, BelowFullSizeEachPixelComesFromItsFootprint) {
  const int w = 1201, h = 777;
  Show(MakePattern(w, h, 24), 0);
  for (int zoom = 0; zoom < kZoomIndex100; ++zoom) {
    giZoomIndex = zoom;
    UpdateImageView(0);
    Pump(30);
    const Shot shot = ReadView();
    const ViewFrame& f = gImageView.frame;
    const double scale = kZoomPercent[zoom] / 100.0;
    int wrong = 0, painted = 0;
    for (int y = 0; y < shot.height && wrong < 5; ++y)
      for (int x = 0; x < shot.width && wrong < 5; ++x) {
        const uint32_t c = shot.at(x, y);
        int ix = -1, iy = -1;
        if (x == gImageView.guides.left || x == gImageView.guides.right ||
            y == gImageView.guides.top || y == gImageView.guides.bottom)
          continue;
        if (x < f.rcDest.left || x >= f.rcDest.right || y < f.rcDest.top || y >= f.rcDest.bottom) {
          if (c != kWorkspace) ++wrong, ADD_FAILURE() << "zoom " << zoom << " outside " << x << "," << y;
          continue;
        }
        ++painted;
        // The footprint of a client pixel: the image columns its area covers.
        const double x0 = (x - f.rcDest.left) / scale, y0 = (y - f.rcDest.top) / scale;
        if (!Decode24(c, &ix, &iy) || ix < int(x0) - 1 || ix > int(x0 + 1 / scale) + 1 ||
            iy < int(y0) - 1 || iy > int(y0 + 1 / scale) + 1) {
          ++wrong;
          ADD_FAILURE() << "zoom " << kZoomPercent[zoom] << " pixel " << x << "," << y << " shows "
                        << ix << "," << iy << ", footprint from " << x0 << "," << y0;
        }
      }
    EXPECT_GT(painted, 0) << "zoom " << zoom;
    // Small images are centred.
    EXPECT_NEAR(f.rcDest.left, (shot.width - (f.rcDest.right - f.rcDest.left)) / 2, 1);
  }
}

TEST_F(ImageViewTest, ZoomAnchorKeepsThePixelUnderTheCursor) {
  Show(MakePattern(1201, 777, 24), kZoomIndex100);
  SendMessageA(GetImageViewWindow(), kMsgViewScrollBy, 0, MAKELPARAM(300, 200));
  UpdateImageView(0);
  Pump(30);  // the scrolled picture on the screen before the first look
  const POINT cursor = ViewPoint(211, 143);
  for (int zoom : {8, 11, 7, 6, 9}) {
    const Shot before = ReadView();
    int bx, by;
    ASSERT_TRUE(Decode24(before.at(211, 143), &bx, &by));
    SetImageViewZoomAnchor(cursor);
    giZoomIndex = zoom;
    UpdateImageView(2);
    Pump(30);
    int ax, ay;
    ASSERT_TRUE(Decode24(ReadView().at(211, 143), &ax, &ay));
    EXPECT_EQ(ax, bx) << "zoom " << kZoomPercent[zoom];
    EXPECT_EQ(ay, by) << "zoom " << kZoomPercent[zoom];
  }
  // Arrow-key scrolling: one image pixel per line, the bars follow.
  const int x = Origin(SB_HORZ), y = Origin(SB_VERT);
  SendMessageA(GetImageViewWindow(), kMsgViewHScroll, SB_LINERIGHT, 0);
  SendMessageA(GetImageViewWindow(), kMsgViewVScroll, SB_LINELEFT, 0);
  EXPECT_EQ(Origin(SB_HORZ), x + 1);
  EXPECT_EQ(Origin(SB_VERT), y - 1);
}

// Client columns and rows where the screen shows guide blue.
std::vector<int> BlueLines(const Shot& shot, bool vertical) {
  std::vector<int> lines;
  const int count = vertical ? shot.width : shot.height;
  const int length = vertical ? shot.height : shot.width;
  for (int i = 0; i < count; ++i) {
    int blue = 0;
    for (int j = 0; j < length; ++j)
      if ((vertical ? shot.at(i, j) : shot.at(j, i)) == kGuide) ++blue;
    // A dotted line: about every other pixel along the whole client.
    if (blue >= length / 3) lines.push_back(i);
  }
  return lines;
}

void ExpectGuidesAt(const std::vector<int>& columns, const std::vector<int>& rows) {
  const Shot shot = ReadView();
  EXPECT_EQ(BlueLines(shot, true), columns);
  EXPECT_EQ(BlueLines(shot, false), rows);
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

std::string Drag(POINT from, POINT to, const char* button = "1") {
  return At(from) + " mousedown " + button + " sleep 0.1 " + At(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}) +
         " sleep 0.1 " + At(to) + " sleep 0.2 mouseup " + button;
}

// The zoom index the fitting must pick for a selection: the largest step
// at which it fits the client (the smallest when none does).
int ExpectedFit(int cw, int ch, int sw, int sh) {
  int index = 0;
  for (int i = 0; i < kZoomSteps; ++i)
    if (int64_t(kZoomPercent[i]) * sw <= 100LL * cw && int64_t(kZoomPercent[i]) * sh <= 100LL * ch) index = i;
  return index;
}

TEST_F(ImageViewTest, DrawingANewSelection) {
  struct Case {
    int zoom;
    POINT press, release;  // client
    bool changes;
    RECT selection;        // when it changes
  };
  // Image 300 x 200 from origin 0; at 400 % client x covers column x / 4 and
  // a grid point is rounded to the nearer pixel edge.
  const std::vector<Case> cases = {
      {8, {101, 99}, {301, 261}, true, {25, 25, 74, 64}},
      {8, {301, 261}, {101, 99}, true, {25, 25, 74, 64}},   // crossed corners
      {11, {100, 100}, {110, 300}, false, {}},              // same column at 3200 %
      {11, {40, 40}, {300, 200}, true, {1, 1, 8, 5}},
  };
  for (const Case& c : cases) {
    ClearHistory();
    CImage* image = Show(MakePattern(300, 200, 24), c.zoom);
    const RECT before = image->rcSelection;
    const RECT client = Client(GetImageViewWindow());
    ASSERT_TRUE(Xdotool(Drag(ViewPoint(c.press.x, c.press.y), ViewPoint(c.release.x, c.release.y))));
    Pump(100);
    SCOPED_TRACE(testing::Message() << "zoom " << kZoomPercent[c.zoom] << " " << c.press.x << ","
                                    << c.press.y << " to " << c.release.x << "," << c.release.y);
    if (!c.changes) {
      EXPECT_TRUE(SameRect(image->rcSelection, before)) << Text(image->rcSelection);
      EXPECT_EQ(giZoomIndex, c.zoom);
      continue;
    }
    EXPECT_TRUE(SameRect(image->rcSelection, c.selection)) << Text(image->rcSelection);
    // Zoomed to fit the new selection in the client it had (the bars stay).
    EXPECT_EQ(giZoomIndex, ExpectedFit(client.right, client.bottom, c.selection.right - c.selection.left + 1,
                                       c.selection.bottom - c.selection.top + 1));
    // The guides where the selection's edges are now shown.
    const int s = kZoomPercent[giZoomIndex] / 100;
    const int ox = Origin(SB_HORZ), oy = Origin(SB_VERT);
    ExpectGuidesAt({(c.selection.left - ox) * s - 1, (c.selection.right + 1 - ox) * s},
                   {(c.selection.top - oy) * s - 1, (c.selection.bottom + 1 - oy) * s});
  }
}

TEST_F(ImageViewTest, EdgeDragsMovesAndCancel) {
  // 3200 %: image pixel i covers client 32 i .. 32 i + 31.
  CImage* image = Show(MakePattern(300, 200, 24), 11);
  image->rcSelection = RECT{2, 2, 10, 8};
  InvalidateRect(GetImageViewWindow(), nullptr, FALSE);
  Pump(80);
  ExpectGuidesAt({63, 352}, {63, 288});
  // The left edge dragged over the right one: they swap and the drag goes
  // on with the right edge; the old left guide is gone.
  ASSERT_TRUE(Xdotool(Drag(ViewPoint(63, 150), ViewPoint(600, 150))));
  EXPECT_TRUE(SameRect(image->rcSelection, RECT{11, 2, 18, 8})) << Text(image->rcSelection);
  ExpectGuidesAt({351, 608}, {63, 288});
  EXPECT_EQ(giZoomIndex, 11);
  // Escape during a new selection cancels it.
  const RECT kept = image->rcSelection;
  ASSERT_TRUE(Xdotool(At(ViewPoint(100, 400)) + " mousedown 1 sleep 0.1 " + At(ViewPoint(200, 420)) +
                      " sleep 0.1 key Escape sleep 0.1 " + At(ViewPoint(250, 430)) + " mouseup 1"));
  EXPECT_TRUE(SameRect(image->rcSelection, kept)) << Text(image->rcSelection);
  EXPECT_EQ(gImageView.iDragMode, kDragNone);
  // Ctrl moves the whole selection; it stops at the last column and row.
  ClearHistory();
  image = Show(MakePattern(120, 90, 24), 8);
  image->rcSelection = RECT{10, 10, 29, 19};
  ASSERT_TRUE(Xdotool("keydown ctrl " + Drag(ViewPoint(80, 60), ViewPoint(640, 470)) + " keyup ctrl"));
  EXPECT_TRUE(SameRect(image->rcSelection, RECT{100, 80, 119, 89})) << Text(image->rcSelection);
}

TEST_F(ImageViewTest, ADragRestingOutsideScrollsToTheEdge) {
  CImage* image = Show(MakePattern(250, 180, 24), 8);
  const RECT client = Client(GetImageViewWindow());
  ASSERT_TRUE(Xdotool(At(ViewPoint(100, 100)) + " mousedown 1 sleep 0.1 " +
                      At(ViewPoint(client.right + 30, client.bottom + 30)) + " sleep 4"));
  EXPECT_EQ(gImageView.frame.rcSource.right, 250);
  EXPECT_EQ(gImageView.frame.rcSource.top, 0);  // bottom-up: the last row shows
  ASSERT_TRUE(Xdotool("mouseup 1"));
  EXPECT_EQ(image->rcSelection.right, 249);
  EXPECT_EQ(image->rcSelection.bottom, 179);
}

TEST_F(ImageViewTest, PanAndFling) {
  Show(MakePattern(1201, 777, 24), kZoomIndex100);
  SendMessageA(GetImageViewWindow(), kMsgViewScrollBy, 0, MAKELPARAM(300, 100));
  const int x = Origin(SB_HORZ), y = Origin(SB_VERT);
  // A still right click: no pan, no fling.
  ASSERT_TRUE(Xdotool(At(ViewPoint(300, 200)) + " click 3"));
  Pump(100);
  EXPECT_FALSE(gImageView.bFling);
  EXPECT_EQ(Origin(SB_HORZ), x);
  // A pan that rests before letting go moves by the hand's way and no more.
  ASSERT_TRUE(Xdotool(At(ViewPoint(300, 200)) + " mousedown 3 sleep 0.1 " + At(ViewPoint(250, 180)) +
                      " sleep 0.1 " + At(ViewPoint(200, 150)) + " sleep 0.3 mouseup 3"));
  Pump(200);
  EXPECT_EQ(Origin(SB_HORZ), x + 100);
  EXPECT_EQ(Origin(SB_VERT), y + 50);
  // A quick one flings on after the button is up. Posted, so that every
  // move is its own sample with its own time (the system merges real moves
  // that wait in the queue).
  HWND view = GetImageViewWindow();
  PostMessageA(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 200));
  for (int x : {295, 285, 270, 250}) {
    Pump(4);
    PostMessageA(view, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(x, 200));
  }
  PostMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(245, 200));
  Pump(20);
  const int released = Origin(SB_HORZ);
  EXPECT_TRUE(gImageView.bFling);
  for (int i = 0; i < 100 && gImageView.bFling; ++i) Pump(30);
  EXPECT_GT(Origin(SB_HORZ), released + 20);
  EXPECT_FALSE(gImageView.bFling) << "the fling must come to rest";
}

TEST_F(ImageViewTest, ThumbDragOfAWideImageReachesTheEnd) {
  Show(MakePattern(70000, 10, 24), kZoomIndex100);
  const RECT client = Client(GetImageViewWindow());
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  const int bar = client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2;
  // To the bar's far end (further away the system puts the thumb back).
  ASSERT_TRUE(Xdotool(Drag(ViewPoint(arrow + 3, bar), ViewPoint(client.right - 2, bar))));
  EXPECT_EQ(gImageView.frame.rcSource.right, 70000);
  EXPECT_GT(Origin(SB_HORZ), 65535);
}

TEST_F(ImageViewTest, NavigatorFromTheCornerBox) {
  // One colour: the navigator's frame is then the only inverted pixels.
  const int w = 2400, h = 1800;
  CImage* image = new CImage;
  image->Create(w, h, 24, 0);
  image->Clear(0x30);
  image->SelectAll();
  Show(image, kZoomIndex100);
  ASSERT_TRUE(gImageView.bScrollBoth);
  const RECT client = Client(GetImageViewWindow());
  const POINT box = ViewPoint(client.right + GetSystemMetrics(SM_CXVSCROLL) / 2,
                              client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2);
  ASSERT_TRUE(Xdotool(At(box) + " mousedown 1 sleep 0.2"));
  HWND nav = FindWindowA(kNavigatorClass, nullptr);
  ASSERT_TRUE(nav && IsWindowVisible(nav));
  const double m = std::max(w, h) / (GetSystemMetrics(SM_CXSCREEN) / 6.0);
  const RECT navClient = Client(nav);
  EXPECT_EQ(navClient.right, int(w / m + 0.5));
  EXPECT_EQ(navClient.bottom, int(h / m + 0.5));
  // Moving inside it moves the frame, and the view's origin follows it.
  POINT to{60, 50};
  ClientToScreen(nav, &to);
  ASSERT_TRUE(Xdotool(At(POINT{to.x - 3, to.y}) + " sleep 0.1 " + At(to) + " sleep 0.2"));
  const Shot shot = ReadScreen(nav, navClient.right, navClient.bottom);
  int left = shot.width, top = shot.height;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x)
      if (shot.at(x, y) == 0xCFCFCF) left = std::min(left, x), top = std::min(top, y);
  ASSERT_LT(left, shot.width) << "no frame on the navigator";
  EXPECT_EQ(Origin(SB_HORZ), int(left * m + 0.99999));
  EXPECT_EQ(Origin(SB_VERT), int(top * m + 0.99999));
  ASSERT_TRUE(Xdotool("mouseup 1"));
  EXPECT_FALSE(IsWindow(nav));
}

}  // namespace
