#include "app/operations/image_save.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/operations/operation_rules.h"
#include "app/profiles/program_records.h"
#include "imagelib/raster_file_replace.h"
#include "imagelib/raster_mem_file.h"

namespace {

constexpr OperationError kSaveFailed = OperationCode(OpSave, ErrFunctionFailed);
constexpr OperationError kConvertFailed = OperationCode(OpConvert, ErrFunctionFailed);

uint32_t PngOption(const ProfileRecord& p) {
  static const uint32_t kLevels[4] = {8, 2, 4, 6};
  const uint32_t level = p.iPNGCompression < 4 ? kLevels[p.iPNGCompression] : kLevels[0];
  return level + (p.iPNGInterlace ? 1 : 0);
}

uint32_t JpegOption(const ProfileRecord& p) {
  switch (p.iJPGMode) {
    case 1: return 0x2010;
    case 2: return 0x2008;
    default: return 0x2001;
  }
}

bool ReduceForGif(CImage* image, const ProfileRecord& p) {
  RGBQUAD* palette = p.iGIFWinPal ? nullptr : image->CreateOptimalPalette(256);
  if (!p.iGIFWinPal && !palette) return false;  // never a black image
  const bool done = image->DecreaseBpp(8, p.iGIFDither != 0, palette);
  free(palette);
  return done;
}

// One candidate encoded into memory; its bytes belong to the holder.
struct Encoded {
  unsigned char* bytes = nullptr;
  size_t size = 0;
  ~Encoded() { free(bytes); }
};

bool EncodeToMemory(CImage* image, int32_t type, Encoded* out) {
  CRasterMemFile file;
  if (!file.Open()) return false;
  if (!image->Encode(&file, type)) return false;
  const int32_t size = file.Size();
  if (size <= 0) return false;
  out->size = size_t(size);
  out->bytes = file.GetBuffer(true);
  return out->bytes != nullptr;
}

OperationError SaveOptimized(CImage* image, const ProfileRecord& profile, const char* path,
                             char* finalPath, size_t finalSize) {
  char jpgPath[kMaxPathChars + 1];
  char pngPath[kMaxPathChars + 1];
  if (!ReplacePathExtension(path, "jpg", jpgPath, sizeof(jpgPath)) ||
      !ReplacePathExtension(path, "png", pngPath, sizeof(pngPath)))
    return kSaveFailed;
  // Both candidates stay in memory: only the one kept ever reaches the
  // disk, so neither an existing "x.jpg" nor "x.png" is touched for the
  // other.
  Encoded jpg, png;
  const OperationError prepared = PrepareForSave(image, profile, RASTER_FORMAT_JPG);
  if (prepared) return prepared;
  if (!EncodeToMemory(image, RASTER_FORMAT_JPG, &jpg)) return kSaveFailed;
  if (PrepareForSave(image, profile, RASTER_FORMAT_PNG)) return kConvertFailed;
  if (!EncodeToMemory(image, RASTER_FORMAT_PNG, &png)) return kSaveFailed;
  const bool keepPng = KeepPngCandidate(png.size, jpg.size);
  const Encoded& winner = keepPng ? png : jpg;
  const char* target = keepPng ? pngPath : jpgPath;
  if (image->GetEscape() > 0 || !WriteFileReplacing(target, winner.bytes, winner.size))
    return kSaveFailed;
  snprintf(finalPath, finalSize, "%s", target);
  return 0;
}

}  // namespace

OperationError PrepareForSave(CImage* image, const ProfileRecord& p, int32_t type) {
  switch (type) {
    case RASTER_FORMAT_GIF:
      image->SetCodecOption(p.iGIFLzw != 1 ? 1 : 0, RASTER_FORMAT_GIF);
      if (image->GetBpp() == 24 && p.iGIFReduce24 && !ReduceForGif(image, p)) return kConvertFailed;
      break;
    case RASTER_FORMAT_JPG:
      if (!image->IsGrayScale() && image->GetBpp() != 24 && !image->IncreaseBpp(24))
        return kConvertFailed;
      image->SetCodecOption(JpegOption(p), RASTER_FORMAT_JPG);
      image->SetJpegQuality(p.iJPGQuality);
      break;
    case RASTER_FORMAT_PNG:
      image->SetCodecOption(PngOption(p), RASTER_FORMAT_PNG);
      break;
    case RASTER_FORMAT_TIF:
      image->SetCodecOption(p.iTIFComp == 0 ? 1 : 0, RASTER_FORMAT_TIF);
      break;
    default:
      break;
  }
  return 0;
}

OperationError SaveImageTo(CImage* image, const ProfileRecord& profile, const char* path,
                           char* finalPath, size_t finalSize) {
  if (!path || strlen(path) > size_t(kMaxPathChars)) return kSaveFailed;
  if (GetExtensionIndex(path) == 5) return SaveOptimized(image, profile, path, finalPath, finalSize);
  const int32_t type = ImageTypeOfPath(path, RASTER_FORMAT_BMP);
  const OperationError prepared = PrepareForSave(image, profile, type);
  if (prepared) return prepared;
  if (!image->Save(path, type)) return kSaveFailed;
  snprintf(finalPath, finalSize, "%s", path);
  return 0;
}

bool WriteFileReplacing(const char* path, const void* bytes, size_t size) {
  if (IsReadOnlyFile(path)) return false;
  std::string temporary;
  FILE* stream = CreateTemporaryBeside(path, &temporary);
  if (!stream) return false;
  bool written = fwrite(bytes, 1, size, stream) == size;
  written = FlushToDisk(stream) && written && ferror(stream) == 0;
  written = fclose(stream) == 0 && written;
  if (written && ReplaceFileWithTemporary(temporary.c_str(), path)) return true;
  remove(temporary.c_str());
  return false;
}
