#pragma once
// CRC-32 of ISO 3309 / ITU-T V.42 (reflected polynomial 0xEDB88320), as zip
// archives and the instance key use it.
#include <cstddef>
#include <cstdint>

// Continues a running CRC: start with 0, feed the bytes in any number of
// pieces; the value after the last piece is the finished CRC.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);

// CRC-32 of `length` bytes, or of the zero-terminated text when length is -1.
uint32_t Crc32String(const char* text, int length);
