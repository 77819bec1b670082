// WinSock under CSocket. WinSock is started for version 1.1 when the first
// socket cannot be created for want of it, and stays started for the process.
#include <winsock2.h>
#include <windows.h>

#include "framework/net/socket_platform.h"

namespace {

SOCKET AsSocket(NetSocket s) { return static_cast<SOCKET>(s); }

bool IsWouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }

}  // namespace

int NetCreateTcpSocket(NetSocket* out) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET && WSAGetLastError() == WSANOTINITIALISED) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 11;
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  }
  if (s == INVALID_SOCKET) return 1;
  *out = static_cast<NetSocket>(s);
  return 0;
}

bool NetSetNonBlocking(NetSocket s) {
  u_long on = 1;
  return ioctlsocket(AsSocket(s), FIONBIO, &on) == 0;
}

bool NetResolveHost(const char* host, uint32_t* address) {
  // The classic lookup; WinSock keeps its result per thread.
  hostent* entry = gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0])
    return false;
  memcpy(address, entry->h_addr_list[0], 4);
  return true;
}

bool NetStartConnect(NetSocket s, uint32_t address, uint16_t port) {
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  if (connect(AsSocket(s), reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0) return true;
  return IsWouldBlock(WSAGetLastError());
}

int NetWait(NetSocket s, int want, int milliseconds) {
  fd_set readSet, writeSet, failSet;
  FD_ZERO(&readSet);
  FD_ZERO(&writeSet);
  FD_ZERO(&failSet);
  if (want & kNetReadable) FD_SET(AsSocket(s), &readSet);
  if (want & kNetWritable) FD_SET(AsSocket(s), &writeSet);
  // A refused connect shows in the exception set, not as writable.
  if (want & kNetFailed) FD_SET(AsSocket(s), &failSet);
  timeval limit = {milliseconds / 1000, (milliseconds % 1000) * 1000};
  int n = select(0, &readSet, &writeSet, &failSet, &limit);
  if (n == SOCKET_ERROR) return -1;
  int result = 0;
  if (FD_ISSET(AsSocket(s), &readSet)) result |= kNetReadable;
  if (FD_ISSET(AsSocket(s), &writeSet)) result |= kNetWritable;
  if (FD_ISSET(AsSocket(s), &failSet)) result |= kNetFailed;
  return result;
}

int NetPendingError(NetSocket s) {
  int error = 0;
  int size = sizeof(error);
  if (getsockopt(AsSocket(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
    return -1;
  return error;
}

int NetSend(NetSocket s, const void* data, int length) {
  int n = send(AsSocket(s), static_cast<const char*>(data), length, 0);
  if (n != SOCKET_ERROR) return n;
  return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

int NetRecv(NetSocket s, void* buffer, int length) {
  int n = recv(AsSocket(s), static_cast<char*>(buffer), length, 0);
  if (n > 0) return n;
  if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
  return -1;
}

void NetShutdown(NetSocket s) { shutdown(AsSocket(s), SD_BOTH); }

int NetCloseSocket(NetSocket s) {
  if (closesocket(AsSocket(s)) == 0) return kNetClosed;
  return IsWouldBlock(WSAGetLastError()) ? kNetCloseBusy : kNetCloseFailed;
}
