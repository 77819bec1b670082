#pragma once
// The archive reader behind the ZipOpen*/ZipGetEntry/ZipFindEntry/ZipExtract*
// functions. Every length and offset of the archive is checked against the
// source and the central directory before it is used.
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

#include "framework/zip/zip.h"
#include "framework/zip/zip_crypt.h"
#include "framework/zip/zip_format.h"
#include "framework/zip/zip_stream.h"

class CZipReader {
 public:
  explicit CZipReader(const char* password);
  ~CZipReader();
  CZipReader(const CZipReader&) = delete;
  CZipReader& operator=(const CZipReader&) = delete;

  ZipResult OpenFile(const char* fileName);
  ZipResult OpenHandle(void* handle);
  ZipResult OpenMemory(const void* data, uint32_t size);

  ZipResult SetBaseFolder(const char* folder);
  ZipResult GetEntry(int32_t index, ZipEntryInfo* info);
  ZipResult FindEntry(const char* name, bool ignoreCase, int32_t* index, ZipEntryInfo* info);
  ZipResult ExtractToMemory(int32_t index, void* buffer, uint32_t size);
  ZipResult ExtractToFile(int32_t index, const char* target);

 private:
  ZipResult OpenArchive();
  ZipResult GoToEntry(int32_t index);
  ZipResult ReadCentral(uint64_t pos);
  ZipResult CheckLocalHeader(uint64_t* dataStart, std::vector<uint8_t>* localExtra);
  ZipResult FillInfo(int32_t index, const std::vector<uint8_t>& localExtra, ZipEntryInfo* info);
  ZipResult OpenEntry(int32_t index);
  void CloseEntry();
  ZipResult FillInput();
  ZipResult ReadEntry(uint8_t* out, uint32_t size, uint32_t* got);
  bool ReadAt(uint64_t pos, void* buffer, uint32_t count);
  ZipResult CreateFolders(const char* path, size_t from, bool includeLast);
  ZipResult WriteEntryToFile(const char* path, const ZipEntryInfo& info);

  std::string m_sPassword;
  char m_szBase[260] = {};
  CZipStream* m_pSrc = nullptr;
  bool m_bCanSeek = false;
  uint64_t m_ullSrcSize = 0;
  uint64_t m_ullArchiveStart = 0;  // bytes in front of the archive (a self-extractor stub)
  uint32_t m_uCount = 0;
  uint64_t m_ullCdStart = 0;       // absolute
  uint64_t m_ullCdSize = 0;

  // The current central directory entry.
  int32_t m_iCur = -1;
  uint64_t m_ullCurPos = 0;
  ZipCentralHeader m_cur = {};
  char m_szRawName[kZipMaxName + 1] = {};

  int32_t m_iCachedIndex = -1;
  ZipEntryInfo m_cachedInfo = {};

  // The entry open for reading.
  int32_t m_iOpenIndex = -1;
  bool m_bInflating = false;
  z_stream m_z = {};
  std::vector<uint8_t> m_aIn;
  uint32_t m_uInPos = 0;
  uint32_t m_uInLen = 0;
  uint64_t m_ullDataPos = 0;
  uint64_t m_ullCompLeft = 0;
  uint64_t m_ullUncompLeft = 0;
  uint32_t m_ulCrc = 0;
  uint32_t m_ulExpectedCrc = 0;
  bool m_bEncrypted = false;
  CZipCrypt m_crypt;
  uint32_t m_uSkip = 0;
  uint8_t m_ucCheck = 0;
  bool m_bEnd = false;

  std::vector<uint8_t> m_aExtract;
};
