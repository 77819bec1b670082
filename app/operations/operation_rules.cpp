#include "app/operations/operation_rules.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "imagelib/raster_format.h"

namespace {

const char* const kSaveExtensions[] = {"bmp", "gif", "jpg", "png", "tif", "opt"};
constexpr int kOptIndex = 5;
constexpr double kMaxMeasure = 1073741824.0;  // 2^30

const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  }
  return name;
}

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  }
  return *a == *b;
}

bool CopyFits(const char* text, char* out, int size) {
  const size_t length = strlen(text);
  if (length > size_t(kMaxPathChars) || length >= size_t(size)) return false;
  memcpy(out, text, length + 1);
  return true;
}

}  // namespace

const char* PathExtension(const char* path) {
  if (!path) return nullptr;
  const char* dot = strrchr(FileNamePart(path), '.');
  return dot ? dot + 1 : nullptr;
}

int32_t ImageTypeOfPath(const char* path, int32_t fallback) {
  const char* ext = PathExtension(path);
  if (!ext) return fallback;
  // Only a whole known extension names a codec: "x.pngs" is not a PNG.
  const int32_t type = GetImageTypeFromExtension(ext);
  static const char* const kLongForms[] = {"jpeg", "jfif", "tiff"};
  if (strlen(ext) == 3) return type;
  for (const char* form : kLongForms) {
    if (EqualNoCase(ext, form)) return type;
  }
  return RASTER_FORMAT_UNKNOWN;
}

int GetExtensionIndex(const char* path) {
  const char* ext = PathExtension(path);
  if (!ext) return -1;
  for (int i = 0; i <= kOptIndex; ++i) {
    if (EqualNoCase(ext, kSaveExtensions[i])) return i;
  }
  return -1;
}

const char* DestinationExtension(int32_t type) {
  return kSaveExtensions[type >= 0 && type <= kOptIndex ? type : 0];
}

int SaveAsFilterOfExtension(const char* ext) {
  static const char kLetters[] = "bgjpt";
  if (!ext || !*ext) return 0;
  const char* at = strchr(kLetters, std::tolower(static_cast<unsigned char>(*ext)));
  return at ? int(at - kLetters) + 1 : 0;
}

bool ReplacePathExtension(const char* path, const char* ext, char* out, int size) {
  const char* current = PathExtension(path);
  const size_t stem = current ? size_t(current - 1 - path) : strlen(path);
  char joined[kMaxPathChars + 2];
  if (stem + 1 + strlen(ext) > size_t(kMaxPathChars)) return false;
  memcpy(joined, path, stem);
  snprintf(joined + stem, sizeof(joined) - stem, ".%s", ext);
  return CopyFits(joined, out, size);
}

bool JoinDestinationPath(const char* folder, const char* file, char* out, int size) {
  const size_t folderLength = strlen(folder);
  const bool needsSlash = folderLength == 0 || folder[folderLength - 1] != '\\';
  const size_t total = folderLength + (needsSlash ? 1 : 0) + strlen(file);
  if (total > size_t(kMaxPathChars) || total >= size_t(size)) return false;
  snprintf(out, size_t(size), "%s%s%s", folder, needsSlash ? "\\" : "", file);
  return true;
}

bool FinishDestinationPath(char* path, int size, int32_t type) {
  if (GetExtensionIndex(path) < 0 && ImageTypeOfPath(path, RASTER_FORMAT_UNKNOWN) == 0) {
    const size_t length = strlen(path);
    const char* ext = DestinationExtension(type);
    if (length + 1 + strlen(ext) > size_t(kMaxPathChars) ||
        length + 1 + strlen(ext) >= size_t(size))
      return false;
    snprintf(path + length, size_t(size) - length, ".%s", ext);
  }
  for (char* p = const_cast<char*>(PathExtension(path)); p && *p; ++p)
    *p = char(std::tolower(static_cast<unsigned char>(*p)));
  return true;
}

bool KeepPngCandidate(uint64_t pngBytes, uint64_t jpgBytes) {
  // png > 1.5 x jpg, in integers so that exactly 1.5 keeps the PNG.
  return pngBytes * 2 <= jpgBytes * 3;
}

bool IsUsableMeasure(double value, bool allowNegative) {
  if (!std::isfinite(value)) return false;
  if (!allowNegative && value < 0) return false;
  return std::fabs(value) <= kMaxMeasure;
}

bool ComputeResizeSize(const ResizeInput& in, ResizeResult* out) {
  const double w = in.width;
  const double h = in.height;
  out->aspect = in.aspect != 0 && in.height > 0 ? float(w / h) : in.aspect;
  const int32_t r = in.dpi != 0 ? in.dpi : (in.xDpi + in.yDpi) / 2;
  out->dpi = r;
  // An image without a resolution of its own is taken at r, so that percent
  // means percent rather than a division by zero.
  const double xRes = in.xDpi > 0 ? in.xDpi : r;
  const double yRes = in.yDpi > 0 ? in.yDpi : r;
  double nw = w;
  double nh = h;
  switch (in.unit) {
    case 0:
      nw = in.newWidth;
      nh = in.newHeight;
      break;
    case 1: {
      const double u = in.inches ? 2.54 : 1.0;
      nw = double(in.newWidth) * u * r / 2.54;
      nh = double(in.newHeight) * u * r / 2.54;
      break;
    }
    case 2:
      nw = xRes > 0 ? w * in.newWidth / 100 * r / xRes : w * in.newWidth / 100;
      nh = yRes > 0 ? h * in.newHeight / 100 * r / yRes : h * in.newHeight / 100;
      break;
    default:
      break;
  }
  if (!IsUsableMeasure(nw, false) || !IsUsableMeasure(nh, false)) return false;
  int64_t iw = int64_t(nw);
  int64_t ih = int64_t(nh);
  const double aspect = out->aspect;
  if (iw != 0 && ih == 0) {
    const double derived = aspect == 0 ? h : iw / aspect;
    if (!IsUsableMeasure(derived, false)) return false;
    ih = int64_t(derived);
  } else if (iw == 0 && ih != 0) {
    const double derived = aspect == 0 ? w : ih * aspect;
    if (!IsUsableMeasure(derived, false)) return false;
    iw = int64_t(derived);
  }
  out->width = int32_t(iw);
  out->height = int32_t(ih);
  return iw > 0 && ih > 0;
}

ColorAdjustment ComputeColorAdjustment(int32_t brightness, int32_t contrast, int32_t gamma,
                                       int32_t saturation, int32_t hue) {
  auto clamp = [](int32_t v) { return v < -100 ? -100 : v > 100 ? 100 : v; };
  brightness = clamp(brightness);
  gamma = clamp(gamma);
  saturation = clamp(saturation);
  hue = clamp(hue);
  ColorAdjustment a;
  a.brightness = int32_t(brightness * 2.55);
  a.contrast = clamp(contrast);
  a.gamma = gamma > 0 ? 1 + gamma * 4 / 100.0f : gamma < 0 ? 1 + gamma * 0.9f / 100 : 1.0f;
  a.saturation = saturation == 0 ? 1.0f : 1 + saturation / 100.0f;
  a.hue = hue > 0 ? int32_t(hue * 1.28) : hue < 0 ? int32_t(hue * 1.27) : 0;
  return a;
}

bool ReplaceThroughPairs(uint8_t rgb[3], const ColorEntry* oldColors,
                         const ColorEntry* newColors, int32_t count) {
  if (count > kColorPairs) count = kColorPairs;
  bool matched = false;
  for (int32_t i = 0; i < count; ++i) {
    const ColorEntry& from = oldColors[i];
    const bool same = rgb[0] == from.r && rgb[1] == from.g && rgb[2] == from.b;
    if (same == (from.f != 0)) continue;  // f turns the match around
    rgb[0] = newColors[i].r;
    rgb[1] = newColors[i].g;
    rgb[2] = newColors[i].b;
    matched = true;
  }
  return matched;
}
