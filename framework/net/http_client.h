#pragma once
// A small HTTP/1.0 client for one GET at a time on the caller's thread:
// "http://" and "https://" (TLS 1.2, the server checked), redirects, Basic
// authorisation and If-Modified-Since. Every answer it cannot be sure of is
// an error: a cut body, an unknown framing, a forged certificate.
#include <atomic>
#include <cstdint>

#include "framework/app/grow_array.h"
#include "framework/net/socket.h"
#include "framework/net/url.h"

enum HttpGetResult : int {
  kGetOk = 0,
  kGetSendFailed = 100,
  kGetReceiveFailed = 101,  // also any reply that is not well-formed HTTP
  kGetStopped = 102,
  kGetConnectFailed = 105,
  kGetBadUrl = 106,
  kGetRedirectFailed = 300,
  kGetNotModified = 304,    // like every 4xx status, returned as itself
  kGetServerError = 500,    // any status of 500 or more
};

constexpr int32_t kHttpBodyLimit = 16 << 20;
constexpr int kHttpMaxRedirects = 10;
constexpr int kHttpConnectSeconds = 30;
constexpr int32_t kHttpGetLimitMs = 300000;  // one Get, over all its redirects

class CHttpClient {
 public:
  CHttpClient();
  ~CHttpClient();
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  // Fetches `url` into the response buffer. With a user, Basic
  // authorisation (dropped when a redirect leaves the host or goes to
  // "http://"). With `ifModifiedSince` (a text in a buffer of
  // `ifModifiedSinceSize` bytes): sent when not empty, and the reply's
  // Last-Modified copied back into it. The connection is closed before Get
  // returns, so every Get connects anew; `reconnect` is kept for callers
  // that name it.
  int Get(const char* url, const char* user, const char* password, char* ifModifiedSince,
          int ifModifiedSinceSize, bool reconnect);

  // The caller's stop byte, raised from another thread: Get ends with 102.
  void SetAbortFlag(const std::atomic<uint8_t>* stop);
  // Largest body accepted (at most and by default 16 MiB); a larger one
  // gives 101 before anything is allocated for it.
  void SetBodyLimit(int32_t bytes) { m_iBodyLimit = bytes < 0 ? 0 : bytes > kHttpBodyLimit ? kHttpBodyLimit : bytes; }
  void SetIdleLimit(int32_t milliseconds) { m_socket.SetIdleLimit(milliseconds); }
  // Longest time one Get may take over all its redirects (300 s; tests
  // shorten it): a server that trickles just fast enough never goes idle.
  void SetTimeLimit(int32_t milliseconds) { m_iTimeLimitMs = milliseconds > 0 ? milliseconds : 1; }

  const uint8_t* GetBody() const { return m_response.data; }
  int32_t GetBodyLength() const { return m_response.count; }

  CByteBuffer m_response;
  char m_szHost[260] = {};
  int32_t m_iPort = 80;
  char m_szUrl[kUrlChars] = {};
  CSocket m_socket;

 private:
  int FetchOnce(const HttpUrl& url, const char* authorization, char* ifModifiedSince,
                int ifModifiedSinceSize, bool reconnect, char* location);
  int ReadBody();
  int Failed(int result);

  CByteBuffer m_head;
  int32_t m_iBodyLimit = kHttpBodyLimit;
  int32_t m_iTimeLimitMs = kHttpGetLimitMs;
  const std::atomic<uint8_t>* m_pStop = nullptr;
};
