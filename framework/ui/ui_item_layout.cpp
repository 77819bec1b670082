#include "framework/ui/ui_item_layout.h"

#include <algorithm>

#include "framework/ui/command_table.h"

ItemSize FinishItemLayout(ItemParts* p, int dpi, int unit, float widthFactor, float heightFactor) {
  p->imageWidth = p->imageWidth * dpi / 96;
  p->imageHeight = p->imageHeight * dpi / 96;
  if (p->textHeight > 0 || p->textWidth > 0) {
    int32_t labelHeight = p->textHeight;
    p->textWidth += int32_t(labelHeight * widthFactor);
    p->textHeight += int32_t(labelHeight * heightFactor);
  }
  if (p->textHeight < 16) p->textHeight = 16;
  ItemSize size;
  size.imageColumn = p->imageWidth;
  size.height = std::max({p->imageHeight, p->partHeight, p->textHeight, p->shortcutHeight,
                          p->minHeight}) +
                2 * unit;
  size.width = p->arrowWidth + unit;
  if (p->imageWidth > 0) size.width += p->imageWidth + unit;
  if (p->partWidth > 0) size.width += p->partWidth + unit;
  if (p->textWidth > 0) size.width += p->textWidth + unit;
  if (p->shortcutWidth > 0) size.width += p->shortcutWidth + 4 * unit;
  return size;
}

namespace {

// Top of a part of height h centred in the free height H below `unit`.
int32_t CentredTop(const RECT& rect, int unit, int offset, int32_t h, bool roundHalfUp) {
  int32_t free = (rect.bottom - rect.top) - 2 * unit;
  int32_t top = roundHalfUp ? int32_t((free - h + 1) * 0.5 + 0.5) : (free - h + 1) / 2;
  return rect.top + unit + top + offset;
}

}  // namespace

ItemPartRects LayoutItemParts(const ItemParts& p, int itemWidth, const RECT& rect, int offset,
                              bool centred, bool inPopup, int popupImageColumn, bool stretch,
                              int unit) {
  ItemPartRects r;
  int32_t x = rect.left + offset;
  if (!inPopup && centred) x += ((rect.right - rect.left) - itemWidth) / 2;
  int32_t imageTop = CentredTop(rect, unit, offset, p.imageHeight, false);
  r.image = {x + unit, imageTop, x + unit + p.imageWidth, imageTop + p.imageHeight};
  if (inPopup) x += popupImageColumn;
  else x = (p.imageWidth > 0 ? x + unit + p.imageWidth : x) + unit;
  int32_t partTop = CentredTop(rect, unit, offset, p.partHeight, false);
  r.part = {x, partTop, x + p.partWidth, partTop + p.partHeight};
  int32_t labelLeft = p.partWidth > 0 ? x + p.partWidth + unit : x;
  int32_t labelTop = CentredTop(rect, unit, offset, p.textHeight, true);
  r.text = {labelLeft, labelTop, labelLeft + p.textWidth, labelTop + p.textHeight};
  if (stretch) r.text.right = rect.right - p.arrowWidth - p.shortcutWidth - unit;
  int32_t shortcutTop = CentredTop(rect, unit, offset, p.shortcutHeight, true);
  int32_t shortcutRight = rect.right - p.arrowWidth - unit;
  r.shortcut = {shortcutRight - p.shortcutWidth, shortcutTop, shortcutRight,
                shortcutTop + p.shortcutHeight};
  return r;
}

ItemDrawState ItemDrawStateOf(uint32_t flags, bool inPopup) {
  ItemDrawState s;
  bool enabled = flags & kCommandEnabled;
  bool hot = flags & kCommandHot;
  bool pressed = flags & kCommandPressed;
  bool checked = flags & kCommandChecked;
  if (pressed) s.background = 2;
  else if (hot) s.background = 1;
  else if (checked && !enabled) s.background = 7;
  else if (checked) s.background = 6;
  else s.background = 0;
  s.textKind = hot || pressed ? 2 : enabled ? 1 : 0;
  s.centred = (flags & kCommandCentred) && !inPopup;
  s.bold = flags & kCommandBold;
  s.pressOffset = pressed ? 1 : 0;
  return s;
}
