// UI items under the real mouse, and what they show on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <commctrl.h>

#include "framework/draw/draw_helpers_win.h"
#include "framework/draw/font_cache_win.h"
#include "framework/draw/icon_list_win.h"
#include "framework/ui/menu_item_win.h"
#include "framework/ui/value_items_win.h"
#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/test_paths.h"

namespace {

enum : uint16_t {
  kA = 301, kB = 302, kDragged = 303, kBrush = 304, kColor = 305, kDynamic = 306,
  kSlider = 307, kEnabledImage = 311, kDisabledImage = 312, kHot = 313, kSplit = 314,
  kStands = 315, kStatus = 316, kSized = 317, kSwatch = 318, kSampleImage = 5000,
  kStandsFor = 3460, kSwatchImage = 6000,
};
uint16_t gSplitEntries[] = {kA, kB, kListEnd};
constexpr uint32_t kLabel = kCommandLabel;

POINT Centre(HWND window) {
  RECT r = ScreenRectOf(window);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class Items : public testing::Test {
 protected:
  void SetUp() override {
    gFrameBackground = RGB(255, 0, 0);
    ClickAt(380, 250);  // the frame takes the first click
    gApp.m_itemMouse = {};
    Notices().clear();
  }
  void TearDown() override {
    for (CUIItem* item : items_) DestroyItem(item);
  }
  CUIItem* Add(uint16_t id, uint16_t kind, uint32_t flags, uint16_t text, int x, int y,
               void* data = nullptr, uint16_t image = 0xFFFF) {
    CUIItem* item = MakeItem(id, kind, flags, text, frame_.hwnd, x, y, data, image);
    items_.push_back(item);
    Pump(20);
    return item;
  }
  std::vector<Notice> Of(UINT message) {
    std::vector<Notice> found;
    for (const Notice& n : Notices())
      if (n.message == message) found.push_back(n);
    return found;
  }
  CTestFrame frame_;
  std::vector<CUIItem*> items_;
};

TEST_F(Items, HoverPressAndReleaseRunTheCommandOnce) {
  CUIItem* a = Add(kA, kItemButton, kLabel, kTestText, 10, 10);
  ASSERT_TRUE(a);
  POINT centre = Centre(a->hwnd);
  MoveMouse(centre.x, centre.y);
  EXPECT_TRUE(gApp.GetCommandFlags(kA) & kCommandHot);
  ASSERT_TRUE(frame_.window->GetStatusText(-2));
  EXPECT_STREQ("Alpha does a", frame_.window->GetStatusText(-2));
  MouseButton(0, true);
  EXPECT_TRUE(gApp.GetCommandFlags(kA) & kCommandPressed);
  MouseButton(0, false);
  std::vector<Notice> runs = Of(MSG_ITEM_NOTIFY);
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(WPARAM(1u << 16 | kA), runs[0].wParam);
  EXPECT_EQ(0, runs[0].lParam);
  EXPECT_FALSE(gApp.GetCommandFlags(kA) & kCommandPressed);
  // A release outside the item runs nothing; leaving clears the hot state
  // and the hover text.
  Notices().clear();
  gApp.m_itemMouse = {};
  MoveMouse(centre.x, centre.y);
  MouseButton(0, true);
  MoveMouse(350, 250);
  MouseButton(0, false);
  Pump(50);
  EXPECT_TRUE(Of(MSG_ITEM_NOTIFY).empty());
  EXPECT_FALSE(gApp.GetCommandFlags(kA) & (kCommandHot | kCommandPressed));
  EXPECT_EQ(nullptr, frame_.window->GetStatusText(-2));
}

TEST_F(Items, DisablingClearsHotAndPressedAtOnce) {
  CUIItem* a = Add(kA, kItemButton, kLabel, kTestText, 10, 10);
  POINT centre = Centre(a->hwnd);
  MoveMouse(centre.x, centre.y);
  MouseButton(0, true);
  ASSERT_TRUE(gApp.GetCommandFlags(kA) & (kCommandHot | kCommandPressed));
  gApp.EnableCommand(kA, false);
  EXPECT_FALSE(gApp.GetCommandFlags(kA) & (kCommandHot | kCommandPressed));
  MouseButton(0, false);
  EXPECT_NE(a->hwnd, GetCapture());  // the press let go although the command is off
  EXPECT_TRUE(Of(MSG_ITEM_NOTIFY).empty());
  gApp.EnableCommand(kA, true);
}

TEST_F(Items, AButtonCanStandForAnotherCommand) {
  CUIItem* item = Add(kStands, kItemButton, kLabel, kTestText, 10, 10,
                      reinterpret_cast<void*>(uintptr_t(kStandsFor)));
  POINT centre = Centre(item->hwnd);
  ClickAt(centre.x, centre.y);
  std::vector<Notice> runs = Of(MSG_ITEM_NOTIFY);
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(WPARAM(1u << 16 | kStandsFor), runs[0].wParam);
}

TEST_F(Items, ASplitEntryRunsOnItsMainPartAndOpensOnItsArrow) {
  CUIItem* split = Add(kSplit, kItemMenu, kLabel | kCommandSplitOrThin, kTestText, 10, 10,
                       gSplitEntries);
  ASSERT_TRUE(split);
  RECT r = ScreenRectOf(split->hwnd);
  int middle = (r.top + r.bottom) / 2;
  ClickAt(r.left + 5, middle);
  std::vector<Notice> runs = Of(MSG_ITEM_NOTIFY);
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(WPARAM(1u << 16 | kSplit), runs[0].wParam);
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  Notices().clear();
  gApp.m_itemMouse = {};
  ClickAt(r.right - split->arrowWidth / 2, middle);
  EXPECT_TRUE(Of(MSG_ITEM_NOTIFY).empty());
  EXPECT_EQ(split, static_cast<CUIItem*>(gApp.GetOpenPopup()));
  TakeScreenshot("split_open.png");
  gApp.m_itemMouse = {};
  ClickAt(r.right - split->arrowWidth / 2, middle);  // again: it closes
  EXPECT_EQ(nullptr, gApp.GetOpenPopup());
  EXPECT_TRUE(Of(MSG_ITEM_NOTIFY).empty());
}

TEST_F(Items, ADoubleClickNeedsBothPressesOnOneItem) {
  CUIItem* a = Add(kA, kItemButton, kLabel, kTestText, 10, 10);
  CUIItem* b = Add(kB, kItemButton, kLabel, kTestTextShort, 10, 60);
  POINT pa = Centre(a->hwnd);
  POINT pb = Centre(b->hwnd);
  ClickAt(pa.x, pa.y);
  ClickAt(pa.x, pa.y);
  std::vector<Notice> doubles = Of(MSG_ITEM_DBLCLK);
  ASSERT_EQ(1u, doubles.size());
  EXPECT_EQ(WPARAM(1u << 16 | kA), doubles[0].wParam);
  EXPECT_EQ(2u, Of(MSG_ITEM_NOTIFY).size());
  Notices().clear();
  gApp.m_itemMouse = {};
  ClickAt(pa.x, pa.y);
  ClickAt(pb.x, pb.y);
  EXPECT_TRUE(Of(MSG_ITEM_DBLCLK).empty());
  EXPECT_EQ(2u, Of(MSG_ITEM_NOTIFY).size());
}

TEST_F(Items, DraggingOutOfAnItemTellsTheOwnerOnce) {
  CUIItem* item = Add(kDragged, kItemButton, kLabel | kCommandDragOut, kTestText, 10, 10);
  POINT centre = Centre(item->hwnd);
  MoveMouse(centre.x, centre.y);
  MouseButton(0, true);
  MoveMouse(centre.x + 200, centre.y + 100);
  MoveMouse(centre.x + 220, centre.y + 120);
  MouseButton(0, false);
  std::vector<Notice> drags = Of(MSG_ITEM_DRAG_OUT);
  ASSERT_EQ(1u, drags.size());
  EXPECT_EQ(WPARAM(kDragged), drags[0].wParam);
  EXPECT_TRUE(Of(MSG_ITEM_NOTIFY).empty());
}

TEST_F(Items, ValueItemsRunTheirOwnDrags) {
  RangeValue brush = {5, 1, 50};
  CUIItem* brushItem = Add(kBrush, kItemBrushSize, 0, kTestText, 10, 10, &brush);
  ASSERT_TRUE(brushItem);
  EXPECT_TRUE(gApp.GetCommandFlags(kBrush) & kCommandKeepsPress);
  POINT centre = Centre(brushItem->hwnd);
  MoveMouse(centre.x, centre.y);
  MouseButton(0, true);
  MoveMouse(centre.x, centre.y - 14);  // five pixels a step: 14 up is 2
  MouseButton(0, false);
  EXPECT_EQ(7, brush.value);
  std::vector<Notice> changes = Of(MSG_ITEM_NOTIFY);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(WPARAM(kBrush), changes[0].wParam);
  EXPECT_EQ(0, changes[0].lParam);

  // The eyedropper: held outside the item, it takes the screen's colour.
  Notices().clear();
  ColorValue color = {0xFF00FF00, 1};
  CUIItem* colorItem = Add(kColor, kItemColor, 0, kTestText, 10, 60, &color);
  ASSERT_TRUE(colorItem);
  centre = Centre(colorItem->hwnd);
  MoveMouse(centre.x, centre.y);
  MouseButton(0, true);
  MoveMouse(300, 220);  // over the red frame
  MoveMouse(302, 222);
  HCURSOR eyedropper = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kEyedropperCursor));
  ASSERT_TRUE(eyedropper);
  EXPECT_EQ(eyedropper, GetCursor());
  MouseButton(0, false);
  EXPECT_EQ(0xFFFF0000u, color.argb);
  changes = Of(MSG_ITEM_NOTIFY);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(WPARAM(kColor), changes[0].wParam);
  EXPECT_EQ(0, changes[0].lParam);

  // A slider at its minimum: a click left of the thumb keeps the value but
  // still tells the owner.
  Notices().clear();
  RangeValue slider = {0, 0, 1000};  // wider than the track
  CSlider* sliderItem = static_cast<CSlider*>(Add(kSlider, kItemSlider, 0, kTestText, 10, 110, &slider));
  ASSERT_TRUE(sliderItem);
  UpdateWindow(sliderItem->hwnd);
  RECT thumb = sliderItem->thumb;
  EXPECT_GE(thumb.left, sliderItem->partRect.left);
  RECT track = ScreenRectOf(sliderItem->hwnd);
  ClickAt(track.left + thumb.left - 1, track.top + (thumb.top + thumb.bottom) / 2);
  EXPECT_EQ(0, slider.value);
  changes = Of(MSG_ITEM_NOTIFY);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(1, changes[0].lParam);
  // Dragging the thumb to the end of the track reaches the maximum.
  MoveMouse(track.left + (thumb.left + thumb.right) / 2, track.top + (thumb.top + thumb.bottom) / 2);
  MouseButton(0, true);
  MoveMouse(track.left + sliderItem->partRect.right + 10, track.top + thumb.top);
  MouseButton(0, false);
  EXPECT_EQ(1000, slider.value);
}

TEST_F(Items, ADynamicTextPaintsAsItStands) {
  gDynamicText = "50% %s %n";
  CUIItem* item = Add(kDynamic, kItemButton, kLabel, kTextDynamic, 10, 10);
  ASSERT_TRUE(item);
  UpdateWindow(item->hwnd);
  Pump(30);
  // The same text drawn by the system into a copy of the item's background.
  RECT text = item->textRect;
  int width = text.right - text.left;
  int height = text.bottom - text.top;
  ASSERT_GT(width, 0);
  int expectedWidth = 0, expectedHeight = 0;
  MeasureItemText("50% %s %n", false, item->Dpi(), &expectedWidth, &expectedHeight);
  EXPECT_EQ(expectedWidth, width);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT local = {0, 0, width, height};
  FillRectColor(dc, local, gFrameBackground);
  SelectObject(dc, GetAppFont(kFontUI, item->Dpi()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetThemeColor(4));
  DrawTextA(dc, "50% %s %n", -1, &local,
            DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  RECT onScreen = ScreenRectOf(item->hwnd);
  OffsetRect(&text, onScreen.left, onScreen.top);
  std::vector<uint32_t> shown = ScreenPixels(text);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> expected(size_t(width) * size_t(height));
  SelectObject(dc, old);
  GetDIBits(dc, bitmap, 0, UINT(height), expected.data(), &info, DIB_RGB_COLORS);
  for (uint32_t& p : expected) p &= 0xFFFFFF;
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_EQ(expected, shown);
  gDynamicText = nullptr;
}

int CountColor(const std::vector<uint32_t>& pixels, COLORREF color) {
  uint32_t wanted = uint32_t(GetRValue(color)) << 16 | GetGValue(color) << 8 | GetBValue(color);
  int count = 0;
  for (uint32_t p : pixels) count += p == wanted;
  return count;
}

TEST_F(Items, StatusLabelsDrawAnImageAndAProgressBox) {
  ASSERT_EQ(0, AddIcon(kSwatchImage, 0, kIconOwnerDrawn, 0));
  int width = 0, height = 0;
  EXPECT_GE(GetIcon(kSwatchImage, &width, &height), 0);  // asks the first window
  EXPECT_EQ(16, width);
  EXPECT_EQ(16, height);
  gDynamicText = "#6000@40Saving";
  CUIItem* item = Add(kStatus, kItemStatic, kLabel | kCommandStretch, kTextDynamic, 10, 10);
  ASSERT_TRUE(item);
  item->SetPosition(-1, -1, 380, -1);
  UpdateWindow(item->hwnd);
  Pump(30);
  std::vector<uint32_t> pixels = ScreenPixels(ScreenRectOf(item->hwnd));
  // The image: the frame paints the owner-drawn swatch, a square of the
  // label's height.
  int side = item->textRect.bottom - item->textRect.top;
  EXPECT_EQ(side * side, CountColor(pixels, gOwnerDrawnColor));
  // The box: ten heights wide, filled to 40 percent.
  int boxWidth = 10 * side;
  int filled = CountColor(pixels, GetThemeColor(46));
  EXPECT_NEAR(boxWidth * 40 / 100 * (side - 2), filled, 2 * side);
  TakeScreenshot("status_label.png");
  gDynamicText = nullptr;
}

TEST_F(Items, SizingSamplesAndTooltips) {
  gApp.m_hwndTooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(gApp.m_hwndTooltip);
  // A label sized for its longest sample (text variant 4).
  CUIItem* sized = Add(kSized, kItemButton, kLabel | kCommandSizingSample, kTestTextShort, 10, 10);
  int sampleWidth = 0, sampleHeight = 0;
  MeasureItemText("WWWWWWWW", false, sized->Dpi(), &sampleWidth, &sampleHeight);
  EXPECT_EQ(sampleWidth, sized->textWidth);
  // A tooltip for each item outside popups: its label and shortcut.
  CUIItem* a = Add(kA, kItemButton, kLabel, kTestText, 10, 60);
  EXPECT_EQ(2, SendMessageA(gApp.m_hwndTooltip, TTM_GETTOOLCOUNT, 0, 0));
  char text[80] = {};
  TTTOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = frame_.hwnd;
  tool.uId = UINT_PTR(a->hwnd);
  tool.lpszText = text;
  SendMessageA(gApp.m_hwndTooltip, TTM_GETTEXTA, sizeof(text), LPARAM(&tool));
  EXPECT_STREQ("Alpha (Ctrl+A)", text);
  for (CUIItem* item : items_) DestroyItem(item);
  items_.clear();
  EXPECT_EQ(0, SendMessageA(gApp.m_hwndTooltip, TTM_GETTOOLCOUNT, 0, 0));
  DestroyWindow(gApp.m_hwndTooltip);
  gApp.m_hwndTooltip = nullptr;
}

std::vector<uint32_t> IconOnRed(HICON icon, int size) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  FillRectColor(dc, {0, 0, size, size}, RGB(255, 0, 0));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits),
                               static_cast<uint32_t*>(bits) + size * size);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

RECT ImageOnScreen(CUIItem* item) {
  RECT onScreen = ScreenRectOf(item->hwnd);
  RECT image = item->imageRect;
  OffsetRect(&image, onScreen.left, onScreen.top);
  return image;
}

// Writes what the oracle needs: the screenshot, where the disabled image is
// and the two theme colours it blends between.
void NoteDisabledImage(FILE* notes, const std::string& shot, const RECT& image) {
  COLORREF light = GetThemeColor(1);
  COLORREF dark = GetThemeColor(3);
  fprintf(notes, "%s %ld %ld %ld %ld %d %d %d %d %d %d\n", shot.c_str(), image.left, image.top,
          image.right, image.bottom, GetRValue(light), GetGValue(light), GetBValue(light),
          GetRValue(dark), GetGValue(dark), GetBValue(dark));
}

TEST_F(Items, EnabledAndDisabledLooksOfOneImage) {
  ASSERT_EQ(0, AddIcon(kSampleImage, 300, 0, 16));
  CUIItem* enabled = Add(kEnabledImage, kItemButton, kCommandImage, kTestText, 10, 10, nullptr,
                         kSampleImage);
  CUIItem* disabled = Add(kDisabledImage, kItemButton, kCommandImage, kTestText, 60, 10, nullptr,
                          kSampleImage);
  gApp.EnableCommand(kDisabledImage, false);
  Pump(30);
  RECT on = ImageOnScreen(enabled);
  RECT off = ImageOnScreen(disabled);
  ASSERT_EQ(16, on.right - on.left);
  int index = GetIconIndex(kSampleImage);
  ASSERT_GE(index, 0);
  const IconEntry& entry = FontCache().icons.data[index];
  EXPECT_EQ(IconOnRed(entry.normal, 16), ScreenPixels(on));
  EXPECT_EQ(IconOnRed(entry.disabled, 16), ScreenPixels(off));
  FILE* notes = fopen(TestOutputPath("disabled_images.txt").c_str(), "w");
  ASSERT_TRUE(notes);
  std::string first = TakeScreenshot("disabled_default.png");
  ASSERT_FALSE(first.empty());
  NoteDisabledImage(notes, first, off);
  std::vector<uint32_t> before = ScreenPixels(off);
  // Another scheme: the disabled look follows the new theme colours.
  gApp.m_state.aulThemeValues[kCustomBackground] = RGB(40, 160, 60);
  gApp.SetTheme(kSchemeCustom);
  Pump(30);
  EXPECT_NE(before, ScreenPixels(off));
  EXPECT_EQ(IconOnRed(entry.normal, 16), ScreenPixels(on));
  std::string second = TakeScreenshot("disabled_custom.png");
  ASSERT_FALSE(second.empty());
  NoteDisabledImage(notes, second, off);
  fclose(notes);
  gApp.SetTheme(kSchemeUnset);
}

COLORREF FromPixel(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

TEST_F(Items, AHotItemBlendsItsCornersIntoTheParent) {
  CUIItem* item = Add(kHot, kItemButton, 0, kTestText, 10, 10);
  ASSERT_TRUE(item);
  item->SetPosition(-1, -1, 60, 30);
  gApp.SetCommandFlags(kHot, uint32_t(gApp.GetCommandFlags(kHot)) | kCommandHot);
  Pump(30);
  RECT onScreen = ScreenRectOf(item->hwnd);
  std::vector<uint32_t> pixels = ScreenPixels(onScreen);
  int width = onScreen.right - onScreen.left;
  int height = onScreen.bottom - onScreen.top;
  // The corner pixel: the frame colour 5% over the parent's red.
  COLORREF frame = GetThemeColor(46);
  COLORREF corner = FromPixel(pixels[0]);
  auto mix = [](int parent, int item) { return parent + (item - parent) * 5 / 100; };
  EXPECT_NEAR(mix(255, GetRValue(frame)), GetRValue(corner), 1);
  EXPECT_NEAR(mix(0, GetGValue(frame)), GetGValue(corner), 1);
  EXPECT_NEAR(mix(0, GetBValue(frame)), GetBValue(corner), 1);
  // The centre lies between the two hot gradient colours.
  COLORREF centre = FromPixel(pixels[size_t(height / 2) * size_t(width) + size_t(width / 2)]);
  COLORREF a = GetThemeColor(41);
  COLORREF b = GetThemeColor(42);
  auto between = [](int v, int x, int y) { return v >= std::min(x, y) - 1 && v <= std::max(x, y) + 1; };
  EXPECT_TRUE(between(GetRValue(centre), GetRValue(a), GetRValue(b)));
  EXPECT_TRUE(between(GetGValue(centre), GetGValue(a), GetGValue(b)));
  EXPECT_TRUE(between(GetBValue(centre), GetBValue(a), GetBValue(b)));
  TakeScreenshot("hot_item.png");
}

}  // namespace
