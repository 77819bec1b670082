#include "framework/net/tls_trust.h"

#include <openssl/ssl.h>
#include <openssl/x509v3.h>

bool PeerCertificateNamesHost(SSL* ssl, const char* host, bool isIpAddress) {
  X509* leaf = SSL_get0_peer_certificate(ssl);
  if (!leaf) return false;
  if (isIpAddress) return X509_check_ip_asc(leaf, host, 0) == 1;
  return X509_check_host(leaf, host, 0, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr) == 1;
}
