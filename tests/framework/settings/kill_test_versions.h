#pragma once
// The two versions of the file that the interruption test's helper rewrites:
// A (1 KiB) and B (3 KiB), each with a body that no mix of the two matches.
#include <vector>

constexpr char kKillTestFile[] = "Killed";

inline std::vector<unsigned char> KillTestVersion(int which) {
  std::vector<unsigned char> v(which == 0 ? 1024 : 3072);
  for (size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<unsigned char>(which == 0 ? 'A' + i % 13 : 0xB0 + i % 29);
  return v;
}
