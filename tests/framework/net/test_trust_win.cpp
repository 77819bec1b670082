// Under Windows the client trusts what the machine trusts: the test CA goes
// into (or out of) the LocalMachine root store of the test's own prefix.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/framework/net/net_test_server.h"

namespace {

std::vector<BYTE> ReadCertificateDer(const std::string& pemPath) {
  std::ifstream in(pemPath);
  std::stringstream text;
  text << in.rdbuf();
  std::string pem = text.str();
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), DWORD(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                            &size, nullptr, nullptr))
    return {};
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(pem.c_str(), DWORD(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                            &size, nullptr, nullptr))
    return {};
  der.resize(size);
  return der;
}

}  // namespace

bool TrustTestAuthority(const CNetTestServer& server, bool trusted) {
  std::vector<BYTE> der = ReadCertificateDer(server.CaPemPath());
  if (der.empty()) return false;
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                  CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
  if (!root) return false;
  bool ok;
  if (trusted) {
    ok = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), DWORD(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  } else {
    // The store's own delete reports success but is not kept (seen under
    // Wine): the certificate's registry key goes instead.
    BYTE thumbprint[20];
    DWORD size = sizeof(thumbprint);
    ok = CryptHashCertificate(0, CALG_SHA1, 0, der.data(), DWORD(der.size()), thumbprint, &size) != FALSE;
    std::string key = "Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
    char hex[3];
    for (DWORD i = 0; ok && i < size; ++i) {
      snprintf(hex, sizeof(hex), "%02X", thumbprint[i]);
      key += hex;
    }
    LSTATUS deleted = ok ? RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()) : ERROR_INVALID_DATA;
    ok = deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  }
  CertCloseStore(root, 0);
  return ok;
}

int RunWithoutTestAuthority(const CNetTestServer& server, const char* gtestFilter) {
  char self[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, self, sizeof(self))) return -1;
  if (!TrustTestAuthority(server, false)) return -1;
  std::string line = std::string("\"") + self + "\" --gtest_filter=" + gtestFilter;
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  SetEnvironmentVariableA("BW_NET_UNTRUSTED", "1");
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &info);
  SetEnvironmentVariableA("BW_NET_UNTRUSTED", nullptr);
  DWORD code = DWORD(-1);
  if (started) {
    WaitForSingleObject(info.hProcess, 60000);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  bool restored = TrustTestAuthority(server, true);
  return restored ? int(code) : -1;
}
