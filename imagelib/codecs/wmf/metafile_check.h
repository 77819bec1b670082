#pragma once
// What a metafile's bytes say before GDI is given them: which kind it is,
// whether its headers and records hold together, and its size in pixels.
#include <cstddef>
#include <cstdint>

enum MetafileKind {
  METAFILE_NONE,  // neither a placeable WMF nor an EMF that holds together
  METAFILE_WMF,   // placeable: the Windows metafile starts at byte 22
  METAFILE_EMF,
};

struct MetafileLayout {
  MetafileKind kind = METAFILE_NONE;
  size_t offset = 0;   // where the bytes for GDI start
  size_t bytes = 0;    // how many there are
  int64_t width = 0;   // pixels; 0 or less is an empty metafile
  int64_t height = 0;
};

constexpr size_t kPlaceableHeaderBytes = 22;
constexpr size_t kWmfHeaderBytes = 18;
constexpr size_t kEmfHeaderBytes = 108;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

// The XOR of the ten 16-bit words before the placeable header's checksum.
uint16_t PlaceableChecksum(const uint8_t* header);

// A placeable WMF is tried first, then an EMF. The WMF's size comes from
// its bounding box at the given resolution; the EMF's from its inclusive
// pixel bounds.
MetafileLayout CheckMetafile(const uint8_t* data, size_t size, int32_t dpiX, int32_t dpiY);

// At most limit pixels a side, the aspect kept, at least one pixel.
void ClampMetafileSize(int64_t* width, int64_t* height, int64_t limit);
