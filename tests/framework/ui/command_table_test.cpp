// The command table and the accelerator choice, against independent oracles.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include "framework/ui/accelerators.h"
#include "framework/ui/command_table.h"

namespace {

TEST(CommandTable, ManyRandomIdsSortLikeAStableSort) {
  std::mt19937 random(20240611);
  CCommandTable table;
  std::vector<uint16_t> ids;
  for (int i = 0; i < 2000; ++i) {
    uint16_t id = uint16_t(random() % 900);  // many duplicates
    uint16_t image = i % 3 ? 0xFFFF : uint16_t(i);
    ASSERT_GE(table.Add(id, uint16_t(i % 12), uint32_t(i) << 4, image, 0xFFFF, nullptr, 0, 0), 0);
    ids.push_back(id);
  }
  std::vector<uint16_t> sorted = ids;
  std::stable_sort(sorted.begin(), sorted.end());
  ASSERT_EQ(int(sorted.size()), table.GetCount());
  for (int i = 0; i < table.GetCount(); ++i) {
    const CommandRecord* record = table.GetAt(i);
    ASSERT_EQ(sorted[size_t(i)], record->id) << "at " << i;
    EXPECT_EQ(record->id, record->text);
    EXPECT_EQ(0x1001u, record->flags & 0x100Fu);
  }
  for (uint16_t id = 0; id < 1000; ++id) {
    bool present = std::binary_search(sorted.begin(), sorted.end(), id);
    int index = table.Find(id);
    EXPECT_EQ(present, index >= 0) << id;
    if (index >= 0) {
      EXPECT_EQ(id, table.GetAt(index)->id);
    }
    EXPECT_EQ(present, table.GetFlags(id) >= 0);
  }
  // A range goes as a group, duplicates included; the rest stay in order.
  {
    CCommandTable copy;
    for (int i = 0; i < table.GetCount(); ++i) {
      const CommandRecord* r = table.GetAt(i);
      copy.Add(r->id, r->kind, r->flags, r->image, r->text, r->data, 0, 0);
    }
    copy.RemoveRange(100, 512);
    std::vector<uint16_t> kept;
    std::copy_if(sorted.begin(), sorted.end(), std::back_inserter(kept),
                 [](uint16_t id) { return id < 100 || id >= 512; });
    ASSERT_EQ(int(kept.size()), copy.GetCount());
    for (int i = 0; i < copy.GetCount(); ++i) EXPECT_EQ(kept[size_t(i)], copy.GetAt(i)->id);
    copy.RemoveRange(0, 0x10000);
    EXPECT_EQ(0, copy.GetCount());
  }
  // Removing every record in random order empties the table.
  std::shuffle(ids.begin(), ids.end(), random);
  for (uint16_t id : ids) table.Remove(id);
  EXPECT_EQ(0, table.GetCount());
  EXPECT_EQ(-1, table.Find(ids[0]));
  EXPECT_EQ(nullptr, table.GetAt(0));
}

struct Keys {
  uint16_t key;
  bool shift, control, alt;
};

bool OnlyWindowTwo(uint16_t windowId, void*) { return windowId == kAnyWindow || windowId == 2; }

TEST(Accelerators, ExactModifiersWinOverSubsets) {
  constexpr uint32_t S = 1u << 16, C = 1u << 17, A = 1u << 18;
  // The program's order: plain letters are added before their Ctrl forms.
  const AcceleratorRecord records[] = {
      MakeAccelerator('A', kAnyWindow, 3230), MakeAccelerator('A' | C, kAnyWindow, 3410),
      MakeAccelerator('S' | C, kAnyWindow, 3420), MakeAccelerator('O' | A, kAnyWindow, 3720),
      MakeAccelerator('T', 1, 3250), MakeAccelerator('T', 2, 3251),
      MakeAccelerator('Z' | C | S, kAnyWindow, 3600), MakeAccelerator('Z' | C, kAnyWindow, 3601),
  };
  const int count = int(sizeof(records) / sizeof(records[0]));
  EXPECT_EQ(1, records[1].bControl);
  EXPECT_EQ(0, records[1].bShift);
  const struct {
    Keys keys;
    int command;  // -1: nothing
  } cases[] = {
      {{'A', false, false, false}, 3230}, {{'A', false, true, false}, 3410},
      {{'A', true, false, false}, 3230},   // a subset still fires
      {{'S', true, true, false}, 3420},    {{'S', false, false, false}, -1},
      {{'O', false, false, true}, 3720},   {{'O', false, false, false}, -1},
      {{'T', false, false, false}, 3251},  // window 1's record is passed over
      {{'Z', true, true, false}, 3600},    {{'Z', false, true, false}, 3601},
      {{'Q', false, true, false}, -1},
  };
  for (const auto& c : cases) {
    int index = ChooseAccelerator(records, count, c.keys.key, c.keys.shift, c.keys.control,
                                  c.keys.alt, OnlyWindowTwo, nullptr);
    EXPECT_EQ(c.command, index < 0 ? -1 : records[index].wCommand)
        << char(c.keys.key) << " shift " << c.keys.shift << " control " << c.keys.control
        << " alt " << c.keys.alt;
  }
}

}  // namespace
