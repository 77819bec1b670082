// OpenSSL checks the server during the handshake: its default store of
// roots (and the tests' extra file), the host name or IP address, and the
// verification result is read again afterwards.
#if !defined(_WIN32)

#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <mutex>
#include <string>

#include "framework/net/tls_trust.h"

namespace {

// One store of trusted roots for every connection: loading the system's
// bundle for each connection would cost more than the handshake itself.
std::mutex gStoreLock;
std::string gExtraRoots;
X509_STORE* gStore = nullptr;

// The shared store, built on first use (a new reference for the caller).
X509_STORE* SharedStore() {
  std::lock_guard<std::mutex> hold(gStoreLock);
  if (!gStore) {
    X509_STORE* store = X509_STORE_new();
    bool ok = store && X509_STORE_set_default_paths(store) == 1;
    ok = ok && (gExtraRoots.empty() ||
                X509_STORE_load_locations(store, gExtraRoots.c_str(), nullptr) == 1);
    if (!ok) {
      X509_STORE_free(store);
      return nullptr;
    }
    gStore = store;
  }
  X509_STORE_up_ref(gStore);
  return gStore;
}

}  // namespace

void SetExtraTrustedRoots(const char* pemPath) {
  std::lock_guard<std::mutex> hold(gStoreLock);
  gExtraRoots = pemPath ? pemPath : "";
  X509_STORE_free(gStore);  // connections that hold it keep their reference
  gStore = nullptr;
}

bool PrepareServerCheck(SSL* ssl, const char* host, bool isIpAddress) {
  X509_STORE* store = SharedStore();
  if (!store) return false;
  SSL_CTX_set1_cert_store(SSL_get_SSL_CTX(ssl), store);
  X509_STORE_free(store);
  SSL_set_verify(ssl, SSL_VERIFY_PEER, nullptr);
  if (isIpAddress) return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host) == 1;
  SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
  return SSL_set1_host(ssl, host) == 1;
}

bool IsServerTrusted(SSL* ssl, const char* host, bool isIpAddress) {
  return SSL_get_verify_result(ssl) == X509_V_OK && PeerCertificateNamesHost(ssl, host, isIpAddress);
}

#endif
