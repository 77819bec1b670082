#pragma once
// Reading an HTTP response head (status line and header lines, ending with
// an empty line). Every function takes the head as bytes with a length and
// never reads past it.
#include <cstdint>

constexpr int32_t kMaxHeadBytes = 65536;

// The status of "HTTP/" digit "." digit, one blank, three digits, then a
// blank or the line's end; -1 for anything else.
int ParseStatusLine(const char* head, int32_t length);

// The header `name` (without the colon), matched ignoring case at the start
// of a header line, so "Location" never finds "Content-Location". Returns
// how many such lines there are; the first one's value, without the blanks
// around it, goes to *value and *valueLength (both may be null).
int FindHeader(const char* head, int32_t length, const char* name, const char** value,
               int32_t* valueLength);

// "Content-Length": 1 with the length when there is exactly one and it is
// decimal digits alone, 0 when there is none, -1 otherwise (a sign, a list,
// two headers, more digits than any body can have).
int ParseContentLength(const char* head, int32_t length, int64_t* contentLength);
