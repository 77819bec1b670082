#pragma once
// "http://" and "https://" addresses: split into what a request needs, and
// redirect targets resolved against the address they came from.
#include <cstdint>

constexpr int kUrlChars = 1040;   // a URL and its terminator
constexpr int kHostChars = 254;   // a host name of up to 253 characters

struct HttpUrl {
  bool bTls;                  // "https://"
  bool bPortGiven;            // ":port" was written
  int32_t iPort;              // as written, else 80 or 443
  char szHost[kHostChars];    // letters, digits, "-", ".", "_"
  char szTarget[kUrlChars];   // "/path?query", the fragment left out
};

// Splits `url`: the scheme from its prefix in any case, a host of 1 to 253
// allowed characters, an optional port of 1 to 65,535, then the path. False
// for any other form, for a URL of 1,040 characters or more, and for any
// byte of 0x20 or below or 0x7F anywhere.
bool SplitHttpUrl(const char* url, HttpUrl* out);

// True when both name the same resource: scheme, host ignoring case, port,
// and target.
bool SameHttpResource(const HttpUrl& a, const HttpUrl& b);

// The Host header's value: the host, with ":port" unless it is the scheme's
// own. `out` holds at least kHostChars + 6 bytes.
void FormatHostHeader(const HttpUrl& url, char* out, int size);

// A "Location:" value (`length` bytes, not terminated) resolved against the
// URL `base` it came with: absolute ("scheme:..."), network-path ("//host"),
// absolute-path ("/path") or relative, with "." and ".." segments removed.
// False when it is empty, longer than 1,039 characters, holds a control byte
// or a blank, or its result would not fit `outSize`. The result is not checked further: SplitHttpUrl decides
// whether it is an address this client follows.
bool ResolveLocation(const char* base, const char* location, int length, char* out, int outSize);
