#pragma once
// Reads the little-endian fixture files that imagelib_fixtures.py writes.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

class CFixtureReader {
 public:
  explicit CFixtureReader(const std::string& name) : mBytes(ReadWholeFile(TestOutputPath(name))) {}
  bool Loaded() const { return !mBytes.empty(); }
  bool Failed() const { return mFailed; }
  int32_t Int() {
    const uint8_t* p = Take(4);
    return p ? int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                       uint32_t(p[3]) << 24)
             : 0;
  }
  // A pointer to the next count bytes, or null (and Failed()) past the end.
  const uint8_t* Take(size_t count) {
    if (mFailed || mBytes.size() - mAt < count) {
      mFailed = true;
      return nullptr;
    }
    const uint8_t* p = mBytes.data() + mAt;
    mAt += count;
    return p;
  }

 private:
  std::vector<uint8_t> mBytes;
  size_t mAt = 0;
  bool mFailed = false;
};

#define BW_FIXTURE_HINT "missing; the fixture step of CTest (imagelib_fixtures.py) makes it"
