#pragma once
// The system calls under CSocket: WinSock in socket_platform_win.cpp, POSIX
// sockets in socket_platform_posix.cpp (the native test build). Sockets are
// IPv4 TCP and non-blocking; every wait is bounded by the caller.
#include <cstdint>

using NetSocket = intptr_t;  // a SOCKET or a file descriptor
constexpr NetSocket kNoSocket = -1;

// Creates a TCP socket, starting WinSock 1.1 first when it is not started.
// 0, 1 (no socket) or 11 (WinSock could not be started).
int NetCreateTcpSocket(NetSocket* out);
bool NetSetNonBlocking(NetSocket s);

// The first IPv4 address of `host` (network byte order); false when unknown.
bool NetResolveHost(const char* host, uint32_t* address);

// Starts a connect: true when it completed or is under way.
bool NetStartConnect(NetSocket s, uint32_t address, uint16_t port);

enum NetWaitFlags { kNetReadable = 1, kNetWritable = 2, kNetFailed = 4 };
// Waits up to `milliseconds` for what `want` asks (kNetFailed: a failed
// connect). The flags that hold, 0 when none did in time, -1 when the wait
// itself failed.
int NetWait(NetSocket s, int want, int milliseconds);
// The socket's pending error (SO_ERROR); nonzero also when it cannot be read.
int NetPendingError(NetSocket s);

// Bytes moved; 0 when the call would block; -1 on failure and, for NetRecv,
// when the peer closed.
int NetSend(NetSocket s, const void* data, int length);
int NetRecv(NetSocket s, void* buffer, int length);

void NetShutdown(NetSocket s);
enum NetCloseResult { kNetClosed = 0, kNetCloseBusy = 1, kNetCloseFailed = 2 };
// kNetCloseBusy only for "would block" and "in progress", worth another try.
int NetCloseSocket(NetSocket s);

// A monotonic clock in milliseconds.
uint64_t NetNowMs();
