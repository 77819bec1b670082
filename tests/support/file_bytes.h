#pragma once
// Whole files as bytes, for tests and the tools beside them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Replaces *bytes with the file's contents; false when it cannot be opened.
inline bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  uint8_t chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof(chunk), f)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  fclose(f);
  return true;
}

// The file's contents, empty when it cannot be opened.
inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  ReadWholeFile(path, &bytes);
  return bytes;
}

inline bool WriteWholeFile(const std::string& path, const void* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = fwrite(data, 1, size, f) == size;
  return fclose(f) == 0 && ok;
}
