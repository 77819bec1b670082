#include "framework/ui/message_box_layout.h"

#include <algorithm>
#include <cstring>

bool BoxShowsButton(unsigned style, int button) {
  switch (style & 0xF0) {
    case 32: return button == 1 || button == 2;
    case 64: return button == 6 || button == 7;
    case 128: return button == 6 || button == 7 || button == 2;
    default: return button == 1;
  }
}

int BoxButtonCount(unsigned style) {
  int count = 0;
  for (int id : kBoxButtonIds) count += BoxShowsButton(style, id) ? 1 : 0;
  return count;
}

int BoxDefaultButton(unsigned style) {
  const unsigned bits[4] = {512, 1024, 2048, 4096};
  for (int i = 0; i < 4; ++i)
    if ((style & bits[i]) && BoxShowsButton(style, kBoxButtonIds[i])) return kBoxButtonIds[i];
  switch (style & 0xF0) {
    case 64: case 128: return 6;
    default: return 1;
  }
}

int BoxEscapeResult(unsigned style) {
  if (BoxShowsButton(style, 2)) return 2;
  if (BoxShowsButton(style, 1)) return 1;
  return 0;
}

bool BoxHasCloseBox(unsigned style) { return BoxEscapeResult(style) != 0; }

int PrepareBoxText(const char* text, char* out, int outSize) {
  int n = 0;
  int lines = 1;
  for (const char* in = text ? text : ""; *in && n < kBoxTextChars && n < outSize - 1; ++in) {
    if (*in == '\r') continue;
    if (*in == '\n') ++lines;
    out[n++] = *in;
  }
  out[n] = '\0';
  return lines;
}

const char* BoxLine(const char* text, int index, int* length) {
  const char* start = text;
  for (int i = 0; i < index && start; ++i) {
    start = strchr(start, '\n');
    if (start) ++start;
  }
  if (!start) {
    *length = 0;
    return text + strlen(text);
  }
  const char* end = strchr(start, '\n');
  *length = int(end ? end - start : strlen(start));
  return start;
}

int BoxTextWidth(const int* lineWidths, int count, int maxWidth) {
  int widest = 0;
  for (int i = 0; i < count; ++i) widest = std::max(widest, lineWidths[i] + 8);
  return std::min(widest, maxWidth);
}

BoxLayout LayoutMessageBox(const BoxTemplate& t, const int* heights, int lineCount, int textWidth,
                           int buttonCount, int maxClientHeight) {
  BoxLayout b = {};
  int iconHeight = t.icon.bottom - t.icon.top;
  int headingHeight = heights[0];
  int textHeight = 0;
  for (int i = 1; i < lineCount; ++i) textHeight += heights[i];
  int headingTop = t.headingTop;
  if (lineCount <= 2) {
    // One line, or the pair, centred beside the icon.
    headingTop = t.icon.top + (iconHeight - (headingHeight + textHeight)) / 2;
    headingTop = std::max(headingTop, std::min<int>(t.headingTop, t.icon.top));
  }
  b.hasText = lineCount > 1;
  int buttonTop = std::max(t.buttonTop, headingTop + headingHeight * 3 / 2 + textHeight);
  int fixed = t.buttonHeight + t.bottomMargin;
  if (b.hasText && buttonTop + fixed > maxClientHeight) {
    // Taller than the screen: the rest scrolls in a field that fits.
    int room = maxClientHeight - fixed - (headingTop + headingHeight * 3 / 2);
    textHeight = std::max(room, heights[1]);
    buttonTop = std::max(t.buttonTop, headingTop + headingHeight * 3 / 2 + textHeight);
    b.scrolling = true;
  }
  b.heading = {t.textLeft, headingTop, t.textLeft + textWidth, headingTop + headingHeight};
  if (b.hasText)
    b.text = {t.textLeft, headingTop + headingHeight, t.textLeft + textWidth,
              headingTop + headingHeight + textHeight};
  b.gap = t.buttonHeight / 3;
  b.buttonTop = buttonTop;
  b.clientWidth = std::max(t.textLeft + 2 * headingHeight + textWidth,
                           t.buttonHeight + (t.buttonWidth + b.gap) * buttonCount);
  int rowWidth = buttonCount * t.buttonWidth + (buttonCount - 1) * b.gap;
  b.buttonsLeft = (b.clientWidth - rowWidth) / 2;
  b.clientHeight = buttonTop + fixed;
  return b;
}
