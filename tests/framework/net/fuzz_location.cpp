// Redirect targets come from any server: resolving one must stay inside the
// URL buffer, and what it gives must resolve to itself again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // First line: the base (a fixed one when it is not a usable URL); the
  // rest: the Location value.
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string base = newline == std::string::npos ? "" : input.substr(0, newline);
  std::string location = newline == std::string::npos ? input : input.substr(newline + 1);
  HttpUrl split;
  if (!SplitHttpUrl(base.c_str(), &split)) base = "http://localhost:8080/a/b?c";
  char out[kUrlChars];
  memset(out, 'X', sizeof(out));
  if (!ResolveLocation(base.c_str(), location.data(), int(location.size()), out, sizeof(out)))
    return 0;
  size_t n = strnlen(out, sizeof(out));
  if (n >= sizeof(out)) abort();
  char again[kUrlChars];
  if (ResolveLocation(out, out, int(n), again, sizeof(again)) && strcmp(out, again) != 0) abort();
  if (SplitHttpUrl(out, &split)) {
    if (split.szHost[0] == '\0' || split.szTarget[0] != '/' || split.iPort < 1 || split.iPort > 65535)
      abort();
  }
  return 0;
}
