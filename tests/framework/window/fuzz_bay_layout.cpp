// Random bars, rows, drops and lengths through the bay and bar geometry:
// every call ends, no more than 16 rows, no overlap within a row, and bars
// stay within the usable length whenever their minimum lengths fit.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/window/bar_layout.h"
#include "framework/window/bay_layout.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  int Take(int range) {
    if (!size) return 0;
    int v = data[0] | (size > 1 ? data[1] << 8 : 0);
    data += size > 1 ? 2 : 1;
    size -= size > 1 ? 2 : 1;
    return range > 0 ? v % range : v;
  }
};

void Fail(int line) {
  fprintf(stderr, "invariant broken at line %d\n", line);
  abort();
}
#define Check(ok) ((ok) ? (void)0 : Fail(__LINE__))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in = {data, size};
  BayBar bars[48];
  int count = in.Take(48);
  for (int i = 0; i < count; ++i) {
    BayBar& b = bars[i];
    b = {};
    b.iRow = in.Take(40) - 4;
    b.iX = in.Take(3000) - 500;
    b.iMinLength = in.Take(200);
    b.iNaturalLength = b.iMinLength + in.Take(200);
    b.iLength = in.Take(500);
    b.iThickness = 1 + in.Take(80);
    b.wFlags = uint16_t(in.Take(0x400));
  }
  BayLayout bay = {in.Take(4), in.Take(3000), in.Take(40), in.Take(2) == 1, in.Take(2) == 1};
  BayLayoutResult result;
  LayoutBay(bay, bars, count, &result);
  Check(result.rowCount >= 0 && result.rowCount <= kMaxBayRows);
  for (int r = 0; r < kMaxBayRows; ++r) {
    for (int i = 0; i < count; ++i) Check(bars[i].iRow >= 0 && bars[i].iRow < result.rowCount);
    int64_t minSum = 0;
    for (int i = 0; i < count; ++i)
      if (bars[i].iRow == r) minSum += bars[i].iMinLength;
    int32_t usable = bay.length - (r == result.gripRow ? bay.gripSize : 0);
    for (int i = 0; i < count; ++i) {
      if (bars[i].iRow != r) continue;
      Check(bars[i].iPos >= 0 && bars[i].iPlacedLength >= 0);
      if (minSum <= usable) Check(bars[i].iPos + bars[i].iPlacedLength <= usable);
      for (int j = 0; j < count; ++j) {
        if (j == i || bars[j].iRow != r) continue;
        bool apart = bars[i].iPos + bars[i].iPlacedLength <= bars[j].iPos ||
                     bars[j].iPos + bars[j].iPlacedLength <= bars[i].iPos;
        Check(apart);
      }
    }
  }
  // A drop against what was laid out.
  DropNeighbour others[48];
  for (int i = 0; i < count; ++i) others[i] = {bars[i].iRow, bars[i].iPos, bars[i].iPlacedLength};
  DropQuery q = {};
  q.side = bay.side;
  q.bayLength = bay.length;
  q.bayThickness = result.thickness;
  q.usable = bay.length;
  memcpy(q.rows, result.rows, sizeof(q.rows));
  q.cursorAlong = in.Take(3200) - 100;
  q.cursorAcross = in.Take(1600) - 100;
  q.topLeftAlong = in.Take(3200) - 100;
  q.barLength = in.Take(400);
  q.barRow = in.Take(16);
  q.barFlags = uint16_t(in.Take(0x400));
  q.barInBay = in.Take(2) == 1;
  q.positionsLocked = in.Take(4) == 0;
  q.others = others;
  q.otherCount = count;
  DropResult drop;
  if (HitTestDropRules(q, &drop)) {
    if (!drop.keepPlace)
      Check(drop.row >= 0 && drop.row <= result.rowCount && drop.row < kMaxBayRows);
    if (drop.insertRow) Check(result.rowCount < kMaxBayRows);
    Check(drop.alignedNeighbour < count);
  }
  // Bar items at a random length.
  BarItem items[40];
  int itemCount = 1 + in.Take(39);
  for (int i = 0; i < itemCount; ++i) {
    items[i] = {};
    items[i].wId = uint16_t(i + 1);
    items[i].ulCommandFlags = uint32_t(in.Take(0x10000)) | (in.Take(8) == 0 ? kItemHidden : 0);
    items[i].bSeparator = in.Take(5) == 0;
    items[i].iWidth = in.Take(120);
    items[i].iHeight = in.Take(60);
  }
  uint16_t ids[41];
  BarItemsArea area = {in.Take(3), in.Take(30), in.Take(1000), in.Take(300), 2};
  BarItemsResult items_result;
  LayoutBarItems(items, itemCount, area, ids, &items_result);
  Check(items_result.overflowCount <= itemCount && ids[items_result.overflowCount] == 0xFFFF);
  return 0;
}
