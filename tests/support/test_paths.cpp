#include "tests/support/test_paths.h"

#include <cstdlib>
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#endif

namespace {

std::string EnvOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return (v && *v) ? v : fallback;
}

void MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      std::string part = path.substr(0, i);
      if (part.size() == 2 && part[1] == ':') continue;
#ifdef _WIN32
      _mkdir(part.c_str());
#else
      mkdir(part.c_str(), 0777);
#endif
    }
  }
}

}  // namespace

std::string HostPathToLocal(const std::string& unixPath) {
#ifdef _WIN32
  if (unixPath.empty() || unixPath[0] != '/') return unixPath;
  std::string out = "Z:" + unixPath;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
#else
  return unixPath;
#endif
}

std::string LocalPathToHost(const std::string& localPath) {
#ifdef _WIN32
  std::string p = localPath;
  if (p.size() >= 2 && (p[0] == 'Z' || p[0] == 'z') && p[1] == ':') p = p.substr(2);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
#else
  return localPath;
#endif
}

std::string TestSourcePath(const std::string& relative) {
  return HostPathToLocal(EnvOr("BW_TEST_SRC", BW_TEST_SRC_DEFAULT) + "/" + relative);
}

std::string TestOutputDir() {
  std::string dir = HostPathToLocal(EnvOr("BW_TEST_OUT", "bw_test_out"));
  MakeDirs(dir);
  return dir;
}

std::string TestOutputPath(const std::string& name) {
#ifdef _WIN32
  return TestOutputDir() + "\\" + name;
#else
  return TestOutputDir() + "/" + name;
#endif
}

bool DualMonitorAvailable(std::string* why) {
  const char* reason = std::getenv("BW_DUAL_UNAVAILABLE");
  if (reason && *reason) {
    if (why) *why = reason;
    return false;
  }
  if (EnvOr("BW_DISPLAY_KIND", "") != "dual") {
    if (why) *why = "this test executable was not declared DUAL_MONITOR";
    return false;
  }
  return true;
}
