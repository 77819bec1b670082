// The user interface's costs beside the system's own controls, in one
// process under Wine (medians of several rounds):
//   repaint  25 image buttons repainted 1,000 times, against a toolbar
//            (ToolbarWindow32) with the same buttons and images;
//   popup    a 100-entry popup opened, shown and closed, against
//            TrackPopupMenuEx of an equal menu ended by EndMenu;
//   icons    100 images with their disabled looks made at start-up.
// Usage: bench_ui_win [rounds] (default 5); with BW_BENCH_DETAIL set, the
// popup's open, paint and close times of each round are printed too.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/app/app_win.h"
#include "framework/draw/dpi_api_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/icon_list_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/ui_item_win.h"

namespace {

const int kButtons = 25;
const int kRepaints = 1000;
const int kPopupEntries = 100;
const int kIcons = 100;
const uint16_t kFirstButton = 1000;
const uint16_t kPopupMenu = 2000;
const uint16_t kFirstEntry = 2001;
const uint16_t kImages[] = {50000, 50001, 50002, 50003, 50004, 50005, 50006, 50007, 50008};

TextRecord gTexts[] = {{100, {"Entry", nullptr, "An entry"}}, {kTextTableEnd, {}}};
uint16_t gEntries[kPopupEntries + 1];

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Drain() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) gApp.DispatchAppMessage(&message);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
    EndMenu();  // the system menu is on the screen: close it at once
    return 0;
  }
  return AppWindowDefProc(window, message, wParam, lParam);
}

HWND MakeFrame(int y) {
  int index = gApp.AddWindow(uint16_t(1 + y), FrameProc, 0xFFFF, 0);
  HWND frame = gApp.GetWindowAt(index)->hwnd;
  SetWindowPos(frame, HWND_TOP, 20, y, 900, 80, SWP_SHOWWINDOW);
  return frame;
}

double RepaintOurs(HWND frame) {
  std::vector<CUIItem*> items;
  int x = 0;
  for (int i = 0; i < kButtons; ++i) {
    CUIItem* item = CreateUIItem(kItemButton, nullptr);
    item->Create(uint16_t(kFirstButton + i), frame, frame, nullptr);
    item->SetPosition(x, 2, -1, -1);
    x += item->width + 2;
    items.push_back(item);
  }
  Drain();
  double start = Now();
  for (int i = 0; i < kRepaints; ++i)
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  double elapsed = Now() - start;
  for (CUIItem* item : items) {
    item->Destroy();
    delete item;
  }
  return elapsed;
}

double RepaintToolbar(HWND frame) {
  HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT |
                                 CCS_NORESIZE | CCS_NODIVIDER, 0, 0, 900, 40, frame, nullptr,
                                 gApp.m_hInstance, nullptr);
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kButtons, 0);
  for (int i = 0; i < kButtons; ++i) {
    HICON icon = static_cast<HICON>(LoadImageA(gApp.m_hInstance,
                                               MAKEINTRESOURCEA(kImages[i % 9]), IMAGE_ICON, 16,
                                               16, 0));
    ImageList_AddIcon(images, icon);
    DestroyIcon(icon);
  }
  SendMessageA(toolbar, TB_SETIMAGELIST, 0, LPARAM(images));
  std::vector<TBBUTTON> buttons(kButtons);
  for (int i = 0; i < kButtons; ++i) {
    buttons[size_t(i)] = {};
    buttons[size_t(i)].iBitmap = i;
    buttons[size_t(i)].idCommand = kFirstButton + i;
    buttons[size_t(i)].fsState = TBSTATE_ENABLED;
    buttons[size_t(i)].fsStyle = BTNS_BUTTON;
  }
  SendMessageA(toolbar, TB_ADDBUTTONSA, kButtons, LPARAM(buttons.data()));
  Drain();
  double start = Now();
  for (int i = 0; i < kRepaints; ++i)
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  double elapsed = Now() - start;
  DestroyWindow(toolbar);
  ImageList_Destroy(images);
  return elapsed;
}

double PopupOurs(HWND frame) {
  POINT at = {60, 60};
  double start = Now();
  CMenu* menu = gApp.TrackMenu(kPopupMenu, &at, frame);
  double opened = Now();
  UpdateWindow(menu->PopupWindow());
  for (int i = 0; i < menu->GetEntryCount(); ++i) UpdateWindow(menu->GetEntry(i)->hwnd);
  double painted = Now();
  gApp.CancelMenus(nullptr);
  double closed = Now();
  if (getenv("BW_BENCH_DETAIL"))
    printf("  open %.1f paint %.1f close %.1f\n", opened - start, painted - opened, closed - painted);
  return Now() - start;
}

double PopupSystem(HWND frame, HMENU menu) {
  SetForegroundWindow(frame);
  double start = Now();
  TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY, 60, 60, frame, nullptr);
  return Now() - start;
}

double MakeIcons() {
  double start = Now();
  for (int i = 0; i < kIcons; ++i) AddIcon(uint16_t(30000 + i), kImages[i % 9], 0, 16);
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : 5;
  if (rounds < 1) rounds = 1;
  gApp.m_hInstance = GetModuleHandleA(nullptr);
  gApp.m_dwProcessId = GetCurrentProcessId();
  gApp.m_dwUiThreadId = GetCurrentThreadId();
  gStringTable.SetLanguageTable(0, gTexts);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  LoadDpiApi();
  InitDialogFont();
  LoadThemeColors();
  RegisterUIItemClass(gApp.m_hInstance);

  std::vector<double> iconRuns;
  for (int r = 0; r < rounds; ++r) {
    FreeIcons();
    iconRuns.push_back(MakeIcons());
  }
  FreeIcons();
  for (int i = 0; i < 9; ++i) AddIcon(kImages[i], kImages[i], 0, 16);
  for (int i = 0; i < kButtons; ++i)
    gApp.AddCommand(uint16_t(kFirstButton + i), kItemButton, kCommandImage, kImages[i % 9], 100,
                    nullptr);
  HMENU systemMenu = CreatePopupMenu();
  for (int i = 0; i < kPopupEntries; ++i) {
    gEntries[i] = uint16_t(kFirstEntry + i);
    gApp.AddCommand(gEntries[i], kItemButton, 0, 0xFFFF, 100, nullptr);
    AppendMenuA(systemMenu, MF_STRING, kFirstEntry + i, "Entry");
  }
  gEntries[kPopupEntries] = kListEnd;
  gApp.AddCommand(kPopupMenu, kItemMenu, 0, 0, 100, gEntries);

  HWND frame = MakeFrame(100);
  std::vector<double> ours, toolbar, popup, systemPopup;
  for (int r = 0; r < rounds; ++r) {
    ours.push_back(RepaintOurs(frame));
    toolbar.push_back(RepaintToolbar(frame));
    popup.push_back(PopupOurs(frame));
    systemPopup.push_back(PopupSystem(frame, systemMenu));
    Drain();
  }
  DestroyMenu(systemMenu);
  double o = Median(ours), t = Median(toolbar), p = Median(popup), s = Median(systemPopup);
  double perItem = o / (double(kRepaints) * kButtons);
  printf("rounds: %d (medians)\n", rounds);
  printf("repaint 25 buttons x 1000: ours %8.1f ms, toolbar %8.1f ms: %.2fx (target <= 3x), "
         "%.4f ms per item (target < 1 ms)\n", o, t, o / t, perItem);
  printf("100-entry popup open+close: ours %6.1f ms, TrackPopupMenuEx %6.1f ms: %.2fx "
         "(target <= 2x, < 30 ms)\n", p, s, p / s);
  printf("100 images with disabled looks: %.1f ms (target < 50 ms)\n", Median(iconRuns));
  gApp.DestroyAll();
  return 0;
}
