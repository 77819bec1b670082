#include "framework/text/text_utils.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

int LowerChar(char c) { return tolower(static_cast<unsigned char>(c)); }

bool EqualI(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

// Length of a text that must end inside its buffer; -1 when it does not.
long BoundedLength(const char* text, int bufferSize) {
  if (bufferSize < 1) return -1;
  size_t n = strnlen(text, size_t(bufferSize));
  return n < size_t(bufferSize) ? long(n) : -1;
}

bool IsUnsafeNameChar(char c) { return strchr("\\/:*?\"<>|\r\n\t", c) != nullptr && c != 0; }

}  // namespace

bool ReplaceText(char* text, int bufferSize, const char* find, const char* replacement) {
  if (!text || !find || !replacement || !*find) return false;
  long length = BoundedLength(text, bufferSize);
  if (length < 0) return false;
  size_t len = size_t(length);
  const size_t findLen = strlen(find);
  const size_t replLen = strlen(replacement);
  bool replaced = false;
  size_t from = 0;
  while (const char* hit = strstr(text + from, find)) {
    size_t at = size_t(hit - text);
    size_t newLen = len - findLen + replLen;
    if (newLen >= size_t(bufferSize)) return false;
    memmove(text + at + replLen, text + at + findLen, len - at - findLen + 1);
    memcpy(text + at, replacement, replLen);
    len = newLen;
    from = at + replLen;
    replaced = true;
  }
  return replaced;
}

int AppendText(char* text, int bufferSize, const char* addition, int mode) {
  if (!text || !addition) return 1;
  long length = BoundedLength(text, bufferSize);
  if (length < 0) return 1;
  const size_t len = size_t(length);
  const size_t addLen = strlen(addition);
  const size_t room = size_t(bufferSize) - 1 - len;
  if (addLen <= room) {
    memcpy(text + len, addition, addLen + 1);
    return 0;
  }
  std::string part(addition, addLen);
  if (mode == 1) {
    for (char& c : part)
      if (IsUnsafeNameChar(c)) c = '_';
    // Every "\" of the appended part is gone, so its last "." starts the
    // extension of the whole name; keep it and shorten what comes before.
    size_t dot = part.rfind('.');
    if (dot != std::string::npos && part.size() - dot <= room)
      part.erase(room - (part.size() - dot), part.size() - room);
  }
  part.resize(room);
  memcpy(text + len, part.data(), room);
  text[len + room] = 0;
  return 1;
}

const char* StrEndsWithI(const char* text, const char* suffix) {
  if (!text || !suffix) return nullptr;
  size_t textLen = strlen(text);
  size_t suffixLen = strlen(suffix);
  if (textLen == 0 || suffixLen == 0 || suffixLen > textLen) return nullptr;
  const char* at = text + textLen - suffixLen;
  return EqualI(at, suffix, suffixLen) ? at : nullptr;
}

const char* StrFindI(const char* text, const char* part) {
  if (!text || !part) return nullptr;
  size_t partLen = strlen(part);
  for (const char* p = text;; ++p) {
    if (strnlen(p, partLen) < partLen) return nullptr;
    if (EqualI(p, part, partLen)) return p;
  }
}

void SetFlag(uint32_t* flags, uint32_t mask, bool on) {
  if (on)
    *flags |= mask;
  else
    *flags &= ~mask;
}

void ByteToHex(uint8_t value, char* out) {
  static const char kDigits[] = "0123456789ABCDEF";
  out[0] = kDigits[value >> 4];
  out[1] = kDigits[value & 0x0F];
}

uint8_t HexToByte(const char* digits) {
  uint8_t value = 0;
  for (int i = 0; i < 2; ++i) {
    unsigned char c = static_cast<unsigned char>(digits[i]);
    // Letters of either case land on 10..15 once their low four bits are kept.
    unsigned nibble = (c <= '9' ? c : c - 7u) & 0x0Fu;
    value = uint8_t((value << 4) | nibble);
  }
  return value;
}
