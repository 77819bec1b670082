// CRasterJPG: construction and decoding.
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <new>

#include "imagelib/codecs/jpg/jpeg_error_manager.h"
#include "imagelib/codecs/jpg/jpeg_file_manager.h"
#include "imagelib/codecs/jpg/raster_jpg.h"
#include "imagelib/raster_dib.h"

namespace {

// libjpeg's own buffers (the coefficients of a progressive or multi-scan
// file) may take at most this much; beyond it libjpeg fails with "Backing
// store not supported" before it allocates. 2 GiB holds the coefficients of
// the largest image the library accepts. (libjpeg's field is a long, 32 bits
// on Windows.)
constexpr long kLibjpegMemoryLimit = 0x7FFFFFFFL;

// A real file has far fewer scans; a file that repeats one scan thousands of
// times would otherwise keep libjpeg decoding it again and again.
constexpr int kMaxScans = 1000;
const char kTooManyScans[] = "Too many scans in JPEG file";
const char kTooShort[] = "JPEG data too short for its image size";

// Dots per inch as the image takes them: below 1 (or not a number) gives 0,
// which the setters turn into 96; the 16 bits of a density at most.
int32_t DpiValue(double dpi) {
  if (!(dpi >= 1)) return 0;
  return dpi > 65535 ? 65535 : int32_t(dpi);
}

void StopRunawayScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    FailJpeg(cinfo, kTooManyScans);
}

// Adobe CMYK as libjpeg gives it (255 = no ink): blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, BYTE* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = cmyk[3];
    bgr[0] = BYTE(cmyk[2] * k / 255);
    bgr[1] = BYTE(cmyk[1] * k / 255);
    bgr[2] = BYTE(cmyk[0] * k / 255);
  }
}

}  // namespace

// Everything that must survive a libjpeg error: it lives in Decode's frame,
// above the recovery point.
struct CRasterJPG::DecodeJob {
  jpeg_decompress_struct cinfo;
  JpegErrorManager errors;
  jpeg_progress_mgr progress;
  CJpegFileManager* manager;
  bool hasExif;
};

CRasterJPG::CRasterJPG() : CRasterCodec(RASTER_FORMAT_JPG), mDitherMode(JDITHER_FS) {
  std::memset(&info.exif, 0, sizeof info.exif);
}

CRasterJPG::~CRasterJPG() = default;

bool CRasterJPG::ReadExif(CRasterFile* file) {
  std::memset(&info.exif, 0, sizeof info.exif);
  mExif.reset(new (std::nothrow) CExifReader(&info.exif));
  const int32_t start = file->Tell();
  if (!mExif || start < 0) return false;
  mExif->ScanSections(file, EXIF_READ_EXIF);
  file->Seek(start, 0);
  return info.exif.bIsExif;
}

bool CRasterJPG::Decode(CRasterFile* file) {
  if (!file) return false;
  CJpegFileManager manager(file);
  DecodeJob job{};
  job.hasExif = ReadExif(file);
  job.manager = &manager;
  job.cinfo.err = InitJpegErrorManager(&job.errors, info.lastError);
  const bool ok = ReadJpeg(&job);
  // Safe at any stage: libjpeg frees only what its memory manager holds.
  jpeg_destroy_decompress(&job.cinfo);
  return ok;
}

bool CRasterJPG::ReadJpeg(DecodeJob* job) {
  j_decompress_ptr cinfo = &job->cinfo;
  if (setjmp(job->errors.jump)) return false;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kLibjpegMemoryLimit;
  cinfo->src = job->manager->Source();
  job->progress.progress_monitor = StopRunawayScans;
  cinfo->progress = &job->progress;
  jpeg_read_header(cinfo, TRUE);
  ApplyDecodeOptions(cinfo);
  jpeg_calc_output_dimensions(cinfo);
  if (info.escape == -1) {
    header.biWidth = int32_t(cinfo->output_width);
    header.biHeight = int32_t(cinfo->output_height);
    info.type = RASTER_FORMAT_JPG;
    return true;
  }
  if (info.escape != 0 || !CheckOutputSize(cinfo, job->manager)) return false;
  jpeg_start_decompress(cinfo);
  if (!Create(int32_t(cinfo->output_width), int32_t(cinfo->output_height),
              8 * cinfo->output_components, RASTER_FORMAT_JPG))
    return false;
  SetResolution(cinfo, job->hasExif);
  SetOutputPalette(cinfo);
  if (!ReadRows(cinfo)) return false;
  jpeg_finish_decompress(cinfo);
  return true;
}

void CRasterJPG::ApplyDecodeOptions(j_decompress_ptr cinfo) {
  const uint32_t option = GetCodecOption(RASTER_FORMAT_JPG);
  if (option & 0x80) cinfo->out_color_space = JCS_GRAYSCALE;
  // CMYK has no colour map to quantize into: the bit is ignored there.
  if ((option & 0x100) && cinfo->out_color_space != JCS_CMYK) {
    cinfo->quantize_colors = TRUE;
    cinfo->desired_number_of_colors = GetJpegQuality();
  }
  if (option & 0x200) cinfo->dither_mode = J_DITHER_MODE(mDitherMode);
  if (option & 0x400) cinfo->two_pass_quantize = FALSE;
  if (option & 0x800) cinfo->do_fancy_upsampling = FALSE;
  // libjpeg would take a denominator of 0 for a 2x enlargement.
  cinfo->scale_num = 1;
  cinfo->scale_denom = info.jpegScale ? info.jpegScale : 1;
  // Colour rows go straight into the image in its blue-green-red order.
  if (cinfo->out_color_space == JCS_RGB && !cinfo->quantize_colors)
    cinfo->out_color_space = JCS_EXT_BGR;
}

// Nothing is allocated for the image before its size is known to fit: the
// rows within the library's limit, and the frame within what the rest of
// the stream could describe. Huffman coding spends at least one bit on each
// 8x8 block of a component; a file that declares more blocks than its bytes
// could hold is a header without its image. (Arithmetic coding can describe
// a flat image of any size in a few bytes: there only the limits hold.)
bool CRasterJPG::CheckOutputSize(j_decompress_ptr cinfo, CJpegFileManager* manager) {
  const uint32_t bpp = cinfo->output_components == 1 ? 8 : 24;
  if (DibRowBytes(int32_t(cinfo->output_width), bpp) * cinfo->output_height >
      uint64_t(RASTER_MAX_MEMORY)) {
    SetErrorText("RASTER_MAX_MEMORY exceeded");
    return false;
  }
  if (cinfo->arith_code) return true;
  uint64_t fewestBlocks = UINT64_MAX;
  for (int c = 0; c < cinfo->num_components; ++c) {
    const jpeg_component_info& component = cinfo->comp_info[c];
    const uint64_t blocks = uint64_t(component.width_in_blocks) * component.height_in_blocks;
    if (blocks < fewestBlocks) fewestBlocks = blocks;
  }
  const int64_t left = manager->BytesLeft();
  if (left >= 0 && uint64_t(left) * 8 < fewestBlocks) {
    SetErrorText(kTooShort);
    return false;
  }
  return true;
}

// Exif's resolution where it has a usable one, per axis; else JFIF's.
void CRasterJPG::SetResolution(j_decompress_ptr cinfo, bool hasExif) {
  const ExifInfo& exif = info.exif;
  // Without a resolution unit Exif means inches.
  const double unit = exif.fResolutionUnit != 0 ? exif.fResolutionUnit : 1.0;
  const int32_t x = hasExif ? DpiValue(exif.fXResolution / unit) : 0;
  const int32_t y = hasExif ? DpiValue(exif.fYResolution / unit) : 0;
  if (x)
    SetXDpi(x);
  else
    SetJfifResolution(cinfo, true);
  if (y)
    SetYDpi(y);
  else
    SetJfifResolution(cinfo, false);
}

void CRasterJPG::SetJfifResolution(j_decompress_ptr cinfo, bool horizontal) {
  const double density = horizontal ? cinfo->X_density : cinfo->Y_density;
  switch (cinfo->density_unit) {
    case 0:
      // Only the shape of a pixel: the vertical resolution follows the
      // horizontal one in that ratio.
      if (!horizontal && cinfo->X_density > 0 && cinfo->Y_density > 0)
        SetYDpi(DpiValue(GetXDpi() * (double(cinfo->Y_density) / cinfo->X_density)));
      break;
    case 2: {  // dots per centimetre
      const int32_t dpi = DpiValue(std::floor(density * 2.54 + 0.5));
      horizontal ? SetXDpi(dpi) : SetYDpi(dpi);
      break;
    }
    default:
      horizontal ? SetXDpi(DpiValue(density)) : SetYDpi(DpiValue(density));
      break;
  }
}

void CRasterJPG::SetOutputPalette(j_decompress_ptr cinfo) {
  if (cinfo->quantize_colors) {
    const int count = cinfo->actual_number_of_colors;
    JSAMPARRAY map = cinfo->colormap;
    // A grey colour map has a single row, for red, green and blue alike.
    const bool single = cinfo->out_color_components == 1;
    SetPalette(DWORD(count), map[0], single ? map[0] : map[1], single ? map[0] : map[2]);
    SetClrImportant(DWORD(count));
  } else if (cinfo->out_color_space == JCS_GRAYSCALE) {
    SetGrayPalette();
    SetClrImportant(256);
  }
}

bool CRasterJPG::ReadRows(j_decompress_ptr cinfo) {
  const int32_t height = GetHeight();
  // CMYK needs a row of its own to convert from; everything else (colour in
  // blue-green-red order, grey, indices) is written into the image directly.
  JSAMPROW cmyk = nullptr;
  if (cinfo->output_components == 4)
    cmyk = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                       cinfo->output_width * 4, 1)[0];
  while (cinfo->output_scanline < cinfo->output_height) {
    if (info.escape != 0) return false;
    BYTE* row = GetBits(height - 1 - int32_t(cinfo->output_scanline));
    JSAMPROW target = cmyk ? cmyk : row;
    if (jpeg_read_scanlines(cinfo, &target, 1) != 1) return false;
    info.progress = int32_t(int64_t(cinfo->output_scanline) * 100 / height);
    if (cmyk) CmykToBgr(cmyk, row, cinfo->output_width);
  }
  return true;
}
