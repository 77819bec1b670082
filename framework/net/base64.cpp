#include "framework/net/base64.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const size_t kLineChars = 76;

}  // namespace

char* Base64EncodeBytes(const uint8_t* data, size_t n, bool lineBreaks, int* length) {
  if (length) *length = 0;
  if (!data || n == 0 || n > size_t(1) << 28) return nullptr;
  size_t chars = (n + 2) / 3 * 4;
  size_t total = chars + (lineBreaks ? chars / kLineChars * 2 : 0);
  char* out = static_cast<char*>(malloc(total + 1));
  if (!out) return nullptr;
  char* p = out;
  size_t written = 0;
  auto put = [&](char c) {
    *p++ = c;
    if (lineBreaks && ++written % kLineChars == 0) {
      *p++ = '\r';
      *p++ = '\n';
    }
  };
  for (size_t i = 0; i < n; i += 3) {
    uint32_t block = uint32_t(data[i]) << 16;
    if (i + 1 < n) block |= uint32_t(data[i + 1]) << 8;
    if (i + 2 < n) block |= data[i + 2];
    put(kAlphabet[(block >> 18) & 63]);
    put(kAlphabet[(block >> 12) & 63]);
    put(i + 1 < n ? kAlphabet[(block >> 6) & 63] : '=');
    put(i + 2 < n ? kAlphabet[block & 63] : '=');
  }
  *p = '\0';
  if (length) *length = int(p - out);
  return out;
}

char* Base64Encode(const char* text, int* length) {
  if (!text) {
    if (length) *length = 0;
    return nullptr;
  }
  return Base64EncodeBytes(reinterpret_cast<const uint8_t*>(text), strlen(text), true, length);
}
