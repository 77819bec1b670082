// Registering the program's commands into the application object: each
// once with its image loaded from the program's own icons, menus that open
// only registered entries, accelerators that reach their commands, the
// window-pick cursor and the capture sound; a missing image stops the rest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/mainwindow/program_commands.h"
#include "app/mainwindow/program_commands_table.h"
#include "app/mainwindow/program_commands_win.h"
#include "framework/app/app_win.h"
#include "framework/draw/icon_list_win.h"

namespace {

int CountRecords(uint16_t id) {
  int n = 0;
  for (int i = 0; i < gApp.m_commands.GetCount(); ++i) n += gApp.m_commands.GetAt(i)->id == id;
  return n;
}

void Reset(HINSTANCE instance) {
  gApp.m_commands.Clear();
  FreeIcons();
  gApp.m_hInstance = instance;
}

// The colour bits of an icon at its size, for comparing two pictures.
std::vector<uint8_t> IconBits(HICON icon, int size) {
  std::vector<uint8_t> bits(size_t(size) * size * 4);
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  memcpy(bits.data(), pixels, bits.size());
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return bits;
}

TEST(ProgramCommandsWin, MissingImagesStopBeforeAnyCommand) {
  Reset(GetModuleHandleA("kernel32.dll"));
  EXPECT_EQ(kRegisterImagesFailed, RegisterProgramCommands());
  EXPECT_EQ(0, gApp.m_commands.GetCount());
  Reset(GetModuleHandleA(nullptr));
}

TEST(ProgramCommandsWin, EveryCommandOnceWithItsImageAndData) {
  Reset(GetModuleHandleA(nullptr));
  ASSERT_EQ(0, RegisterProgramCommands());
  std::vector<const ProgramCommandSpec*> specs;
  for (size_t i = 0; i < kProgramCommandCount; ++i) specs.push_back(&kProgramCommands[i]);
  for (size_t i = 0; i < kProgramMenuCount; ++i) specs.push_back(&kProgramMenus[i]);
  EXPECT_EQ(int(specs.size()), gApp.m_commands.GetCount());
  for (const ProgramCommandSpec* spec : specs) {
    ASSERT_EQ(1, CountRecords(spec->id)) << spec->id;
    const CommandRecord* record = gApp.Command(spec->id);
    EXPECT_EQ(spec->kind, record->kind) << spec->id;
    EXPECT_EQ(spec->flags | kCommandEnabled | kCommandAdded, record->flags) << spec->id;
    if (spec->icon) {
      int width = 0, height = 0;
      EXPECT_GE(GetIcon(record->image, &width, &height), 0) << spec->id;
      EXPECT_EQ(32, width) << spec->id;
      EXPECT_EQ(32, height) << spec->id;
    } else {
      EXPECT_EQ(0, record->image) << spec->id;
    }
    if (record->kind == kItemMenu && intptr_t(record->data) != kEntriesFromOwner) {
      ASSERT_NE(nullptr, record->data) << spec->id;
      // A popup with an unknown entry does not open at all.
      for (const uint16_t* e = static_cast<const uint16_t*>(record->data); *e != kListEnd; ++e)
        EXPECT_TRUE(*e == kSeparatorCommand || gApp.FindCommand(*e) >= 0)
            << "menu " << spec->id << " entry " << *e;
    }
  }
  // The value items edit the program's own records, which start in range.
  EXPECT_EQ(&gProgramItemValues.brushSize, gApp.Command(3250)->data);
  EXPECT_EQ(&gProgramItemValues.palette, gApp.Command(3280)->data);
  EXPECT_EQ(&gProgramItemValues.zoom, gApp.Command(3630)->data);
  EXPECT_EQ(6, gProgramItemValues.zoom.value);
  EXPECT_GE(gProgramItemValues.brushSize.value, 1);
  EXPECT_LE(gProgramItemValues.brushSize.value, 128);
  EXPECT_EQ(3460u, uintptr_t(gApp.Command(3000)->data));
}

TEST(ProgramCommandsWin, IconsCursorAndSoundLoad) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  std::map<std::vector<uint8_t>, int> pictures;
  std::set<uint16_t> resources;
  for (size_t i = 0; i < kProgramCommandCount; ++i)
    if (kProgramCommands[i].icon) resources.insert(kProgramCommands[i].icon);
  for (uint16_t resource : resources) {
    for (int size : {16, 32}) {
      HICON icon = static_cast<HICON>(
          LoadImageA(self, MAKEINTRESOURCEA(resource), IMAGE_ICON, size, size, 0));
      ASSERT_TRUE(icon) << resource << " at " << size;
      ICONINFO info = {};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bitmap = {};
      GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
      EXPECT_EQ(size, bitmap.bmWidth) << resource;  // drawn at that size, not scaled
      EXPECT_EQ(32, bitmap.bmBitsPixel) << resource;
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      if (size == 32) {
        auto inserted = pictures.emplace(IconBits(icon, size), resource);
        EXPECT_TRUE(inserted.second) << resource << " looks like " << inserted.first->second;
      }
      DestroyIcon(icon);
    }
  }
  HCURSOR cursor = LoadCursorA(self, MAKEINTRESOURCEA(464));
  ASSERT_TRUE(cursor);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(12), "WAVE");
  ASSERT_TRUE(found);
  const uint8_t* wave = static_cast<const uint8_t*>(LockResource(LoadResource(self, found)));
  DWORD size = SizeofResource(self, found);
  ASSERT_GE(size, 44u);
  EXPECT_EQ(0, memcmp(wave, "RIFF", 4));
  EXPECT_EQ(0, memcmp(wave + 8, "WAVEfmt ", 8));
  uint32_t riffSize, dataSize;
  uint16_t format;
  memcpy(&riffSize, wave + 4, 4);
  memcpy(&format, wave + 20, 2);
  memcpy(&dataSize, wave + 40, 4);
  EXPECT_EQ(size, riffSize + 8);
  EXPECT_EQ(1, format);  // PCM, which every system plays
  EXPECT_EQ(0, memcmp(wave + 36, "data", 4));
  EXPECT_EQ(size, dataSize + 44);
  // Short enough to be a click, long enough to be heard.
  EXPECT_GT(dataSize, 22050u * 2 / 50);
  EXPECT_LT(dataSize, 22050u * 2 / 5);
}

bool AnyWindow(uint16_t, void*) { return true; }

TEST(ProgramCommandsWin, AcceleratorsReachTheirCommands) {
  gApp.m_aAccelerators.RemoveAll();
  RegisterProgramAccelerators();
  const AcceleratorRecord* records = gApp.m_aAccelerators.data;
  const int count = gApp.m_aAccelerators.count;
  ASSERT_EQ(int(kProgramAcceleratorCount), count);
  for (size_t i = 0; i < kProgramAcceleratorCount; ++i) {
    const ProgramAccelerator& a = kProgramAccelerators[i];
    int chosen = ChooseAccelerator(records, count, uint16_t(a.key), a.key & kKeyShift,
                                   a.key & kKeyControl, a.key & kKeyAlt, AnyWindow, nullptr);
    ASSERT_GE(chosen, 0) << a.command;
    EXPECT_EQ(a.command, records[chosen].wCommand);
    EXPECT_EQ(kAnyWindow, records[chosen].wWindowId);
  }
  struct Press {
    uint16_t key;
    bool shift, control, alt;
    int command;
  };
  const Press presses[] = {{'A', false, false, false, 3230}, {'A', false, true, false, 3410},
                           {'S', true, true, false, 3500},  {'O', false, false, true, 3720},
                           {'O', false, true, false, 3470},  {VK_F1, false, true, false, 3530},
                           {VK_DOWN, false, false, false, 7003}, {'Q', false, true, false, -1}};
  for (const Press& p : presses) {
    int chosen = ChooseAccelerator(records, count, p.key, p.shift, p.control, p.alt, AnyWindow,
                                   nullptr);
    EXPECT_EQ(p.command, chosen < 0 ? -1 : records[chosen].wCommand) << p.key;
  }
}

}  // namespace
