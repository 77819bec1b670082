#include "framework/net/socket.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>

#include "framework/net/tls_trust.h"

namespace {

// Waits between tries: the handshake waits up to 50 ms for the socket,
// sends and receives up to 10 ms, a connect 50 ms; each wait ends early when
// the socket is ready, and the stop byte is read after each.
constexpr int kHandshakeWaitMs = 50;
constexpr int kTransferWaitMs = 10;
constexpr int kConnectWaitMs = 50;
// A handshake that makes no progress is given up after this long (or the
// idle limit, when that is shorter).
constexpr int32_t kHandshakeLimitMs = 10000;
constexpr int kCloseRetries = 200;
constexpr int kCloseRetryMs = 50;

int TlsVersion(int protocol) {
  switch (protocol) {
    case kTlsSsl3: return SSL3_VERSION;
    case kTlsV10: return TLS1_VERSION;
    case kTlsV11: return TLS1_1_VERSION;
    default: return TLS1_2_VERSION;
  }
}

}  // namespace

uint64_t NetNowMs() {
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

bool IsIpv4Literal(const char* host) {
  int parts = 0;
  const char* p = host;
  for (;;) {
    int digits = 0;
    int value = 0;
    while (*p >= '0' && *p <= '9' && digits < 4) value = value * 10 + (*p++ - '0'), ++digits;
    if (digits == 0 || digits > 3 || value > 255) return false;
    ++parts;
    if (*p == '\0') return parts == 4;
    if (*p != '.' || parts == 4) return false;
    ++p;
  }
}

CSocket::CSocket() {}

CSocket::~CSocket() { Close(); }

bool CSocket::OutOfTime(uint64_t lastProgressMs) const {
  uint64_t now = NetNowMs();
  if (m_ullDeadlineMs && now >= m_ullDeadlineMs) return true;
  return now - lastProgressMs > uint64_t(m_iIdleMs > 0 ? m_iIdleMs : 0);
}

int CSocket::Connect(const char* host, int32_t port, int tlsProtocol, int timeoutSeconds) {
  if (IsConnected()) return kSocketAlreadyConnected;
  if (!host || port < 1 || port > 65535) return kSocketHostUnknown;
  snprintf(m_szHost, sizeof(m_szHost), "%s", host);
  int result = ConnectSocket(host, port, timeoutSeconds);
  if (result != kSocketOk) return result;
  m_pending.count = 0;
  m_iPendingStart = 0;
  if (tlsProtocol != kTlsNone && StartTls(tlsProtocol) != kSocketOk) {
    CloseSocketOnly();
    return kSocketTlsFailed;
  }
  return kSocketOk;
}

int CSocket::ConnectSocket(const char* host, int32_t port, int timeoutSeconds) {
  NetSocket s = kNoSocket;
  int created = NetCreateTcpSocket(&s);
  if (created != 0) return created;
  m_hSocket = s;
  uint32_t address = 0;
  if (!NetSetNonBlocking(s)) {
    CloseSocketOnly();
    return kSocketFailed;
  }
  if (!NetResolveHost(host, &address)) {
    CloseSocketOnly();
    return kSocketHostUnknown;
  }
  if (!NetStartConnect(s, address, uint16_t(port))) {
    CloseSocketOnly();
    return kSocketConnectFailed;
  }
  uint64_t start = NetNowMs();
  uint64_t limit = uint64_t(timeoutSeconds > 0 ? timeoutSeconds : 0) * 1000;
  for (;;) {
    if (IsStopped()) break;
    int ready = NetWait(s, kNetWritable | kNetFailed, kConnectWaitMs);
    // A refused or unreachable peer fails at once, however the system
    // shows it: in the exception set, or writable with a pending error.
    if (ready < 0 || (ready & kNetFailed) || (ready & kNetWritable && NetPendingError(s) != 0)) {
      CloseSocketOnly();
      return kSocketConnectFailed;
    }
    if (ready & kNetWritable) return kSocketOk;
    uint64_t now = NetNowMs();
    if (now - start >= limit || (m_ullDeadlineMs && now >= m_ullDeadlineMs)) break;
  }
  CloseSocketOnly();
  return kSocketTimedOut;
}

int CSocket::StartTls(int protocol) {
  if (!IsConnected()) return kSocketNotConnected;
  if (m_pSsl) return kSocketAlreadyConnected;
  if (!m_bTlsLibraryReady) {
    OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
    m_bTlsLibraryReady = true;
  }
  int version = TlsVersion(protocol);
  bool isIp = IsIpv4Literal(m_szHost);
  // OpenSSL's descriptor is an int; a larger SOCKET cannot be handed over.
  bool ready = m_hSocket >= 0 && m_hSocket <= INT_MAX;
  ready = ready && (m_pContext = SSL_CTX_new(TLS_client_method())) != nullptr;
  ready = ready && SSL_CTX_set_min_proto_version(m_pContext, version) == 1 &&
          SSL_CTX_set_max_proto_version(m_pContext, version) == 1;
  ready = ready && (m_pSsl = SSL_new(m_pContext)) != nullptr;
  if (ready && (protocol == kTlsV10 || protocol == kTlsV11)) {
    // The old protocols need the old ciphers; this connection alone allows them.
    SSL_set_security_level(m_pSsl, 0);
  }
  ready = ready && SSL_set_fd(m_pSsl, int(m_hSocket)) == 1;
  // A server name is sent for names only, never for an address.
  ready = ready && (isIp || SSL_set_tlsext_host_name(m_pSsl, m_szHost) == 1);
  ready = ready && PrepareServerCheck(m_pSsl, m_szHost, isIp);
  int result = ready ? Handshake() : kSocketTlsFailed;
  if (result == kSocketOk && !IsServerTrusted(m_pSsl, m_szHost, isIp)) result = kSocketTlsFailed;
  if (result != kSocketOk) {
    FreeTls();
    ERR_clear_error();
    return result;
  }
  m_iTlsProtocol = protocol == kTlsNone ? kTlsV12 : protocol;
  return kSocketOk;
}

int CSocket::Handshake() {
  uint64_t start = NetNowMs();
  int32_t limit = m_iIdleMs < kHandshakeLimitMs ? m_iIdleMs : kHandshakeLimitMs;
  for (;;) {
    if (IsStopped()) return kSocketStopped;
    int done = SSL_connect(m_pSsl);
    if (done == 1) return kSocketOk;
    int error = SSL_get_error(m_pSsl, done);
    int want = error == SSL_ERROR_WANT_READ ? kNetReadable
               : error == SSL_ERROR_WANT_WRITE ? kNetWritable : 0;
    if (want == 0) return kSocketTlsFailed;
    uint64_t now = NetNowMs();
    if (now - start > uint64_t(limit) || (m_ullDeadlineMs && now >= m_ullDeadlineMs))
      return kSocketTlsFailed;
    if (NetWait(m_hSocket, want, kHandshakeWaitMs) < 0) return kSocketTlsFailed;
  }
}

int CSocket::Send(const void* data, int length) {
  if (!IsConnected()) return kSocketNotConnected;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  if (length == 0 && bytes) length = int(strlen(static_cast<const char*>(data)));
  for (int offset = 0; offset < length; offset += kSocketChunk) {
    int piece = length - offset < kSocketChunk ? length - offset : kSocketChunk;
    int result = SendPiece(bytes + offset, piece);
    if (result != kSocketOk) return result;
  }
  return kSocketOk;
}

// One piece, with as many short sends as it takes, until the idle limit.
int CSocket::SendPiece(const uint8_t* data, int length) {
  uint64_t lastProgress = NetNowMs();
  int sent = 0;
  while (sent < length) {
    if (IsStopped()) return kSocketStopped;
    if (OutOfTime(lastProgress)) return kSocketTimedOut;
    int n;
    int want = kNetWritable;
    if (m_pSsl) {
      // OpenSSL wants the same buffer again after WANT_WRITE; writes are
      // whole (no partial-write mode).
      n = SSL_write(m_pSsl, data + sent, length - sent);
      if (n <= 0) {
        int error = SSL_get_error(m_pSsl, n);
        if (error == SSL_ERROR_WANT_READ)
          want = kNetReadable;
        else if (error != SSL_ERROR_WANT_WRITE)
          return kSocketShortSend;
        n = 0;
      }
    } else {
      int ready = NetWait(m_hSocket, kNetWritable, kTransferWaitMs);
      if (ready < 0) return kSocketFailed;
      if (ready == 0) continue;
      n = NetSend(m_hSocket, data + sent, length - sent);
      if (n < 0) return kSocketShortSend;
    }
    if (n > 0) {
      sent += n;
      lastProgress = NetNowMs();
    } else if (m_pSsl && NetWait(m_hSocket, want, kTransferWaitMs) < 0) {
      return kSocketFailed;
    }
  }
  return kSocketOk;
}

int CSocket::TakePending(void* buffer, int count) {
  int32_t available = m_pending.count - m_iPendingStart;
  int n = available < count ? int(available) : count;
  memcpy(buffer, m_pending.data + m_iPendingStart, size_t(n));
  m_iPendingStart += n;
  if (m_iPendingStart == m_pending.count) {
    m_pending.count = 0;
    m_iPendingStart = 0;
  }
  return n;
}

bool CSocket::PutBack(const uint8_t* data, int32_t length) {
  if (length <= 0) return true;
  if (m_iPendingStart > 0) {
    // Close the gap first so the put-back bytes sit right before the rest.
    memmove(m_pending.data, m_pending.data + m_iPendingStart,
            size_t(m_pending.count - m_iPendingStart));
    m_pending.count -= m_iPendingStart;
    m_iPendingStart = 0;
  }
  return m_pending.Insert(data, 0, length) >= 0;
}

int CSocket::Receive(void* buffer, int count) {
  if (!IsConnected() || count <= 0) return -1;
  if (m_pending.count > m_iPendingStart) return TakePending(buffer, count);
  uint8_t chunk[kSocketChunk];
  int n = ReceiveFromNetwork(chunk, kSocketChunk);
  if (n <= 0) return n;
  if (n <= count) {
    memcpy(buffer, chunk, size_t(n));
    return n;
  }
  memcpy(buffer, chunk, size_t(count));
  if (m_pending.Append(chunk + count, n - count) < 0) return -1;
  return count;
}

// Up to `count` bytes from the connection itself: 0 when none came within
// one short wait, -1 when it ended or failed.
int CSocket::ReceiveFromNetwork(uint8_t* buffer, int count) {
  if (!m_pSsl) {
    int ready = NetWait(m_hSocket, kNetReadable, kTransferWaitMs);
    if (ready < 0) return -1;
    if (ready == 0) return 0;
    int n = NetRecv(m_hSocket, buffer, count);
    return n;
  }
  for (int attempt = 0;; ++attempt) {
    int n = SSL_read(m_pSsl, buffer, count);
    if (n > 0) return n;
    int error = SSL_get_error(m_pSsl, n);
    int want = error == SSL_ERROR_WANT_READ ? kNetReadable
               : error == SSL_ERROR_WANT_WRITE ? kNetWritable : 0;
    // The peer's close, with or without its closing alert, ends the data.
    if (want == 0) return -1;
    if (attempt == 1) return 0;
    int ready = NetWait(m_hSocket, want, kTransferWaitMs);
    if (ready < 0) return -1;
    if (ready == 0) return 0;
  }
}

int CSocket::ReceiveUntil(CByteBuffer* out, const char* delimiter, int32_t maxLength) {
  if (!IsConnected()) return kSocketNotConnected;
  out->count = 0;
  size_t delimiterLength = delimiter ? strlen(delimiter) : 0;
  uint64_t lastData = NetNowMs();
  uint8_t chunk[kSocketChunk];
  for (;;) {
    if (OutOfTime(lastData)) return kSocketTimedOut;
    if (IsStopped()) return kSocketStopped;
    int want = kSocketChunk;
    if (maxLength >= 0 && maxLength - out->count < want) want = int(maxLength - out->count);
    int n = want > 0 ? Receive(chunk, want) : 0;
    if (n < 0) {
      if (IsStopped()) return kSocketStopped;
      return out->count > 0 ? kSocketOk : kSocketEndedEmpty;
    }
    if (n == 0 && want > 0) continue;
    int32_t before = out->count;
    if (n > 0) {
      // Grow by doubling, but never past the maximum: a body limit is also
      // the limit of what is allocated for it.
      out->growBy = kGrowDouble;
      int64_t needed = int64_t(out->count) + n;
      if (maxLength >= 0 && needed > out->capacity) {
        int64_t next = GrowArrayNextCapacity(out->capacity, kGrowDouble, needed);
        if (next > maxLength && !out->SetCapacity(maxLength, kGrowDouble)) return kSocketFailed;
      }
      if (out->Append(chunk, n) < 0) return kSocketFailed;
      lastData = NetNowMs();
    }
    if (delimiterLength > 0) {
      // Only the new bytes, and as many before them as the delimiter may
      // reach back, can complete it.
      int32_t from = before - int32_t(delimiterLength) + 1;
      if (from < 0) from = 0;
      for (int32_t i = from; i + int32_t(delimiterLength) <= out->count; ++i) {
        if (memcmp(out->data + i, delimiter, delimiterLength) != 0) continue;
        int32_t end = i + int32_t(delimiterLength);
        if (!PutBack(out->data + end, out->count - end)) return kSocketFailed;
        out->count = end;
        return kSocketOk;
      }
    }
    if (maxLength >= 0 && out->count >= maxLength) return kSocketOk;
  }
}

void CSocket::FreeTls() {
  if (m_pSsl) {
    // The closing alert only after a finished handshake; OpenSSL forbids
    // it after a failed one.
    if (SSL_is_init_finished(m_pSsl)) SSL_shutdown(m_pSsl);
    SSL_free(m_pSsl);
    m_pSsl = nullptr;
  }
  if (m_pContext) {
    SSL_CTX_free(m_pContext);
    m_pContext = nullptr;
  }
  m_iTlsProtocol = kTlsNone;
}

int CSocket::CloseSocketOnly() {
  NetShutdown(m_hSocket);
  int result = NetCloseSocket(m_hSocket);
  for (int i = 0; result == kNetCloseBusy && i < kCloseRetries; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kCloseRetryMs));
    result = NetCloseSocket(m_hSocket);
  }
  m_hSocket = kNoSocket;
  return result == kNetClosed ? kSocketOk : kSocketFailed;
}

int CSocket::Close() {
  m_pending.count = 0;
  m_iPendingStart = 0;
  if (!IsConnected()) {
    FreeTls();
    return kSocketNotConnected;
  }
  FreeTls();
  return CloseSocketOnly();
}
