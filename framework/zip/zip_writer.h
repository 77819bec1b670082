#pragma once
// The archive writer behind the ZipCreate*/ZipAdd*/ZipGetImage/ZipCloseWriter
// functions.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/zip/deflate.h"
#include "framework/zip/zip.h"
#include "framework/zip/zip_crypt.h"
#include "framework/zip/zip_format.h"
#include "framework/zip/zip_stream.h"

class CZipWriter {
 public:
  explicit CZipWriter(const char* password);
  ~CZipWriter();
  CZipWriter(const CZipWriter&) = delete;
  CZipWriter& operator=(const CZipWriter&) = delete;

  ZipResult CreateFile(const char* fileName);
  ZipResult CreateMemory(void* block, uint32_t size);
  ZipResult AdoptHandle(void* handle);

  ZipResult AddFile(const char* archiveName, const char* sourceFile);
  ZipResult AddMemory(const char* archiveName, const void* data, uint32_t length);
  ZipResult GetImage(void** image, uint32_t* length);
  // Writes the central directory and end record once.
  ZipResult Finish();

 private:
  struct Entry {
    ZipCentralHeader hdr;
    ZipCentralTimeExtra extra;
    std::string name;
  };
  // The entry being added and its source.
  struct Source {
    CZipStream* pFile = nullptr;
    const uint8_t* pData = nullptr;
    uint64_t ullLength = 0;
    uint64_t ullPos = 0;
    uint64_t ullRead = 0;
    uint32_t ulCrc = 0;
    bool bReadError = false;
  };

  ZipResult Add(const char* archiveName, const char* sourceFile, const void* data,
                uint32_t length);
  ZipResult WriteEntry(Entry& e, const ZipLocalTimeExtra& localExtra);
  ZipResult WriteEncryptionHeader(uint16_t dosTime);
  ZipResult WriteStored(uint64_t* written);
  ZipResult WriteDeflated(uint64_t* written);
  ZipResult FinishEntry(Entry& e, uint64_t localOffset, uint32_t firstCompressedSize,
                        uint64_t dataLength);
  ZipResult WriteLocalHeader(const Entry& e, const ZipLocalTimeExtra& extra);
  bool WriteOut(const void* data, uint32_t count);  // encrypts while an entry asks for it
  ZipResult WriteFailure() const;
  int ReadSource(uint8_t* buffer, unsigned count);
  static int DeflateRead(void* user, uint8_t* buffer, unsigned count);
  static void DeflateWrite(void* user, const uint8_t* data, unsigned count);

  std::string m_sPassword;
  bool m_bHasPassword;
  CZipStream* m_pOut = nullptr;
  CZipMemoryStream* m_pMemory = nullptr;  // m_pOut when the archive is in memory
  void* m_pImageBlock = nullptr;  // the caller's block or the mapping's view
  void* m_pMapView = nullptr;
  void* m_pMapping = nullptr;
  uint64_t m_ullStart = 0;   // position of the archive's first byte in the output
  uint64_t m_ullPos = 0;     // current output position, absolute
  bool m_bCanSeek = false;
  ZipResult m_uSticky = 0;
  bool m_bFinished = false;
  ZipResult m_uFinishResult = 0;
  bool m_bWriteFailed = false;
  bool m_bEncrypt = false;
  CZipCrypt m_crypt;
  std::vector<uint8_t> m_aScratch;
  std::vector<Entry> m_aEntries;
  Source m_src;
  std::vector<uint8_t> m_aTransfer;
  CDeflater* m_pDeflater = nullptr;
};
