#include "framework/settings/settings_exchange.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/text/text_utils.h"

namespace {

constexpr int32_t kInitialTextCapacity = 1024;
constexpr uint8_t kLineEnd[3] = {0x00, 0x0D, 0x0A};

bool IsLineStart(const uint8_t* text, int64_t p) {
  return p == 0 || (p >= 3 && memcmp(text + p - 3, kLineEnd, 3) == 0);
}

// Decimal text as atoi reads it (leading blanks, a sign, digits up to the
// first other character); the caller keeps the low bits it needs.
uint64_t ParseDecimal(const char* text) {
  return static_cast<uint64_t>(strtoll(text, nullptr, 10));
}

// "0x" and then up to `maxDigits` hex digits (0: any number); false when
// the text does not start that way.
bool ParseHexPrefixed(const char* text, int maxDigits, uint64_t* value) {
  if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
  const char* p = text + 2;
  if (!isxdigit(static_cast<unsigned char>(*p))) return false;
  uint64_t v = 0;
  for (int n = 0; isxdigit(static_cast<unsigned char>(*p)) && (maxDigits == 0 || n < maxDigits);
       ++n, ++p) {
    char digit[2] = {'0', *p};
    v = (v << 4) | HexToByte(digit);
  }
  *value = v;
  return true;
}

// Appends "key=" + value + 00 0D 0A; the value may be of any length.
void AppendLine(CByteBuffer* text, const char* key, const void* value, size_t valueLength) {
  text->Append(reinterpret_cast<const uint8_t*>(key), static_cast<int32_t>(strlen(key)));
  text->Append(reinterpret_cast<const uint8_t*>("="), 1);
  if (valueLength > 0)
    text->Append(static_cast<const uint8_t*>(value), static_cast<int32_t>(valueLength));
  text->Append(kLineEnd, 3);
}

bool HasFloatMark(const char* text) {
  for (const char* p = text; *p; ++p) {
    char c = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
    if (c == '.' || c == 'e' || c == 'i' || c == 'n') return true;  // ".", "e", "inf", "nan"
  }
  return false;
}

}  // namespace

void FormatSettingsFloat(float value, char* out, int outSize) {
  for (int precision = 8; precision <= 9; ++precision) {
    snprintf(out, outSize, "%.*g", precision, static_cast<double>(value));
    if (!HasFloatMark(out)) {
      size_t n = strlen(out);
      if (n + 2 < static_cast<size_t>(outSize)) memcpy(out + n, ".0", 3);
    }
    if (std::isnan(value)) return;
    float back = strtof(out, nullptr);
    if (memcmp(&back, &value, sizeof value) == 0) return;
  }
}

CSettingsExchange::CSettingsExchange() {
  szValue[0] = '\0';
  szKey[0] = '\0';
}

CSettingsExchange::~CSettingsExchange() { Close(); }

void CSettingsExchange::Open(int32_t save, const char* prefix) {
  text.RemoveAll();
  text.Reserve(kInitialTextCapacity, kGrowDouble);
  iLastHit = 0;
  iPrefixLength = prefix ? static_cast<int32_t>(strlen(prefix)) : 0;
  iNumber = save;
  iSave = save;
  pValue = nullptr;
}

void CSettingsExchange::Close() {
  text.RemoveAll();
  pValue = nullptr;
}

bool CSettingsExchange::SetText(const void* bytes, int32_t length) {
  text.RemoveAll();
  pValue = nullptr;
  iLastHit = 0;
  if (length <= 0) return true;
  return text.Reserve(length, kGrowDouble) &&
         text.Append(static_cast<const uint8_t*>(bytes), length) >= 0;
}

void CSettingsExchange::WriteLine(const char* key, const char* value) {
  AppendLine(&text, key, value, strlen(value));
}

int32_t CSettingsExchange::FindText(const char* bytes, int32_t length, int32_t start) const {
  if (!bytes || length < 0 || start < 0 || !text.data) return -1;
  // A key counts only at the start of a line, so a text value that holds a
  // line break and "key=" cannot stand in for the real key.
  for (int64_t p = start; p + length + 1 <= text.count; ++p) {
    if (IsLineStart(text.data, p) && memcmp(text.data + p, bytes, length) == 0 &&
        text.data[p + length] == '=')
      return static_cast<int32_t>(p);
  }
  return -1;
}

int32_t CSettingsExchange::FindValue(const char* key) {
  int32_t length = static_cast<int32_t>(strlen(key));
  int32_t start = iLastHit < 0 || iLastHit > text.count ? 0 : iLastHit;
  int32_t p = FindText(key, length, start);
  if (p < 0 && start > 0) p = FindText(key, length, 0);
  pValue = nullptr;
  iLastHit = -1;
  if (p < 0) return -1;
  int64_t valueStart = int64_t(p) + length + 1;
  for (int64_t q = valueStart; q + 3 <= text.count; ++q) {
    if (memcmp(text.data + q, kLineEnd, 3) == 0) {
      pValue = reinterpret_cast<char*>(text.data + valueStart);
      iLastHit = static_cast<int32_t>(q);
      return iLastHit;
    }
  }
  return -1;
}

const char* CSettingsExchange::FormatName(const char* expression, int i1, int i2, int i3) {
  const int indexes[3] = {i1, i2, i3};
  int next = 0;
  const char* s = expression ? expression : "";
  if (*s == '&') ++s;
  for (int32_t k = 0; k < iPrefixLength && *s; ++k) ++s;
  size_t n = 0;
  const size_t limit = sizeof szKey - 1;
  while (*s && n < limit) {
    if (s[0] == '[' && isalpha(static_cast<unsigned char>(s[1]))) {
      // "[xi]" names an element: its index takes the letters' place; "[3]" stays.
      char digits[16];
      int len = snprintf(digits, sizeof digits, "[%d", next < 3 ? indexes[next] : 0);
      ++next;
      if (n + len > limit) break;
      memcpy(szKey + n, digits, len);
      n += len;
      s = strchr(s, ']');
      if (!s) break;
    }
    szKey[n++] = *s++;
  }
  szKey[n] = '\0';
  return szKey;
}

int CSettingsExchange::Byte(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    int8_t v;
    memcpy(&v, field, 1);
    snprintf(szValue, sizeof szValue, "%d", v);
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  uint8_t v = static_cast<uint8_t>(ParseDecimal(pValue));
  memcpy(field, &v, 1);
  return 0;
}

int CSettingsExchange::HexByte(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    ByteToHex(*static_cast<const uint8_t*>(field), szValue);
    szValue[2] = '\0';
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  if (!isxdigit(static_cast<unsigned char>(pValue[0])) ||
      !isxdigit(static_cast<unsigned char>(pValue[1])))
    return 1;
  *static_cast<uint8_t*>(field) = HexToByte(pValue);
  return 0;
}

int CSettingsExchange::Short(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    int16_t v;
    memcpy(&v, field, 2);
    snprintf(szValue, sizeof szValue, "%d", v);
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  uint16_t v = static_cast<uint16_t>(ParseDecimal(pValue));
  memcpy(field, &v, 2);
  return 0;
}

int CSettingsExchange::HexShort(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    uint16_t v;
    memcpy(&v, field, 2);
    snprintf(szValue, sizeof szValue, "0x%04X", static_cast<unsigned>(v));
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  uint64_t parsed;
  if (!ParseHexPrefixed(pValue, 0, &parsed)) return 1;
  uint16_t v = static_cast<uint16_t>(parsed);
  memcpy(field, &v, 2);
  return 0;
}

int CSettingsExchange::Int(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    int32_t v;
    memcpy(&v, field, 4);
    snprintf(szValue, sizeof szValue, "%d", static_cast<int>(v));
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  uint32_t v = static_cast<uint32_t>(ParseDecimal(pValue));
  memcpy(field, &v, 4);
  return 0;
}

int CSettingsExchange::HexInt(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    uint32_t v;
    memcpy(&v, field, 4);
    snprintf(szValue, sizeof szValue, "0x%08X", static_cast<unsigned>(v));
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  uint64_t parsed;
  if (!ParseHexPrefixed(pValue, 8, &parsed)) return 1;
  uint32_t v = static_cast<uint32_t>(parsed);
  memcpy(field, &v, 4);
  return 0;
}

int CSettingsExchange::Float(void* field, const char* expression, int i1, int i2, int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    float v;
    memcpy(&v, field, sizeof v);
    FormatSettingsFloat(v, szValue, sizeof szValue);
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  float v = strtof(pValue, nullptr);
  memcpy(field, &v, sizeof v);
  return 0;
}

int CSettingsExchange::String(char* field, int size, const char* expression, int i1, int i2,
                              int i3) {
  FormatName(expression, i1, i2, i3);
  if (iSave) {
    // A full buffer without its terminator still gives at most size - 1
    // characters; the text goes in directly, without the value buffer's limit.
    size_t n = size > 0 ? strnlen(field, static_cast<size_t>(size - 1)) : 0;
    AppendLine(&text, szKey, field, n);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  if (size < 1) return 0;
  size_t n = strnlen(pValue, static_cast<size_t>(size - 1));
  memcpy(field, pValue, n);
  field[n] = '\0';
  return 0;
}

int CSettingsExchange::Binary(void* field, int size, const char* expression, int i1, int i2,
                              int i3) {
  FormatName(expression, i1, i2, i3);
  const uint8_t* bytes = static_cast<const uint8_t*>(field);
  if (iSave) {
    // Hex pairs of any length: the value buffer when they fit, else a block
    // of their own.
    size_t length = size > 0 ? 2 * static_cast<size_t>(size) : 0;
    char* hex = length < sizeof szValue ? szValue : static_cast<char*>(malloc(length));
    if (!hex) return 0;
    for (int i = 0; i < size; ++i) ByteToHex(bytes[i], hex + 2 * i);
    AppendLine(&text, szKey, hex, length);
    if (hex != szValue) free(hex);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  size_t length = strlen(pValue);
  uint8_t* out = static_cast<uint8_t*>(field);
  for (int i = 0; i < size; ++i)
    out[i] = 2 * static_cast<size_t>(i) < length ? HexToByte(pValue + 2 * i) : 0;
  return 0;
}

int CSettingsExchange::Dword(void* field, const char* expression, int i1, int i2, int i3) {
  return Binary(field, 4, expression, i1, i2, i3);
}
