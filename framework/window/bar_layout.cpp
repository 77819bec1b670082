// Item placement of dock bars: overflow on docked bars, wrapping on
// floating ones.
#include "framework/window/bar_layout.h"

namespace {

int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }

bool Visible(const BarItem& item) { return !(item.ulCommandFlags & kItemHidden); }
int32_t Along(const BarItem& item, bool vertical) { return vertical ? item.iHeight : item.iWidth; }
int32_t Across(const BarItem& item, bool vertical) { return vertical ? item.iWidth : item.iHeight; }

void Hide(BarItem* item) {
  item->bShown = false;
  item->iCx = item->iCy = 0;
}

// Length of the shown items with gaps between them.
int32_t ShownLength(const BarItem* items, int count, const bool* shown, bool vertical,
                    int32_t gap) {
  int32_t sum = 0, n = 0;
  for (int i = 0; i < count; ++i)
    if (shown[i]) {
      sum += Along(items[i], vertical);
      ++n;
    }
  return n ? sum + gap * (n - 1) : 0;
}

void LayoutDocked(BarItem* items, int count, const BarItemsArea& area, uint16_t* overflowIds,
                  BarItemsResult* result) {
  bool vertical = area.orientation == 1;
  int last = count - 1;  // the overflow menu
  BarItem& overflow = items[last];
  bool shown[512] = {};
  bool anyMayOverflow = false;
  for (int i = 0; i < last; ++i) {
    shown[i] = Visible(items[i]);
    if (shown[i] && (items[i].ulCommandFlags & kItemMayOverflow)) anyMayOverflow = true;
  }
  const int32_t margins = area.itemsStart + kBarMargin;
  int32_t total = ShownLength(items, last, shown, vertical, area.gap);
  result->naturalLength = margins + total;
  bool fixed[512] = {};
  for (int i = 0; i < last; ++i)
    fixed[i] = shown[i] && !(items[i].ulCommandFlags & kItemMayOverflow);
  int32_t fixedLength = ShownLength(items, last, fixed, vertical, area.gap);
  int32_t overflowLength = Along(overflow, vertical);
  result->minLength =
      margins + fixedLength +
      (anyMayOverflow ? overflowLength + (fixedLength ? area.gap : 0) : 0);
  int32_t room = area.length - margins;
  int32_t used = total;
  result->overflowShown = false;
  if (total > room) {
    result->overflowShown = true;
    auto withOverflow = [&]() {
      int32_t len = ShownLength(items, last, shown, vertical, area.gap);
      return len + (len ? area.gap : 0) + overflowLength;
    };
    used = withOverflow();
    // From the end, while some item may still leave.
    for (int i = last - 1; i >= 0 && used > room; --i) {
      if (!shown[i] || !(items[i].ulCommandFlags & kItemMayOverflow)) continue;
      shown[i] = false;
      used = withOverflow();
    }
  }
  int n = 0;
  for (int i = 0; i < last && result->overflowShown; ++i) {
    if (shown[i] || !Visible(items[i])) continue;
    if (n == 0 && items[i].bSeparator) continue;  // never first in the menu
    overflowIds[n++] = items[i].wId;
  }
  overflowIds[n] = 0xFFFF;
  result->overflowCount = n;
  if (result->overflowShown && n == 0) {
    // Only separators left: nothing for the menu to hold.
    result->overflowShown = false;
    used = ShownLength(items, last, shown, vertical, area.gap);
  }
  int stretchers = 0;
  for (int i = 0; i < last; ++i)
    if (shown[i] && (items[i].ulCommandFlags & kItemStretch)) ++stretchers;
  int32_t spare = Max(0, room - used);
  int32_t share = stretchers ? spare / stretchers : 0;
  int32_t across = Max(0, area.thickness - 2 * kBarMargin);
  int32_t at = area.itemsStart;
  for (int i = 0; i < count; ++i) {
    BarItem& item = items[i];
    bool show = i == last ? result->overflowShown : shown[i];
    if (!show) {
      Hide(&item);
      continue;
    }
    int32_t along = Along(item, vertical) + ((item.ulCommandFlags & kItemStretch) && i != last ? share : 0);
    int32_t thick = (item.ulCommandFlags & kItemFullThickness) ? across : Across(item, vertical);
    int32_t offset = kBarMargin + (across - thick) / 2;
    item.bShown = true;
    if (vertical) {
      item.iX = offset, item.iY = at, item.iCx = thick, item.iCy = along;
    } else {
      item.iX = at, item.iY = offset, item.iCx = along, item.iCy = thick;
    }
    at += along + area.gap;
  }
  result->thickness = area.thickness;
}

struct Line {
  int first, end;  // item index range [first, end)
  int32_t width, height;
  bool own;        // a line of one own-line item
};

void LayoutFloating(BarItem* items, int count, const BarItemsArea& area,
                    BarItemsResult* result) {
  const int last = count - 1;
  Hide(&items[last]);  // floating bars wrap instead of overflowing
  const int32_t gap = area.gap;
  const int32_t availWidth = Max(0, area.length - 2);
  const int32_t availHeight = Max(0, area.thickness - 3);
  int32_t width = availWidth;
  for (int i = 0; i < last; ++i)
    if (Visible(items[i])) width = Max(width, items[i].iWidth);
  static thread_local Line lines[512];
  int lineCount = 0;
  Line* line = nullptr;
  int32_t running = 0;
  for (int i = 0; i < last; ++i) {
    if (!Visible(items[i])) {
      Hide(&items[i]);
      continue;
    }
    int next = i + 1;
    while (next < last && !Visible(items[next])) ++next;
    const BarItem& item = items[i];
    bool own = (item.ulCommandFlags & kItemOwnLine) != 0;
    bool breakHere = line == nullptr || own || line->own || running + gap + item.iWidth > width;
    if (!breakHere && item.bSeparator &&
        (next >= last || running + gap + item.iWidth + gap + items[next].iWidth > width))
      breakHere = true;
    if (breakHere) {
      line = &lines[lineCount++];
      *line = {i, i, 0, 0, own};
      running = 0;
    }
    bool spans = own || (item.bSeparator && line->first == i);
    int32_t w = spans ? width : item.iWidth;
    running += (running ? gap : 0) + w;
    line->end = i + 1;
    line->width = running;
    line->height = Max(line->height, item.iHeight);
    items[i].iCx = w;
    items[i].iCy = item.iHeight;
    if (item.bSeparator && line->first == i) running = width;  // nothing follows on its line
  }
  int32_t otherHeight = 0, ownLines = 0;
  for (int l = 0; l < lineCount; ++l) {
    if (lines[l].own) ++ownLines;
    else otherHeight += lines[l].height;
  }
  otherHeight += gap * Max(0, lineCount - 1);
  int32_t ownShare = ownLines ? Max(0, availHeight - otherHeight) / ownLines : 0;
  int32_t y = 1, widest = 0;
  for (int l = 0; l < lineCount; ++l) {
    Line& ln = lines[l];
    if (ln.own) ln.height = Max(ln.height, ownShare);
    int stretchers = 0;
    for (int i = ln.first; i < ln.end; ++i)
      if (Visible(items[i]) && (items[i].ulCommandFlags & kItemStretch) && !ln.own) ++stretchers;
    int32_t share = stretchers ? Max(0, width - ln.width) / stretchers : 0;
    int32_t x = 1;
    for (int i = ln.first; i < ln.end; ++i) {
      BarItem& item = items[i];
      if (!Visible(item)) continue;
      if ((item.ulCommandFlags & kItemStretch) && !ln.own) item.iCx += share;
      bool full = ln.own || item.bSeparator || (item.ulCommandFlags & kItemFullThickness);
      if (full) item.iCy = ln.height;
      item.iX = x;
      item.iY = y + (ln.height - item.iCy) / 2;
      item.bShown = true;
      x += item.iCx + gap;
    }
    widest = Max(widest, x - gap - 1);
    y += ln.height + gap;
  }
  int32_t total = lineCount ? y - gap - 1 : 0;
  result->naturalLength = widest + 2;
  result->minLength = result->naturalLength;
  result->thickness = total + 3;
  result->overflowCount = 0;
  result->overflowShown = false;
}

}  // namespace

void LayoutBarItems(BarItem* items, int count, const BarItemsArea& area, uint16_t* overflowIds,
                    BarItemsResult* result) {
  *result = {};
  if (overflowIds) overflowIds[0] = 0xFFFF;
  if (count <= 0) return;
  if (count > 512) count = 512;
  for (int i = 0; i < count; ++i) items[i].bShown = false;
  if (area.orientation == 2) LayoutFloating(items, count, area, result);
  else LayoutDocked(items, count, area, overflowIds, result);
}

int32_t RequiredBarThickness(const BarItem* items, int count, int orientation) {
  bool vertical = orientation == 1;
  int32_t extent = 0;
  bool any = false;
  for (int i = 0; i + 1 < count; ++i) {
    if (!Visible(items[i])) continue;
    any = true;
    extent = Max(extent, Across(items[i], vertical) + 1);
  }
  return (any ? extent : 20) + 4;
}
