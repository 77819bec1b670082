#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/main_window_rules.h"
#include "framework/app/key_names.h"

namespace {

TEST(MainWindowRules, OnlyHideAndExitPassWhileBusy) {
  for (uint32_t id = 0; id < 0x10000; ++id)
    EXPECT_EQ(id == kCmdHide || id == kCmdExit, CommandPassesWhileBusy(uint16_t(id))) << id;
}

TEST(MainWindowRules, ProgressStaysWithinItsPhaseAndBounds) {
  struct Case { int step, count, base, phases, percent; } cases[] = {
      {0, 0, 0, 1, 0},       // nothing to count: 0 %, never a division by zero
      {5, 10, 0, 0, 0},      // no phases either
      {0, 4, 0, 1, 25},      {3, 4, 0, 1, 100},
      {0, 2, 1, 2, 75},      // second of two phases starts at half
      {1, 2, 1, 2, 100},
      {99, 100, 0, 1, 100},  {250, 10, 0, 1, 100},  // past the end: clamped
      {-7, 10, 0, 1, 0},     // before the start: clamped
      {2147483647, 1, 0, 1, 100},  // no overflow
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.percent, ProgressPercent(c.step, c.count, c.base, c.phases))
        << c.step << "/" << c.count << " phase " << c.base << "/" << c.phases;
  // Within one phase the display never goes back.
  for (int phases = 1; phases <= 3; ++phases)
    for (int base = 0; base < phases; ++base)
      for (int step = 1, last = -1; step < 40; ++step) {
        int now = ProgressPercent(step, 40, base, phases);
        EXPECT_GE(now, last);
        EXPECT_GE(now, base * 100 / phases);
        last = now;
      }
}

TEST(MainWindowRules, WheelZoomsOneStepInsideTheTable) {
  struct Case { int index, delta, next; } cases[] = {
      {6, 120, 5}, {6, -120, 7}, {0, 120, -1}, {11, -120, -1}, {0, -120, 1}, {11, 120, 10},
      {6, 0, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.next, ZoomIndexAfterWheel(c.index, c.delta));
}

TEST(MainWindowRules, TrayClicksFollowTheOptions) {
  const uint32_t up = 0x0202, dbl = 0x0203, right = 0x0205, move = 0x0200;
  struct Case { uint32_t message; int click, action; TrayAction expected; } cases[] = {
      {up, 0, 0, kTrayToggleWindow}, {up, 0, 1, kTrayRunProfile}, {dbl, 0, 0, kTrayNothing},
      {dbl, 1, 0, kTrayToggleWindow}, {dbl, 1, 1, kTrayRunProfile}, {up, 1, 1, kTrayNothing},
      {right, 0, 0, kTrayMenu}, {right, 1, 1, kTrayMenu}, {move, 0, 0, kTrayNothing},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, DecideTrayAction(c.message, c.click, c.action)) << std::hex << c.message;
}

TEST(MainWindowRules, ProfileImageFollowsTheSourceStep) {
  const uint32_t capture = 1u << 1, open = 1u << 3, paste = 1u << 4, scan = 1u << 5,
                 print = 1u << 15;
  struct Case { uint32_t steps; uint16_t image; } cases[] = {
      {0, kCmdNew}, {capture, kCmdNew}, {capture | open, kCmdOpen}, {open | paste, kCmdPaste},
      {paste | scan, kCmdScan}, {scan | print, kCmdPhotocopy}, {print, kCmdNew},
      {0x100887, kCmdNew},  // the built-in template captures
  };
  for (const Case& c : cases) EXPECT_EQ(c.image, SourceStepImage(c.steps)) << std::hex << c.steps;
}

TEST(MainWindowRules, HotkeyNamesJoinModifiersInTheirOrder) {
  const struct { unsigned key; const char* local; } names[] = {
      {17, "Control"}, {16, "Shift"}, {18, "Alt"}, {91, "Super_L"}, {'P', "P"}, {44, "<00>"},
      {123, "F12"}};
  for (const auto& n : names) snprintf(gaKeyNames[n.key].szLocal, 32, "%s", n.local);
  gaKeyNames['P'].szChar[0] = 'P';
  struct Case { uint16_t hotkey; const char* name; } cases[] = {
      {0x0650, "Control + Shift + P"},          // Ctrl 2, Shift 4 in the high byte
      {0x0F50, "Control + Shift + Alt + Super_L + P"},
      {0x002C, "Print Screen"},                 // its own name, not the layout's "<00>"
      {0x012C, "Alt + Print Screen"},
      {0x007B, "F12"},
      {0x0000, ""},                             // key 0 has no name at all
  };
  for (const Case& c : cases) {
    char out[260];
    FormatHotkeyName(c.hotkey, out, sizeof(out));
    EXPECT_STREQ(c.name, out) << std::hex << c.hotkey;
  }
  char small[8];
  FormatHotkeyName(0x0650, small, sizeof(small));
  EXPECT_STREQ("Control", small);  // cut, still terminated
}

TEST(MainWindowRules, DraggedOutFilesAlwaysHaveAFormat) {
  struct Case { const char* expanded; const char* name; } cases[] = {
      {"", "Brightwarden.opt"},       {nullptr, "Brightwarden.opt"},
      {"shot.png", "shot.png"},       {"shot.JPG", "shot.JPG"},
      {"shot.jpeg", "shot.jpeg.opt"}, {"notes.txt", "notes.txt.opt"},
      {"shot", "shot.opt"},           {"a.b.tif", "a.b.tif"},
  };
  for (const Case& c : cases) {
    char out[260];
    DragOutFileName(c.expanded, out, sizeof(out));
    EXPECT_STREQ(c.name, out);
  }
}

}  // namespace
