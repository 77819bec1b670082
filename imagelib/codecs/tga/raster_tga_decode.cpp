// CRasterTGA: reading.
#include <cstdlib>
#include <cstring>

#include "imagelib/codecs/tga/raster_tga.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_read_buffer.h"

namespace {

const char kNotTga[] = "Not a TGA";
const char kUnknownType[] = "Unknown TGA image type";
const char kBadHeader[] = "bad TGA header";
const char kCancelled[] = "Cancelled";
const char kCorrupted[] = "corrupted TGA";
const char kNoMemory[] = "can't allocate memory";

constexpr int kHeaderSize = 18;
constexpr int kRightToLeft = 0x10;
constexpr int kTopToBottom = 0x20;
constexpr int kMaxPacket = 128;

bool IsColorMapped(int type) { return type == 1 || type == 9; }
bool IsGrey(int type) { return type == 3 || type == 11; }
bool IsRunLength(int type) { return type >= 9; }

// One pixel of the file as blue, green, red (the index for 8 bits).
void ConvertPixel(const uint8_t* from, int depth, uint8_t* to) {
  switch (depth) {
    case 8:
      to[0] = from[0];
      return;
    case 15:
    case 16: {
      // Five bits each, the top bit unused; each widened by shifting.
      const unsigned c = ReadLe16(from);
      to[0] = uint8_t((c << 3) & 0xF8);
      to[1] = uint8_t((c >> 2) & 0xF8);
      to[2] = uint8_t((c >> 7) & 0xF8);
      return;
    }
    default:  // 24 and 32 bits: the fourth byte is dropped
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      return;
  }
}

}  // namespace

struct TgaHeader {
  int idLength, mapType, type;
  int mapFirst, mapLength, mapEntrySize;
  int32_t width, height;
  int depth, descriptor;
  int PixelBytes() const { return (depth + 7) / 8; }
  int MapEntryBytes() const { return (mapEntrySize + 7) / 8; }
};

bool CRasterTGA::Fail(const char* text) {
  SetErrorText(text);
  return false;
}

// The fields that must hold together, as the format has no signature (a
// PCX file, for one, must not pass): null or the text.
static const char* CheckHeader(const TgaHeader& h) {
  if (!(h.type >= 1 && h.type <= 3) && !(h.type >= 9 && h.type <= 11)) return kUnknownType;
  if (h.width == 0 || h.height == 0 || h.mapLength > 256 || h.mapType > 1) return kBadHeader;
  if (IsColorMapped(h.type)) {
    const int e = h.mapEntrySize;
    if (h.mapType != 1 || h.mapLength == 0 || h.depth != 8 || (e != 15 && e != 16 && e != 24 && e != 32))
      return kBadHeader;
  } else if (IsGrey(h.type)) {
    if (h.depth != 8) return kBadHeader;
  } else if (h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32) {
    return kBadHeader;
  }
  return nullptr;
}

bool CRasterTGA::Decode(CRasterFile* file) {
  if (!file) return false;
  CRasterReadBuffer in(file);
  uint8_t b[kHeaderSize];
  if (!in.IsUsable() || !in.Read(b, sizeof b)) return Fail(kNotTga);
  TgaHeader h;
  h.idLength = b[0];
  h.mapType = b[1];
  h.type = b[2];
  h.mapFirst = ReadLe16(b + 3);
  h.mapLength = ReadLe16(b + 5);
  h.mapEntrySize = b[7];
  h.width = ReadLe16(b + 12);
  h.height = ReadLe16(b + 14);
  h.depth = b[16];
  h.descriptor = b[17];
  if (const char* error = CheckHeader(h)) return Fail(error);
  if (info.escape == -1) {
    header.biWidth = h.width;
    header.biHeight = h.height;
    info.type = RASTER_FORMAT_TGA;
    return true;
  }
  if (!EnoughData(&in, h)) return Fail(kCorrupted);
  if (!Create(h.width, h.height, h.depth == 8 ? 8 : 24, RASTER_FORMAT_TGA)) return false;
  if (info.escape != 0) return Fail(kCancelled);
  if (!in.Skip(h.idLength) || !ReadColorMap(&in, h) || !ReadRows(&in, h)) return false;
  if (h.descriptor & kRightToLeft) Mirror();
  return true;
}

// Checked before the image is allocated: the ID, the colour map and the
// pixels must fit in the rest of the file (a run packet gives at most 128
// pixels for one byte and a pixel).
bool CRasterTGA::EnoughData(CRasterReadBuffer* in, const TgaHeader& h) {
  const int64_t left = in->BytesLeft();
  if (left < 0) return true;
  const int64_t fixed = h.idLength + int64_t(h.mapType) * h.mapLength * h.MapEntryBytes();
  if (fixed > left) return false;
  const int64_t data = left - fixed, pixels = int64_t(h.width) * h.height;
  if (IsRunLength(h.type)) return pixels <= (data + h.PixelBytes()) / (1 + h.PixelBytes()) * kMaxPacket;
  return pixels * h.PixelBytes() <= data;
}

// Map entries go to the palette from the map's first index on; a map
// beside true-colour or grey pixels is passed over.
bool CRasterTGA::ReadColorMap(CRasterReadBuffer* in, const TgaHeader& h) {
  if (h.mapType == 0) return true;
  const int entryBytes = h.MapEntryBytes();
  if (!IsColorMapped(h.type)) return in->Skip(int64_t(h.mapLength) * entryBytes) || Fail(kCorrupted);
  RGBQUAD* palette = GetPalette();
  for (int i = 0; i < h.mapLength; ++i) {
    uint8_t entry[4], bgr[3];
    if (!in->Read(entry, size_t(entryBytes))) return Fail(kCorrupted);
    if (h.mapFirst + i > 255) continue;
    ConvertPixel(entry, h.mapEntrySize, bgr);
    palette[h.mapFirst + i] = RgbQuadFromValue(bgr[0] | bgr[1] << 8 | uint32_t(bgr[2]) << 16);
  }
  return true;
}

bool CRasterTGA::ReadRows(CRasterReadBuffer* in, const TgaHeader& h) {
  if (IsGrey(h.type)) SetGrayPalette();
  const int pixelBytes = h.PixelBytes(), outBytes = h.depth == 8 ? 1 : 3;
  uint8_t* raw = static_cast<uint8_t*>(std::malloc(size_t(h.width) * size_t(pixelBytes)));
  if (!raw) return Fail(kNoMemory);
  // A packet may go on into the next row: its kind, pixels left and (for a
  // run) the pixel carry over.
  int packetLeft = 0;
  bool run = false;
  uint8_t runPixel[4] = {};
  const char* error = nullptr;
  for (int32_t y = 0; y < h.height && !error; ++y) {
    if (info.escape != 0) {
      error = kCancelled;
      break;
    }
    BYTE* row = GetBits((h.descriptor & kTopToBottom) ? h.height - 1 - y : y);
    if (!IsRunLength(h.type)) {
      if (!in->Read(raw, size_t(h.width) * size_t(pixelBytes))) error = kCorrupted;
      for (int32_t x = 0; x < h.width && !error; ++x)
        ConvertPixel(raw + size_t(x) * pixelBytes, h.depth, row + size_t(x) * outBytes);
      continue;
    }
    for (int32_t x = 0; x < h.width && !error;) {
      if (packetLeft == 0) {
        const int packet = in->GetByte();
        if (packet < 0) {
          error = kCorrupted;
          break;
        }
        run = (packet & 0x80) != 0;
        packetLeft = (packet & 0x7F) + 1;
        if (run && !in->Read(runPixel, size_t(pixelBytes))) error = kCorrupted;
      }
      const int32_t n = packetLeft < h.width - x ? packetLeft : h.width - x;
      if (!run && !in->Read(raw, size_t(n) * size_t(pixelBytes))) error = kCorrupted;
      for (int32_t k = 0; k < n && !error; ++k, ++x)
        ConvertPixel(run ? runPixel : raw + size_t(k) * pixelBytes, h.depth, row + size_t(x) * outBytes);
      packetLeft -= n;
    }
  }
  std::free(raw);
  return !error || Fail(error);
}
