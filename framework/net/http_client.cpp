#include "framework/net/http_client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/net/base64.h"
#include "framework/net/http_head.h"

namespace {

// FetchOnce's answer when the reply is a redirect to follow.
constexpr int kFollowRedirect = -1;
const char kHeadEnd[] = "\r\n\r\n";

// A header value that may go into a request line: no control bytes.
bool IsSafeHeaderValue(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    if ((*p < 0x20 && *p != '\t') || *p == 0x7F) return false;
  return true;
}

bool SameHost(const HttpUrl& a, const HttpUrl& b) {
  if (a.iPort != b.iPort || strlen(a.szHost) != strlen(b.szHost)) return false;
  for (size_t i = 0; a.szHost[i]; ++i) {
    char x = a.szHost[i], y = b.szHost[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// "Authorization: Basic ...\r\n" for user and password, or an empty text.
// The credentials are encoded on one line: a break would end the header.
std::string BasicAuthorization(const char* user, const char* password) {
  if (!user || !*user) return std::string();
  std::string credentials = std::string(user) + ":" + (password ? password : "");
  int length = 0;
  char* encoded = Base64EncodeBytes(reinterpret_cast<const uint8_t*>(credentials.data()),
                                    credentials.size(), false, &length);
  if (!encoded) return std::string();
  std::string header = "Authorization: Basic " + std::string(encoded, size_t(length)) + "\r\n";
  free(encoded);
  return header;
}

}  // namespace

CHttpClient::CHttpClient() { m_response.Reserve(4096, kGrowDouble); }

CHttpClient::~CHttpClient() { m_socket.Close(); }

void CHttpClient::SetAbortFlag(const std::atomic<uint8_t>* stop) {
  m_pStop = stop;
  m_socket.SetStopFlag(stop);
}

// A stop makes every failure what it is: stopped, never a network error
// and never a success with part of a body.
int CHttpClient::Failed(int result) {
  return m_pStop && m_pStop->load(std::memory_order_relaxed) ? kGetStopped : result;
}

int CHttpClient::Get(const char* url, const char* user, const char* password,
                     char* ifModifiedSince, int ifModifiedSinceSize, bool reconnect) {
  m_response.count = 0;
  HttpUrl target;
  if (!url || !SplitHttpUrl(url, &target)) {
    m_socket.Close();
    return kGetBadUrl;
  }
  snprintf(m_szUrl, sizeof(m_szUrl), "%s", url);
  std::string authorization = BasicAuthorization(user, password);
  m_socket.SetDeadline(NetNowMs() + uint64_t(m_iTimeLimitMs));
  int result = kGetRedirectFailed;
  for (int redirects = 0;; ++redirects) {
    char location[kUrlChars];
    result = FetchOnce(target, authorization.c_str(), ifModifiedSince, ifModifiedSinceSize,
                       reconnect || redirects > 0, location);
    if (result != kFollowRedirect) break;
    HttpUrl next;
    // Never more than ten hops, never back to the same address, never from
    // TLS to plain text, and nothing but http and https.
    if (redirects == kHttpMaxRedirects || !SplitHttpUrl(location, &next) ||
        SameHttpResource(next, target) || (target.bTls && !next.bTls)) {
      result = kGetRedirectFailed;
      break;
    }
    // The credentials belong to the host they were given for.
    if (!SameHost(next, target) || !next.bTls) authorization.clear();
    target = next;
    snprintf(m_szUrl, sizeof(m_szUrl), "%s", location);
  }
  if (result != kGetOk) m_response.count = 0;
  m_socket.Close();
  m_socket.SetDeadline(0);
  return result;
}

int CHttpClient::FetchOnce(const HttpUrl& url, const char* authorization, char* ifModifiedSince,
                           int ifModifiedSinceSize, bool reconnect, char* location) {
  if (reconnect || !m_socket.IsConnected()) {
    m_socket.Close();
    snprintf(m_szHost, sizeof(m_szHost), "%s", url.szHost);
    m_iPort = url.iPort;
    int tls = url.bTls ? kTlsV12 : kTlsNone;
    if (m_socket.Connect(m_szHost, m_iPort, tls, kHttpConnectSeconds) != kSocketOk)
      return Failed(kGetConnectFailed);
  }
  char host[kHostChars + 8];
  FormatHostHeader(url, host, sizeof(host));
  std::string request = "GET " + std::string(url.szTarget) + " HTTP/1.0\r\n" + authorization +
                        "Host: " + host + "\r\n";
  if (ifModifiedSince && ifModifiedSinceSize > 0 &&
      strnlen(ifModifiedSince, size_t(ifModifiedSinceSize)) < size_t(ifModifiedSinceSize) &&
      *ifModifiedSince && IsSafeHeaderValue(ifModifiedSince))
    request += "If-Modified-Since: " + std::string(ifModifiedSince) + "\r\n";
  request += "\r\n";
  if (m_socket.Send(request.data(), int(request.size())) != kSocketOk)
    return Failed(kGetSendFailed);

  if (m_socket.ReceiveUntil(&m_head, kHeadEnd, kMaxHeadBytes) != kSocketOk)
    return Failed(kGetReceiveFailed);
  const char* head = reinterpret_cast<const char*>(m_head.data);
  int32_t headLength = m_head.count;
  // Cut off by the close, or longer than any real head.
  if (headLength < 4 || memcmp(head + headLength - 4, kHeadEnd, 4) != 0)
    return Failed(kGetReceiveFailed);
  int status = ParseStatusLine(head, headLength);
  if (status < 200) return kGetReceiveFailed;
  if (status >= 500) return kGetServerError;
  if (status == 304 || status >= 400) return status;
  if (status >= 300) {
    const char* value = nullptr;
    int32_t valueLength = 0;
    if (FindHeader(head, headLength, "Location", &value, &valueLength) == 0) return kGetRedirectFailed;
    return ResolveLocation(m_szUrl, value, valueLength, location, kUrlChars) ? kFollowRedirect
                                                                          : kGetRedirectFailed;
  }
  if (ifModifiedSince && ifModifiedSinceSize > 0) {
    const char* value = nullptr;
    int32_t valueLength = 0;
    if (FindHeader(head, headLength, "Last-Modified", &value, &valueLength) > 0) {
      int32_t n = valueLength < ifModifiedSinceSize - 1 ? valueLength : ifModifiedSinceSize - 1;
      memcpy(ifModifiedSince, value, size_t(n));
      ifModifiedSince[n] = '\0';
    }
  }
  return ReadBody();
}

int CHttpClient::ReadBody() {
  const char* head = reinterpret_cast<const char*>(m_head.data);
  // Only plain bodies are understood; a chunked one read as plain would be
  // taken with its chunk sizes.
  if (FindHeader(head, m_head.count, "Transfer-Encoding", nullptr, nullptr) > 0)
    return kGetReceiveFailed;
  int64_t length = 0;
  int framing = ParseContentLength(head, m_head.count, &length);
  if (framing < 0) return kGetReceiveFailed;
  m_response.count = 0;
  if (framing > 0) {
    if (length > m_iBodyLimit) return kGetReceiveFailed;
    if (length == 0) return kGetOk;
    if (!m_response.Reserve(int32_t(length), kGrowDouble)) return kGetReceiveFailed;
    int result = m_socket.ReceiveUntil(&m_response, nullptr, int32_t(length));
    if (result != kSocketOk || m_response.count != length) return Failed(kGetReceiveFailed);
    return kGetOk;
  }
  // No length: the body runs to the close, within the limit.
  int result = m_socket.ReceiveUntil(&m_response, nullptr, m_iBodyLimit + 1);
  if (Failed(kGetOk) == kGetStopped) return kGetStopped;
  if (result == kSocketEndedEmpty) return kGetOk;
  if (result != kSocketOk || m_response.count > m_iBodyLimit) return kGetReceiveFailed;
  return kGetOk;
}
