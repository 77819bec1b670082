#pragma once
// On-disk records of a zip archive (little-endian, packed, as the format
// lays them out). Both trees are little-endian, so they are copied whole.
#include <cstddef>
#include <cstdint>

constexpr uint32_t kZipLocalSignature = 0x04034B50;    // "PK" 03 04
constexpr uint32_t kZipCentralSignature = 0x02014B50;  // "PK" 01 02
constexpr uint32_t kZipEndSignature = 0x06054B50;      // "PK" 05 06
constexpr uint32_t kZipDescriptorSignature = 0x08074B50;  // "PK" 07 08

constexpr uint16_t kZipVersionMadeBy = 0x0B17;  // NTFS host, version 2.3
constexpr uint16_t kZipVersionNeeded = 20;
constexpr uint16_t kZipFlagEncrypted = 1;
constexpr uint16_t kZipFlagDescriptor = 8;
constexpr uint16_t kZipMethodStored = 0;
constexpr uint16_t kZipMethodDeflated = 8;
constexpr uint16_t kZipLocalExtraLength = 17;    // "UT" block with three times
constexpr uint16_t kZipCentralExtraLength = 9;   // "UT" block with the modification time
constexpr unsigned kZipCryptHeaderSize = 12;
constexpr unsigned kZipMaxName = 259;
constexpr uint64_t kZipMaxOffset = 0xFFFFFFFFull;  // no ZIP64: sizes and offsets below 4 GiB
constexpr uint32_t kZipMaxEntries = 65535;
// The end record lies within its 22 bytes plus the longest comment.
constexpr uint32_t kZipEndSearch = 65535 + 22;

#pragma pack(push, 1)
struct ZipLocalHeader {
  uint32_t ulSignature;
  uint16_t usVersionNeeded;
  uint16_t usFlags;
  uint16_t usMethod;
  uint16_t usTime;
  uint16_t usDate;
  uint32_t ulCrc;
  uint32_t ulCompressedSize;
  uint32_t ulUncompressedSize;
  uint16_t usNameLength;
  uint16_t usExtraLength;
};

struct ZipCentralHeader {
  uint32_t ulSignature;
  uint16_t usVersionMadeBy;
  uint16_t usVersionNeeded;
  uint16_t usFlags;
  uint16_t usMethod;
  uint16_t usTime;
  uint16_t usDate;
  uint32_t ulCrc;
  uint32_t ulCompressedSize;
  uint32_t ulUncompressedSize;
  uint16_t usNameLength;
  uint16_t usExtraLength;
  uint16_t usCommentLength;
  uint16_t usDiskStart;
  uint16_t usInternalAttributes;
  uint32_t ulExternalAttributes;
  uint32_t ulLocalOffset;
};

struct ZipEndRecord {
  uint32_t ulSignature;
  uint16_t usDisk;
  uint16_t usCentralDisk;
  uint16_t usEntriesOnDisk;
  uint16_t usEntries;
  uint32_t ulCentralSize;
  uint32_t ulCentralOffset;
  uint16_t usCommentLength;
};

struct ZipDataDescriptor {
  uint32_t ulSignature;
  uint32_t ulCrc;
  uint32_t ulCompressedSize;
  uint32_t ulUncompressedSize;
};

// Extended time stamp extra block, "UT": local form with three times.
struct ZipLocalTimeExtra {
  uint8_t aTag[2];
  uint16_t usLength;  // 13
  uint8_t ucFlags;    // 7: modification, access, creation
  uint32_t ulModification;
  uint32_t ulAccess;
  uint32_t ulCreation;
};

struct ZipCentralTimeExtra {
  uint8_t aTag[2];
  uint16_t usLength;  // 5
  uint8_t ucFlags;    // 7, though only the modification time follows
  uint32_t ulModification;
};
#pragma pack(pop)

static_assert(sizeof(ZipLocalHeader) == 30, "local header layout");
static_assert(offsetof(ZipLocalHeader, ulCrc) == 14, "local header layout");
static_assert(offsetof(ZipLocalHeader, usNameLength) == 26, "local header layout");
static_assert(sizeof(ZipCentralHeader) == 46, "central header layout");
static_assert(offsetof(ZipCentralHeader, ulCrc) == 16, "central header layout");
static_assert(offsetof(ZipCentralHeader, usNameLength) == 28, "central header layout");
static_assert(offsetof(ZipCentralHeader, ulExternalAttributes) == 38, "central header layout");
static_assert(offsetof(ZipCentralHeader, ulLocalOffset) == 42, "central header layout");
static_assert(sizeof(ZipEndRecord) == 22, "end record layout");
static_assert(offsetof(ZipEndRecord, ulCentralOffset) == 16, "end record layout");
static_assert(sizeof(ZipDataDescriptor) == 16, "data descriptor layout");
static_assert(sizeof(ZipLocalTimeExtra) == kZipLocalExtraLength, "local extra layout");
static_assert(sizeof(ZipCentralTimeExtra) == kZipCentralExtraLength, "central extra layout");
