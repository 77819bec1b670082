#include "framework/net/url.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kHttp[] = "http://";
const char kHttps[] = "https://";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool StartsWithI(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix)
    if (LowerAscii(*text) != LowerAscii(*prefix)) return false;
  return true;
}

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

// Control bytes and blanks would end up inside the request line or a header.
bool HasUnsafeByte(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    if (*p <= 0x20 || *p == 0x7F) return true;
  return false;
}

bool ParsePort(const char* digits, size_t n, int32_t* port) {
  if (n == 0 || n > 5) return false;
  int32_t value = 0;
  for (size_t i = 0; i < n; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return false;
    value = value * 10 + (digits[i] - '0');
  }
  if (value < 1 || value > 65535) return false;
  *port = value;
  return true;
}

// "." and ".." segments of an absolute path, removed as a browser does.
std::string RemoveDotSegments(const std::string& path) {
  std::string built;
  std::vector<size_t> marks;  // where each kept "/segment" starts in `built`
  size_t start = 1;           // after the leading "/"
  for (;;) {
    size_t slash = path.find('/', start);
    bool last = slash == std::string::npos;
    std::string segment = path.substr(start, last ? std::string::npos : slash - start);
    if (segment == "." || segment == "..") {
      if (segment == ".." && !marks.empty()) {
        built.resize(marks.back());
        marks.pop_back();
      }
      if (last) built += "/";
    } else {
      marks.push_back(built.size());
      built += "/" + segment;
    }
    if (last) break;
    start = slash + 1;
  }
  return built.empty() ? "/" : built;
}

bool EqualI(const char* a, const char* b) {
  size_t n = strlen(a);
  return n == strlen(b) && StartsWithI(a, b);
}

// Where the authority of an http(s) URL ends: at "/", "?", "#" or the end.
size_t AuthorityEnd(const std::string& url, size_t from) {
  size_t end = url.find_first_of("/?#", from);
  return end == std::string::npos ? url.size() : end;
}

bool HasScheme(const char* text, int length) {
  if (length < 2 || !((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z')))
    return false;
  for (int i = 1; i < length; ++i) {
    char c = text[i];
    if (c == ':') return true;
    bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!schemeChar) return false;
  }
  return false;
}

}  // namespace

bool SplitHttpUrl(const char* url, HttpUrl* out) {
  if (!url || strnlen(url, kUrlChars) >= size_t(kUrlChars) || HasUnsafeByte(url)) return false;
  memset(out, 0, sizeof(*out));
  const char* rest;
  if (StartsWithI(url, kHttps)) {
    out->bTls = true;
    rest = url + strlen(kHttps);
  } else if (StartsWithI(url, kHttp)) {
    rest = url + strlen(kHttp);
  } else {
    return false;
  }
  size_t authority = strcspn(rest, "/?#");
  const char* colon = static_cast<const char*>(memchr(rest, ':', authority));
  size_t hostLength = colon ? size_t(colon - rest) : authority;
  if (hostLength < 1 || hostLength >= size_t(kHostChars)) return false;
  for (size_t i = 0; i < hostLength; ++i)
    if (!IsHostChar(rest[i])) return false;
  memcpy(out->szHost, rest, hostLength);
  out->iPort = out->bTls ? 443 : 80;
  if (colon) {
    if (!ParsePort(colon + 1, authority - hostLength - 1, &out->iPort)) return false;
    out->bPortGiven = true;
  }
  const char* target = rest + authority;
  size_t targetLength = strcspn(target, "#");
  if (targetLength == 0 || target[0] == '?') {
    out->szTarget[0] = '/';
    memcpy(out->szTarget + 1, target, targetLength);
  } else {
    memcpy(out->szTarget, target, targetLength);
  }
  return true;
}

bool SameHttpResource(const HttpUrl& a, const HttpUrl& b) {
  return a.bTls == b.bTls && a.iPort == b.iPort && strcmp(a.szTarget, b.szTarget) == 0 &&
         EqualI(a.szHost, b.szHost);
}

void FormatHostHeader(const HttpUrl& url, char* out, int size) {
  int defaultPort = url.bTls ? 443 : 80;
  if (url.iPort == defaultPort)
    snprintf(out, size_t(size), "%s", url.szHost);
  else
    snprintf(out, size_t(size), "%s:%d", url.szHost, int(url.iPort));
}

bool ResolveLocation(const char* base, const char* location, int length, char* out, int outSize) {
  if (length < 1 || length >= kUrlChars) return false;
  // No address has control bytes or blanks; a zero would silently cut it.
  for (int i = 0; i < length; ++i)
    if (static_cast<unsigned char>(location[i]) <= 0x20 || location[i] == 0x7F) return false;
  std::string ref(location, size_t(length));
  std::string b(base);
  std::string result;
  if (HasScheme(location, length)) {
    result = ref;
  } else {
    size_t schemeEnd = b.find("//");
    if (schemeEnd == std::string::npos) return false;
    size_t authorityStart = schemeEnd + 2;
    size_t authorityEnd = AuthorityEnd(b, authorityStart);
    std::string scheme = b.substr(0, schemeEnd);            // "http:" or "https:"
    std::string origin = b.substr(0, authorityEnd);         // "http://host:port"
    std::string basePathAndQuery = b.substr(authorityEnd);  // "/a/b?q#f"
    std::string basePath = basePathAndQuery.substr(0, basePathAndQuery.find_first_of("?#"));
    if (ref.compare(0, 2, "//") == 0) {
      result = scheme + ref;
    } else if (ref[0] == '/') {
      result = origin + ref;
    } else if (ref[0] == '?') {
      result = origin + basePath + ref;
    } else if (ref[0] == '#') {
      result = origin + basePathAndQuery.substr(0, basePathAndQuery.find('#')) + ref;
    } else if (basePath.empty()) {
      result = origin + "/" + ref;
    } else {
      result = origin + basePath.substr(0, basePath.rfind('/') + 1) + ref;
    }
  }
  // Dot segments of the path, wherever the reference came from.
  size_t schemeEnd = result.find("//");
  if (schemeEnd != std::string::npos) {
    size_t pathStart = AuthorityEnd(result, schemeEnd + 2);
    if (pathStart < result.size() && result[pathStart] == '/') {
      size_t pathEnd = result.find_first_of("?#", pathStart);
      if (pathEnd == std::string::npos) pathEnd = result.size();
      std::string path = RemoveDotSegments(result.substr(pathStart, pathEnd - pathStart));
      result = result.substr(0, pathStart) + path + result.substr(pathEnd);
    }
  }
  if (result.size() >= size_t(kUrlChars) || result.size() >= size_t(outSize)) return false;
  memcpy(out, result.c_str(), result.size() + 1);
  return true;
}
