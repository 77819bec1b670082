// Natively the client trusts OpenSSL's default store and, for the tests,
// one extra file of roots.
#include "framework/net/tls_trust.h"
#include "tests/framework/net/net_test_server.h"

bool TrustTestAuthority(const CNetTestServer& server, bool trusted) {
  SetExtraTrustedRoots(trusted ? server.CaPemPath().c_str() : nullptr);
  return true;
}

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

int RunWithoutTestAuthority(const CNetTestServer&, const char* gtestFilter) {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (n <= 0) return -1;
  self[n] = '\0';
  std::string filter = std::string("--gtest_filter=") + gtestFilter;
  pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    setenv("BW_NET_UNTRUSTED", "1", 1);
    execl(self, self, filter.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
