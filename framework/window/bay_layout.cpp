// Rows, row positions and drop rules of a dock bay.
#include "framework/window/bay_layout.h"

namespace {

constexpr int32_t kRowBoundarySlack = 3;  // pixels around a row boundary that insert a row
constexpr int32_t kSnapDistance = 10;

int32_t Abs(int32_t v) { return v < 0 ? -v : v; }
int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }

int RowCount(const int32_t rows[kMaxBayRows]) {
  int n = 0;
  while (n < kMaxBayRows && rows[n] != 0) ++n;
  return n;
}

// Takes up to `*excess` from `*value` without going below `floor`.
void TakeExcess(int32_t* value, int32_t floor, int32_t* excess) {
  int32_t room = *value - floor;
  if (room <= 0 || *excess <= 0) return;
  int32_t take = Min(room, *excess);
  *value -= take;
  *excess -= take;
}

}  // namespace

int CompactRows(BayBar* bars, int count, int32_t rows[kMaxBayRows]) {
  int32_t size[kMaxBayRows] = {};
  bool used[kMaxBayRows] = {}, sizable[kMaxBayRows] = {};
  for (int i = 0; i < count; ++i) {
    int32_t r = bars[i].iRow < 0 ? 0 : Min(bars[i].iRow, kMaxBayRows - 1);
    bars[i].iRow = r;
    used[r] = true;
    size[r] = Max(size[r], bars[i].iThickness);
    if (bars[i].wFlags & kBarSizable) sizable[r] = true;
  }
  int newRow[kMaxBayRows];
  int n = 0;
  for (int r = 0; r < kMaxBayRows; ++r) {
    newRow[r] = n;
    if (!used[r]) continue;
    // A row is never 0 thick: 0 ends the list.
    int32_t thickness = Max(size[r], 1);
    rows[n++] = sizable[r] ? -(thickness + kSplitterSize) : thickness;
  }
  for (int r = n; r < kMaxBayRows; ++r) rows[r] = 0;
  for (int i = 0; i < count; ++i) bars[i].iRow = newRow[bars[i].iRow];
  return n;
}

void ResolveRow(BayBar** row, int count, int32_t usable) {
  if (count <= 0) return;
  int32_t pos[kMaxBayRows * 4], len[kMaxBayRows * 4];
  BayBar* bar[kMaxBayRows * 4];
  if (count > kMaxBayRows * 4) count = kMaxBayRows * 4;
  for (int i = 0; i < count; ++i) {
    bar[i] = row[i];
    pos[i] = Max(0, row[i]->iX);
    len[i] = Max(row[i]->iLength, row[i]->iMinLength);
  }
  // Left to right: minimum lengths and bars that follow their predecessor.
  for (int i = 0; i < count; ++i) {
    if (bar[i]->wFlags & kBarAlignPrevious) {
      if (i == 0) {
        pos[i] = 0;
      } else {
        pos[i] = pos[i - 1] + bar[i - 1]->iNaturalLength;
        len[i - 1] = bar[i - 1]->iNaturalLength;
      }
    } else if (i > 0) {
      pos[i] = Max(pos[i], pos[i - 1] + bar[i - 1]->iMinLength);
      if (pos[i - 1] + len[i - 1] > pos[i]) len[i - 1] = pos[i] - pos[i - 1];
    }
  }
  // Right to left: bars aligned to the end of their space.
  for (int i = count - 1; i >= 0; --i) {
    if (!(bar[i]->wFlags & kBarAlignEnd)) continue;
    int32_t end = i == count - 1 ? usable : pos[i + 1];
    int32_t start = end - len[i];
    if (i > 0) start = Max(start, pos[i - 1] + len[i - 1]);
    pos[i] = Max(start, 0);
  }
  // Left to right: stretching bars fill up to the next bar.
  for (int i = 0; i < count; ++i) {
    if (!(bar[i]->wFlags & kBarStretches)) continue;
    int32_t end = i == count - 1 ? usable : pos[i + 1];
    len[i] = Max(len[i], end - pos[i]);
  }
  int32_t gap[kMaxBayRows * 4];
  int32_t end = 0;
  for (int i = 0; i < count; ++i) {
    gap[i] = Max(0, pos[i] - end);
    end = Max(end, pos[i]) + len[i];
  }
  int32_t excess = end - usable;
  for (int i = count - 1; i >= 0 && excess > 0; --i) TakeExcess(&gap[i], 0, &excess);
  for (int i = count - 1; i >= 0 && excess > 0; --i)
    if (bar[i]->wFlags & kBarStretches) TakeExcess(&len[i], bar[i]->iMinLength, &excess);
  for (int i = count - 1; i >= 0 && excess > 0; --i)
    TakeExcess(&len[i], bar[i]->iMinLength, &excess);
  int32_t at = 0;
  for (int i = 0; i < count; ++i) {
    at += gap[i];
    bar[i]->iPos = at;
    bar[i]->iPlacedLength = len[i];
    if (bar[i]->wFlags & kBarAlignPrevious) bar[i]->iX = at;
    at += len[i];
  }
}

int32_t RowOffset(const int32_t rows[kMaxBayRows], int row) {
  int32_t offset = 0;
  for (int r = 0; r < row && r < kMaxBayRows && rows[r] != 0; ++r) offset += Abs(rows[r]);
  return offset;
}

int32_t LayoutBay(const BayLayout& bay, BayBar* bars, int count, BayLayoutResult* result) {
  int n = CompactRows(bars, count, result->rows);
  result->rowCount = n;
  bool farSide = bay.side == kSideBottom || bay.side == kSideRight;
  result->gripRow = -1;
  if (n > 0 && bay.gripAllowed && farSide && !(bay.side == kSideRight && bay.gripElsewhere))
    result->gripRow = n - 1;
  int32_t offset = 0;
  for (int r = 0; r < n; ++r) {
    BayBar* row[kMaxBayRows * 4];
    int inRow = 0;
    // Stable insertion by x: a bar equal in x goes after those placed.
    for (int i = 0; i < count && inRow < kMaxBayRows * 4; ++i) {
      if (bars[i].iRow != r) continue;
      int at = inRow;
      while (at > 0 && row[at - 1]->iX > bars[i].iX) {
        row[at] = row[at - 1];
        --at;
      }
      row[at] = &bars[i];
      ++inRow;
    }
    int32_t usable = bay.length - (r == result->gripRow ? bay.gripSize : 0);
    ResolveRow(row, inRow, usable);
    bool sizable = result->rows[r] < 0;
    int32_t rowThickness = Abs(result->rows[r]) - (sizable ? kSplitterSize : 0);
    int32_t barsAt = offset + (sizable && farSide ? kSplitterSize : 0);
    for (int i = 0; i < inRow; ++i) {
      row[i]->iOffset = barsAt;
      row[i]->iRowThickness = rowThickness;
    }
    offset += Abs(result->rows[r]);
  }
  result->thickness = offset;
  return offset;
}

int RowSplitterAt(const int32_t rows[kMaxBayRows], int side, int32_t across) {
  bool farSide = side == kSideBottom || side == kSideRight;
  int32_t offset = 0;
  for (int r = 0; r < kMaxBayRows && rows[r] != 0; ++r) {
    int32_t size = Abs(rows[r]);
    if (rows[r] < 0) {
      int32_t start = farSide ? offset : offset + size - kSplitterSize;
      if (across >= start && across < start + kSplitterSize) return r;
    }
    offset += size;
  }
  return -1;
}

bool HitTestDropRules(const DropQuery& q, DropResult* out) {
  bool vertical = q.side == kSideLeft || q.side == kSideRight;
  if (q.barFlags & (vertical ? kBarNoVertical : kBarNoHorizontal)) return false;
  out->alignedNeighbour = -1;
  out->insertRow = false;
  out->keepPlace = false;
  out->flags = q.barFlags;
  out->x = q.topLeftAlong;
  out->row = q.barRow;
  if (q.positionsLocked) {
    if (!q.barInBay) return false;
    out->keepPlace = true;
    return true;
  }
  if (q.cursorAlong < -kRowBoundarySlack || q.cursorAlong >= q.bayLength + kRowBoundarySlack ||
      q.cursorAcross < -kRowBoundarySlack || q.cursorAcross >= q.bayThickness + kRowBoundarySlack)
    return false;
  int n = RowCount(q.rows);
  // Boundaries first: near one, a new row goes in there, even inside a row.
  int row = -1;
  bool insert = false;
  for (int r = 0; r <= n && row < 0; ++r) {
    if (Abs(q.cursorAcross - RowOffset(q.rows, r)) <= kRowBoundarySlack) {
      row = r;
      insert = true;
    }
  }
  for (int r = 0; r < n && row < 0; ++r) {
    int32_t start = RowOffset(q.rows, r);
    if (q.cursorAcross >= start && q.cursorAcross < start + Abs(q.rows[r])) row = r;
  }
  if (row < 0) {  // past the last row a new row is appended
    row = n;
    insert = true;
  }
  if (insert && n >= kMaxBayRows) {
    // No 17th row: join the row on the cursor's side of the boundary.
    insert = false;
    if (row >= n || (row > 0 && q.cursorAcross < RowOffset(q.rows, row))) --row;
  }
  out->row = row;
  out->insertRow = insert;
  int32_t x = q.topLeftAlong;
  int32_t end = x + q.barLength;
  bool alignEnd = Abs(end - q.usable) <= kSnapDistance;
  bool alignPrevious = false;
  for (int i = 0; !insert && i < q.otherCount; ++i) {
    const DropNeighbour& other = q.others[i];
    if (other.iRow != row) continue;
    if (Abs(end - other.iPos) <= kSnapDistance) alignEnd = true;
    if (!alignPrevious && Abs(x - (other.iPos + other.iLength)) <= kSnapDistance) {
      alignPrevious = true;
      out->alignedNeighbour = i;
    }
  }
  uint16_t flags = q.barFlags;
  flags = alignEnd ? uint16_t(flags | kBarAlignEnd) : uint16_t(flags & ~kBarAlignEnd);
  flags = alignPrevious ? uint16_t(flags | kBarAlignPrevious)
                        : uint16_t(flags & ~kBarAlignPrevious);
  out->flags = flags;
  out->x = x < kSnapDistance ? 0 : x;
  return true;
}
