#include "imagelib/codecs/png/raster_png.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imagelib/raster_dib.h"

namespace {

const char kCreateFailed[] = "Failed to create PNG structure";
const char kInfoFailed[] = "Failed to initialize PNG info structure";
const char kUnknownColorType[] = "unknown PNG color type";
const char kSaveFailed[] = "Error saving PNG file";
const char kNoMemory[] = "Out of memory";
const char kTooShort[] = "Error reading PNG file";
constexpr uint64_t kMaxInflateRatio = 1032;

void ReadData(png_structp png, png_bytep data, size_t length) {
  CRasterFile* file = static_cast<CRasterFile*>(png_get_io_ptr(png));
  if (!file || file->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void WriteData(png_structp png, png_bytep data, size_t length) {
  CRasterFile* file = static_cast<CRasterFile*>(png_get_io_ptr(png));
  if (!file || file->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void FlushData(png_structp png) {
  CRasterFile* file = static_cast<CRasterFile*>(png_get_io_ptr(png));
  if (!file || !file->Flush()) png_error(png, "Flush Error");
}

// Reading keeps libpng's message as the image's text (the error pointer is
// the 256-byte text buffer), then unwinds to the decoder's recovery point.
void OnReadError(png_structp png, png_const_charp message) {
  char* text = static_cast<char*>(png_get_error_ptr(png));
  if (text) std::snprintf(text, 256, "%s", message ? message : "");
  png_longjmp(png, 1);
}

// Writing reports every failure with one text, set by Encode.
void OnWriteError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

int Square(int v) { return v * v; }

// Sizes up to PNG's own limit of 2^31 - 1 a side: libpng's default of a
// million pixels would refuse images the library holds. The image's size
// is governed by the library's 2^30 rule, and so is the largest ancillary
// chunk libpng will hold.
void SetLimits(png_structp png) {
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_chunk_malloc_max(png, png_alloc_size_t(RASTER_MAX_MEMORY));
}

int ZlibLevel(uint32_t option) {
  switch (option & 0xE) {
    case 2: return 0;
    case 4: return 1;
    case 6: return 9;
    default: return Z_DEFAULT_COMPRESSION;
  }
}

// 16-bit samples arrive big-endian: the first byte of each is the high one.
void PackHighBytes(png_bytep row, size_t samples) {
  for (size_t i = 0; i < samples; ++i) row[i] = row[2 * i];
}

// The reverse, so that a later interlace pass refines the earlier ones.
void SpreadToHighBytes(png_bytep row, size_t samples) {
  for (size_t i = samples; i-- > 0;) row[2 * i] = row[i];
}

// 2-bit pixels become 4-bit pixels of the same value.
void Widen2To4(const png_byte* src, BYTE* dst, size_t width) {
  for (size_t x = 0; x < width; x += 2) {
    const unsigned hi = (src[x / 4] >> (6 - 2 * (x % 4))) & 3;
    const unsigned lo = x + 1 < width ? (src[(x + 1) / 4] >> (6 - 2 * ((x + 1) % 4))) & 3 : 0;
    dst[x / 2] = BYTE(hi << 4 | lo);
  }
}

int PixelIndex(const BYTE* row, size_t x, int bpp) {
  switch (bpp) {
    case 8: return row[x];
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default: return (row[x / 8] >> (7 - x % 8)) & 1;
  }
}

// Applies an index mapping to every pixel field of one byte.
BYTE RemapByte(BYTE value, const BYTE* remap, int bpp) {
  if (bpp == 8) return remap[value];
  const unsigned mask = (1u << bpp) - 1;
  unsigned result = 0;
  for (int shift = 0; shift < 8; shift += bpp)
    result |= unsigned(remap[(value >> shift) & mask] & mask) << shift;
  return BYTE(result);
}

}  // namespace

struct CRasterPNG::PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  CRasterFile* file = nullptr;
  png_bytep row = nullptr;  // freed by Decode or Encode on every path
  int bitDepth = 0;
  int colorType = 0;
  int channels = 0;
  bool swapped = false;     // file entry 0 and the background entry trade places
  BYTE remap[256] = {};     // file index -> image index, and back
  png_color palette[256] = {};
  png_byte alpha[256] = {};
};

bool CRasterPNG::Decode(CRasterFile* file) {
  if (!file) return false;
  PngJob job;
  job.file = file;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!job.png) {
    SetErrorText(kCreateFailed);
    return false;
  }
  job.info = png_create_info_struct(job.png);
  if (!job.info) {
    png_destroy_read_struct(&job.png, nullptr, nullptr);
    SetErrorText(kInfoFailed);
    return false;
  }
  const bool ok = ReadImage(&job);
  std::free(job.row);
  png_destroy_read_struct(&job.png, &job.info, nullptr);
  return ok;
}

// Everything that must survive a libpng error lives in *job, outside this
// frame; after the jump nothing here is read again.
bool CRasterPNG::ReadImage(PngJob* job) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  png_set_read_fn(job->png, job->file, ReadData);
  png_set_error_fn(job->png, info.lastError, OnReadError, nullptr);
  SetLimits(job->png);
  png_read_info(job->png, job->info);
  if (info.escape == -1) {
    header.biWidth = int32_t(png_get_image_width(job->png, job->info));
    header.biHeight = int32_t(png_get_image_height(job->png, job->info));
    info.type = RASTER_FORMAT_PNG;
    return true;
  }
  if (!CreateForPng(job)) return false;
  ReadPalette(job);
  ReadTransparency(job);
  if (job->channels == 2 || job->channels == 4) png_set_strip_alpha(job->png);
  if (job->colorType & PNG_COLOR_MASK_COLOR) png_set_bgr(job->png);
  if (info.escape != 0 || !ReadRows(job)) return false;
  png_read_end(job->png, nullptr);
  return true;
}

bool CRasterPNG::CreateForPng(PngJob* job) {
  png_structp png = job->png;
  job->bitDepth = png_get_bit_depth(png, job->info);
  job->colorType = png_get_color_type(png, job->info);
  switch (job->colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE: job->channels = 1; break;
    case PNG_COLOR_TYPE_RGB: job->channels = 3; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: job->channels = 2; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: job->channels = 4; break;
    default:
      SetErrorText(kUnknownColorType);
      return false;
  }
  const int bpp = job->channels >= 3 ? 24
                  : (job->channels == 2 || job->bitDepth > 8) ? 8
                                                                : job->bitDepth;
  const int32_t width = int32_t(png_get_image_width(png, job->info));
  const int32_t height = int32_t(png_get_image_height(png, job->info));
  if (!RasterExceedsMaxMemory(width, height, bpp) && !StreamCanFill(job)) {
    SetErrorText(kTooShort);
    return false;
  }
  if (!Create(width, height, bpp, RASTER_FORMAT_PNG)) return false;
  png_uint_32 xRes = 0, yRes = 0;
  int unit = PNG_RESOLUTION_UNKNOWN;
  // Without a unit pHYs only gives the ratio of the pixel sides: 96 DPI stays.
  if (png_get_pHYs(png, job->info, &xRes, &yRes, &unit) && unit == PNG_RESOLUTION_METER) {
    SetXDpi(DpiFromPelsPerMeter(int32_t(xRes & 0x7FFFFFFF)));
    SetYDpi(DpiFromPelsPerMeter(int32_t(yRes & 0x7FFFFFFF)));
  }
  return true;
}

// Deflate turns n bytes into at most about 1032 x n. When the stream's size
// is known, a header whose pixels need more raw data than the rest of the
// stream could ever inflate to is refused before anything is allocated: a
// few hundred bytes must not commit a gigabyte.
bool CRasterPNG::StreamCanFill(PngJob* job) {
  const int32_t size = job->file->Size(), pos = job->file->Tell();
  if (size < 0 || pos < 0) return true;
  const uint64_t left = size > pos ? uint64_t(size - pos) : 0;
  const uint64_t bits = uint64_t(png_get_image_width(job->png, job->info)) *
                        png_get_image_height(job->png, job->info) *
                        png_get_bit_depth(job->png, job->info) * uint64_t(job->channels);
  return bits / 8 <= kMaxInflateRatio * left;
}

void CRasterPNG::ReadPalette(PngJob* job) {
  if (!IsIndexed()) return;
  RGBQUAD* palette = GetPalette();
  png_colorp entries = nullptr;
  int count = 0;
  if (png_get_PLTE(job->png, job->info, &entries, &count) && count > 0) {
    const int kept = count < int(GetNumColors()) ? count : int(GetNumColors());
    for (int i = 0; i < kept; ++i)
      palette[i] = RgbQuadFromValue(uint32_t(entries[i].blue) | uint32_t(entries[i].green) << 8 |
                                    uint32_t(entries[i].red) << 16);
    SetClrImportant(DWORD(count));
  } else if (job->bitDepth == 2) {
    for (int i = 0; i < 4; ++i) palette[i] = RgbQuadFromValue(uint32_t(i * 85) * 0x010101u);
  } else {
    SetGrayPalette();
  }
}

void CRasterPNG::ReadTransparency(PngJob* job) {
  png_bytep alphas = nullptr;
  int count = 0;
  png_color_16p color = nullptr;
  if (!png_get_tRNS(job->png, job->info, &alphas, &count, &color)) return;
  const int shift = job->bitDepth > 8 ? 8 : 0;
  const bool palette = job->colorType == PNG_COLOR_TYPE_PALETTE;
  if (count == 1 && !palette) {
    SetBkgndIndex(color ? color->gray >> shift : 0);
  } else if (count == 1 && alphas && alphas[0] == 0) {
    SetBkgndIndex(0);  // entry 0 fully transparent: the background entry
  } else if (count == 1 && alphas && alphas[0] == 255) {
    // An opaque entry 0: nothing is transparent.
  } else if (count >= 1 && palette && alphas && IsIndexed()) {
    RGBQUAD* entries = GetPalette();
    for (DWORD i = 0; i < GetNumColors(); ++i)
      entries[i].rgbReserved = int(i) < count ? alphas[i] : 255;
    info.paletteAlpha = 1;
  }
  if (job->channels == 3 && color) {
    SetBkgndColor(RgbQuadFromValue(uint32_t(color->blue >> shift) |
                                   uint32_t(color->green >> shift) << 8 |
                                   uint32_t(color->red >> shift) << 16));
    SetBkgndIndex(0);
  }
}

bool CRasterPNG::ReadRows(PngJob* job) {
  png_structp png = job->png;
  job->row = static_cast<png_bytep>(std::malloc(png_get_rowbytes(png, job->info) + 8));
  if (!job->row) {
    SetErrorText(kNoMemory);
    return false;
  }
  const int passes = png_set_interlace_handling(png);
  const uint32_t option = GetCodecOption(RASTER_FORMAT_PNG);
  SetCodecOption(passes > 1 ? option | 1u : option & ~1u, RASTER_FORMAT_PNG);
  const size_t width = size_t(GetWidth());
  const int32_t height = GetHeight();
  const bool wide = job->bitDepth > 8;
  const size_t samples = width * (job->channels >= 3 ? 3 : 1);
  const size_t keptBytes = wide ? samples : (samples * size_t(job->bitDepth) + 7) / 8;
  // Never more than either side holds: 2-bit rows are half an image row.
  const size_t copyBytes = keptBytes < size_t(GetRowBytes()) ? keptBytes : size_t(GetRowBytes());
  CRasterRowIterator rows(this);
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t k = 0; k < height; ++k) {
      BYTE* imageRow = rows.SetRow(height - 1 - k);
      if (info.escape != 0 || !imageRow) return false;
      if (pass > 0) {
        std::memcpy(job->row, imageRow, copyBytes);
        if (wide) SpreadToHighBytes(job->row, samples);
      }
      png_read_row(png, job->row, nullptr);
      if (wide) PackHighBytes(job->row, samples);
      if (job->bitDepth == 2 && pass == passes - 1)
        Widen2To4(job->row, imageRow, width);
      else
        std::memcpy(imageRow, job->row, copyBytes);
    }
  }
  return true;
}

bool CRasterPNG::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  PngJob job;
  job.file = file;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!job.png) {
    SetErrorText(kCreateFailed);
    return false;
  }
  job.info = png_create_info_struct(job.png);
  if (!job.info) {
    png_destroy_write_struct(&job.png, nullptr);
    SetErrorText(kInfoFailed);
    return false;
  }
  const bool ok = WriteImage(&job);
  std::free(job.row);
  png_destroy_write_struct(&job.png, &job.info);
  if (!ok) SetErrorText(kSaveFailed);
  return ok;
}

// The image is a ghost of the caller's: nothing here writes to it. A
// background entry moves to entry 0 only in the copies written to the file.
bool CRasterPNG::WriteImage(PngJob* job) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  png_structp png = job->png;
  png_set_write_fn(png, job->file, WriteData, FlushData);
  png_set_error_fn(png, nullptr, OnWriteError, nullptr);
  SetLimits(png);
  const uint32_t option = GetCodecOption(RASTER_FORMAT_PNG);
  job->channels = GetBpp() > 8 ? 3 : 1;
  job->bitDepth = GetBpp() / job->channels;
  job->colorType = !IsIndexed() ? PNG_COLOR_TYPE_RGB
                   : WritesAsGrey()  ? PNG_COLOR_TYPE_GRAY
                                     : PNG_COLOR_TYPE_PALETTE;
  png_set_compression_level(png, ZlibLevel(option));
  png_set_IHDR(png, job->info, png_uint_32(GetWidth()), png_uint_32(GetHeight()), job->bitDepth,
               job->colorType, (option & 1) ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(png, job->info, png_uint_32(header.biXPelsPerMeter),
               png_uint_32(header.biYPelsPerMeter), PNG_RESOLUTION_METER);
  for (int i = 0; i < 256; ++i) job->remap[i] = BYTE(i);
  if (job->colorType == PNG_COLOR_TYPE_PALETTE) {
    WritePalette(job);
  } else {
    WriteGreyOrRgbTransparency(job);
  }
  png_write_info(png, job->info);
  if (!WriteRows(job)) return false;
  png_write_end(png, job->info);
  return job->file->Flush() && job->file->Error() == 0;
}

// Grey only when every entry is where the grey ramp of the depth puts it
// (0 and 255 at 1 bit, steps of 17 at 4 bits, the identity at 8 bits), so
// that a grey decoder shows the same colours; and only without alpha per
// entry, which the grey form cannot carry.
bool CRasterPNG::WritesAsGrey() const {
  const RGBQUAD* palette = GetPalette();
  const DWORD entries = GetNumColors();
  if (!palette || entries < 2 || PaletteHasAlpha()) return false;
  for (DWORD i = 0; i < entries; ++i) {
    const DWORD level = i * 255 / (entries - 1);
    if (palette[i].rgbRed != level || palette[i].rgbGreen != level || palette[i].rgbBlue != level)
      return false;
  }
  return true;
}

bool CRasterPNG::PaletteHasAlpha() const {
  const RGBQUAD* palette = GetPalette();
  if (!info.paletteAlpha || !palette) return false;
  for (DWORD i = 0; i < GetNumColors(); ++i)
    if (palette[i].rgbReserved != 255) return true;
  return false;
}

// Grey and RGB images: the background index is the one transparent grey
// level or colour; bKGD is the background, or white.
void CRasterPNG::WriteGreyOrRgbTransparency(PngJob* job) {
  const bool grey = job->colorType == PNG_COLOR_TYPE_GRAY;
  png_color_16 background = {};
  if (HasBkgndIndex() && (!grey || DWORD(GetBkgndIndex()) < GetNumColors())) {
    const RGBQUAD c = GetBkgndColor();
    background.red = c.rgbRed;
    background.green = c.rgbGreen;
    background.blue = c.rgbBlue;
    background.gray = png_uint_16(GetBkgndIndex());
    png_set_tRNS(job->png, job->info, nullptr, 1, &background);
  } else {
    background.red = background.green = background.blue = 255;
    background.gray = png_uint_16((1u << job->bitDepth) - 1);
  }
  if (!grey) background.gray = 0;
  png_set_bKGD(job->png, job->info, &background);
}

// PLTE, tRNS and bKGD from copies, in file order. Enough entries for the
// important count and for every index the pixels use. tRNS merges the
// palette's alpha with the transparent background entry (file entry 0) and
// ends at the last entry that is not opaque.
void CRasterPNG::WritePalette(PngJob* job) {
  const RGBQUAD* palette = static_cast<const CRaster*>(this)->GetPalette();
  const bool background = HasBkgndIndex() && DWORD(GetBkgndIndex()) < GetNumColors();
  if (background && GetBkgndIndex() > 0) {
    job->remap[0] = BYTE(GetBkgndIndex());
    job->remap[GetBkgndIndex()] = 0;
    job->swapped = true;
  }
  const DWORD count = PaletteEntriesToWrite(job);
  const bool alpha = PaletteHasAlpha();
  int lastTranslucent = -1;
  int white = 0;
  int whiteDistance = INT32_MAX;
  for (DWORD j = 0; j < count; ++j) {
    const RGBQUAD& entry = palette[job->remap[j]];
    job->palette[j].red = entry.rgbRed;
    job->palette[j].green = entry.rgbGreen;
    job->palette[j].blue = entry.rgbBlue;
    job->alpha[j] = alpha ? entry.rgbReserved : 255;
    if (background && j == 0) job->alpha[j] = 0;
    if (job->alpha[j] != 255) lastTranslucent = int(j);
    const int distance = Square(255 - entry.rgbRed) + Square(255 - entry.rgbGreen) +
                         Square(255 - entry.rgbBlue);
    if (distance < whiteDistance) {
      whiteDistance = distance;
      white = int(j);
    }
  }
  png_set_PLTE(job->png, job->info, job->palette, int(count));
  if (lastTranslucent >= 0)
    png_set_tRNS(job->png, job->info, job->alpha, lastTranslucent + 1, nullptr);
  png_color_16 bkgd = {};
  bkgd.index = png_byte(background ? 0 : white);
  bkgd.red = job->palette[bkgd.index].red;
  bkgd.green = job->palette[bkgd.index].green;
  bkgd.blue = job->palette[bkgd.index].blue;
  png_set_bKGD(job->png, job->info, &bkgd);
}

DWORD CRasterPNG::PaletteEntriesToWrite(PngJob* job) const {
  const int bpp = GetBpp();
  const size_t width = size_t(GetWidth());
  DWORD count = GetClrImportant() ? GetClrImportant() : GetNumColors();
  DWORD highest = 0;
  for (int32_t y = 0; y < GetHeight() && highest + 1 < GetNumColors(); ++y) {
    const BYTE* row = GetBits(y);
    for (size_t x = 0; x < width; ++x) {
      const DWORD index = job->remap[PixelIndex(row, x, bpp)];
      if (index > highest) highest = index;
    }
  }
  if (highest + 1 > count) count = highest + 1;
  return count > GetNumColors() ? GetNumColors() : count;
}

bool CRasterPNG::WriteRows(PngJob* job) {
  const size_t width = size_t(GetWidth()), rowBytes = size_t(GetRowBytes());
  const size_t packed = size_t(job->bitDepth / 8) * size_t(job->channels) * width;
  job->row = static_cast<png_bytep>(std::malloc(packed > rowBytes ? packed : rowBytes));
  if (!job->row) return false;
  BYTE lookup[256] = {};
  if (job->swapped)
    for (int b = 0; b < 256; ++b) lookup[b] = RemapByte(BYTE(b), job->remap, GetBpp());
  const int passes = png_set_interlace_handling(job->png);
  const int32_t height = GetHeight();
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t k = 0; k < height; ++k) {
      std::memcpy(job->row, GetBits(height - 1 - k), rowBytes);
      if (job->colorType == PNG_COLOR_TYPE_RGB) {
        for (size_t x = 0; x < width; ++x) {
          const BYTE blue = job->row[3 * x];
          job->row[3 * x] = job->row[3 * x + 2];
          job->row[3 * x + 2] = blue;
        }
      } else if (job->swapped) {
        for (size_t i = 0; i < rowBytes; ++i) job->row[i] = lookup[job->row[i]];
      }
      png_write_row(job->png, job->row);
    }
  }
  return true;
}
