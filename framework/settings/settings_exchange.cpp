#include "framework/settings/settings_exchange.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "framework/text/text_utils.h"

namespace {

constexpr int32_t kInitialTextCapacity = 1024;
// No value of a section text can be longer than a text can be.
constexpr size_t kMaxValueBytes = INT32_MAX - CSettingsExchange::kKeyChars - 4;
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

// Appends "key=" + value + 00 0D 0A; the value may be of any length. False
// when the text could not take it all.
bool AppendLine(CByteBuffer* text, const char* key, const void* value, size_t valueLength) {
  size_t keyLength = strlen(key);
  if (keyLength + valueLength + 4 > static_cast<size_t>(INT32_MAX)) return false;
  return text->Append(reinterpret_cast<const uint8_t*>(key), static_cast<int32_t>(keyLength)) >=
             0 &&
         text->Append(reinterpret_cast<const uint8_t*>("="), 1) >= 0 &&
         (valueLength == 0 || text->Append(static_cast<const uint8_t*>(value),
                                           static_cast<int32_t>(valueLength)) >= 0) &&
         text->Append(kLineEnd, 3) >= 0;
}

// A key is a programming error away from the source expression it comes
// from: debug builds stop at once so it is found; release builds go on
// without that field.
void RefuseKey(const char* expression, const char* why) {
#ifndef NDEBUG
  fprintf(stderr, "settings key refused (%s): %s\n", why, expression);
  abort();
#else
  (void)expression;
  (void)why;
#endif
}

// The value of a decimal number beyond a double's range: 0 or infinity, by
// where its first significant digit stands plus its exponent.
double OutOfRangeValue(const char* p, const char* end) {
  int64_t order = 0;  // decimal position of the first significant digit
  bool seenDigit = false, afterPoint = false;
  for (; p < end && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      afterPoint = true;
    } else if (!seenDigit && *p == '0') {
      if (afterPoint) --order;
    } else if (!seenDigit) {
      seenDigit = true;
      if (afterPoint) --order;
    } else if (!afterPoint) {
      ++order;
    }
  }
  if (p < end) order += strtoll(p + 1, nullptr, 10);  // the exponent, clamped by strtoll
  return order > 0 ? HUGE_VAL : 0.0;
}

bool HasFloatMark(const char* text) {
  for (const char* p = text; *p; ++p) {
    char c = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
    if (c == '.' || c == 'e' || c == 'i' || c == 'n') return true;  // ".", "e", "inf", "nan"
  }
  return false;
}

}  // namespace

float ParseSettingsFloat(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p == '-' || *p == '+') return 0.0f;  // a second sign: nothing fits
  // from_chars reads the C form whatever locale is set; atof returns a
  // double, which the field then narrows.
  const char* end = p + strlen(p);
  double value = 0.0;
  std::from_chars_result r = std::from_chars(p, end, value, std::chars_format::general);
  if (r.ec == std::errc::invalid_argument)
    value = 0.0;
  else if (r.ec == std::errc::result_out_of_range)
    value = OutOfRangeValue(p, r.ptr);
  return static_cast<float>(negative ? -value : value);
}

void FormatSettingsFloat(float value, char* out, int outSize) {
  if (outSize < 1) return;
  for (int precision = 8; precision <= 9; ++precision) {
    // to_chars writes what printf's "%.*g" writes in the C locale.
    std::to_chars_result r = std::to_chars(out, out + outSize - 1, static_cast<double>(value),
                                           std::chars_format::general, precision);
    if (r.ec != std::errc()) {
      out[0] = '\0';
      return;
    }
    *r.ptr = '\0';
    if (!HasFloatMark(out)) {
      size_t n = strlen(out);
      if (n + 2 < static_cast<size_t>(outSize)) memcpy(out + n, ".0", 3);
    }
    if (std::isnan(value)) return;
    float back = ParseSettingsFloat(out);
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
  bFailed = false;
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
  if (!AppendLine(&text, key, value, strlen(value))) bFailed = true;
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
  szKey[0] = '\0';
  while (*s) {
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
    if (n == limit) break;
    szKey[n++] = *s++;
  }
  szKey[n] = '\0';
  // A key cut to fit could merge with another; one holding "=" would shadow
  // the shorter key before it ("a=b=1" reads as key "a").
  const char* why = nullptr;
  if (s && *s)
    why = "longer than 259 characters";
  else if (strchr(szKey, '='))
    why = "holds \"=\"";
  if (!why) return szKey;
  szKey[0] = '\0';
  RefuseKey(expression ? expression : "", why);
  return nullptr;
}

int CSettingsExchange::Byte(void* field, const char* expression, int i1, int i2, int i3) {
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
  if (iSave) {
    float v;
    memcpy(&v, field, sizeof v);
    FormatSettingsFloat(v, szValue, sizeof szValue);
    WriteLine(szKey, szValue);
    return 0;
  }
  if (FindValue(szKey) < 0) return -1;
  float v = ParseSettingsFloat(pValue);
  memcpy(field, &v, sizeof v);
  return 0;
}

int CSettingsExchange::String(char* field, int size, const char* expression, int i1, int i2,
                              int i3) {
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
  if (iSave) {
    // A full buffer without its terminator still gives at most size - 1
    // characters; the text goes in directly, without the value buffer's limit.
    size_t n = size > 0 ? strnlen(field, static_cast<size_t>(size - 1)) : 0;
    if (!AppendLine(&text, szKey, field, n)) bFailed = true;
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
  if (!FormatName(expression, i1, i2, i3)) return kSettingsBadKey;
  const uint8_t* bytes = static_cast<const uint8_t*>(field);
  if (iSave) {
    // Hex pairs of any length: the value buffer when they fit, else a block
    // of their own. A value that no section could hold, or no memory for the
    // hex text, fails the whole section rather than leaving the field out.
    size_t length = size > 0 ? 2 * static_cast<size_t>(size) : 0;
    char* hex = length < sizeof szValue   ? szValue
                : length > kMaxValueBytes ? nullptr
                                          : static_cast<char*>(malloc(length));
    if (!hex) {
      bFailed = true;
      return 0;
    }
    for (int i = 0; i < size; ++i) ByteToHex(bytes[i], hex + 2 * i);
    if (!AppendLine(&text, szKey, hex, length)) bFailed = true;
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
