#pragma once
// The byte stream under the zip writer and reader: a file (created, opened or
// adopted), a memory block, or a mapping of the paging file.
#include <cstdint>

class CZipStream {
 public:
  virtual ~CZipStream() {}
  // Up to `count` bytes at the current position; the number read, 0 at the
  // end, -1 on a read error.
  virtual int64_t Read(void* buffer, uint32_t count) = 0;
  // All `count` bytes or false.
  virtual bool Write(const void* data, uint32_t count) = 0;
  virtual bool Seek(uint64_t position) = 0;
  virtual bool Tell(uint64_t* position) = 0;
  virtual bool GetSize(uint64_t* size) = 0;
  // Times as Windows file times; streams that are no files refuse.
  virtual bool SetTimes(uint64_t creation, uint64_t access, uint64_t modification) {
    (void)creation, (void)access, (void)modification;
    return false;
  }
  // True once a write failed only because a memory block was full.
  virtual bool IsFull() const { return false; }
};

// A memory block. For writing, the data must stay strictly smaller than the
// block: a write that would reach its last byte fails.
class CZipMemoryStream : public CZipStream {
 public:
  CZipMemoryStream(const void* data, uint64_t size);  // read-only
  CZipMemoryStream(void* block, uint64_t size, bool writable);
  int64_t Read(void* buffer, uint32_t count) override;
  bool Write(const void* data, uint32_t count) override;
  bool Seek(uint64_t position) override;
  bool Tell(uint64_t* position) override;
  bool GetSize(uint64_t* size) override;
  bool IsFull() const override { return m_bFull; }
  uint64_t Used() const { return m_ullUsed; }  // highest position written

 private:
  const uint8_t* m_pRead;
  uint8_t* m_pWrite;
  uint64_t m_ullSize;
  uint64_t m_ullPos = 0;
  uint64_t m_ullUsed = 0;
  bool m_bFull = false;
};
