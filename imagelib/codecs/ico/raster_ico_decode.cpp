// CRasterICO: the icon directory, PNG entries and bitmap entries with their
// AND mask.
#include <cstring>
#include <vector>

#include "imagelib/codecs/ico/raster_ico.h"
#include "imagelib/raster_dib.h"

namespace {

const char kNotIcon[] = "Not an icon or cursor file";
const char kNoEntry[] = "Error: icon entry not present";
const char kCorrupted[] = "Corrupted icon file";
const char kBadBitCount[] = "Unsupported icon bit count";

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr size_t kInfoHeaderBytes = 40;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool ReadExactly(CRasterFile* file, void* buffer, size_t bytes) {
  return bytes == 0 || file->Read(buffer, 1, bytes) == bytes;
}

}  // namespace

struct CRasterICO::Entry {
  int32_t width = 0;   // 0 in the directory means 256
  int32_t height = 0;
  uint32_t offset = 0;  // from the start of the file
  bool png = false;     // the data starts with the PNG signature
};

bool CRasterICO::Fail(const char* text) {
  SetErrorText(text);
  return false;
}

bool CRasterICO::Decode(CRasterFile* file) {
  if (!file) return false;
  const int32_t start = file->Tell();
  const int32_t size = file->Size();
  if (start < 0 || size < 0) return Fail(kNotIcon);
  uint8_t head[kHeaderBytes];
  if (!ReadExactly(file, head, sizeof head)) return Fail(kNotIcon);
  const uint16_t type = ReadLe16(head + 2);
  if (ReadLe16(head) != 0 || (type != 1 && type != 2)) return Fail(kNotIcon);
  const int32_t entries = ReadLe16(head + 4);
  info.frameCount = entries;
  if (info.frameIndex < 0 || info.frameIndex >= entries) return Fail(kNoEntry);
  // The whole directory must be there before any entry counts.
  if (int64_t(start) + int64_t(kHeaderBytes + kEntryBytes * size_t(entries)) > size)
    return Fail(kCorrupted);
  Entry entry;
  if (!ReadEntry(file, start, &entry)) return false;

  if (info.escape == -1 && !entry.png) {
    header.biWidth = entry.width;
    header.biHeight = entry.height;
    info.type = RASTER_FORMAT_ICO;
    SetErrorText("output dimensions returned");
    return true;
  }
  if (!file->Seek(int32_t(int64_t(start) + entry.offset), 0)) return Fail(kCorrupted);
  if (entry.png) return DecodePng(file, int32_t(int64_t(start) + entry.offset), entries);
  if (!DecodeBitmap(file, entry)) return false;
  info.frameCount = entries;
  return true;
}

// The selected directory entry; its data must start inside the file. PNG
// data is known by its signature: writers disagree on what they put in the
// directory's width and height for it.
bool CRasterICO::ReadEntry(CRasterFile* file, int32_t start, Entry* entry) {
  if (!file->Seek(int32_t(start + kHeaderBytes + kEntryBytes * size_t(info.frameIndex)), 0))
    return Fail(kCorrupted);
  uint8_t bytes[kEntryBytes];
  if (!ReadExactly(file, bytes, sizeof bytes)) return Fail(kCorrupted);
  entry->width = bytes[0] ? bytes[0] : 256;
  entry->height = bytes[1] ? bytes[1] : 256;
  entry->offset = ReadLe32(bytes + 12);
  const int64_t at = int64_t(start) + entry->offset;
  if (at + int64_t(sizeof kPngSignature) > file->Size()) return Fail(kCorrupted);
  uint8_t signature[sizeof kPngSignature];
  if (!file->Seek(int32_t(at), 0) || !ReadExactly(file, signature, sizeof signature))
    return Fail(kCorrupted);
  entry->png = std::memcmp(signature, kPngSignature, sizeof signature) == 0;
  return true;
}

bool CRasterICO::DecodePng(CRasterFile* file, int32_t at, int32_t entries) {
  CRaster png;
  png.SetEscape(info.escape);
  if (!file->Seek(at, 0)) return Fail(kCorrupted);
  if (!png.Decode(file, RASTER_FORMAT_PNG)) return Fail(png.GetLastError()[0] ? png.GetLastError() : kCorrupted);
  if (info.escape == -1) {
    header.biWidth = png.GetWidth();
    header.biHeight = png.GetHeight();
    info.type = RASTER_FORMAT_ICO;
    SetErrorText("output dimensions returned");
    return true;
  }
  const int32_t frameIndex = info.frameIndex;
  Transfer(png, false);
  info.type = RASTER_FORMAT_ICO;
  info.frameCount = entries;
  info.frameIndex = frameIndex;
  return true;
}

bool CRasterICO::DecodeBitmap(CRasterFile* file, const Entry& entry) {
  uint8_t bytes[kInfoHeaderBytes];
  if (!ReadExactly(file, bytes, sizeof bytes)) return Fail(kCorrupted);
  const uint32_t headerSize = ReadLe32(bytes);
  const int32_t bitCount = ReadLe16(bytes + 14);
  const uint32_t colorsUsed = ReadLe32(bytes + 32);
  if (headerSize < kInfoHeaderBytes) return Fail(kCorrupted);
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return Fail(kBadBitCount);
  // Larger headers carry nothing an icon needs.
  if (headerSize > kInfoHeaderBytes && !file->Seek(int32_t(headerSize - kInfoHeaderBytes), 1))
    return Fail(kCorrupted);
  if (info.escape != 0) return Fail("Cancelled");
  if (!Create(entry.width, entry.height, bitCount > 24 ? 24 : bitCount, RASTER_FORMAT_ICO))
    return false;  // Create's own text
  if (!ReadPalette(file, colorsUsed) || !ReadPixels(file, bitCount)) return false;

  const int32_t maskRow = (entry.width + 31) / 32 * 4;
  std::vector<uint8_t> mask(size_t(maskRow) * size_t(entry.height), 0);
  // A short mask leaves the rest of the pixels opaque.
  file->Read(mask.data(), 1, mask.size());
  ApplyMask(mask.data(), maskRow);
  return true;
}

// The stored palette: at most as many entries as the image holds are
// taken, the rest skipped (true-colour entries too).
bool CRasterICO::ReadPalette(CRasterFile* file, uint32_t stored) {
  const uint32_t holds = GetNumColors();
  if (stored == 0) stored = holds;
  const uint32_t taken = stored < holds ? stored : holds;
  const int64_t skipped = (int64_t(stored) - taken) * 4;
  if (taken) {
    std::vector<RGBQUAD> entries(taken);
    if (!ReadExactly(file, entries.data(), taken * sizeof(RGBQUAD))) return Fail(kCorrupted);
    SetPalette(entries.data(), taken);
  }
  const int64_t at = file->Tell();
  if (at < 0 || at + skipped > file->Size() || !file->Seek(int32_t(skipped), 1))
    return Fail(kCorrupted);
  return true;
}

// Rows as stored, bottom row first, as the image keeps them; 32-bit rows
// lose their fourth byte. The image's own size counts, never the header's.
bool CRasterICO::ReadPixels(CRasterFile* file, int32_t bitCount) {
  const int32_t width = GetWidth(), height = GetHeight();
  if (bitCount != 32) {
    const size_t bytes = size_t(GetRowBytes()) * size_t(height);
    if (!ReadExactly(file, GetBits(0), bytes)) return Fail(kCorrupted);
    return true;
  }
  std::vector<uint8_t> row(size_t(width) * 4);
  for (int32_t y = 0; y < height; ++y) {
    if (info.escape != 0) return Fail("Cancelled");
    if (!ReadExactly(file, row.data(), row.size())) return Fail(kCorrupted);
    BYTE* target = GetBits(y);
    for (int32_t x = 0; x < width; ++x) std::memcpy(target + 3 * x, &row[4 * size_t(x)], 3);
  }
  return true;
}

// The AND mask as a background: all set means an inverted image on index
// 0; transparent pixels of one colour make that colour the background; on
// palette images transparent pixels move to the highest unused index.
void CRasterICO::ApplyMask(const uint8_t* mask, int32_t maskRow) {
  const int32_t width = GetWidth(), height = GetHeight();
  const size_t maskBytes = size_t(maskRow) * size_t(height);
  bool allSet = true;
  for (size_t i = 0; i < maskBytes && allSet; ++i) allSet = mask[i] == 0xFF;
  if (allSet) {
    SetBkgndIndex(0);
    Negative();
    return;
  }
  auto masked = [&](int32_t x, int32_t y) {
    return (mask[size_t(y) * size_t(maskRow) + size_t(x >> 3)] >> (7 - (x & 7)) & 1) != 0;
  };
  bool any = false, oneColor = true;
  RGBQUAD first = {};
  int32_t firstX = 0, firstY = 0;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      if (!masked(x, y)) continue;
      const RGBQUAD c = GetPixelColorUnchecked(x, y);
      if (!any) {
        first = c;
        firstX = x;
        firstY = y;
        any = true;
      } else if (oneColor && std::memcmp(&c, &first, 3) != 0) {
        oneColor = false;
      }
    }
  if (any && oneColor) {
    if (!IsIndexed()) return;
    SetBkgndColor(first);
    SetBkgndIndex(GetPixelIndexUnchecked(firstX, firstY));
  }
  if (!IsIndexed()) return;
  bool used[256] = {};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) used[GetPixelIndexUnchecked(x, y)] = true;
  int32_t unused = -1;
  for (int32_t i = int32_t(GetNumColors()) - 1; i >= 0 && unused < 0; --i)
    if (!used[i]) unused = i;
  if (unused < 0) return;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (masked(x, y)) SetPixelIndexUnchecked(x, y, BYTE(unused));
  if (any) SetBkgndIndex(unused);
}
