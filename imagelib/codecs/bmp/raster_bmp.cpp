#include "imagelib/codecs/bmp/raster_bmp.h"

#include <cstdlib>
#include <cstring>

#include "imagelib/raster_dib.h"
#include "imagelib/raster_rle.h"

namespace {

const char kNotBmp[] = "Not a BMP";
const char kBadInfo[] = "Error reading BMP info";
const char kBadData[] = "Error reading BMP data";
const char kCancelled[] = "Cancelled";
const char kNoMemory[] = "can't allocate memory";
const char kWriteFailed[] = "Error writing BMP file";

constexpr uint16_t kBmpSignature = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

bool ReadAll(CRasterFile* file, void* buffer, uint64_t bytes) {
  return bytes == 0 || file->Read(buffer, 1, size_t(bytes)) == bytes;
}

// Bytes between the position and the end of the file, -1 when unknown.
int64_t BytesLeft(CRasterFile* file) {
  const int32_t size = file->Size(), pos = file->Tell();
  if (size < 0 || pos < 0) return -1;
  return pos < size ? int64_t(size) - pos : 0;
}

bool SeekTo(CRasterFile* file, int64_t target) {
  const int32_t size = file->Size();
  if (size < 0 || target < 0 || target > size) return false;
  return file->Seek(int32_t(target), 0) && file->Tell() == target;
}

// Bytes that pad the last stored row to 4 bytes; some writers leave them out.
uint64_t LastRowPadding(const DibHeader& h) {
  if (DibPixelBytes(h) == 0) return 0;
  return DibRowBytes(h.iWidth, h.wBitCount) - (uint64_t(uint32_t(h.iWidth)) * h.wBitCount + 7) / 8;
}

void PutInfoHeader(uint8_t* b, const BITMAPINFOHEADER& h) {
  WriteLe32(b, kInfoHeaderSize);
  WriteLe32(b + 4, uint32_t(h.biWidth));
  WriteLe32(b + 8, uint32_t(h.biHeight));
  WriteLe16(b + 12, 1);
  WriteLe16(b + 14, h.biBitCount);
  WriteLe32(b + 16, BI_RGB);
  WriteLe32(b + 20, h.biSizeImage);
  WriteLe32(b + 24, uint32_t(h.biXPelsPerMeter));
  WriteLe32(b + 28, uint32_t(h.biYPelsPerMeter));
  WriteLe32(b + 32, h.biClrUsed);
  WriteLe32(b + 36, h.biClrImportant);
}

}  // namespace

bool CRasterBMP::Fail(const char* text) {
  SetErrorText(text);
  return false;
}

bool CRasterBMP::Decode(CRasterFile* file) {
  if (!file) return false;
  const int32_t start = file->Tell();
  uint8_t fileHeader[kFileHeaderSize];
  if (start < 0 || !ReadAll(file, fileHeader, sizeof fileHeader)) return Fail(kNotBmp);
  uint32_t pixelOffset = ReadLe32(fileHeader + 10);
  if (ReadLe16(fileHeader) != kBmpSignature) {
    // A bare DIB: the info header comes first, the pixels follow the palette.
    pixelOffset = 0;
    if (!SeekTo(file, start)) return Fail(kNotBmp);
  }
  DibHeader h;
  if (!ReadInfoHeader(file, &h)) return false;
  switch (CheckDibHeader(h)) {
    case DIB_VALID:
      break;
    case DIB_BAD_HEADER:
      return Fail(kBadInfo);
    case DIB_BAD_COMPRESSION:
      return Fail(h.wBitCount <= 8 ? "compression type not supported" : "unknown compression");
  }
  if (info.escape == -1) {
    header.biWidth = h.iWidth;
    header.biHeight = DibAbsHeight(h);
    info.type = RASTER_FORMAT_BMP;
    SetErrorText("output dimensions returned");
    return true;
  }
  if (!RasterExceedsMaxMemory(h.iWidth, DibAbsHeight(h), h.wBitCount)) {
    const char* missing = MissingData(file, h, start, pixelOffset);
    if (missing) return Fail(missing);
  }
  if (!Create(h.iWidth, DibAbsHeight(h), h.wBitCount, RASTER_FORMAT_BMP)) return false;
  SetXDpi(DpiFromPelsPerMeter(h.iXPelsPerMeter));
  SetYDpi(DpiFromPelsPerMeter(h.iYPelsPerMeter));
  if (info.escape != 0) return Fail(kCancelled);
  uint32_t masks[3];
  if (!ReadMasks(file, h, masks) || !ReadPalette(file, h)) return false;
  if (info.escape != 0) return Fail(kCancelled);
  if (pixelOffset != 0 && !SeekTo(file, int64_t(start) + pixelOffset)) return Fail(kBadData);
  if (!ReadPixels(file, h, masks)) return false;
  if (IsTopDownDib(h)) Flip();
  return true;
}

bool CRasterBMP::ReadInfoHeader(CRasterFile* file, DibHeader* h) {
  uint8_t bytes[DIB_MAX_HEADER_SIZE];
  if (!ReadAll(file, bytes, 4)) return Fail(kBadInfo);
  const uint32_t size = ReadLe32(bytes);
  if (!IsKnownDibHeaderSize(size) || !ReadAll(file, bytes + 4, size - 4) ||
      !ParseDibHeader(bytes, size, h))
    return Fail(kBadInfo);
  return true;
}

// Checked before the image is allocated, so that a few header bytes cannot
// make the decoder commit memory for rows the file does not hold: null when
// the colour table and the pixels fit in the file, else the error text.
const char* CRasterBMP::MissingData(CRasterFile* file, const DibHeader& h, int32_t start,
                                    uint32_t pixelOffset) {
  const int64_t left = BytesLeft(file);
  const uint64_t table = (DibMasksFollowHeader(h) ? 12 : 0) +
                         DibPaletteEntries(h) * DibPaletteEntrySize(h);
  if (left < 0 || table > uint64_t(left)) return kBadInfo;
  int64_t available = left - int64_t(table);
  if (pixelOffset != 0) {
    const int64_t end = int64_t(file->Tell()) + left;
    available = end > int64_t(start) + pixelOffset ? end - (int64_t(start) + pixelOffset) : 0;
  }
  if (DibPixelBytes(h) == 0) return available > 0 ? nullptr : kBadData;  // run-length data
  return uint64_t(available) >= DibPixelBytes(h) - LastRowPadding(h) ? nullptr : kBadData;
}

bool CRasterBMP::ReadMasks(CRasterFile* file, const DibHeader& h, uint32_t masks[3]) {
  uint8_t following[12];
  const bool read = DibMasksFollowHeader(h);
  if (read && !ReadAll(file, following, sizeof following)) return Fail(kBadInfo);
  GetDibMasks(h, read ? following : nullptr, masks);
  return true;
}

// Reads as many colour-table entries as the image holds and skips the rest;
// a table that cannot fit in the file is an error.
bool CRasterBMP::ReadPalette(CRasterFile* file, const DibHeader& h) {
  const uint64_t entries = DibPaletteEntries(h);
  const uint32_t entrySize = DibPaletteEntrySize(h);
  const int64_t left = BytesLeft(file);
  if (left < 0 || entries * entrySize > uint64_t(left)) return Fail(kBadInfo);
  const uint64_t kept = entries < GetNumColors() ? entries : GetNumColors();
  uint8_t raw[256 * 4];
  if (!ReadAll(file, raw, kept * entrySize)) return Fail(kBadInfo);
  RGBQUAD* palette = GetPalette();
  for (uint64_t i = 0; i < kept; ++i) {
    const uint8_t* e = raw + i * entrySize;
    palette[i] = RgbQuadFromValue(uint32_t(e[0]) | uint32_t(e[1]) << 8 | uint32_t(e[2]) << 16);
  }
  const uint64_t skip = (entries - kept) * entrySize;
  if (skip != 0 && !SeekTo(file, int64_t(file->Tell()) + int64_t(skip))) return Fail(kBadInfo);
  return true;
}

bool CRasterBMP::ReadPixels(CRasterFile* file, const DibHeader& h, const uint32_t masks[3]) {
  if (h.dwCompression == BI_RLE8 || h.dwCompression == BI_RLE4) return ReadRlePixels(file, h);
  if (h.wBitCount == 32) return Read32BitPixels(file, masks);
  // Uncompressed rows have the image's own layout; 16-bit rows are shorter
  // than the 24-bit ones they become and are widened in place. The padding
  // of the last row may be missing from the file.
  const uint64_t bytes = DibPixelBytes(h);
  const size_t got = file->Read(GetBits(0), 1, size_t(bytes));
  if (got < bytes - LastRowPadding(h)) return Fail(kBadData);
  if (h.wBitCount == 16) BitfieldDibToRgb(GetBits(0), masks[0], masks[1], masks[2], 16);
  return true;
}

bool CRasterBMP::ReadRlePixels(CRasterFile* file, const DibHeader& h) {
  const int64_t left = BytesLeft(file);
  if (left <= 0) return Fail(kBadData);
  uint8_t* stream = static_cast<uint8_t*>(std::malloc(size_t(left)));
  if (!stream) return Fail(kNoMemory);
  RleTarget target = {GetBits(0), GetWidth(), GetHeight(), size_t(GetRowBytes()), h.wBitCount};
  // A file may lack the end code or the last padding byte; the rows it does
  // hold are kept.
  const bool ok = ReadAll(file, stream, uint64_t(left)) &&
                  DecodeRle(stream, size_t(left), target, true);
  std::free(stream);
  return ok || Fail(kBadData);
}

// One row at a time: a whole-image buffer of 32-bit pixels would be a third
// larger than the image itself.
bool CRasterBMP::Read32BitPixels(CRasterFile* file, const uint32_t masks[3]) {
  const size_t width = size_t(GetWidth());
  uint8_t* row = static_cast<uint8_t*>(std::malloc(width * 4));
  if (!row) return Fail(kNoMemory);
  bool ok = true;
  for (int32_t y = 0; y < GetHeight() && ok; ++y) {
    ok = ReadAll(file, row, width * 4);
    if (ok) BitfieldRowToRgb(row, GetBits(y), width, masks, 32);
  }
  std::free(row);
  return ok || Fail(kBadData);
}

bool CRasterBMP::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  const uint32_t paletteBytes = GetPaletteSize();
  uint8_t headers[kFileHeaderSize + kInfoHeaderSize] = {};
  WriteLe16(headers, kBmpSignature);
  WriteLe32(headers + 2, GetSize() + kFileHeaderSize);
  WriteLe32(headers + 10, kFileHeaderSize + kInfoHeaderSize + paletteBytes);
  PutInfoHeader(headers + kFileHeaderSize, header);
  // Palette and rows straight from the DIB block, which follow its header.
  const size_t body = size_t(GetSize()) - kInfoHeaderSize;
  if (file->Write(headers, 1, sizeof headers) != sizeof headers ||
      file->Write(GetDib() + kInfoHeaderSize, 1, body) != body || !file->Flush() ||
      file->Error() != 0)
    return Fail(kWriteFailed);
  return true;
}
