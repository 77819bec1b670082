// The program's command tables against each other: every id once, every
// list and bar entry registered, every shown command visible and labelled,
// and every shortcut a menu shows being the key that runs the command.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/mainwindow/command_ids.h"
#include "app/mainwindow/program_commands.h"
#include "app/mainwindow/program_commands_table.h"
#include "app/startup/program_texts.h"
#include "framework/ui/command_table.h"

namespace {

std::vector<const ProgramCommandSpec*> AllSpecs() {
  std::vector<const ProgramCommandSpec*> specs;
  for (size_t i = 0; i < kProgramCommandCount; ++i) specs.push_back(&kProgramCommands[i]);
  for (size_t i = 0; i < kProgramMenuCount; ++i) specs.push_back(&kProgramMenus[i]);
  return specs;
}

std::vector<uint16_t> ListOf(const uint16_t* list) {
  std::vector<uint16_t> ids;
  for (int i = 0; list[i] != kListEnd; ++i) {
    if (i > 100) {
      ADD_FAILURE() << "list without its end";
      break;
    }
    ids.push_back(list[i]);
  }
  return ids;
}

const char* Text(uint16_t id, int variant) {
  for (const TextRecord* r = gProgramTexts; r->wId != kTextTableEnd; ++r)
    if (r->wId == id) return r->apszText[variant];
  return nullptr;
}

uint16_t TextIdOf(const ProgramCommandSpec& spec) {
  return spec.text == kSameAsId ? spec.id : spec.text;
}

bool IsSeparator(uint16_t id) { return id == kSeparatorCommand || id == kThinSeparatorCommand; }

// The name a menu shows for a key, written from the key code alone.
std::string KeyName(uint32_t key) {
  std::string name;
  if (key & kKeyControl) name += "Ctrl+";
  if (key & kKeyShift) name += "Shift+";
  if (key & kKeyAlt) name += "Alt+";
  uint32_t vk = key & 0xFFFF;
  if (vk >= 'A' && vk <= 'Z') return name + char(vk);
  if (vk >= kVkF1 && vk < kVkF1 + 12) return name + "F" + std::to_string(vk - kVkF1 + 1);
  const std::map<uint32_t, const char*> names = {{kVkDelete, "Del"}, {kVkEscape, "Esc"},
                                                 {kVkLeft, "Left"}, {kVkRight, "Right"},
                                                 {kVkUp, "Up"},     {kVkDown, "Down"}};
  return name + names.at(vk);
}

TEST(ProgramCommands, EveryIdOnceAndEveryReferenceRegistered) {
  std::set<uint16_t> ids;
  for (const ProgramCommandSpec* spec : AllSpecs()) {
    EXPECT_TRUE(ids.insert(spec->id).second) << spec->id << " registered twice";
    EXPECT_EQ(spec, FindProgramCommand(spec->id));
  }
  auto registered = [&](uint16_t id) { return ids.count(id) || IsSeparator(id); };
  for (const ProgramCommandSpec* spec : AllSpecs()) {
    EXPECT_EQ(spec->kind == kItemMenu, spec->data == CommandData::kEntries ||
                                           spec->data == CommandData::kOwnerEntries ||
                                           spec->data == CommandData::kProfileEntries)
        << spec->id;
    if (spec->data == CommandData::kStandsFor) {
      EXPECT_TRUE(registered(spec->standsFor)) << spec->id;
    }
    if (spec->data != CommandData::kEntries) continue;
    for (uint16_t entry : ListOf(spec->entries))
      EXPECT_TRUE(registered(entry)) << "menu " << spec->id << " holds unknown " << entry;
  }
  for (const uint16_t* bar : {kMenuBarItems, kToolbarItems, kDrawBarItems, kInfoBarItems}) {
    std::set<uint16_t> seen;
    for (uint16_t entry : ListOf(bar)) {
      ASSERT_TRUE(registered(entry)) << "bar item " << entry;
      if (IsSeparator(entry)) continue;
      EXPECT_TRUE(seen.insert(entry).second) << entry << " twice on one bar";
      // On a bar only the image shows, unless the label is asked for too.
      const ProgramCommandSpec& spec = *FindProgramCommand(entry);
      bool shows = (spec.flags & kCommandLabel) || ((spec.flags & kCommandImage) && spec.icon) ||
                   spec.data == CommandData::kItemValue;
      EXPECT_TRUE(shows) << entry << " would be an empty item";
    }
  }
  for (uint16_t entry : ListOf(kMenuBarItems))
    EXPECT_TRUE(FindProgramCommand(entry)->flags & kCommandMenuBar) << entry;
}

TEST(ProgramCommands, TextsAndShortcutsMatchTheKeys) {
  std::map<uint16_t, std::string> keyOf;
  for (size_t i = 0; i < kProgramAcceleratorCount; ++i) {
    const ProgramAccelerator& a = kProgramAccelerators[i];
    ASSERT_TRUE(FindProgramCommand(a.command)) << a.command;
    EXPECT_TRUE(keyOf.emplace(a.command, KeyName(a.key)).second) << a.command << " has two keys";
    for (size_t j = 0; j < i; ++j)
      EXPECT_NE(kProgramAccelerators[j].key, a.key) << "one key for two commands";
  }
  std::set<uint16_t> inMenus;
  for (const ProgramCommandSpec* spec : AllSpecs())
    if (spec->data == CommandData::kEntries)
      for (uint16_t entry : ListOf(spec->entries)) inMenus.insert(entry);

  for (const ProgramCommandSpec* spec : AllSpecs()) {
    const uint16_t text = TextIdOf(*spec);
    const char* label = Text(text, 0);
    if ((spec->flags & kCommandLabel) || inMenus.count(spec->id) || spec->icon) {
      EXPECT_TRUE(label && *label) << spec->id << " has no label";
    }
    const char* shortcut = Text(text, 1);
    auto key = keyOf.find(spec->id);
    const bool shown = spec->flags || spec->icon || inMenus.count(spec->id);
    if (!shown) continue;  // sent by keys and by the program only
    if (key == keyOf.end()) {
      EXPECT_EQ(nullptr, shortcut) << spec->id << " shows a key it has not got";
    } else {
      EXPECT_STREQ(key->second.c_str(), shortcut ? shortcut : "(none)") << spec->id;
    }
    if (spec->flags & kCommandSizingSample) {
      const char* sample = Text(text, 4);
      ASSERT_TRUE(sample) << spec->id;
      EXPECT_TRUE(sample[0] == ' ' && sample[strlen(sample) - 1] == ' ') << spec->id;
    }
  }
  // Menus that borrow a command's text show what that command shows.
  EXPECT_STREQ("Color Mode", Text(TextIdOf(*FindProgramCommand(kMenuColorMode)), 0));
  EXPECT_STREQ("Flip", Text(TextIdOf(*FindProgramCommand(kMenuFlip)), 0));
}

// A few rows checked by hand against the command list, where a slip would
// still pass the structural checks.
TEST(ProgramCommands, HandCheckedRows) {
  struct Row {
    uint16_t id;
    uint16_t icon;
    const char* label;
  };
  const Row rows[] = {{3010, 156, "Adjust Colors"},  {3210, 144, "Rotate Left"},
                      {3220, 143, "Rotate Right"},   {3270, 0, "Backround color"},
                      {3360, 101, "Auto Select"},    {3620, 151, "Send to MS Word"},
                      {3740, 0, "1%"},               {3800, 0, "100%"},
                      {3850, 0, "3200%"},            {3225, 158, "Soften"}};
  for (const Row& row : rows) {
    const ProgramCommandSpec* spec = FindProgramCommand(row.id);
    ASSERT_TRUE(spec) << row.id;
    EXPECT_EQ(row.icon, spec->icon) << row.id;
    EXPECT_STREQ(row.label, Text(TextIdOf(*spec), 0)) << row.id;
  }
  const ProgramCommandSpec* tray = FindProgramCommand(3000);
  EXPECT_EQ(CommandData::kStandsFor, tray->data);
  EXPECT_EQ(3460, tray->standsFor);
}

}  // namespace
