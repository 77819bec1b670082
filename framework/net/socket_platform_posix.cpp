// POSIX sockets under CSocket, for the native build that runs the client
// under the sanitizers against the same local servers as the Windows build.
#if !defined(_WIN32)

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "framework/net/socket_platform.h"

namespace {

int AsFd(NetSocket s) { return static_cast<int>(s); }

// A peer that closes while TLS writes would otherwise end the process with
// SIGPIPE (OpenSSL writes with write(), which has no MSG_NOSIGNAL).
void IgnoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current = {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
      signal(SIGPIPE, SIG_IGN);
  });
}

}  // namespace

int NetCreateTcpSocket(NetSocket* out) {
  IgnoreBrokenPipes();
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return 1;
  *out = fd;
  return 0;
}

bool NetSetNonBlocking(NetSocket s) {
  int flags = fcntl(AsFd(s), F_GETFL, 0);
  return flags >= 0 && fcntl(AsFd(s), F_SETFL, flags | O_NONBLOCK) == 0;
}

bool NetResolveHost(const char* host, uint32_t* address) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list) return false;
  *address = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(list);
  return true;
}

bool NetStartConnect(NetSocket s, uint32_t address, uint16_t port) {
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  if (connect(AsFd(s), reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0) return true;
  return errno == EINPROGRESS || errno == EWOULDBLOCK;
}

int NetWait(NetSocket s, int want, int milliseconds) {
  pollfd entry = {AsFd(s), 0, 0};
  if (want & kNetReadable) entry.events |= POLLIN;
  if (want & kNetWritable) entry.events |= POLLOUT;
  int n = poll(&entry, 1, milliseconds);
  if (n < 0) return errno == EINTR ? 0 : -1;
  int result = 0;
  if (entry.revents & (POLLIN | POLLHUP)) result |= want & kNetReadable;
  if (entry.revents & POLLOUT) result |= want & kNetWritable;
  if (entry.revents & POLLERR) result |= want & (kNetFailed | kNetWritable | kNetReadable);
  return result;
}

int NetPendingError(NetSocket s) {
  int error = 0;
  socklen_t size = sizeof(error);
  if (getsockopt(AsFd(s), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return -1;
  return error;
}

int NetSend(NetSocket s, const void* data, int length) {
  ssize_t n = send(AsFd(s), data, size_t(length), MSG_NOSIGNAL);
  if (n >= 0) return int(n);
  return errno == EWOULDBLOCK || errno == EAGAIN || errno == EINTR ? 0 : -1;
}

int NetRecv(NetSocket s, void* buffer, int length) {
  ssize_t n = recv(AsFd(s), buffer, size_t(length), 0);
  if (n > 0) return int(n);
  if (n < 0 && (errno == EWOULDBLOCK || errno == EAGAIN || errno == EINTR)) return 0;
  return -1;
}

void NetShutdown(NetSocket s) { shutdown(AsFd(s), SHUT_RDWR); }

int NetCloseSocket(NetSocket s) {
  if (close(AsFd(s)) == 0) return kNetClosed;
  return errno == EINPROGRESS || errno == EWOULDBLOCK ? kNetCloseBusy : kNetCloseFailed;
}

#endif
