#include "framework/ui/number_fields.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Copies at most the characters a reader takes.
void Take(const char* text, char out[kNumberFieldChars + 1]) {
  snprintf(out, kNumberFieldChars + 1, "%s", text ? text : "");
}

bool HasDigit(const char* begin, const char* end) {
  for (const char* p = begin; p < end; ++p)
    if (*p >= '0' && *p <= '9') return true;
  return false;
}

}  // namespace

int32_t ParseIntegerField(const char* text, int32_t minimum, int32_t maximum, bool strict,
                          int* status) {
  char field[kNumberFieldChars + 1];
  Take(text, field);
  if (!field[0]) {
    *status = kStatusFieldEmpty;
    return minimum;
  }
  char* end = nullptr;
  long long value = strtoll(field, &end, 10);
  if (end == field || !HasDigit(field, end) || (strict && *end)) {
    *status = kStatusFieldNotNumber;
    return minimum;
  }
  *status = 0;
  if (value > maximum) return maximum;
  if (value < minimum) return minimum;
  return int32_t(value);
}

double ParseDoubleField(const char* text, double minimum, double maximum, bool strict,
                        char separator, int* status) {
  char field[kNumberFieldChars + 1];
  Take(text, field);
  if (!field[0]) {
    *status = kStatusFieldEmpty;
    return minimum;
  }
  char* comma = strchr(field, ',');
  if (comma) *comma = separator;
  char* point = strchr(field, '.');
  if (point) *point = separator;
  char* end = nullptr;
  double value = strtod(field, &end);
  if (end == field || !HasDigit(field, end) || (strict && *end) || value != value) {
    *status = kStatusFieldNotNumber;
    return minimum;
  }
  *status = 0;
  if (value > maximum) return maximum;
  if (value < minimum) return minimum;
  return value;
}

void FormatDoubleField(double value, char separator, char* out, size_t size) {
  snprintf(out, size, "%.3f", value);
  size_t length = strlen(out);
  char* dot = nullptr;
  for (char* p = out; *p; ++p)
    if (*p == '.' || *p == ',' || *p == separator) dot = p;
  if (dot) {
    while (length > size_t(dot - out) + 1 && out[length - 1] == '0') out[--length] = '\0';
    if (out[length - 1] == *dot) out[--length] = '\0';
    else *dot = separator;
  }
  if (strcmp(out, "-0") == 0) snprintf(out, size, "0");
}
