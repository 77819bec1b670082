// The Exif decode of CExifReader: the TIFF header, the directory walk and
// the tag table. Offsets count from the byte-order mark and are computed in
// 64 bits, so no sum of a hostile offset and count can wrap past a check.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "imagelib/codecs/jpg/exif_reader.h"

namespace {

const char kBadLink[] = "Illegal subdirectory link";

// Bytes of one value of each TIFF format code (0 to 12).
const uint8_t kBytesPerFormat[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// Directories one Exif segment may hold; a revisit or one beyond is skipped.
constexpr int kMaxDirectories = 64;
constexpr int kMaxDepth = 4;

// Out of int32_t range (or not a number) gives 0 and false.
bool ToInt32(double value, int32_t* out) {
  if (!(value >= -2147483648.0 && value < 2147483648.0)) {
    *out = 0;
    return false;
  }
  *out = int32_t(value);
  return true;
}

int32_t ToInt32(double value) {
  int32_t out = 0;
  ToInt32(value, &out);
  return out;
}

float ToFloat(double value) {
  if (value > FLT_MAX) return FLT_MAX;
  if (value < -FLT_MAX) return -FLT_MAX;
  return float(value);
}

// A resolution-unit code as inches per unit; codes without a meaning leave
// the factor as it is.
void SetUnitFactor(float* factor, double code) {
  switch (ToInt32(code)) {
    case 1:
    case 2: *factor = 1.0f; break;
    case 3: *factor = 0.3937007784843445f; break;
    case 4: *factor = 0.03937007859349251f; break;
    case 5: *factor = 3.937007932108827e-05f; break;
    default: break;
  }
}

// Copies a text value: at most max - 1 characters and never more than the
// value holds, always terminated.
void CopyText(char* target, size_t max, const uint8_t* text, uint64_t count) {
  size_t n = 0;
  while (n + 1 < max && n < count && text[n] != 0) {
    target[n] = char(text[n]);
    ++n;
  }
  target[n] = '\0';
}

}  // namespace

struct CExifReader::Segment {
  uint8_t* base;    // the byte-order mark
  uint64_t length;  // bytes from base to the segment's end
  bool motorola;
  uint64_t visited[kMaxDirectories];
  int visitedCount;

  uint32_t Read16(uint64_t at) const {
    const uint8_t* p = base + at;
    return motorola ? uint32_t(p[0]) << 8 | p[1] : uint32_t(p[1]) << 8 | p[0];
  }
  uint32_t Read32(uint64_t at) const {
    const uint8_t* p = base + at;
    return motorola ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                    : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  }
  // False when the directory was walked already or the segment holds too many.
  bool Visit(uint64_t start) {
    for (int i = 0; i < visitedCount; ++i)
      if (visited[i] == start) return false;
    if (visitedCount == kMaxDirectories) return false;
    visited[visitedCount++] = start;
    return true;
  }
};

// One entry's value: at offset `at` of the segment, `bytes` readable there
// (the entry's own 4-byte field for short values), `count` bytes declared.
struct CExifReader::TagValue {
  const Segment* segment;
  uint64_t at;
  uint64_t bytes;
  uint64_t count;
  int format;

  uint8_t* Data() const { return segment->base + at; }

  // The first value as a number; formats without one (text, undefined) give 0.
  double Number() const {
    if (kBytesPerFormat[format] > bytes) return 0;
    const Segment& s = *segment;
    switch (format) {
      case 1: return Data()[0];
      case 6: return int8_t(Data()[0]);
      case 3: return s.Read16(at);
      case 8: return int16_t(s.Read16(at));
      case 4: return s.Read32(at);
      case 9: return int32_t(s.Read32(at));
      case 5:
      case 10: {
        const int32_t numerator = int32_t(s.Read32(at)), denominator = int32_t(s.Read32(at + 4));
        return denominator == 0 ? 0.0 : double(numerator) / denominator;
      }
      case 11: {
        const uint32_t bits = s.Read32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
      }
      case 12: {
        const uint64_t first = s.Read32(at), second = s.Read32(at + 4);
        const uint64_t bits = s.motorola ? first << 32 | second : second << 32 | first;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
      }
      default: return 0;
    }
  }

  // The first value of an integer format; anything else gives 0.
  uint32_t Unsigned() const {
    if (kBytesPerFormat[format] > bytes) return 0;
    switch (format) {
      case 1:
      case 6: return Data()[0];
      case 3:
      case 8: return segment->Read16(at);
      case 4:
      case 9: return segment->Read32(at);
      default: return 0;
    }
  }
};

bool CExifReader::DecodeExif(uint8_t* data, uint32_t size) {
  mInfo->iFlashUsed = 0;
  mInfo->szComments[0] = '\0';
  mLargestDimension = 0;
  // data: two length bytes, "Exif", two zero bytes, then the TIFF header.
  if (data[6] != 0 || data[7] != 0) return Fail("Incorrect Exif header");
  if (std::memcmp(data + 8, "II", 2) == 0)
    mMotorola = false;
  else if (std::memcmp(data + 8, "MM", 2) == 0)
    mMotorola = true;
  else
    return Fail("Invalid Exif alignment marker.");
  Segment segment{data + 8, uint64_t(size) - 8, mMotorola, {}, 0};
  if (segment.Read16(2) != 42) return Fail("Invalid Exif start (1)");
  // The first directory is the declared one, or offset 8 when the
  // declaration points into the header itself.
  uint64_t first = segment.Read32(4);
  if (first <= 8)
    first = 8;
  else if (first >= segment.length)
    return Fail(kBadLink);
  if (!WalkDirectory(segment, first, 0, false)) return false;
  if (mInfo->fFocalPlaneXRes != 0)
    mInfo->fCcdWidth = ToFloat(double(mLargestDimension) * mInfo->fFocalPlaneUnits /
                               mInfo->fFocalPlaneXRes);
  return true;
}

// Walks one directory. A directory reached through the first directory's
// link (the thumbnail's) and everything below it gives only the thumbnail's
// place: its resolution describes the thumbnail, not the image.
bool CExifReader::WalkDirectory(Segment& segment, uint64_t start, int depth, bool thumbnailOnly) {
  if (depth > kMaxDepth) return Fail("Maximum directory nesting exceeded (corrupt exif header)");
  if (!segment.Visit(start)) return true;
  if (start + 2 > segment.length) return Fail("Illegally sized directory");
  const uint64_t entries = segment.Read16(start);
  const uint64_t end = start + 2 + 12 * entries;  // the next-directory link
  if (end + 4 > segment.length) return Fail("Illegally sized directory");
  uint32_t thumbnailOffset = 0, thumbnailLength = 0;
  for (uint64_t i = 0; i < entries; ++i) {
    const uint64_t entry = start + 2 + 12 * i;
    const int tag = int(segment.Read16(entry));
    const uint32_t format = segment.Read16(entry + 2);
    if (format > 12) return Fail("Illegal format code in EXIF dir");
    const uint64_t count = uint64_t(segment.Read32(entry + 4)) * kBytesPerFormat[format];
    TagValue value{&segment, entry + 8, 4, count, int(format)};
    if (count > 4) {
      value.at = segment.Read32(entry + 8);
      value.bytes = count;
      if (value.at + count > segment.length) return Fail("Illegal pointer offset value in EXIF.");
    }
    if (tag == 0x0201) {
      thumbnailOffset = value.Unsigned();
    } else if (tag == 0x0202) {
      thumbnailLength = value.Unsigned();
    } else if (!thumbnailOnly) {
      if (tag == 0x8769 || tag == 0xA005) {
        // Offsets of 8 or less point into the header: no directory there.
        const uint64_t link = segment.Read32(value.at);
        if (link > 8 && !WalkLink(segment, link, depth + 1, false)) return false;
      } else {
        StoreTag(tag, value);
      }
    }
  }
  const uint64_t next = segment.Read32(end);
  if (next != 0 && !WalkLink(segment, next, depth + 1, thumbnailOnly || depth == 0)) return false;
  if (thumbnailOffset != 0 && thumbnailLength != 0 &&
      uint64_t(thumbnailOffset) + thumbnailLength <= segment.length) {
    mInfo->iThumbnailOffset = thumbnailOffset;
    mInfo->iThumbnailSize = int32_t(thumbnailLength);
  }
  return true;
}

// A link outside the data fails the directory that holds it; a failure
// inside the linked directory does not (its text stays).
bool CExifReader::WalkLink(Segment& segment, uint64_t offset, int depth, bool thumbnailOnly) {
  if (offset >= segment.length) return Fail(kBadLink);
  WalkDirectory(segment, offset, depth, thumbnailOnly);
  return true;
}

void CExifReader::StoreTag(int tag, const TagValue& value) {
  ExifInfo& x = *mInfo;
  const double number = value.Number();
  switch (tag) {
    case 0x010F: CopyText(x.szCameraMake, 32, value.Data(), value.count); break;
    case 0x0110: CopyText(x.szCameraModel, 40, value.Data(), value.count); break;
    case 0x0112:
      if (!ToInt32(number, &x.iOrientation) || x.iOrientation < 1 || x.iOrientation > 8) {
        Fail("Undefined rotation value");
        x.iOrientation = 0;
      }
      break;
    case 0x011A: x.fXResolution = ToFloat(number); break;
    case 0x011B: x.fYResolution = ToFloat(number); break;
    case 0x0128: SetUnitFactor(&x.fResolutionUnit, number); break;
    case 0x829A: x.fExposureTime = ToFloat(number); break;
    case 0x829D: x.fApertureFNumber = ToFloat(number); break;
    case 0x8822: x.iExposureProgram = ToInt32(number); break;
    case 0x8827: x.iIsoEquivalent = ToInt32(number < 50 ? number * 200 : number); break;
    case 0x9000: CopyText(x.szVersion, 5, value.Data(), value.count); break;
    case 0x9003: CopyText(x.szDateTime, 20, value.Data(), value.count); break;
    case 0x9102: x.iCompressionLevel = ToInt32(number); break;
    case 0x9201:  // shutter speed in APEX units
      if (x.fExposureTime == 0) x.fExposureTime = ToFloat(1.0 / std::exp(number * std::log(2.0)));
      break;
    case 0x9202:
    case 0x9205:  // aperture in APEX units
      if (x.fApertureFNumber == 0) x.fApertureFNumber = ToFloat(std::exp(number * std::log(2.0) * 0.5));
      break;
    case 0x9203: x.fBrightness = ToFloat(number); break;
    case 0x9204: x.fExposureBias = ToFloat(number); break;
    case 0x9206: x.fDistance = ToFloat(number); break;
    case 0x9207: x.iMeteringMode = ToInt32(number); break;
    case 0x9208: x.iLightSource = ToInt32(number); break;
    case 0x9209: x.iFlashUsed = (ToInt32(number) & 7) ? 1 : 0; break;
    case 0x920A: x.fFocalLength = ToFloat(number); break;
    case 0x9286: StoreUserComment(value); break;
    case 0xA002:
    case 0xA003: {
      const int32_t dimension = ToInt32(number);
      if (dimension > mLargestDimension) mLargestDimension = dimension;
      break;
    }
    case 0xA20E: x.fFocalPlaneXRes = ToFloat(number); break;
    case 0xA20F: x.fFocalPlaneYRes = ToFloat(number); break;
    case 0xA210: SetUnitFactor(&x.fFocalPlaneUnits, number); break;
    default: break;
  }
}

// Trailing spaces go (in the section copy); an "ASCII" character-code
// prefix is skipped up to the text's first character in positions 5 to 9.
void CExifReader::StoreUserComment(const TagValue& value) {
  uint8_t* text = value.Data();
  const uint64_t count = value.count;
  for (uint64_t a = count; a-- > 0 && text[a] == ' ';) text[a] = 0;
  if (count >= 5 && std::memcmp(text, "ASCII", 5) == 0) {
    for (uint64_t a = 5; a < 10 && a < count; ++a) {
      if (text[a] != 0 && text[a] != ' ') {
        CopyText(mInfo->szComments, 200, text + a, count - a);
        return;
      }
    }
    return;
  }
  CopyText(mInfo->szComments, 200, text, count);
}
