// Reading and writing images by type id through the codec classes.
#include <cstdio>
#include <cstring>
#include <string>

#include "imagelib/raster.h"
#include "imagelib/raster_codec.h"
#include "imagelib/raster_file_replace.h"
#include "imagelib/raster_io_file.h"

namespace {

// Decode order when the type is unknown.
const int32_t kTryOrder[] = {
    RASTER_FORMAT_BMP, RASTER_FORMAT_JPG, RASTER_FORMAT_ICO, RASTER_FORMAT_GIF, RASTER_FORMAT_PNG,
    RASTER_FORMAT_TIF, RASTER_FORMAT_TGA, RASTER_FORMAT_PCX, RASTER_FORMAT_WMF,
};
constexpr int kTryCount = int(sizeof(kTryOrder) / sizeof(kTryOrder[0]));

int FirstTry(int32_t type) {
  if (type == RASTER_FORMAT_UNKNOWN) return 0;
  for (int i = 0; i < kTryCount; ++i) {
    if (kTryOrder[i] == type) return i;
  }
  return kTryCount;
}

// Formats whose decoders report the file's frame count even when they fail.
bool ReportsFramesOnFailure(int32_t type) {
  return type == RASTER_FORMAT_GIF || type == RASTER_FORMAT_ICO || type == RASTER_FORMAT_TIF;
}

const char kUnknownDecode[] = "Decode: Unknown or wrong format";
const char kUnknownEncode[] = "Encode: Unknown format";
const char kWriteFailed[] = "Error writing file";
const char kReadOnly[] = "The file is read-only";
const char kNoTemporary[] = "Cannot create a file in the folder";
const char kReplaceFailed[] = "Cannot replace the file";

}  // namespace

void CRaster::TakeDecodeOptions(const CRaster& caller) {
  info.escape = caller.info.escape;
  memcpy(info.codecOptions, caller.info.codecOptions, sizeof(info.codecOptions));
  info.frameIndex = caller.info.frameIndex;
  info.jpegQuality = caller.info.jpegQuality;
  info.jpegScale = caller.info.jpegScale;
  info.retrieveAllFrames = caller.info.retrieveAllFrames;
}

// One try: true when the codec for type decoded the file into this image.
bool CRaster::DecodeWith(int32_t type, CRasterFile* file, int32_t start) {
  if (!HasRasterCodec(type)) {
    SetErrorText(kUnknownDecode);
    return false;
  }
  CRasterCodec* codec = CreateRasterCodec(type);
  if (!codec) return false;
  codec->TakeDecodeOptions(*this);
  if (codec->Decode(file)) {
    Transfer(*codec, true);
    delete codec;
    return true;
  }
  // Only an image without frames of its own may take over the file's count.
  if (ReportsFramesOnFailure(type) && !frames) info.frameCount = codec->info.frameCount;
  SetErrorText(codec->info.lastError);
  delete codec;
  file->Seek(start, 0);
  return false;
}

bool CRaster::Decode(CRasterFile* file, int32_t type) {
  if (!file) {
    SetErrorText("null file handler");
    return false;
  }
  if (IsGhost()) return false;  // a view cannot take pixels
  const int32_t start = file->Tell();
  if (start < 0) {
    SetErrorText(kUnknownDecode);
    return false;
  }
  for (int i = FirstTry(type); i < kTryCount; ++i) {
    if (DecodeWith(kTryOrder[i], file, start)) return true;
    if (type != RASTER_FORMAT_UNKNOWN) return false;
  }
  SetErrorText(kUnknownDecode);
  return false;
}

bool CRaster::Decode(FILE* stream, int32_t type) {
  if (!stream) return Decode(static_cast<CRasterFile*>(nullptr), type);
  CRasterIOFile file(stream, false);
  return Decode(&file, type);
}

bool CRaster::EncodeSafeCheck(CRasterFile* file) {
  if (!file) {
    SetErrorText("null file handler");
    return true;
  }
  if (!dib) {
    SetErrorText("null image!!!");
    return true;
  }
  return false;
}

bool CRaster::Encode(CRasterFile* file, int32_t type) {
  if (!IsKnownImageType(type) || !HasRasterCodec(type)) {
    SetErrorText(kUnknownEncode);
    return false;
  }
  CRasterCodec* codec = CreateRasterCodec(type);
  if (!codec) return false;
  codec->Ghost(this);
  const bool encoded = codec->Encode(file);
  if (!encoded) SetErrorText(codec->info.lastError);
  delete codec;
  return encoded;
}

bool CRaster::Encode(FILE* stream, int32_t type) {
  if (!stream) return Encode(static_cast<CRasterFile*>(nullptr), type);
  CRasterIOFile file(stream, false);
  return Encode(&file, type);
}

bool CRaster::Load(const char* path, int32_t type) {
  if (!path) return false;
  if (GetImageTypeIndex(type) != 0) {
    FILE* stream = fopen(path, "rb");
    if (!stream) return false;
    const bool decoded = Decode(stream, type);
    fclose(stream);
    if (decoded) return true;
  }
  // The file may be another format than its name says: try them all, but
  // keep the expected format's text when nothing fits.
  char expectedError[sizeof(info.lastError)];
  memcpy(expectedError, info.lastError, sizeof(expectedError));
  FILE* stream = fopen(path, "rb");
  if (!stream) return false;
  const bool decoded = Decode(stream, RASTER_FORMAT_UNKNOWN);
  fclose(stream);
  if (!decoded && type != RASTER_FORMAT_UNKNOWN) SetErrorText(expectedError);
  return decoded;
}

bool CRaster::Save(const char* path, int32_t type) {
  if (type < RASTER_FORMAT_BMP || type > RASTER_FORMAT_PCX) {
    SetErrorText(kUnknownEncode);
    return false;
  }
  if (!dib) {
    SetErrorText("null image!!!");
    return false;
  }
  if (!path || !*path) return false;
  // A rename may replace a read-only file (it does natively and under
  // Wine); the user's mark must hold all the same.
  if (IsReadOnlyFile(path)) {
    SetErrorText(kReadOnly);
    return false;
  }
  std::string temporary;
  FILE* stream = CreateTemporaryBeside(path, &temporary);
  if (!stream) {
    SetErrorText(kNoTemporary);
    return false;
  }
  bool saved = Encode(stream, type);
  const bool writeFailed = !FlushToDisk(stream) || ferror(stream) != 0;
  const bool closeFailed = fclose(stream) != 0;
  if (saved && (writeFailed || closeFailed)) {
    SetErrorText(kWriteFailed);
    saved = false;
  }
  if (saved && !ReplaceFileWithTemporary(temporary.c_str(), path)) {
    SetErrorText(kReplaceFailed);
    saved = false;
  }
  if (!saved) remove(temporary.c_str());
  return saved;
}
