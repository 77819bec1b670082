#include "tests/framework/net/net_test_server.h"

#include <openssl/sha.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/test_paths.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

}  // namespace

CNetTestServer::CNetTestServer() {
  const char* path = getenv("BW_NET_SERVER");
  if (!path || !*path) {
    m_why = "BW_NET_SERVER is not set (run through run_with_server.sh)";
    return;
  }
  std::ifstream in(HostPathToLocal(path));
  std::string key, value;
  while (in >> key >> value) m_values.emplace_back(key, value);
  m_ok = Port("plain") > 0;
  if (!m_ok) m_why = std::string("no ports in ") + path;
}

std::string CNetTestServer::Value(const std::string& key) const {
  for (const auto& kv : m_values)
    if (kv.first == key) return kv.second;
  return std::string();
}

int CNetTestServer::Port(const std::string& listener) const {
  std::string v = Value(listener);
  return v.empty() ? 0 : atoi(v.c_str());
}

std::string CNetTestServer::Url(const std::string& listener, const std::string& path,
                                const std::string& host) const {
  bool plain = listener == "plain" || listener == "silent" || listener == "refused";
  return std::string(plain ? "http://" : "https://") + host + ":" +
         std::to_string(Port(listener)) + path;
}

std::string CNetTestServer::CaPemPath() const { return HostPathToLocal(Value("ca")); }

std::vector<LoggedConnection> CNetTestServer::ReadLog() const {
  std::vector<LoggedConnection> all;
  std::ifstream in(HostPathToLocal(Value("log")));
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    LoggedConnection c;
    std::string request;
    std::getline(fields, c.listener, '\t');
    std::getline(fields, c.tls, '\t');
    std::getline(fields, c.sni, '\t');
    std::getline(fields, c.target, '\t');
    std::getline(fields, request, '\t');
    c.request = request == "-" ? std::string() : FromHex(request);
    all.push_back(c);
  }
  return all;
}

std::vector<LoggedConnection> CNetTestServer::Connections(const std::string& token) const {
  std::vector<LoggedConnection> found;
  for (const LoggedConnection& c : ReadLog())
    if (token.empty() || c.target.find(token) != std::string::npos) found.push_back(c);
  return found;
}

std::vector<LoggedConnection> CNetTestServer::ConnectionsSince(size_t since) const {
  std::vector<LoggedConnection> all = ReadLog();
  if (since >= all.size()) return {};
  return std::vector<LoggedConnection>(all.begin() + long(since), all.end());
}

size_t CNetTestServer::LogLines() const { return ReadLog().size(); }

std::string UniqueToken(const char* what) {
  static std::atomic<int> counter{0};
  char token[96];
  snprintf(token, sizeof(token), "%s-%d", what, ++counter);
  return token;
}

std::string Sha256Hex(const uint8_t* data, size_t n) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(data, n, digest);
  std::string hex;
  char pair[3];
  for (unsigned char byte : digest) {
    snprintf(pair, sizeof(pair), "%02x", byte);
    hex += pair;
  }
  return hex;
}

std::string PercentEncode(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.';
    if (plain) {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}
