#pragma once
// A blocking-style TCP connection over a non-blocking socket, with optional
// TLS through OpenSSL. Every wait is short and bounded: the owner's stop
// byte (raised from another thread) ends any call within a few tens of
// milliseconds, and an idle limit ends a silent peer. One thread uses a
// socket; only the stop byte is shared.
#include <atomic>
#include <cstdint>

#include "framework/app/grow_array.h"
#include "framework/net/socket_platform.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

enum SocketResult : int {
  kSocketOk = 0,
  kSocketFailed = 1,            // no socket, or a wait failed
  kSocketAlreadyConnected = 2,
  kSocketNotConnected = 3,
  kSocketHostUnknown = 4,
  kSocketConnectFailed = 5,
  kSocketTimedOut = 6,          // also a stop while connecting
  kSocketShortSend = 7,
  kSocketStopped = 8,
  kSocketNoWinsock = 11,
  kSocketEndedEmpty = 12,       // the connection ended before any data arrived
  kSocketTlsFailed = 13,
};

// TLS protocol numbers of Connect and StartTls: 0 none, 1 SSL 3.0, 2 TLS 1.0,
// 3 TLS 1.1, anything else TLS 1.2. Each connection speaks exactly the one
// chosen; there is no fallback.
enum TlsProtocol : int { kTlsNone = 0, kTlsSsl3 = 1, kTlsV10 = 2, kTlsV11 = 3, kTlsV12 = 4 };

constexpr int32_t kSocketIdleMs = 60000;
constexpr int kSocketChunk = 1500;

class CSocket {
 public:
  CSocket();
  ~CSocket();
  CSocket(const CSocket&) = delete;
  CSocket& operator=(const CSocket&) = delete;

  // Resolves `host`, connects within `timeoutSeconds` and, with a protocol
  // other than 0, negotiates TLS and checks the server (13 when it fails).
  int Connect(const char* host, int32_t port, int tlsProtocol, int timeoutSeconds);
  int StartTls(int protocol);
  // Sends `length` bytes (0: a zero-terminated text).
  int Send(const void* data, int length);
  // Up to `count` bytes; 0 when nothing is there yet (after a wait of up to
  // 10 ms), -1 when the connection ended or failed.
  int Receive(void* buffer, int count);
  // Fills `out` (emptied first) until `delimiter` has arrived (the bytes
  // after it are kept for the next receive), `maxLength` bytes are there
  // (-1: no limit), or the connection ends (0 when something arrived, else
  // 12).
  int ReceiveUntil(CByteBuffer* out, const char* delimiter, int32_t maxLength);
  // 3 when not connected, 0 when closed, 1 when the socket would not close.
  int Close();

  bool IsConnected() const { return m_hSocket != kNoSocket; }
  int GetTlsProtocol() const { return m_iTlsProtocol; }
  void SetStopFlag(const std::atomic<uint8_t>* stop) { m_pStop = stop; }
  bool IsStopped() const { return m_pStop && m_pStop->load(std::memory_order_relaxed) != 0; }
  // Longest time without progress in a send or a receive.
  void SetIdleLimit(int32_t milliseconds) { m_iIdleMs = milliseconds; }
  // A point on NetNowMs's clock after which every wait fails with 6; 0: none.
  void SetDeadline(uint64_t atMs) { m_ullDeadlineMs = atMs; }

 private:
  bool OutOfTime(uint64_t lastProgressMs) const;
  int ConnectSocket(const char* host, int32_t port, int timeoutSeconds);
  int Handshake();
  int SendPiece(const uint8_t* data, int length);
  int ReceiveFromNetwork(uint8_t* buffer, int count);
  int TakePending(void* buffer, int count);
  bool PutBack(const uint8_t* data, int32_t length);
  void FreeTls();
  int CloseSocketOnly();

  NetSocket m_hSocket = kNoSocket;
  int32_t m_iIdleMs = kSocketIdleMs;
  int m_iTlsProtocol = kTlsNone;
  const std::atomic<uint8_t>* m_pStop = nullptr;
  // Bytes received but not handed out yet: data[m_iPendingStart..count).
  CByteBuffer m_pending;
  int32_t m_iPendingStart = 0;
  SSL_CTX* m_pContext = nullptr;
  SSL* m_pSsl = nullptr;
  bool m_bTlsLibraryReady = false;
  uint64_t m_ullDeadlineMs = 0;
  char m_szHost[256] = {};
};

// True for a dotted IPv4 address, which is neither sent as the TLS server
// name nor matched as a DNS name.
bool IsIpv4Literal(const char* host);
