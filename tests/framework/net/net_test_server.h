#pragma once
// The tests' view of the local HTTP/HTTPS server that run_with_server.sh
// starts (http_test_server.py): its ports, its certificate authority, and
// the requests it logged.
#include <cstdint>
#include <string>
#include <vector>

struct LoggedConnection {
  std::string listener;  // "plain", "good", "old", ...
  std::string tls;       // "TLSv1.2", "failed" (handshake), "-" (plain)
  std::string sni;       // "-" when none was sent
  std::string target;    // request target, "-" when no request came
  std::string request;   // the request's bytes
};

class CNetTestServer {
 public:
  // Reads the ports file that BW_NET_SERVER names; Available() tells
  // whether that worked, Why() why not.
  CNetTestServer();
  bool Available() const { return m_ok; }
  const std::string& Why() const { return m_why; }

  int Port(const std::string& listener) const;
  // "http(s)://<host>:<port><path>" for the listener.
  std::string Url(const std::string& listener, const std::string& path,
                  const std::string& host = "localhost") const;
  std::string Value(const std::string& key) const;  // e.g. "sha256_1m"
  std::string CaPemPath() const;                     // local form (Z:\... under Wine)

  // Every logged connection whose target contains `token` (all when empty).
  std::vector<LoggedConnection> Connections(const std::string& token) const;
  // Connections of a listener since the log had `since` lines.
  std::vector<LoggedConnection> ConnectionsSince(size_t since) const;
  size_t LogLines() const;

 private:
  std::vector<LoggedConnection> ReadLog() const;
  std::vector<std::pair<std::string, std::string>> m_values;
  bool m_ok = false;
  std::string m_why;
};

// The text as a query value: letters, digits and "." as they are, every
// other byte as "%XX".
std::string PercentEncode(const std::string& text);

// A token unique to this process and call, for telling requests apart.
std::string UniqueToken(const char* what);

// Makes the test CA trusted (or not) the way each platform trusts a root:
// the machine's root store under Windows, OpenSSL's extra file natively.
bool TrustTestAuthority(const CNetTestServer& server, bool trusted);

// Runs this test program again, alone with `gtestFilter` and with
// BW_NET_UNTRUSTED set, while the test CA is not trusted (under Windows it
// is out of the machine's root store meanwhile: a running process keeps
// the roots its chain engine read). The child's exit code, -1 when it could
// not run.
int RunWithoutTestAuthority(const CNetTestServer& server, const char* gtestFilter);

// SHA-256 of bytes as 64 lower-case hex digits (OpenSSL's).
std::string Sha256Hex(const uint8_t* data, size_t n);
