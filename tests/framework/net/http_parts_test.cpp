// The client's pure parts: URL splitting, redirect targets against Python's
// urljoin, the response-head reader, and Base64 against Python's base64.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/net/base64.h"
#include "framework/net/http_head.h"
#include "framework/net/url.h"
#include "tests/support/test_paths.h"

namespace {

std::string Fixture(const char* name) {
  return HostPathToLocal(std::string(getenv("BW_NET_FIXTURES") ? getenv("BW_NET_FIXTURES") : "") +
                         "/" + name);
}

std::string FromHex(const std::string& hex) {
  std::string out;
  if (hex == "-") return out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace

TEST(HttpUrl, SplitsWhatARequestNeedsAndRefusesTheRest) {
  struct Case {
    const char* url;
    bool ok;
    bool tls;
    const char* host;
    int port;
    const char* target;
  } cases[] = {
      {"http://example.org/v.txt", true, false, "example.org", 80, "/v.txt"},
      {"HTTPS://Example.org", true, true, "Example.org", 443, "/"},
      {"hTTp://h:8080?x=1", true, false, "h", 8080, "/?x=1"},
      {"https://127.0.0.1:65535/a/b?c#frag", true, true, "127.0.0.1", 65535, "/a/b?c"},
      {"http://my_host-1.local/", true, false, "my_host-1.local", 80, "/"},
      {"http://h#only-fragment", true, false, "h", 80, "/"},
      // A URL that merely contains "https://" is not one.
      {"http://h/?next=https://x", true, false, "h", 80, "/?next=https://x"},
      {"ftp://h/x", false, false, "", 0, ""},
      {"see https://h/x", false, false, "", 0, ""},
      {"http:///x", false, false, "", 0, ""},
      {"http://:80/x", false, false, "", 0, ""},
      {"http://h:0/", false, false, "", 0, ""},
      {"http://h:65536/", false, false, "", 0, ""},
      {"http://h:/", false, false, "", 0, ""},
      {"http://h:8o/", false, false, "", 0, ""},
      {"http://user@h/", false, false, "", 0, ""},
      {"http://[::1]/", false, false, "", 0, ""},
      {"http://h/a b", false, false, "", 0, ""},
      {"http://h/a\r\nX-Injected: 1", false, false, "", 0, ""},
      {"http://h/\x7f", false, false, "", 0, ""},
      {"http://h\t/", false, false, "", 0, ""},
      {"", false, false, "", 0, ""},
      {"//h/x", false, false, "", 0, ""},
  };
  for (const Case& c : cases) {
    HttpUrl url;
    SCOPED_TRACE(c.url);
    ASSERT_EQ(c.ok, SplitHttpUrl(c.url, &url));
    if (!c.ok) continue;
    EXPECT_EQ(c.tls, url.bTls);
    EXPECT_STREQ(c.host, url.szHost);
    EXPECT_EQ(c.port, url.iPort);
    EXPECT_STREQ(c.target, url.szTarget);
  }
  // The limits of a host name (253) and of a URL (1,039 characters).
  HttpUrl url;
  EXPECT_TRUE(SplitHttpUrl(("http://" + std::string(253, 'h') + "/").c_str(), &url));
  EXPECT_FALSE(SplitHttpUrl(("http://" + std::string(254, 'h') + "/").c_str(), &url));
  std::string longest = "http://h/" + std::string(1039 - 9, 'p');
  EXPECT_TRUE(SplitHttpUrl(longest.c_str(), &url));
  EXPECT_FALSE(SplitHttpUrl((longest + "p").c_str(), &url));
}

TEST(HttpUrl, HostHeaderCarriesThePortOnlyWhenItIsNotTheSchemes) {
  struct Case {
    const char* url;
    const char* host;
  } cases[] = {{"http://h/", "h"},        {"http://h:80/", "h"},       {"http://h:443/", "h:443"},
               {"https://h:443/", "h"},   {"https://h:8443/", "h:8443"}};
  for (const Case& c : cases) {
    HttpUrl url;
    ASSERT_TRUE(SplitHttpUrl(c.url, &url));
    char host[300];
    FormatHostHeader(url, host, sizeof(host));
    EXPECT_STREQ(c.host, host) << c.url;
  }
}

TEST(HttpUrl, ResolvesLocationsAsPythonsUrljoin) {
  std::ifstream in(Fixture("locations.txt"));
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string base, reference, expected;
    std::getline(fields, base, '\t');
    std::getline(fields, reference, '\t');
    std::getline(fields, expected, '\t');
    char out[kUrlChars];
    ASSERT_TRUE(ResolveLocation(base.c_str(), reference.data(), int(reference.size()), out,
                                sizeof(out)))
        << base << " + " << reference;
    EXPECT_EQ(expected, out) << base << " + " << reference;
    ++checked;
  }
  EXPECT_GT(checked, 50);
  char out[kUrlChars];
  std::string tooLong(kUrlChars, 'a');
  EXPECT_FALSE(ResolveLocation("http://h/", tooLong.data(), int(tooLong.size()), out, sizeof(out)));
  EXPECT_FALSE(ResolveLocation("http://h/", "", 0, out, sizeof(out)));
}

TEST(HttpHead, StatusLineMustBeHttpWithThreeDigits) {
  struct Case {
    const char* line;
    int status;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\n", 200},   {"HTTP/1.1 404 Not Found\r\n", 404},
      {"HTTP/1.0 503\r\n", 503},      {"HTTP/1.0 100 Continue\r\n", 100},
      {"HTTP/2.0 301 x\r\n", 301},    {"HTTP/1.0 2000 OK\r\n", -1},
      {"HTTP/1.0 20 OK\r\n", -1},     {"HTTP/1.0  200 OK\r\n", -1},
      {"http/1.0 200 OK\r\n", -1},    {"HTTP/10 200 OK\r\n", -1},
      {"HTTP/1.0 2x0 OK\r\n", -1},    {"SSH-2.0-OpenSSH_9\r\n", -1},
      {"<html>", -1},                 {"HTTP/1.0 200", 200},
      {"", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.status, ParseStatusLine(c.line, int32_t(strlen(c.line)))) << c.line;
}

TEST(HttpHead, HeadersMatchWholeNamesAtLineStartsInAnyCase) {
  const char head[] =
      "HTTP/1.0 302 Location: /status-line\r\n"
      "Content-Location: /wrong\r\n"
      "x-location: /wrong-too\r\n"
      "LOCATION:   /right \t\r\n"
      "Location: /second\r\n"
      "Modified: not-this\r\n"
      "last-modified:Wed, 21 Oct 2015 07:28:00 GMT\r\n"
      "Empty:\r\n"
      "\r\n";
  struct Case {
    const char* name;
    int count;
    const char* value;
  } cases[] = {
      {"Location", 2, "/right"},
      {"Last-Modified", 1, "Wed, 21 Oct 2015 07:28:00 GMT"},
      {"Modified", 1, "not-this"},
      {"Empty", 1, ""},
      {"Content-Length", 0, nullptr},
      {"HTTP/1.0 302 Location", 0, nullptr},
  };
  for (const Case& c : cases) {
    const char* value = nullptr;
    int32_t length = -1;
    EXPECT_EQ(c.count, FindHeader(head, int32_t(strlen(head)), c.name, &value, &length)) << c.name;
    if (c.value) {
      EXPECT_EQ(c.value, std::string(value, size_t(length))) << c.name;
    }
  }
  // The length bounds the search: a header beyond it is not there.
  const char* value = nullptr;
  int32_t length = 0;
  int32_t cut = int32_t(strstr(head, "last-modified") - head) + 5;
  EXPECT_EQ(0, FindHeader(head, cut, "Last-Modified", &value, &length));
}

TEST(HttpHead, ContentLengthIsOneDecimalNumber) {
  struct Case {
    const char* headers;
    int result;
    int64_t length;
  } cases[] = {
      {"Content-Length: 22\r\n", 1, 22},
      {"content-length:0\r\n", 1, 0},
      {"Content-Length: 007\r\n", 1, 7},
      {"Content-Length: 99999999999\r\n", 1, 99999999999},
      {"Content-Length: 999999999999999999\r\n", 1, 999999999999999999},
      {"Content-Length: 9999999999999999999\r\n", -1, 0},
      {"Content-Length: -1\r\n", -1, 0},
      {"Content-Length: +5\r\n", -1, 0},
      {"Content-Length: 5, 5\r\n", -1, 0},
      {"Content-Length: 5\r\nContent-Length: 5\r\n", -1, 0},
      {"Content-Length: \r\n", -1, 0},
      {"Content-Length: 0x10\r\n", -1, 0},
      {"X-Content-Length: 5\r\n", 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    std::string head = std::string("HTTP/1.0 200 OK\r\n") + c.headers + "\r\n";
    int64_t length = -7;
    EXPECT_EQ(c.result, ParseContentLength(head.data(), int32_t(head.size()), &length)) << c.headers;
    if (c.result == 1) {
      EXPECT_EQ(c.length, length) << c.headers;
    }
  }
}

TEST(Base64, EqualsPythonsEncodingWithAndWithoutLineBreaks) {
  std::ifstream in(Fixture("base64.txt"));
  std::string hex, wrappedHex, plain;
  int checked = 0;
  while (in >> hex >> wrappedHex >> plain) {
    std::string data = FromHex(hex);
    // Python's encodebytes ends every line with a break, even a short last
    // one; the framework breaks only after full 76-character lines.
    std::string wrapped = FromHex(wrappedHex);
    if (wrapped.size() >= 2 && (wrapped.size() - 2) % 78 != 76) wrapped.resize(wrapped.size() - 2);
    int length = -1;
    char* encoded = Base64EncodeBytes(reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                                      true, &length);
    EXPECT_EQ(wrapped, encoded ? std::string(encoded) : std::string()) << data.size() << " bytes";
    EXPECT_EQ(int(wrapped.size()), length);
    free(encoded);
    encoded = Base64EncodeBytes(reinterpret_cast<const uint8_t*>(data.data()), data.size(), false,
                                &length);
    EXPECT_EQ(plain == "-" ? std::string() : plain, encoded ? std::string(encoded) : std::string());
    free(encoded);
    ++checked;
  }
  EXPECT_EQ(201, checked);
  // The text form: 57 bytes make one full line and its break.
  int length = 0;
  char* text = Base64Encode(std::string(57, 'a').c_str(), &length);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(78, length);
  EXPECT_EQ(0, strcmp(text + 76, "\r\n"));
  free(text);
  EXPECT_EQ(nullptr, Base64Encode("", &length));
  EXPECT_EQ(0, length);
}
