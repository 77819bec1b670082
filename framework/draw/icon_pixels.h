#pragma once
// Pixel-level halves of the icon helpers: choosing an image of an icon group
// and the grey blend of disabled command images and the grey tray icon.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
// One image of an icon group resource (RT_GROUP_ICON), as stored.
struct IconGroupEntry {
  uint8_t bWidth;        // 0 means 256
  uint8_t bHeight;       // 0 means 256
  uint8_t bColorCount;
  uint8_t bReserved;
  uint16_t wPlanes;
  uint16_t wBitCount;
  uint32_t dwBytesInRes;
  uint16_t nId;          // RT_ICON resource id
};
// The group's header before the entries.
struct IconGroupHeader {
  uint16_t idReserved;
  uint16_t idType;
  uint16_t idCount;
};
#pragma pack(pop)
static_assert(sizeof(IconGroupEntry) == 14, "GRPICONDIRENTRY");
static_assert(sizeof(IconGroupHeader) == 6, "GRPICONDIR");

// Colour depth of an entry in bits (from its bit count, else its colour count).
int IconEntryDepth(const IconGroupEntry& entry);

// The entry to use for a wanted depth index (0 = 1 bit, 1 = 4, 2 = 8, 3 = 32)
// and width: from that depth downwards, the first depth with images; among
// them the exact width (the first image for size 0), else the nearest width.
// -1 when the index is negative or no depth has images (the system chooses).
int PickIconGroupEntry(const IconGroupEntry* entries, int count, int depthIndex, int size);

// Turns the visible pixels (mask blue byte not 255 and, when the icon has an
// alpha channel, alpha not 0) of 32-bit BGRA colour bits into a blend of two
// COLORREFs by their brightness: with the offset 128 - mean blue of the
// visible pixels (0 when none is visible),
// x = clamp((r + g + b + offset) / 765, 0, 1), each channel becomes
// light * x + shadow * (1 - x). Alpha and hidden pixels stay.
void GrayBlendPixels(uint32_t* colors, const uint32_t* mask, size_t count, uint32_t light,
                     uint32_t shadow);
