// The GDI palette of a state, and the main window's title naming it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/document/history.h"
#include "app/startup/program_hooks.h"
#include "framework/app/app_win.h"

namespace {

TEST(DocumentWindows, GdiPaletteHoldsTheImagePalette) {
  for (int32_t bpp : {1, 4, 8}) {
    CImage image;
    ASSERT_TRUE(image.Create(3, 3, bpp, 0));
    for (DWORD i = 0; i < image.GetNumColors(); ++i)
      image.SetPaletteColor(BYTE(i), BYTE(i * 3), BYTE(255 - i), BYTE(i * 7), 0x55);
    HPALETTE palette = image.CreateHPalette();
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[257] = {};
    ASSERT_EQ(GetPaletteEntries(palette, 0, 257, entries), image.GetNumColors());
    for (DWORD i = 0; i < image.GetNumColors(); ++i) {
      EXPECT_EQ(entries[i].peRed, BYTE(i * 3));
      EXPECT_EQ(entries[i].peGreen, BYTE(255 - i));
      EXPECT_EQ(entries[i].peBlue, BYTE(i * 7));
      EXPECT_EQ(entries[i].peFlags, 0);
    }
    DeleteObject(palette);
  }
  CImage trueColor;
  ASSERT_TRUE(trueColor.Create(3, 3, 24, 0));
  EXPECT_EQ(trueColor.CreateHPalette(), nullptr);
}

std::string gTitle;

TEST(DocumentWindows, TitleIsProductAndName) {
  static TextRecord texts[] = {{2100, {"Brightwarden"}}, {kTextTableEnd, {}}};
  gStringTable.SetLanguageTable(0, texts);
  gProgramHooks.pfnSetMainWindowTitle = [](const char* title) { gTitle = title; };
  UpdateMainWindowTitle("C:\\shots\\one.png");
  EXPECT_EQ(gTitle, "Brightwarden - C:\\shots\\one.png");
  UpdateMainWindowTitle("");
  EXPECT_EQ(gTitle, "Brightwarden");
  UpdateMainWindowTitle(nullptr);
  EXPECT_EQ(gTitle, "Brightwarden");
  gProgramHooks.pfnSetMainWindowTitle = nullptr;
}

}  // namespace
