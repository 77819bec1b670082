// Fetches the same small file over HTTPS a number of times in a row, each
// Get on a new connection, and prints the seconds it took. Run by
// scripts/bench-net.sh beside curl; the test CA is trusted first.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/net/http_client.h"
#include "tests/framework/net/net_test_server.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_net <count> <url>\n");
    return 2;
  }
  int count = atoi(argv[1]);
  CNetTestServer server;
  if (!server.Available() || !TrustTestAuthority(server, true)) {
    fprintf(stderr, "bench_net: %s\n", server.Why().c_str());
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    CHttpClient client;
    int result = client.Get(argv[2], nullptr, nullptr, nullptr, 0, true);
    if (result != 0 || client.GetBodyLength() != 22) {
      fprintf(stderr, "bench_net: Get %d gave %d (%d bytes)\n", i, result, int(client.GetBodyLength()));
      return 1;
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  printf("%.3f\n", seconds);
  return 0;
}
