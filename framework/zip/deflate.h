#pragma once
// The framework's raw deflate compressor (stored, fixed and dynamic blocks,
// lazy matching with the parameters of level 8). It pulls its input through
// a read function and pushes its output through a write function, so the zip
// writer can count, checksum and encrypt on the way.
#include <cstdint>

struct DeflateState;

// Fills up to `count` bytes; returns how many (0 at the end, -1 on a read
// error, which also ends the input: the caller records the error itself).
typedef int (*DeflateReadFn)(void* user, uint8_t* buffer, unsigned count);
// Takes `count` bytes of output. Failures are the caller's to record.
typedef void (*DeflateWriteFn)(void* user, const uint8_t* data, unsigned count);

constexpr uint32_t kDeflateFailed = 0x5000000;
constexpr uint16_t kDeflateLevel8Flags = 2;  // general-purpose flag bit 1

class CDeflater {
 public:
  CDeflater();
  ~CDeflater();
  CDeflater(const CDeflater&) = delete;
  CDeflater& operator=(const CDeflater&) = delete;

  // False when the state could not be allocated.
  bool IsReady() const { return m_pState != nullptr; }

  // Compresses the whole input into one raw deflate stream. Returns 0, or
  // kDeflateFailed when a consistency check failed (see ErrorText()).
  // `compressedLength` receives the number of bytes written.
  uint32_t Compress(DeflateReadFn read, DeflateWriteFn write, void* user,
                    uint64_t* compressedLength);

  // Null while all is well, else the text of the first failed check.
  const char* ErrorText() const;

 private:
  DeflateState* m_pState;
};
