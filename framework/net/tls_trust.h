#pragma once
// Whether the server of a TLS connection is the one asked for: a chain to a
// root the system trusts, valid now, for server authentication, and a
// certificate that names the host (no partial wildcards) or its IP address.
// Windows asks the system's chain engine (tls_trust_win.cpp), the native
// build OpenSSL's own store (tls_trust_posix.cpp).
typedef struct ssl_st SSL;

// Before the handshake: what the platform checks during it. False when the
// check cannot be set up (the connection must then not go on).
bool PrepareServerCheck(SSL* ssl, const char* host, bool isIpAddress);

// After the handshake, before any request byte: true when the server passed.
bool IsServerTrusted(SSL* ssl, const char* host, bool isIpAddress);

// True when the certificate of the connection names `host`.
bool PeerCertificateNamesHost(SSL* ssl, const char* host, bool isIpAddress);

#if !defined(_WIN32)
// Native builds: one more PEM file of trusted roots beside the system's
// store (the tests' own certificate authority). Null removes it.
void SetExtraTrustedRoots(const char* pemPath);
#endif
