#pragma once
// Reading and writing numbers in dialog fields, apart from the dialog: the
// range check, the strict rule, and the decimal separator.
#include <cstddef>
#include <cstdint>

constexpr int kStatusFieldEmpty = 61454;
constexpr int kStatusFieldNotNumber = 61455;
constexpr int kNumberFieldChars = 31;  // what a reader takes of a field

// The value of a field's text, limited to the range. An empty text gives the
// minimum and 61454; a text without digits, or with characters left over
// when strict, gives the minimum and 61455; *status is 0 otherwise.
int32_t ParseIntegerField(const char* text, int32_t minimum, int32_t maximum, bool strict,
                          int* status);
// The same for a decimal number: the first "," and the first "." both count
// as the decimal separator, which the conversion expects as `separator`.
double ParseDoubleField(const char* text, double minimum, double maximum, bool strict,
                        char separator, int* status);

// "%.3f" without trailing zeros and without a trailing separator, with the
// separator shown as `separator`; "-0" shows as "0". out holds >= 350 bytes.
constexpr size_t kDoubleFieldChars = 350;
void FormatDoubleField(double value, char separator, char* out, size_t size);
