// Zip archive reader: the end record search, the walk over the central
// directory, entry information, and reading an entry's data.
#include "framework/zip/zip_reader.h"

#include <cstring>

#include "framework/text/crc32.h"
#include "framework/zip/zip_names.h"
#include "framework/zip/zip_platform.h"
#include "framework/zip/zip_time.h"

namespace {

constexpr uint32_t kInputSize = 16384;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Windows attributes of an entry from its host system and external attributes.
uint32_t EntryAttributes(const ZipCentralHeader& h) {
  const unsigned host = h.usVersionMadeBy >> 8;
  const uint32_t ext = h.ulExternalAttributes;
  if (host == 0 || host == 7 || host == 11 || host == 14) {
    return ext & (kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem | kZipAttrDirectory | kZipAttrArchive);
  }
  uint32_t attr = kZipAttrArchive;
  if (ext & 0x40000000u) attr |= kZipAttrDirectory;
  if (!(ext & 0x00800000u)) attr |= kZipAttrReadOnly;  // no owner write
  return attr;
}

int LowerAscii(int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

bool NamesEqual(const char* a, const char* b, size_t n, bool ignoreCase) {
  if (!ignoreCase) return memcmp(a, b, n) == 0;
  for (size_t i = 0; i < n; i++) {
    if (LowerAscii(static_cast<unsigned char>(a[i])) != LowerAscii(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

CZipReader::CZipReader(const char* password) {
  if (password) m_sPassword = password;
  if (!ZipPlatformCurrentFolder(m_szBase, sizeof(m_szBase))) m_szBase[0] = 0;
}

CZipReader::~CZipReader() {
  CloseEntry();
  delete m_pSrc;
}

ZipResult CZipReader::OpenFile(const char* fileName) {
  if (!fileName || !*fileName) return ZIP_ERR_ARGS;
  m_pSrc = ZipPlatformOpenArchive(fileName);
  if (!m_pSrc) return ZIP_ERR_OPEN;
  return OpenArchive();
}

ZipResult CZipReader::OpenHandle(void* handle) {
  if (!handle) return ZIP_ERR_ARGS;
  m_pSrc = ZipPlatformAdoptHandle(handle);
  if (!m_pSrc) return ZIP_ERR_OPEN;
  return OpenArchive();
}

ZipResult CZipReader::OpenMemory(const void* data, uint32_t size) {
  if (!data || size == 0) return ZIP_ERR_ARGS;
  m_pSrc = new CZipMemoryStream(data, size);
  return OpenArchive();
}

bool CZipReader::ReadAt(uint64_t pos, void* buffer, uint32_t count) {
  if (!m_pSrc->Seek(pos)) return false;
  uint8_t* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    int64_t n = m_pSrc->Read(p, count);
    if (n <= 0) return false;
    p += n;
    count -= static_cast<uint32_t>(n);
  }
  return true;
}

// Finds the end record nearest to the end of the source and takes the
// directory's place from it; bytes in front of the archive are allowed.
ZipResult CZipReader::OpenArchive() {
  uint64_t here;
  m_bCanSeek = m_pSrc->Tell(&here) && m_pSrc->GetSize(&m_ullSrcSize);
  if (!m_bCanSeek || m_ullSrcSize < sizeof(ZipEndRecord)) return ZIP_ERR_READ;

  const uint32_t tailSize = static_cast<uint32_t>(m_ullSrcSize < kZipEndSearch ? m_ullSrcSize : kZipEndSearch);
  const uint64_t tailStart = m_ullSrcSize - tailSize;
  std::vector<uint8_t> tail(tailSize);
  if (!ReadAt(tailStart, tail.data(), tailSize)) return ZIP_ERR_READ;
  int64_t at = -1;
  for (int64_t i = int64_t(tailSize) - int64_t(sizeof(ZipEndRecord)); i >= 0; i--) {
    if (Get32(&tail[static_cast<size_t>(i)]) == kZipEndSignature) {
      at = i;
      break;
    }
  }
  if (at < 0) return ZIP_ERR_READ;

  ZipEndRecord end;
  memcpy(&end, &tail[static_cast<size_t>(at)], sizeof(end));
  const uint64_t endPos = tailStart + static_cast<uint64_t>(at);
  const uint64_t cdEnd = uint64_t(end.ulCentralOffset) + end.ulCentralSize;
  if (end.usDisk != 0 || end.usCentralDisk != 0 || end.usEntriesOnDisk != end.usEntries ||
      cdEnd > endPos)
    return ZIP_ERR_READ;
  m_ullArchiveStart = endPos - cdEnd;
  m_ullCdStart = m_ullArchiveStart + end.ulCentralOffset;
  m_ullCdSize = end.ulCentralSize;
  m_uCount = end.usEntries;
  // Each entry needs at least its fixed header in the directory.
  if (uint64_t(m_uCount) * sizeof(ZipCentralHeader) > m_ullCdSize) return ZIP_ERR_READ;
  return m_uCount > 0 ? GoToEntry(0) : ZIP_OK;
}

ZipResult CZipReader::ReadCentral(uint64_t pos) {
  const uint64_t cdEnd = m_ullCdStart + m_ullCdSize;
  if (pos + sizeof(ZipCentralHeader) > cdEnd) return ZIP_ERR_READ;
  if (!ReadAt(pos, &m_cur, sizeof(m_cur)) || m_cur.ulSignature != kZipCentralSignature)
    return ZIP_ERR_READ;
  const uint64_t total = sizeof(ZipCentralHeader) + uint64_t(m_cur.usNameLength) +
                         m_cur.usExtraLength + m_cur.usCommentLength;
  if (pos + total > cdEnd) return ZIP_ERR_READ;
  // Longer names are cut to what the information record can hold.
  uint32_t n = m_cur.usNameLength < kZipMaxName ? m_cur.usNameLength : kZipMaxName;
  if (n && !ReadAt(pos + sizeof(ZipCentralHeader), m_szRawName, n)) return ZIP_ERR_READ;
  m_szRawName[n] = 0;
  m_ullCurPos = pos;
  return ZIP_OK;
}

ZipResult CZipReader::GoToEntry(int32_t index) {
  if (index < 0 || uint32_t(index) >= m_uCount) return ZIP_ERR_ARGS;
  if (m_iCur < 0 || index < m_iCur) {
    m_iCur = -1;
    ZipResult r = ReadCentral(m_ullCdStart);
    if (r != ZIP_OK) return r;
    m_iCur = 0;
  }
  while (m_iCur < index) {
    uint64_t next = m_ullCurPos + sizeof(ZipCentralHeader) + m_cur.usNameLength +
                    m_cur.usExtraLength + m_cur.usCommentLength;
    ZipResult r = ReadCentral(next);
    if (r != ZIP_OK) {
      m_iCur = -1;
      return r;
    }
    m_iCur++;
  }
  return ZIP_OK;
}

// Checks the current entry's local header against its central header and
// returns where the data starts and the local extra field.
ZipResult CZipReader::CheckLocalHeader(uint64_t* dataStart, std::vector<uint8_t>* localExtra) {
  if (!m_bCanSeek) return ZIP_ERR_READ;
  const uint64_t pos = m_ullArchiveStart + m_cur.ulLocalOffset;
  ZipLocalHeader h;
  if (pos + sizeof(h) > m_ullSrcSize) return ZIP_ERR_LOCAL_HEADER;
  if (!ReadAt(pos, &h, sizeof(h))) return ZIP_ERR_READ;
  if (h.ulSignature != kZipLocalSignature || h.usMethod != m_cur.usMethod ||
      h.usNameLength != m_cur.usNameLength)
    return ZIP_ERR_LOCAL_HEADER;
  if (!(h.usFlags & kZipFlagDescriptor) &&
      (h.ulCrc != m_cur.ulCrc || h.ulCompressedSize != m_cur.ulCompressedSize ||
       h.ulUncompressedSize != m_cur.ulUncompressedSize))
    return ZIP_ERR_LOCAL_HEADER;
  const uint64_t extraPos = pos + sizeof(h) + h.usNameLength;
  *dataStart = extraPos + h.usExtraLength;
  // The data lies before the central directory.
  if (*dataStart + m_cur.ulCompressedSize > m_ullCdStart) return ZIP_ERR_LOCAL_HEADER;
  localExtra->resize(h.usExtraLength);
  if (h.usExtraLength && !ReadAt(extraPos, localExtra->data(), h.usExtraLength)) return ZIP_ERR_READ;
  return ZIP_OK;
}

ZipResult CZipReader::FillInfo(int32_t index, const std::vector<uint8_t>& extra, ZipEntryInfo* info) {
  memset(info, 0, sizeof(*info));
  info->iIndex = index;
  ZipCleanEntryName(m_szRawName, info->szName, sizeof(info->szName));
  info->ulAttributes = EntryAttributes(m_cur);
  const uint64_t dosTime = DosToFileTime(m_cur.usDate, m_cur.usTime);
  info->ftAccess = info->ftCreation = info->ftModification = dosTime;

  size_t pos = 0;
  while (extra.size() - pos >= 5) {
    const uint16_t tag = Get16(&extra[pos]);
    const size_t len = Get16(&extra[pos + 2]);
    if (pos + 4 + len > extra.size()) return ZIP_ERR_LOCAL_HEADER;
    if (tag == 0x5455 && len >= 1) {  // "UT"
      const uint8_t flags = extra[pos + 4];
      const size_t end = pos + 4 + len;
      size_t p = pos + 5;
      uint64_t* targets[3] = {&info->ftModification, &info->ftAccess, &info->ftCreation};
      for (int bit = 0; bit < 3; bit++) {
        if (!(flags & (1 << bit))) continue;
        if (p + 4 > end) break;  // flags promise more than the block holds
        *targets[bit] = UnixToFileTime(Get32(&extra[p]));
        p += 4;
      }
      break;
    }
    pos += 4 + len;
  }
  info->ulCompressedSize = m_cur.ulCompressedSize;
  info->ulUncompressedSize = m_cur.ulUncompressedSize;
  return ZIP_OK;
}

ZipResult CZipReader::SetBaseFolder(const char* folder) {
  if (!folder || !*folder) return ZIP_ERR_ARGS;
  size_t n = strlen(folder);
  const bool hasSep = folder[n - 1] == '\\' || folder[n - 1] == '/';
  if (n + (hasSep ? 0 : 1) >= sizeof(m_szBase)) return ZIP_ERR_ARGS;
  memcpy(m_szBase, folder, n + 1);
  if (!hasSep) {
    m_szBase[n] = '\\';
    m_szBase[n + 1] = 0;
  }
  return ZIP_OK;
}

ZipResult CZipReader::GetEntry(int32_t index, ZipEntryInfo* info) {
  CloseEntry();
  if (!info) return ZIP_ERR_ARGS;
  if (index == -1) {
    memset(info, 0, sizeof(*info));
    info->iIndex = static_cast<int32_t>(m_uCount);
    return ZIP_OK;
  }
  if (index < -1 || uint32_t(index) >= m_uCount) return ZIP_ERR_ARGS;
  if (index == m_iCachedIndex) {
    *info = m_cachedInfo;
    return ZIP_OK;
  }
  ZipResult r = GoToEntry(index);
  if (r != ZIP_OK) return r;
  uint64_t dataStart;
  std::vector<uint8_t> extra;
  r = CheckLocalHeader(&dataStart, &extra);
  if (r == ZIP_OK) r = FillInfo(index, extra, info);
  if (r != ZIP_OK) return r;
  m_cachedInfo = *info;
  m_iCachedIndex = index;
  return ZIP_OK;
}

ZipResult CZipReader::FindEntry(const char* name, bool ignoreCase, int32_t* index,
                                ZipEntryInfo* info) {
  if (!name || !*name || !index) return ZIP_ERR_ARGS;
  *index = -1;
  if (info) {
    memset(info, 0, sizeof(*info));
    info->iIndex = -1;
  }
  const size_t n = strlen(name);
  if (n >= 256) return ZIP_ERR_NOT_FOUND;
  for (uint32_t i = 0; i < m_uCount; i++) {
    ZipResult r = GoToEntry(static_cast<int32_t>(i));
    if (r != ZIP_OK) return r;
    if (m_cur.usNameLength == n && NamesEqual(m_szRawName, name, n, ignoreCase)) {
      *index = static_cast<int32_t>(i);
      return info ? GetEntry(*index, info) : ZIP_OK;
    }
  }
  return ZIP_ERR_NOT_FOUND;
}

ZipResult CZipReader::OpenEntry(int32_t index) {
  CloseEntry();
  ZipResult r = GoToEntry(index);
  if (r != ZIP_OK) return r;
  std::vector<uint8_t> extra;
  r = CheckLocalHeader(&m_ullDataPos, &extra);
  if (r != ZIP_OK) return r;
  if (m_cur.usMethod != kZipMethodStored && m_cur.usMethod != kZipMethodDeflated) return ZIP_ERR_DATA;
  if (m_cur.usMethod == kZipMethodDeflated) {
    m_z = z_stream();
    if (inflateInit2(&m_z, -MAX_WBITS) != Z_OK) return ZIP_ERR_DATA;
    m_bInflating = true;
  }
  m_iOpenIndex = index;
  m_ulExpectedCrc = m_cur.ulCrc;
  m_ullCompLeft = m_cur.ulCompressedSize;
  m_ullUncompLeft = m_cur.ulUncompressedSize;
  m_ulCrc = 0;
  m_uInPos = m_uInLen = 0;
  m_bEnd = false;
  m_bEncrypted = (m_cur.usFlags & kZipFlagEncrypted) != 0;
  m_uSkip = 0;
  if (m_bEncrypted) {
    // With a data descriptor the CRC was unknown when the header was made,
    // so the check byte is the time's high byte.
    m_ucCheck = static_cast<uint8_t>((m_cur.usFlags & kZipFlagDescriptor) ? m_cur.usTime >> 8
                                                                         : m_cur.ulCrc >> 24);
    m_crypt.Init(m_sPassword.c_str());
    m_uSkip = kZipCryptHeaderSize;
    // Check the password now, before anything reaches the caller.
    while (m_uSkip > 0) {
      if (m_ullCompLeft == 0) r = ZIP_ERR_DATA;
      else r = FillInput();
      if (r != ZIP_OK) {
        CloseEntry();
        return r;
      }
    }
  }
  return ZIP_OK;
}

void CZipReader::CloseEntry() {
  if (m_bInflating) inflateEnd(&m_z);
  m_bInflating = false;
  m_iOpenIndex = -1;
  m_uInPos = m_uInLen = 0;
}

ZipResult CZipReader::FillInput() {
  if (m_aIn.empty()) m_aIn.resize(kInputSize);
  uint32_t n = static_cast<uint32_t>(m_ullCompLeft < kInputSize ? m_ullCompLeft : kInputSize);
  if (!ReadAt(m_ullDataPos, m_aIn.data(), n)) return ZIP_ERR_READ;
  m_ullDataPos += n;
  m_ullCompLeft -= n;
  if (m_bEncrypted) {
    for (uint32_t i = 0; i < n; i++) m_aIn[i] = m_crypt.Decrypt(m_aIn[i]);
  }
  m_uInPos = 0;
  m_uInLen = n;
  if (m_uSkip > 0) {
    uint32_t k = m_uSkip < n ? m_uSkip : n;
    m_uInPos = k;
    m_uSkip -= k;
    if (m_uSkip == 0 && m_aIn[k - 1] != m_ucCheck) return ZIP_ERR_PASSWORD;
  }
  return ZIP_OK;
}

// Delivers up to `size` bytes of the open entry. Every call either moves
// forward or fails: a stream that stops early is damaged.
ZipResult CZipReader::ReadEntry(uint8_t* out, uint32_t size, uint32_t* got) {
  *got = 0;
  while (*got < size && m_ullUncompLeft > 0) {
    if (m_uInPos == m_uInLen && m_ullCompLeft > 0) {
      ZipResult r = FillInput();
      if (r != ZIP_OK) return r;
    }
    const uint32_t inAvail = m_uInLen - m_uInPos;
    uint32_t room = size - *got;
    if (room > m_ullUncompLeft) room = static_cast<uint32_t>(m_ullUncompLeft);
    uint32_t produced;
    if (!m_bInflating) {
      produced = inAvail < room ? inAvail : room;
      if (produced == 0) return ZIP_ERR_DATA;
      memcpy(out + *got, &m_aIn[m_uInPos], produced);
      m_uInPos += produced;
    } else {
      m_z.next_in = inAvail ? &m_aIn[m_uInPos] : nullptr;
      m_z.avail_in = inAvail;
      m_z.next_out = out + *got;
      m_z.avail_out = room;
      int zr = inflate(&m_z, Z_SYNC_FLUSH);
      const uint32_t consumed = inAvail - m_z.avail_in;
      produced = room - m_z.avail_out;
      m_uInPos += consumed;
      if (zr != Z_OK && zr != Z_STREAM_END && zr != Z_BUF_ERROR) return ZIP_ERR_DATA;
      if (consumed == 0 && produced == 0) return ZIP_ERR_DATA;
      if (zr == Z_STREAM_END && produced < m_ullUncompLeft) return ZIP_ERR_DATA;
    }
    m_ulCrc = Crc32Update(m_ulCrc, out + *got, produced);
    *got += produced;
    m_ullUncompLeft -= produced;
  }
  if (m_ullUncompLeft == 0 && !m_bEnd) {
    m_bEnd = true;
    if (m_ulCrc != m_ulExpectedCrc) return ZIP_ERR_DATA;
  }
  return ZIP_OK;
}

ZipResult CZipReader::ExtractToMemory(int32_t index, void* buffer, uint32_t size) {
  if (!buffer || size == 0) return ZIP_ERR_ARGS;
  if (index != m_iOpenIndex || m_iOpenIndex < 0) {
    CloseEntry();
    if (index < 0 || uint32_t(index) >= m_uCount) return ZIP_ERR_ARGS;
    ZipResult r = OpenEntry(index);
    if (r != ZIP_OK) return r == ZIP_ERR_PASSWORD ? r : ZIP_ERR_DATA;
  }
  uint32_t got;
  ZipResult r = ReadEntry(static_cast<uint8_t*>(buffer), size, &got);
  if (r != ZIP_OK) {
    CloseEntry();
    return r == ZIP_ERR_PASSWORD ? r : ZIP_ERR_DATA;
  }
  return m_bEnd ? ZIP_OK : ZIP_ERR_MORE_DATA;
}
