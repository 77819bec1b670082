// CRasterJPG: encoding.
#include <csetjmp>

#include "imagelib/codecs/jpg/jpeg_error_manager.h"
#include "imagelib/codecs/jpg/jpeg_file_manager.h"
#include "imagelib/codecs/jpg/raster_jpg.h"

namespace {

const char kOnlyRgbOrGrey[] = "JPEG can save only RGB or GreyScale images";

uint16_t Density(int32_t dpi) { return uint16_t(dpi < 1 ? 1 : dpi > 65535 ? 65535 : dpi); }

}  // namespace

struct CRasterJPG::EncodeJob {
  jpeg_compress_struct cinfo;
  JpegErrorManager errors;
  CJpegFileManager* manager;
};

bool CRasterJPG::Encode(CRasterFile* file) {
  if (EncodeSafeCheck(file)) return false;
  // Only 8-bit grey ramps go out as one component: 1- and 4-bit rows are
  // packed, shorter than the width libjpeg reads from them.
  const bool grey = IsIndexed() && GetBpp() == 8 && IsGrayScale();
  if (IsIndexed() && !grey) {
    SetErrorText(kOnlyRgbOrGrey);
    return false;
  }
  CJpegFileManager manager(file);
  EncodeJob job{};
  job.manager = &manager;
  job.cinfo.err = InitJpegErrorManager(&job.errors, info.lastError);
  const bool ok = WriteJpeg(&job, grey);
  jpeg_destroy_compress(&job.cinfo);
  return ok;
}

// The image is a ghost of the caller's: its rows go to libjpeg as they are
// (blue-green-red, or grey), read and never written.
bool CRasterJPG::WriteJpeg(EncodeJob* job, bool grey) {
  j_compress_ptr cinfo = &job->cinfo;
  if (setjmp(job->errors.jump)) return false;
  jpeg_create_compress(cinfo);
  cinfo->dest = job->manager->Destination();
  cinfo->image_width = JDIMENSION(GetWidth());
  cinfo->image_height = JDIMENSION(GetHeight());
  cinfo->input_components = grey ? 1 : 3;
  cinfo->in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  const uint32_t option = GetCodecOption(RASTER_FORMAT_JPG);
  if (option & 0x2) cinfo->arith_code = TRUE;
  if (option & 0x4) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
  if (option & 0x8) cinfo->optimize_coding = TRUE;
  if (option & 0x40) cinfo->smoothing_factor = mSmoothingFactor;
  jpeg_set_quality(cinfo, GetJpegQuality(), (option & 0x1) ? TRUE : FALSE);
  if (option & 0x10) jpeg_simple_progression(cinfo);
  // 4:2:0 unless asked for 4:2:2 (0x1000) or no subsampling (0x2000). The
  // component table has room for all three even when one is used.
  cinfo->comp_info[0].h_samp_factor = (option & 0x2000) ? 1 : 2;
  cinfo->comp_info[0].v_samp_factor = (option & 0x3000) ? 1 : 2;
  for (int c = 1; c < 3; ++c) cinfo->comp_info[c].h_samp_factor = cinfo->comp_info[c].v_samp_factor = 1;
  cinfo->density_unit = 1;
  cinfo->X_density = Density(GetXDpi());
  cinfo->Y_density = Density(GetYDpi());
  jpeg_start_compress(cinfo, TRUE);
  const int32_t height = GetHeight();
  while (cinfo->next_scanline < cinfo->image_height) {
    info.progress = int32_t(int64_t(cinfo->next_scanline) * 100 / height);
    JSAMPROW row = GetBits(height - 1 - int32_t(cinfo->next_scanline));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}
