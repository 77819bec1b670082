#pragma once
// Base64 with the standard alphabet and "=" padding.
#include <cstddef>
#include <cstdint>

// The encoding of `n` bytes in a new zero-terminated text (freed with
// free()); with `lineBreaks`, CR LF follows every 76 output characters. Null
// for no bytes or no memory. *length (when given) gets the text's length.
char* Base64EncodeBytes(const uint8_t* data, size_t n, bool lineBreaks, int* length);

// The text's encoding with line breaks, as mail and MIME bodies carry it.
char* Base64Encode(const char* text, int* length);
