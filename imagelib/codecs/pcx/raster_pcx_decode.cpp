// CRasterPCX: reading.
#include <cstdlib>
#include <cstring>

#include "imagelib/codecs/pcx/pcx_pixels.h"
#include "imagelib/codecs/pcx/pcx_run_length.h"
#include "imagelib/codecs/pcx/raster_pcx.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_read_buffer.h"

namespace {

const char kCantRead[] = "Can't read PCX image";
const char kNotPcx[] = "Error: Not a PCX file";
const char kUnknownEncoding[] = "PCX file has unknown encoding scheme";
const char kTooManyPlanes[] = "Can't handle image with more than 4 planes";
const char kCancelled[] = "Cancelled";
const char kCorrupted[] = "corrupted PCX";
const char kBadColorMap[] = "bad color map signature";
const char kUnpackFailed[] = "PCX_UnpackPixels: Can't handle packed pixels with more than 1 plane";
const char kPlanesFailed[] = "PCX_PlanesToPixels: more than 4 planes or more than 1 bit per pixel";
const char kNoMemory[] = "can't allocate memory";

constexpr int kHeaderSize = 128;
constexpr int kPaletteSignature = 12;

}  // namespace

struct PcxHeader {
  int32_t width, height;
  int32_t bitsPerPixel, planes, bytesPerLine;
  int32_t xDpi, yDpi;
  BYTE colorMap[48];
};

bool CRasterPCX::Fail(const char* text) {
  SetErrorText(text);
  return false;
}

bool CRasterPCX::Decode(CRasterFile* file) {
  if (!file) return false;
  CRasterReadBuffer in(file);
  BYTE bytes[kHeaderSize];
  if (!in.IsUsable() || !in.Read(bytes, sizeof bytes)) return Fail(kCantRead);
  if (bytes[0] != 10) return Fail(kNotPcx);
  if (bytes[2] != 1) return Fail(kUnknownEncoding);
  PcxHeader h;
  h.bitsPerPixel = bytes[3];
  h.width = int32_t(ReadLe16(bytes + 8)) - ReadLe16(bytes + 4) + 1;
  h.height = int32_t(ReadLe16(bytes + 10)) - ReadLe16(bytes + 6) + 1;
  h.xDpi = ReadLe16(bytes + 12);
  h.yDpi = ReadLe16(bytes + 14);
  std::memcpy(h.colorMap, bytes + 16, sizeof h.colorMap);
  h.planes = bytes[65];
  h.bytesPerLine = ReadLe16(bytes + 66);
  if (const char* error = CheckHeader(h)) return Fail(error);
  if (info.escape == -1) {
    header.biWidth = h.width;
    header.biHeight = h.height;
    info.type = RASTER_FORMAT_PCX;
    return true;
  }
  // Nothing is allocated for rows the rest of the file could not hold: two
  // bytes give at most 63.
  const uint64_t total = uint64_t(h.bytesPerLine) * uint64_t(h.planes) * uint64_t(h.height);
  const int64_t left = in.BytesLeft();
  const int bpp = h.planes == 3 && h.bitsPerPixel == 8 ? 24 : h.planes > 1 ? 4 : h.bitsPerPixel;
  const bool overLimit = int64_t((int64_t(h.width) * bpp + 31) / 32 * 4) * h.height > RASTER_MAX_MEMORY;
  if (!overLimit && left >= 0 && total > uint64_t(left) / 2 * 63 + uint64_t(left) % 2)
    return Fail(kCorrupted);
  if (!Create(h.width, h.height, bpp, RASTER_FORMAT_PCX)) return false;
  SetXDpi(h.xDpi);
  SetYDpi(h.yDpi);
  if (info.escape != 0) return Fail(kCancelled);
  return ReadRows(&in, h) && ReadPalette(&in, h);
}

// Null when the header describes an image this decoder reads, else the
// text. Bytes per line must hold one plane row of the image.
const char* CRasterPCX::CheckHeader(const PcxHeader& h) const {
  if (h.width <= 0 || h.height <= 0) return kCorrupted;
  if (h.planes > 4) return kTooManyPlanes;
  if (h.planes == 1) {
    if (h.bitsPerPixel != 1 && h.bitsPerPixel != 2 && h.bitsPerPixel != 4 && h.bitsPerPixel != 8)
      return kUnpackFailed;
  } else if (!(h.planes >= 2 && h.bitsPerPixel == 1) && !(h.planes == 3 && h.bitsPerPixel == 8)) {
    return kPlanesFailed;
  }
  if (h.bytesPerLine < (int64_t(h.width) * h.bitsPerPixel + 7) / 8) return kCorrupted;
  return nullptr;
}

bool CRasterPCX::ReadRows(CRasterReadBuffer* in, const PcxHeader& h) {
  const size_t lineBytes = size_t(h.bytesPerLine) * size_t(h.planes);
  uint8_t* line = static_cast<uint8_t*>(std::malloc(lineBytes));
  uint8_t* values = static_cast<uint8_t*>(std::malloc(size_t(h.bytesPerLine) * 8));
  if (!line || !values) {
    std::free(line);
    std::free(values);
    return Fail(kNoMemory);
  }
  CPcxRunReader runs(in, uint64_t(lineBytes) * uint64_t(h.height));
  const char* error = nullptr;
  for (int32_t y = 0; y < h.height && !error; ++y) {
    if (info.escape != 0) {
      error = kCancelled;
      break;
    }
    error = runs.ReadLine(line, lineBytes);
    if (error) break;
    const int32_t row = h.height - 1 - y;
    if (GetBpp() == 24) {
      BYTE* to = GetBits(row);
      const uint8_t* red = line;
      const uint8_t* green = line + h.bytesPerLine;
      const uint8_t* blue = line + 2 * size_t(h.bytesPerLine);
      for (int32_t x = 0; x < h.width; ++x, to += 3) {
        to[0] = blue[x];
        to[1] = green[x];
        to[2] = red[x];
      }
      continue;
    }
    const bool ok = h.planes == 1
                        ? PCX_UnpackPixels(values, line, h.bytesPerLine, h.planes, h.bitsPerPixel)
                        : PCX_PlanesToPixels(values, line, h.bytesPerLine, h.planes, h.bitsPerPixel);
    if (!ok) {
      error = h.planes == 1 ? kUnpackFailed : kPlanesFailed;
      break;
    }
    // Values are cut to the image's depth.
    for (int32_t x = 0; x < h.width; ++x) SetPixelIndexUnchecked(x, row, values[x]);
  }
  std::free(line);
  std::free(values);
  return !error || Fail(error);
}

// The header's 16 colours, replaced by the 256 behind the data of an
// 8-bit file; a 1-bit file is black and white.
bool CRasterPCX::ReadPalette(CRasterReadBuffer* in, const PcxHeader& h) {
  BYTE table[768] = {};
  std::memcpy(table, h.colorMap, sizeof h.colorMap);
  if (h.planes == 1 && h.bitsPerPixel == 8) {
    if (in->GetByte() != kPaletteSignature) return Fail(kBadColorMap);
    if (!in->Read(table, sizeof table)) return Fail(kCorrupted);
  } else if (h.planes == 1 && h.bitsPerPixel == 1) {
    std::memset(table, 0, 3);
    std::memset(table + 3, 255, 3);
  }
  SetPalette(table, GetNumColors());
  return true;
}
