// The Windows chain engine judges the server's chain, as for any program on
// the machine: roots the machine trusts (Windows fetches missing ones
// there), validity now, server-authentication usage. The name is checked by
// OpenSSL, because the SSL policy of some systems misses IP addresses in the
// subject alternative names.
#include <windows.h>
#include <wincrypt.h>

// After the Windows headers: OpenSSL undefines the names they share.
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "framework/net/tls_trust.h"

namespace {

class CCertStore {
 public:
  CCertStore() : m_h(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr)) {}
  ~CCertStore() {
    if (m_h) CertCloseStore(m_h, 0);
  }
  CCertStore(const CCertStore&) = delete;
  CCertStore& operator=(const CCertStore&) = delete;
  HCERTSTORE Get() const { return m_h; }

 private:
  HCERTSTORE m_h;
};

// Adds the certificate in its DER form; the added context when asked.
bool AddCertificate(HCERTSTORE store, X509* certificate, PCCERT_CONTEXT* added) {
  unsigned char* der = nullptr;
  int length = i2d_X509(certificate, &der);
  if (length <= 0) return false;
  BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der,
                                             DWORD(length), CERT_STORE_ADD_ALWAYS, added);
  OPENSSL_free(der);
  return ok != FALSE;
}

bool IsChainTrusted(PCCERT_CONTEXT leaf, HCERTSTORE peerCertificates) {
  LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
  CERT_CHAIN_PARA chainPara = {};
  chainPara.cbSize = sizeof(chainPara);
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, leaf, nullptr, peerCertificates, &chainPara, 0, nullptr,
                               &chain))
    return false;
  // The chain's own verdict counts as well: some systems' SSL policy lets a
  // chain pass that ends below a root nobody trusts (seen: a leaf of an
  // unknown CA, sent alone). Only what says nothing about trust is allowed.
  const DWORD harmless = CERT_TRUST_IS_NOT_TIME_NESTED | CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                         CERT_TRUST_IS_OFFLINE_REVOCATION;
  if (chain->TrustStatus.dwErrorStatus & ~harmless) {
    CertFreeCertificateChain(chain);
    return false;
  }
  // No server name here: the name is OpenSSL's check (see above).
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara = {};
  sslPara.cbSize = sizeof(sslPara);
  sslPara.dwAuthType = AUTHTYPE_SERVER;
  CERT_CHAIN_POLICY_PARA policyPara = {};
  policyPara.cbSize = sizeof(policyPara);
  policyPara.pvExtraPolicyPara = &sslPara;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof(status);
  BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status);
  CertFreeCertificateChain(chain);
  return checked && status.dwError == 0;
}

}  // namespace

bool PrepareServerCheck(SSL*, const char*, bool) { return true; }

bool IsServerTrusted(SSL* ssl, const char* host, bool isIpAddress) {
  X509* leaf = SSL_get0_peer_certificate(ssl);
  STACK_OF(X509)* sent = SSL_get_peer_cert_chain(ssl);
  if (!leaf) return false;
  CCertStore store;
  if (!store.Get()) return false;
  PCCERT_CONTEXT leafContext = nullptr;
  if (!AddCertificate(store.Get(), leaf, &leafContext)) return false;
  // The rest of what the server sent serves as intermediates only.
  for (int i = 0; sent && i < sk_X509_num(sent); ++i) {
    X509* certificate = sk_X509_value(sent, i);
    if (X509_cmp(certificate, leaf) != 0) AddCertificate(store.Get(), certificate, nullptr);
  }
  bool trusted = IsChainTrusted(leafContext, store.Get());
  CertFreeCertificateContext(leafContext);
  return trusted && PeerCertificateNamesHost(ssl, host, isIpAddress);
}
