// Memory-block stream of the zip writer and reader.
#include <cstring>

#include "framework/zip/zip_stream.h"

CZipMemoryStream::CZipMemoryStream(const void* data, uint64_t size)
    : m_pRead(static_cast<const uint8_t*>(data)), m_pWrite(nullptr), m_ullSize(size),
      m_ullUsed(size) {}

CZipMemoryStream::CZipMemoryStream(void* block, uint64_t size, bool writable)
    : m_pRead(static_cast<const uint8_t*>(block)),
      m_pWrite(writable ? static_cast<uint8_t*>(block) : nullptr), m_ullSize(size),
      m_ullUsed(writable ? 0 : size) {}

int64_t CZipMemoryStream::Read(void* buffer, uint32_t count) {
  uint64_t end = m_pWrite ? m_ullUsed : m_ullSize;
  if (m_ullPos >= end) return 0;
  uint64_t n = end - m_ullPos < count ? end - m_ullPos : count;
  memcpy(buffer, m_pRead + m_ullPos, n);
  m_ullPos += n;
  return static_cast<int64_t>(n);
}

bool CZipMemoryStream::Write(const void* data, uint32_t count) {
  if (!m_pWrite) return false;
  // Strictly smaller than the block: the last byte is never written.
  if (m_ullPos >= m_ullSize || count >= m_ullSize - m_ullPos) {
    m_bFull = true;
    return false;
  }
  if (count) memcpy(m_pWrite + m_ullPos, data, count);
  m_ullPos += count;
  if (m_ullPos > m_ullUsed) m_ullUsed = m_ullPos;
  return true;
}

bool CZipMemoryStream::Seek(uint64_t position) {
  uint64_t end = m_pWrite ? m_ullUsed : m_ullSize;
  if (position > end) return false;
  m_ullPos = position;
  return true;
}

bool CZipMemoryStream::Tell(uint64_t* position) {
  *position = m_ullPos;
  return true;
}

bool CZipMemoryStream::GetSize(uint64_t* size) {
  *size = m_pWrite ? m_ullUsed : m_ullSize;
  return true;
}
