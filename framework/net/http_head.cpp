#include "framework/net/http_head.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Length of the header name `name` when the line at `line` starts with it
// and a colon; 0 otherwise.
int32_t MatchName(const char* line, int32_t room, const char* name) {
  int32_t i = 0;
  for (; name[i]; ++i)
    if (i >= room || LowerAscii(line[i]) != LowerAscii(name[i])) return 0;
  return i < room && line[i] == ':' ? i : 0;
}

}  // namespace

int ParseStatusLine(const char* head, int32_t length) {
  static const char kPrefix[] = "HTTP/";
  if (length < 12) return -1;
  for (int i = 0; i < 5; ++i)
    if (head[i] != kPrefix[i]) return -1;
  if (!IsDigit(head[5]) || head[6] != '.' || !IsDigit(head[7]) || head[8] != ' ') return -1;
  if (!IsDigit(head[9]) || !IsDigit(head[10]) || !IsDigit(head[11])) return -1;
  if (length > 12 && head[12] != ' ' && head[12] != '\r' && head[12] != '\n') return -1;
  return (head[9] - '0') * 100 + (head[10] - '0') * 10 + (head[11] - '0');
}

int FindHeader(const char* head, int32_t length, const char* name, const char** value,
               int32_t* valueLength) {
  int found = 0;
  // Header lines start after each line feed; the status line never counts.
  for (int32_t i = 0; i < length; ++i) {
    if (head[i] != '\n' || i + 1 >= length) continue;
    const char* line = head + i + 1;
    int32_t room = length - i - 1;
    int32_t nameLength = MatchName(line, room, name);
    if (nameLength == 0) continue;
    if (found++ > 0) continue;
    int32_t start = nameLength + 1;
    while (start < room && IsBlank(line[start])) ++start;
    int32_t end = start;
    while (end < room && line[end] != '\r' && line[end] != '\n') ++end;
    while (end > start && IsBlank(line[end - 1])) --end;
    if (value) *value = line + start;
    if (valueLength) *valueLength = end - start;
  }
  return found;
}

int ParseContentLength(const char* head, int32_t length, int64_t* contentLength) {
  const char* value = nullptr;
  int32_t n = 0;
  int count = FindHeader(head, length, "Content-Length", &value, &n);
  if (count == 0) return 0;
  // 18 digits stay below 2^63; any real body is far smaller.
  if (count > 1 || n < 1 || n > 18) return -1;
  int64_t result = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (!IsDigit(value[i])) return -1;
    result = result * 10 + (value[i] - '0');
  }
  *contentLength = result;
  return 1;
}
