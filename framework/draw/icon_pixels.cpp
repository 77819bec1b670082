#include "framework/draw/icon_pixels.h"

#include <cstdlib>

int IconEntryDepth(const IconGroupEntry& entry) {
  if (entry.wBitCount != 0) return entry.wBitCount;
  switch (entry.bColorCount) {
    case 2: return 1;
    case 16: return 4;
    default: return 8;
  }
}

namespace {

const int kDepthByIndex[4] = {1, 4, 8, 32};

int EntryWidth(const IconGroupEntry& entry) { return entry.bWidth == 0 ? 256 : entry.bWidth; }

int PickBySize(const IconGroupEntry* entries, int count, int depth, int size) {
  int best = -1;
  int bestDifference = 0;
  for (int i = 0; i < count; ++i) {
    if (IconEntryDepth(entries[i]) != depth) continue;
    int difference = abs(EntryWidth(entries[i]) - size);
    if (size == 0 || difference == 0) return i;
    if (best < 0 || difference < bestDifference) {
      best = i;
      bestDifference = difference;
    }
  }
  return best;
}

}  // namespace

int PickIconGroupEntry(const IconGroupEntry* entries, int count, int depthIndex, int size) {
  if (depthIndex < 0) return -1;
  if (depthIndex > 3) depthIndex = 3;
  for (int index = depthIndex; index >= 0; --index) {
    int pick = PickBySize(entries, count, kDepthByIndex[index], size);
    if (pick >= 0) return pick;
  }
  return -1;
}

namespace {

uint32_t BlendChannel(uint32_t light, uint32_t shadow, int shift, double x) {
  double l = (light >> shift) & 0xFF;
  double s = (shadow >> shift) & 0xFF;
  return static_cast<uint32_t>(l * x + s * (1.0 - x)) & 0xFF;
}

}  // namespace

namespace {

// A pixel shows when its mask bit is black and, in an icon that carries an
// alpha channel, its alpha is not 0. Icons without alpha read as alpha 0
// everywhere, so alpha only counts when some pixel has it.
bool HasAlpha(const uint32_t* colors, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (colors[i] >> 24) return true;
  return false;
}

}  // namespace

void GrayBlendPixels(uint32_t* colors, const uint32_t* mask, size_t count, uint32_t light,
                     uint32_t shadow) {
  bool alpha = HasAlpha(colors, count);
  auto visible = [&](size_t i) {
    return (mask[i] & 0xFF) != 0xFF && (!alpha || (colors[i] >> 24) != 0);
  };
  double sum = 0;
  size_t shown = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!visible(i)) continue;
    sum += colors[i] & 0xFF;
    ++shown;
  }
  double offset = shown ? 128.0 - sum / static_cast<double>(shown) : 0.0;
  for (size_t i = 0; i < count; ++i) {
    if (!visible(i)) continue;
    uint32_t pixel = colors[i];
    double brightness = static_cast<double>(pixel & 0xFF) + ((pixel >> 8) & 0xFF) +
                        ((pixel >> 16) & 0xFF) + offset;
    double x = brightness / 765.0;
    if (x < 0) x = 0;
    if (x > 1) x = 1;
    // COLORREF holds red in the low byte; the DIB pixel holds blue there.
    uint32_t red = BlendChannel(light, shadow, 0, x);
    uint32_t green = BlendChannel(light, shadow, 8, x);
    uint32_t blue = BlendChannel(light, shadow, 16, x);
    colors[i] = (pixel & 0xFF000000u) | (red << 16) | (green << 8) | blue;
  }
}
