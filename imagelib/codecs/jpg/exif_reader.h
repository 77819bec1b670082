#pragma once
// CExifReader: scans the marker segments at the start of a JPEG file (up to
// its first scan) and decodes the Exif APP1 segment, a TIFF structure of
// image file directories, into an ExifInfo. The input is untrusted and read
// before libjpeg sees it: every read stays inside its segment, offsets are
// 64-bit, each directory is walked at most once.
//
// Failures leave a text in GetLastError() and never reach the image.
#include <cstdint>

#include "imagelib/raster_exif_info.h"

class CRasterFile;

// Scan mode bits.
constexpr int EXIF_READ_EXIF = 1;   // decode Exif APP1 and the first comment
constexpr int EXIF_READ_IMAGE = 2;  // keep the rest of the file after the scan marker

// Marker code of the section that holds the image data in read-image mode.
constexpr int32_t EXIF_SECTION_IMAGE = 0x123;

class CExifReader {
 public:
  // Fills the given record, or one of its own when info is null.
  explicit CExifReader(ExifInfo* info = nullptr);
  ~CExifReader();
  CExifReader(const CExifReader&) = delete;
  CExifReader& operator=(const CExifReader&) = delete;

  // Reads from the file's current position, which must hold the start of
  // image marker. True when a scan marker was reached.
  bool ScanSections(CRasterFile* file, int mode);

  const char* GetLastError() const { return mLastError; }
  int GetSectionCount() const { return mSectionCount; }
  int32_t GetSectionMarker(int index) const { return mSections[index].marker; }
  uint32_t GetSectionSize(int index) const { return mSections[index].size; }

 private:
  struct Section {
    uint8_t* data;  // the segment with its two length bytes first (malloc)
    int32_t marker;
    uint32_t size;
  };
  struct Segment;   // the Exif data being decoded
  struct TagValue;  // one directory entry's value

  static constexpr int kMaxSections = 20;

  bool Fail(const char* text);
  bool ReadSection(CRasterFile* file, int marker);
  bool ReadImageData(CRasterFile* file);
  void DropLastSection();
  void ReadFrame(const Section& section);
  void ReadComment(const Section& section);

  bool DecodeExif(uint8_t* data, uint32_t size);
  bool WalkDirectory(Segment& segment, uint64_t start, int depth, bool thumbnailOnly);
  bool WalkLink(Segment& segment, uint64_t offset, int depth, bool thumbnailOnly);
  void StoreTag(int tag, const TagValue& value);
  void StoreUserComment(const TagValue& value);

  ExifInfo* mInfo;
  char mLastError[256] = {};
  int32_t mLargestDimension = 0;  // of the Exif pixel dimension tags
  bool mMotorola = false;         // byte order of the Exif data: "MM"
  bool mSawComment = false;
  // The marker sections kept, plus one for the image data in read-image mode.
  Section mSections[kMaxSections + 1] = {};
  int mSectionCount = 0;
  bool mOwnsInfo;
};
