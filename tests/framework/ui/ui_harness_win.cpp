#include "tests/framework/ui/ui_harness_win.h"

#include "framework/draw/dpi_api_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/icon_list_win.h"
#include "framework/ui/ui_item_win.h"
#include "tests/support/test_paths.h"

#include <cstring>

COLORREF gFrameBackground = RGB(255, 0, 0);
const char* gDynamicText = nullptr;
uint16_t* gMenuIdsAnswer = nullptr;
COLORREF gOwnerDrawnColor = RGB(0, 0, 255);
void (*gFrameAppMessage)(WPARAM wParam) = nullptr;

namespace {

TextRecord gTestTexts[] = {
    {kTestText, {"Alpha", "Ctrl+A", "Alpha does a"}},
    {kTestTextLong, {"A rather long label for the entry"}},
    {kTestTextShort, {"B", nullptr, "B does b", nullptr, "WWWWWWWW"}},
    {kTextTableEnd, {}},
};

std::vector<Notice> gNotices;

LRESULT CALLBACK TestFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case MSG_ITEM_NOTIFY: case MSG_ITEM_DBLCLK: case MSG_ITEM_DRAG_OUT: case WM_CHAR:
      gNotices.push_back({message, wParam, lParam});
      if (message != WM_CHAR) return 0;
      break;
    case WM_APP:
      if (gFrameAppMessage) gFrameAppMessage(wParam);
      return 0;
    case MSG_GET_MENU_IDS:
      return LRESULT(gMenuIdsAnswer);
    case MSG_DRAW_ICON: {
      DrawIconRecord* record = reinterpret_cast<DrawIconRecord*>(lParam);
      if (!wParam) {
        record->rect.right = record->rect.bottom = 16;
        return 1;
      }
      FillRectColor(reinterpret_cast<HDC>(wParam), record->rect, gOwnerDrawnColor);
      return 1;
    }
    case MSG_GET_DYNAMIC_TEXT:
      return LRESULT(lParam == kTextLabel ? gDynamicText : nullptr);
    case MSG_PAINT_BACKGROUND: {
      RECT client;
      GetClientRect(window, &client);
      return PaintBackgroundAt(reinterpret_cast<HDC>(wParam), lParam,
                               [&](HDC dc) { FillRectColor(dc, client, gFrameBackground); });
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      FillRectColor(dc, client, gFrameBackground);
      EndPaint(window, &paint);
      return 0;
    }
  }
  return AppWindowDefProc(window, message, wParam, lParam);
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.dx = dx;
  input.mi.dy = dy;
  SendInput(1, &input, sizeof(input));
}

void SendKey(WORD key, bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = WORD(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof(input));
}

struct BoxFind {
  HWND owner;  // the box must be owned by this window (null: any)
  HWND found;
};

BOOL CALLBACK FindBoxProc(HWND window, LPARAM lParam) {
  BoxFind* find = reinterpret_cast<BoxFind*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || strcmp(name, "#32770"))
    return TRUE;
  if (find->owner && GetWindow(window, GW_OWNER) != find->owner) return TRUE;
  if (!GetDlgItem(window, 50108)) return TRUE;
  find->found = window;
  return FALSE;
}

std::string ItemText(HWND box, int id) {
  char text[4096] = {};
  GetDlgItemTextA(box, id, text, sizeof(text));
  return text;
}

RECT ClientRectOf(HWND box, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(box, id), &rect);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int FontWeight(HWND control) {
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfWeight;
}

}  // namespace

void SetUpFramework() {
  static bool done = false;
  if (done) return;
  done = true;
  gApp.m_hInstance = GetModuleHandleA(nullptr);
  gApp.m_dwProcessId = GetCurrentProcessId();
  gApp.m_dwUiThreadId = GetCurrentThreadId();
  snprintf(gApp.m_szProductName, sizeof(gApp.m_szProductName), "%s", "UI Test");
  gStringTable.SetLanguageTable(0, gTestTexts);
  LoadDpiApi();
  InitDialogFont();
  LoadThemeColors();
  RegisterUIItemClass(gApp.m_hInstance);
}

CTestFrame::CTestFrame(int x, int y, int width, int height, uint16_t id) {
  SetUpFramework();
  int index = gApp.AddWindow(id, TestFrameProc, 0xFFFF, 0);
  if (index < 0) return;
  window = gApp.GetWindowAt(index);
  hwnd = window->hwnd;
  SetWindowPos(hwnd, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd);
  gNotices.clear();
  Pump(30);
}

CTestFrame::~CTestFrame() {
  gApp.CancelMenus(nullptr);
  for (int i = gApp.GetWindowCount() - 1; i >= 0; --i) {
    CAppWindow* w = gApp.GetWindowAt(i);
    if (w != window) continue;
    w->Destroy();
    delete w;
    PtrArrayRemoveAt(&gApp.m_aWindows, i);
  }
  Pump(10);
}

std::vector<Notice>& Notices() { return gNotices; }

int CountNotices(UINT message) {
  int count = 0;
  for (const Notice& n : gNotices) count += n.message == message;
  return count;
}

void Pump(int ms) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(int(message.wParam));
        return;
      }
      gApp.DispatchAppMessage(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < DWORD(ms));
}

void MoveMouse(int x, int y) {
  int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int vw = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  LONG dx = LONG((int64_t(x - vx) * 65535 + (vw - 1) / 2) / (vw - 1));
  LONG dy = LONG((int64_t(y - vy) * 65535 + (vh - 1) / 2) / (vh - 1));
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, dx, dy);
  Pump(20);
}

void MouseButton(int button, bool down) {
  const DWORD downs[3] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
  const DWORD ups[3] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
  SendMouse(down ? downs[button] : ups[button]);
  Pump(20);
}

void ClickAt(int x, int y) {
  MoveMouse(x, y);
  MouseButton(0, true);
  MouseButton(0, false);
}

void KeyDown(WORD key) {
  SendKey(key, true);
  Pump(15);
}

void KeyUp(WORD key) {
  SendKey(key, false);
  Pump(15);
}

void Tap(WORD key, std::vector<WORD> modifiers) {
  for (WORD m : modifiers) SendKey(m, true);
  SendKey(key, true);
  SendKey(key, false);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) SendKey(*m, false);
  Pump(40);
}

std::vector<uint32_t> ScreenPixels(const RECT& rect) {
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

COLORREF ScreenPixel(int x, int y) {
  uint32_t p = ScreenPixels({x, y, x + 1, y + 1})[0];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

RECT ScreenRectOf(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

CUIItem* MakeItem(uint16_t id, uint16_t kind, uint32_t flags, uint16_t text, HWND parent, int x,
                  int y, void* data, uint16_t image) {
  SetUpFramework();
  if (gApp.FindCommand(id) < 0) gApp.AddCommand(id, kind, flags, image, text, data);
  CUIItem* item = CreateUIItem(kind, data);
  if (!item) return nullptr;
  if (item->Create(id, parent, parent, nullptr) != 0) {
    DestroyItem(item);
    return nullptr;
  }
  item->SetPosition(x, y, item->width, item->height);
  return item;
}

void DestroyItem(CUIItem* item) {
  if (!item) return;
  item->Destroy();
  delete item;
}

std::string TakeScreenshot(const std::string& name) {
  std::string local = TestOutputPath(name);
  DeleteFileA(local.c_str());
  std::string host = LocalPathToHost(local);
  std::string script = LocalPathToHost(TestSourcePath("framework/ui/screenshot.sh"));
  std::string command = "cmd /c start /unix " + script + " " + host;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return "";
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Wine gives no handle of the Unix program: wait for its renamed file.
  for (int i = 0; i < 500; ++i) {
    if (GetFileAttributesA(local.c_str()) != INVALID_FILE_ATTRIBUTES) return host;
    if (GetCurrentThreadId() == gApp.m_dwUiThreadId) Pump(20);
    else Sleep(20);
  }
  return "";
}

std::vector<WORD> DialogTemplate(const std::vector<DialogControl>& controls) {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  dword(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME);
  dword(0);
  t.push_back(WORD(controls.size()));
  for (WORD v : {WORD(0), WORD(0), WORD(200), WORD(100)}) t.push_back(v);
  t.push_back(0);  // menu
  t.push_back(0);  // class
  t.push_back(0);  // title
  for (const DialogControl& c : controls) {
    if (t.size() % 2) t.push_back(0);  // controls start on a DWORD
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style);
    dword(0);
    for (short v : {c.x, c.y, c.width, c.height}) t.push_back(WORD(v));
    t.push_back(c.id);
    t.push_back(0xFFFF);
    t.push_back(c.atom);
    t.push_back(0);  // title
    t.push_back(0);  // creation data
  }
  return t;
}

std::vector<WORD> EditDialogTemplate() {
  return DialogTemplate({{ES_AUTOHSCROLL | WS_BORDER, 5, 5, 100, 12, 100, 0x0081},
                         {BS_DEFPUSHBUTTON, 5, 25, 40, 14, IDOK, 0x0080}});
}

HWND FindBox(HWND owner) {
  BoxFind find = {owner, nullptr};
  EnumWindows(FindBoxProc, LPARAM(&find));
  return find.found;
}

HWND WaitForBox(HWND owner) {
  for (int i = 0; i < 1000; ++i) {
    if (HWND box = FindBox(owner)) return box;
    Sleep(10);
  }
  return nullptr;
}

void ReadBox(HWND box, BoxSeen* seen) {
  seen->found = true;
  seen->heading = ItemText(box, 50108);
  HWND text = GetDlgItem(box, 50109);
  seen->hasText = text != nullptr;
  if (text) seen->text = ItemText(box, 50109);
  for (int id : {1, 2, 6, 7})
    if (IsWindowVisible(GetDlgItem(box, id))) seen->buttons.push_back(id);
  seen->defaultId = LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0));
  seen->closeBox = GetWindowLongPtrA(box, GWL_STYLE) & WS_SYSMENU;
  seen->icon = ClientRectOf(box, 50106);
  seen->headingRect = ClientRectOf(box, 50108);
  GetWindowRect(box, &seen->window);
  seen->headingWeight = FontWeight(GetDlgItem(box, 50108));
  seen->defaultButtonWeight = FontWeight(GetDlgItem(box, seen->defaultId));
  if (text) {
    char name[16] = {};
    GetClassNameA(text, name, sizeof(name));
    LONG_PTR style = GetWindowLongPtrA(text, GWL_STYLE);
    seen->textScrolls = !lstrcmpiA(name, "Edit") && (style & ES_READONLY) && (style & WS_VSCROLL);
    seen->textRect = ClientRectOf(box, 50109);
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, seen->textRect.right - seen->textRect.left, 0};
    DrawTextA(dc, seen->text.c_str(), -1, &need,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    seen->textFits = (need.bottom - need.top) - (seen->textRect.bottom - seen->textRect.top);
  }
}

void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

namespace {

bool WaitUntil(bool (*condition)(HWND), HWND window, int ms) {
  for (DWORD start = GetTickCount(); !condition(window);) {
    if (GetTickCount() - start > DWORD(ms)) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace

bool WaitForKeyboard(HWND window, int ms) {
  // Keys go to the foreground window's thread; under load the box may show
  // before it is activated and its default button focused.
  return WaitUntil(
      [](HWND w) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetForegroundWindow() == w &&
               GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) && info.hwndFocus &&
               GetParent(info.hwndFocus) == w;
      },
      window, ms);
}

DWORD WINAPI DriveBox(LPVOID parameter) {
  BoxDriver* driver = static_cast<BoxDriver*>(parameter);
  HWND box = WaitForBox(driver->owner);
  if (!box) return 0;
  if (driver->byKeys) driver->seen.keyboard = WaitForKeyboard(box, 5000);
  ReadBox(box, &driver->seen);
  if (!driver->screenshot.empty()) TakeScreenshot(driver->screenshot);
  if (driver->byKeys && !driver->seen.keyboard) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);  // keys would be lost; end the run, the test fails
    return 0;
  }
  if (driver->escapeFirst) {
    PressKey(VK_ESCAPE);
    // A box that takes Escape closes; one that ignores it stays for good, so
    // only the closing is waited for, with room for a loaded machine.
    bool closed = WaitUntil([](HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }, box, 3000);
    driver->seen.openAfterEscape = !closed;
    if (closed) return 0;
  }
  if (driver->byKeys) PressKey(VK_RETURN);
  else PostMessageA(box, WM_COMMAND, IDOK, 0);
  return 0;
}

