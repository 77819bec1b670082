#include "imagelib/raster_file_replace.h"

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Longest path the file functions take: MAX_PATH less its terminating zero
// on Windows; natively only a file name's 255 bytes, which ours never reach.
#ifdef _WIN32
constexpr size_t kMaxPathLength = 259;
#else
constexpr size_t kMaxPathLength = 4095;
#endif

// A different starting point in every process, then one step per try.
uint32_t NextTemporaryNumber() {
#ifdef _WIN32
  const uint32_t process = uint32_t(_getpid());
#else
  const uint32_t process = uint32_t(getpid());
#endif
  const uint64_t now = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  static std::atomic<uint32_t> counter{uint32_t(now) * 2654435761u ^ process};
  return counter.fetch_add(1) & 0xFFFF;
}

// The folder part with its separator ("C:" for a drive-relative Windows
// path), empty for a bare name.
std::string FolderOf(const std::string& path) {
#ifdef _WIN32
  const size_t slash = path.find_last_of("/\\:");
#else
  const size_t slash = path.find_last_of('/');
#endif
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

int OpenNew(const std::string& path) {
#ifdef _WIN32
  return _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
}

}  // namespace

// "~bwXXXX.tmp", or, where that would take the path past the limit although
// the target's own path is within it, a shorter "~XXXX" (as few hex digits
// as room is left): the target must not be unsavable only because its
// temporary has a longer name.
std::string TemporaryPathFor(const char* targetPath, uint32_t number, size_t maxLength) {
  static const char kHex[] = "0123456789abcdef";
  const std::string folder = FolderOf(targetPath);
  std::string name = folder + "~bw";
  for (int shift = 12; shift >= 0; shift -= 4) name += kHex[(number >> shift) & 15];
  name += ".tmp";
  if (name.size() <= maxLength) return name;
  if (folder.size() + 2 > maxLength) return std::string();
  const size_t digits = std::min<size_t>(4, maxLength - folder.size() - 1);
  name = folder + "~";
  for (size_t i = digits; i-- > 0;) name += kHex[(number >> (4 * i)) & 15];
  return name;
}

FILE* CreateTemporaryBeside(const char* targetPath, std::string* temporaryPath) {
  for (int attempt = 0; attempt < 256; ++attempt) {
    const std::string name = TemporaryPathFor(targetPath, NextTemporaryNumber(), kMaxPathLength);
    if (name.empty()) return nullptr;
    const int fd = OpenNew(name);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
#ifdef _WIN32
    FILE* stream = _fdopen(fd, "wb");
    if (!stream) _close(fd);
#else
    struct stat target;
    if (stat(targetPath, &target) == 0) fchmod(fd, target.st_mode & 07777);
    FILE* stream = fdopen(fd, "wb");
    if (!stream) close(fd);
#endif
    if (!stream) {
      remove(name.c_str());
      return nullptr;
    }
    *temporaryPath = name;
    return stream;
  }
  return nullptr;
}

bool FlushToDisk(FILE* stream) {
  if (fflush(stream) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(stream)) == 0;
#else
  return fsync(fileno(stream)) == 0;
#endif
}

#ifndef _WIN32
bool IsReadOnlyFile(const char* path) {
  struct stat st;
  if (stat(path, &st) != 0) return false;
  // The mode bits count as well as access(): this process may be allowed to
  // write anything (root), and the user still marked the file read-only.
  return (st.st_mode & 0222) == 0 || access(path, W_OK) != 0;
}

bool ReplaceFileWithTemporary(const char* temporaryPath, const char* targetPath) {
  return std::rename(temporaryPath, targetPath) == 0;
}
#endif
