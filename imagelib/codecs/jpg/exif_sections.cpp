// The marker scan of CExifReader: the sections before the first scan, the
// frame header's size, the first comment.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imagelib/codecs/jpg/exif_reader.h"
#include "imagelib/raster_file.h"

namespace {

const char kPremature[] = "Premature end of file?";

// Seven 0xFF bytes in a row are not padding any more.
constexpr int kMaxPadding = 6;

bool IsFrameMarker(int marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsPrintable(uint8_t c) { return c >= 0x20 && c < 0x7F; }

}  // namespace

CExifReader::CExifReader(ExifInfo* info) : mInfo(info), mOwnsInfo(info == nullptr) {
  if (mOwnsInfo) mInfo = static_cast<ExifInfo*>(std::calloc(1, sizeof(ExifInfo)));
}

CExifReader::~CExifReader() {
  for (int i = 0; i < mSectionCount; ++i) std::free(mSections[i].data);
  if (mOwnsInfo) std::free(mInfo);
}

bool CExifReader::Fail(const char* text) {
  std::snprintf(mLastError, sizeof mLastError, "%s", text);
  return false;
}

void CExifReader::DropLastSection() {
  --mSectionCount;
  std::free(mSections[mSectionCount].data);
  mSections[mSectionCount] = Section{};
}

bool CExifReader::ScanSections(CRasterFile* file, int mode) {
  if (!mInfo) return Fail("Could not allocate memory");
  if (!file || file->GetC() != 0xFF || file->GetC() != 0xD8) return false;
  while (mSectionCount < kMaxSections) {
    int marker = 0;
    for (int padding = 0;; ++padding) {
      marker = file->GetC();
      // End of file is never a marker byte (GetC's -1 is not 0xFF).
      if (marker < 0) return Fail(kPremature);
      if (marker != 0xFF) break;
      if (padding >= kMaxPadding) {
        std::fputs("too many padding bytes\n", stdout);
        return false;
      }
    }
    if (!ReadSection(file, marker)) return false;
    const Section& section = mSections[mSectionCount - 1];
    switch (marker) {
      case 0xDA:  // start of scan: the headers end here
        return (mode & EXIF_READ_IMAGE) ? ReadImageData(file) : true;
      case 0xD9:
        std::fputs("No image in jpeg!\n", stdout);
        return false;
      case 0xE0:
        DropLastSection();
        break;
      case 0xE1:
        // "Exif", two zero bytes and the 8-byte TIFF header: 16 bytes at least.
        if ((mode & EXIF_READ_EXIF) && section.size >= 16 &&
            std::memcmp(section.data + 2, "Exif", 4) == 0)
          mInfo->bIsExif = DecodeExif(section.data, section.size);
        else
          DropLastSection();
        break;
      case 0xFE:
        if ((mode & EXIF_READ_EXIF) && !mSawComment) {
          mSawComment = true;
          ReadComment(section);
        } else {
          DropLastSection();
        }
        break;
      default:
        if (IsFrameMarker(marker)) ReadFrame(section);
        break;
    }
  }
  return Fail("Too many sections in jpg file");
}

// Reads one segment whole into a new section.
bool CExifReader::ReadSection(CRasterFile* file, int marker) {
  const int high = file->GetC();
  const int low = high < 0 ? -1 : file->GetC();
  if (low < 0) return Fail(kPremature);
  const uint32_t size = uint32_t(high) << 8 | uint32_t(low);
  if (size < 2) return Fail("invalid marker");
  // Nothing is allocated that the rest of the stream cannot fill.
  const int32_t end = file->Size(), at = file->Tell();
  if (end >= 0 && at >= 0 && int64_t(end) - at < int64_t(size) - 2) return Fail(kPremature);
  uint8_t* data = static_cast<uint8_t*>(std::malloc(size));
  if (!data) return Fail("Could not allocate memory");
  data[0] = uint8_t(high);
  data[1] = uint8_t(low);
  if (file->Read(data + 2, 1, size - 2) != size - 2) {
    std::free(data);
    return Fail(kPremature);
  }
  mSections[mSectionCount++] = Section{data, marker, size};
  return true;
}

// Read-image mode: everything from the scan's data to the end of the file.
bool CExifReader::ReadImageData(CRasterFile* file) {
  const int32_t end = file->Size(), at = file->Tell();
  if (end < 0 || at < 0 || end < at) return Fail("could not read the rest of the image");
  const uint32_t size = uint32_t(end - at);
  uint8_t* data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (!data) return Fail("could not allocate data for entire image");
  if (file->Read(data, 1, size) != size) {
    std::free(data);
    return Fail("could not read the rest of the image");
  }
  mSections[mSectionCount++] = Section{data, EXIF_SECTION_IMAGE, size};
  return true;
}

// Frame header: length, precision, height, width, component count.
void CExifReader::ReadFrame(const Section& section) {
  if (section.size < 8) return;
  const uint8_t* d = section.data;
  mInfo->iHeight = int32_t(d[3] << 8 | d[4]);
  mInfo->iWidth = int32_t(d[5] << 8 | d[6]);
  mInfo->iIsColor = d[7] == 3;
  mInfo->iProcess = int32_t(section.marker);
}

// The comment as printable text: CR LF becomes LF, anything else unprintable '?'.
void CExifReader::ReadComment(const Section& section) {
  const uint8_t* text = section.data + 2;
  const uint32_t length = section.size - 2;
  const uint32_t kept = length < 255 ? length : 255;
  uint32_t out = 0;
  for (uint32_t i = 0; i < kept; ++i) {
    const uint8_t c = text[i];
    if (c == '\r' && i + 1 < length && text[i + 1] == '\n') continue;
    mInfo->szComments[out++] = (IsPrintable(c) || c == '\n' || c == '\t') ? char(c) : '?';
  }
  mInfo->szComments[out] = '\0';
}
