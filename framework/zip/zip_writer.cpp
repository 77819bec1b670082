// Zip archive writer: local headers, entry data (stored or deflated, with the
// optional password encryption), the header rewrite or data descriptor, and
// the central directory.
#include "framework/zip/zip_writer.h"

#include <cstdlib>
#include <cstring>

#include "framework/text/crc32.h"
#include "framework/zip/zip_names.h"
#include "framework/zip/zip_platform.h"
#include "framework/zip/zip_time.h"

namespace {

constexpr uint32_t kTransferSize = 16384;

// External attributes of a file: Unix mode above, Windows attributes below.
uint32_t FileExternalAttributes(uint32_t winAttributes) {
  uint32_t mode = (winAttributes & kZipAttrDirectory) ? 0x4000 : 0x8000;
  mode |= 0x100;  // owner read
  if (!(winAttributes & kZipAttrReadOnly)) mode |= 0x80;
  return (mode << 16) | (winAttributes & 0x37);
}

}  // namespace

CZipWriter::CZipWriter(const char* password)
    : m_bHasPassword(password != nullptr && *password != 0) {
  if (m_bHasPassword) m_sPassword = password;
}

CZipWriter::~CZipWriter() {
  delete m_pDeflater;
  delete m_src.pFile;
  delete m_pOut;
  if (m_pMapView) ZipPlatformUnmapPagingFile(m_pMapView, m_pMapping);
}

ZipResult CZipWriter::CreateFile(const char* fileName) {
  if (!fileName || !*fileName) return ZIP_ERR_ARGS;
  m_pOut = ZipPlatformCreateArchive(fileName);
  if (!m_pOut) return ZIP_ERR_OPEN;
  m_bCanSeek = true;
  return ZIP_OK;
}

ZipResult CZipWriter::CreateMemory(void* block, uint32_t size) {
  if (size == 0) return ZIP_ERR_TOO_SMALL;
  if (!block) {
    block = m_pMapView = ZipPlatformMapPagingFile(size, &m_pMapping);
    if (!block) return ZIP_ERR_NO_MEMORY;
  }
  m_pImageBlock = block;
  m_pOut = m_pMemory = new CZipMemoryStream(block, size, true);
  m_bCanSeek = true;
  return ZIP_OK;
}

ZipResult CZipWriter::AdoptHandle(void* handle) {
  if (!handle) return ZIP_ERR_ARGS;
  m_pOut = ZipPlatformAdoptHandle(handle);
  if (!m_pOut) return ZIP_ERR_OPEN;
  // A handle whose position cannot be read (a pipe) is written straight
  // through, with data descriptors.
  m_bCanSeek = m_pOut->Tell(&m_ullStart);
  if (!m_bCanSeek) m_ullStart = 0;
  m_ullPos = m_ullStart;
  return ZIP_OK;
}

ZipResult CZipWriter::AddFile(const char* archiveName, const char* sourceFile) {
  if (!sourceFile || !*sourceFile) return ZIP_ERR_ARGS;
  return Add(archiveName, sourceFile, nullptr, 0);
}

ZipResult CZipWriter::AddMemory(const char* archiveName, const void* data, uint32_t length) {
  if (!data || length == 0) return ZIP_ERR_ARGS;
  return Add(archiveName, nullptr, data, length);
}

ZipResult CZipWriter::Add(const char* archiveName, const char* sourceFile, const void* data,
                          uint32_t length) {
  if (m_uSticky) return ZIP_ERR_FAILED_EARLIER;
  if (m_bFinished) return ZIP_ERR_FINISHED;
  if (!archiveName || !*archiveName) return ZIP_ERR_ARGS;

  Entry e = {};
  e.name.assign(archiveName, strnlen(archiveName, kZipMaxName));
  for (char& c : e.name) {
    if (c == '\\') c = '/';
  }
  // No ZIP64: the entry count and every offset must fit the classic fields.
  if (m_aEntries.size() >= kZipMaxEntries || m_ullPos >= kZipMaxOffset) return ZIP_ERR_WRITE;
  const uint16_t method = ZipStoredByExtension(e.name.c_str()) ? kZipMethodStored : kZipMethodDeflated;
  if (method == kZipMethodDeflated && !m_pDeflater) {
    m_pDeflater = new CDeflater();
    if (!m_pDeflater->IsReady()) {
      delete m_pDeflater;
      m_pDeflater = nullptr;
      return ZIP_ERR_NO_MEMORY;
    }
  }

  m_src = Source();
  uint64_t modified, accessed, created;
  if (sourceFile) {
    ZipFileFacts facts;
    m_src.pFile = ZipPlatformOpenSource(sourceFile, &facts);
    if (!m_src.pFile) return ZIP_ERR_OPEN;
    if (facts.ullSize >= kZipMaxOffset) {
      delete m_src.pFile;
      m_src.pFile = nullptr;
      return ZIP_ERR_WRITE;
    }
    m_src.ullLength = facts.ullSize;
    e.hdr.ulExternalAttributes = FileExternalAttributes(facts.ulAttributes);
    modified = facts.ftModification;
    accessed = facts.ftAccess;
    created = facts.ftCreation;
  } else {
    m_src.pData = static_cast<const uint8_t*>(data);
    m_src.ullLength = length;
    e.hdr.ulExternalAttributes = 0x80000000u;  // regular file, no permission bits
    modified = accessed = created = ZipPlatformNow();
  }

  const bool encrypt = m_bHasPassword;
  e.hdr.ulSignature = kZipCentralSignature;
  e.hdr.usVersionMadeBy = kZipVersionMadeBy;
  e.hdr.usVersionNeeded = kZipVersionNeeded;
  e.hdr.usFlags = static_cast<uint16_t>(kZipFlagDescriptor | (encrypt ? kZipFlagEncrypted : 0));
  e.hdr.usMethod = method;
  FileTimeToDos(modified, &e.hdr.usDate, &e.hdr.usTime);
  e.hdr.ulUncompressedSize = static_cast<uint32_t>(m_src.ullLength);
  if (method == kZipMethodStored)
    e.hdr.ulCompressedSize = static_cast<uint32_t>(m_src.ullLength + (encrypt ? kZipCryptHeaderSize : 0));
  e.hdr.usNameLength = static_cast<uint16_t>(e.name.size());
  e.hdr.usExtraLength = kZipCentralExtraLength;

  ZipLocalTimeExtra localExtra = {{'U', 'T'}, 13, 7, FileTimeToUnix(modified),
                                  FileTimeToUnix(accessed), FileTimeToUnix(created)};
  e.extra = {{'U', 'T'}, 5, 7, localExtra.ulModification};

  ZipResult r = WriteEntry(e, localExtra);
  delete m_src.pFile;
  m_src.pFile = nullptr;
  m_bEncrypt = false;
  if (r != ZIP_OK) {
    m_uSticky = r;
    return r;
  }
  m_aEntries.push_back(e);
  return ZIP_OK;
}

ZipResult CZipWriter::WriteEntry(Entry& e, const ZipLocalTimeExtra& localExtra) {
  m_bWriteFailed = false;
  const uint64_t localOffset = m_ullPos;
  const uint32_t firstCompressedSize = e.hdr.ulCompressedSize;
  ZipResult r = WriteLocalHeader(e, localExtra);
  if (r != ZIP_OK) return r;
  if (e.hdr.usFlags & kZipFlagEncrypted) {
    r = WriteEncryptionHeader(e.hdr.usTime);
    if (r != ZIP_OK) return r;
  }
  uint64_t dataLength = 0;
  r = e.hdr.usMethod == kZipMethodDeflated ? WriteDeflated(&dataLength) : WriteStored(&dataLength);
  if (r != ZIP_OK) return r;
  e.hdr.ulLocalOffset = static_cast<uint32_t>(localOffset);
  r = FinishEntry(e, localOffset, firstCompressedSize, dataLength);
  if (r != ZIP_OK) return r;
  // Without a descriptor, the local header is rewritten in place with the
  // real CRC and sizes.
  if (m_bCanSeek && !(e.hdr.usFlags & kZipFlagDescriptor)) {
    const uint64_t end = m_ullPos;
    if (!m_pOut->Seek(localOffset)) return ZIP_ERR_SEEK;
    m_ullPos = localOffset;
    r = WriteLocalHeader(e, localExtra);
    if (r != ZIP_OK) return r;
    if (!m_pOut->Seek(end)) return ZIP_ERR_SEEK;
    m_ullPos = end;
  }
  return ZIP_OK;
}

ZipResult CZipWriter::WriteLocalHeader(const Entry& e, const ZipLocalTimeExtra& extra) {
  ZipLocalHeader h;
  h.ulSignature = kZipLocalSignature;
  h.usVersionNeeded = e.hdr.usVersionNeeded;
  h.usFlags = e.hdr.usFlags;
  h.usMethod = e.hdr.usMethod;
  h.usTime = e.hdr.usTime;
  h.usDate = e.hdr.usDate;
  h.ulCrc = e.hdr.ulCrc;
  h.ulCompressedSize = e.hdr.ulCompressedSize;
  h.ulUncompressedSize = e.hdr.ulUncompressedSize;
  h.usNameLength = e.hdr.usNameLength;
  h.usExtraLength = kZipLocalExtraLength;
  if (!WriteOut(&h, sizeof(h)) || !WriteOut(e.name.data(), static_cast<uint32_t>(e.name.size())) ||
      !WriteOut(&extra, sizeof(extra)))
    return WriteFailure();
  return ZIP_OK;
}

ZipResult CZipWriter::WriteEncryptionHeader(uint16_t dosTime) {
  m_crypt.Init(m_sPassword.c_str());
  srand(ZipPlatformRandomSeed());
  uint8_t header[kZipCryptHeaderSize];
  for (unsigned i = 0; i < kZipCryptHeaderSize - 1; i++)
    header[i] = static_cast<uint8_t>((rand() & 0x7FFF) >> 7);
  // The last byte lets a reader check the password before any data.
  header[kZipCryptHeaderSize - 1] = static_cast<uint8_t>(dosTime >> 8);
  m_bEncrypt = true;
  return WriteOut(header, sizeof(header)) ? ZIP_OK : WriteFailure();
}

ZipResult CZipWriter::WriteStored(uint64_t* written) {
  m_aTransfer.resize(kTransferSize);
  for (;;) {
    int n = ReadSource(m_aTransfer.data(), kTransferSize);
    if (n <= 0) break;
    if (!WriteOut(m_aTransfer.data(), static_cast<uint32_t>(n))) return WriteFailure();
    *written += static_cast<uint32_t>(n);
  }
  return ZIP_OK;
}

ZipResult CZipWriter::WriteDeflated(uint64_t* written) {
  uint32_t r = m_pDeflater->Compress(DeflateRead, DeflateWrite, this, written);
  if (m_bWriteFailed) return WriteFailure();
  return r == 0 ? ZIP_OK : ZIP_ERR_WRITE;
}

ZipResult CZipWriter::FinishEntry(Entry& e, uint64_t localOffset, uint32_t firstCompressedSize,
                                  uint64_t dataLength) {
  const bool encrypted = (e.hdr.usFlags & kZipFlagEncrypted) != 0;
  m_bEncrypt = false;  // the data descriptor is not part of the entry's data
  // A read error is no end of input, and a file must deliver what it had.
  if (m_src.bReadError) return ZIP_ERR_WRITE;
  if (m_src.pFile && m_src.ullRead != m_src.ullLength) return ZIP_ERR_WRITE;
  const uint64_t compressed = dataLength + (encrypted ? kZipCryptHeaderSize : 0);
  if (compressed >= kZipMaxOffset || m_src.ullRead >= kZipMaxOffset || localOffset >= kZipMaxOffset)
    return ZIP_ERR_WRITE;
  e.hdr.ulCrc = m_src.ulCrc;
  e.hdr.ulCompressedSize = static_cast<uint32_t>(compressed);
  e.hdr.ulUncompressedSize = static_cast<uint32_t>(m_src.ullRead);

  if (m_bCanSeek && !encrypted) {
    e.hdr.usFlags = static_cast<uint16_t>(e.hdr.usMethod == kZipMethodDeflated ? kDeflateLevel8Flags : 0);
    return ZIP_OK;
  }
  if (e.hdr.usMethod == kZipMethodStored && e.hdr.ulCompressedSize != firstCompressedSize)
    return ZIP_ERR_CHANGED;
  ZipDataDescriptor d = {kZipDescriptorSignature, e.hdr.ulCrc, e.hdr.ulCompressedSize,
                         e.hdr.ulUncompressedSize};
  return WriteOut(&d, sizeof(d)) ? ZIP_OK : WriteFailure();
}

ZipResult CZipWriter::Finish() {
  if (m_bFinished) return m_uFinishResult;
  m_bFinished = true;
  bool ok = true;
  m_bWriteFailed = false;
  m_bEncrypt = false;
  // After a failed entry the output may stand past the last good byte.
  if (m_bCanSeek && !m_pOut->Seek(m_ullPos)) ok = false;
  const uint64_t cdStart = m_ullPos;
  for (const Entry& e : m_aEntries) {
    if (!ok) break;
    ok = WriteOut(&e.hdr, sizeof(e.hdr)) &&
         WriteOut(e.name.data(), static_cast<uint32_t>(e.name.size())) &&
         WriteOut(&e.extra, sizeof(e.extra));
  }
  const uint64_t cdSize = m_ullPos - cdStart;
  if (ok && (cdStart >= kZipMaxOffset || cdSize >= kZipMaxOffset)) ok = false;
  if (ok) {
    const uint16_t count = static_cast<uint16_t>(m_aEntries.size());
    ZipEndRecord end = {kZipEndSignature, 0, 0, count, count, static_cast<uint32_t>(cdSize),
                        static_cast<uint32_t>(cdStart), 0};
    ok = WriteOut(&end, sizeof(end));
  }
  m_aEntries.clear();
  m_aEntries.shrink_to_fit();
  m_uFinishResult = ok ? ZIP_OK : ZIP_ERR_WRITE;
  return m_uFinishResult;
}

ZipResult CZipWriter::GetImage(void** image, uint32_t* length) {
  if (image) *image = nullptr;
  if (length) *length = 0;
  if (!image || !length) return ZIP_ERR_ARGS;
  if (!m_pMemory) return ZIP_ERR_NOT_MEMORY;
  ZipResult r = Finish();
  if (r != ZIP_OK) return r;
  *image = m_pImageBlock;
  *length = static_cast<uint32_t>(m_pMemory->Used());
  return ZIP_OK;
}

bool CZipWriter::WriteOut(const void* data, uint32_t count) {
  if (m_bWriteFailed) return false;
  const void* p = data;
  if (m_bEncrypt && count > 0) {
    // Grown to twice the largest piece, so it settles after the first ones.
    if (m_aScratch.size() < count) m_aScratch.resize(size_t(count) * 2);
    const uint8_t* in = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < count; i++) m_aScratch[i] = m_crypt.Encrypt(in[i]);
    p = m_aScratch.data();
  }
  if (!m_pOut->Write(p, count)) {
    m_bWriteFailed = true;
    return false;
  }
  m_ullPos += count;
  return true;
}

ZipResult CZipWriter::WriteFailure() const {
  return m_pOut->IsFull() ? ZIP_ERR_TOO_SMALL : ZIP_ERR_WRITE;
}

int CZipWriter::ReadSource(uint8_t* buffer, unsigned count) {
  int64_t n;
  if (m_src.pFile) {
    n = m_src.pFile->Read(buffer, count);
    if (n < 0) {
      m_src.bReadError = true;
      return -1;
    }
  } else {
    uint64_t left = m_src.ullLength - m_src.ullPos;
    n = static_cast<int64_t>(left < count ? left : count);
    memcpy(buffer, m_src.pData + m_src.ullPos, static_cast<size_t>(n));
    m_src.ullPos += static_cast<uint64_t>(n);
  }
  m_src.ulCrc = Crc32Update(m_src.ulCrc, buffer, static_cast<size_t>(n));
  m_src.ullRead += static_cast<uint64_t>(n);
  return static_cast<int>(n);
}

int CZipWriter::DeflateRead(void* user, uint8_t* buffer, unsigned count) {
  return static_cast<CZipWriter*>(user)->ReadSource(buffer, count);
}

void CZipWriter::DeflateWrite(void* user, const uint8_t* data, unsigned count) {
  static_cast<CZipWriter*>(user)->WriteOut(data, count);
}
