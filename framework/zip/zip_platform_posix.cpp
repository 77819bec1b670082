// The zip core's system layer for the native build (POSIX). Paths may use
// '\' as the Windows build does; it is read as '/'.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "framework/zip/zip_platform.h"
#include "framework/zip/zip_time.h"

namespace {

std::string HostPath(const char* path) {
  std::string s(path);
  for (char& c : s) {
    if (c == '\\') c = '/';
  }
  return s;
}

uint64_t ToFileTime(time_t seconds, long nanoseconds) {
  if (seconds < 0) return kFileTimeUnixEpoch;
  return uint64_t(seconds) * kFileTimePerSecond + uint64_t(nanoseconds) / 100 + kFileTimeUnixEpoch;
}

struct timeval ToTimeval(uint64_t fileTime) {
  struct timeval tv = {};
  if (fileTime > kFileTimeUnixEpoch) {
    uint64_t t = fileTime - kFileTimeUnixEpoch;
    tv.tv_sec = static_cast<time_t>(t / kFileTimePerSecond);
    tv.tv_usec = static_cast<suseconds_t>((t % kFileTimePerSecond) / 10);
  }
  return tv;
}

class CPosixFileStream : public CZipStream {
 public:
  CPosixFileStream(int fd, bool owns) : m_iFd(fd), m_bOwns(owns) {}
  ~CPosixFileStream() override {
    if (m_bOwns) close(m_iFd);
  }
  int64_t Read(void* buffer, uint32_t count) override {
    ssize_t n;
    do n = read(m_iFd, buffer, count);
    while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int64_t>(n);
  }
  bool Write(const void* data, uint32_t count) override {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
      ssize_t n = write(m_iFd, p, count);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      count -= static_cast<uint32_t>(n);
    }
    return true;
  }
  bool Seek(uint64_t position) override {
    return lseek(m_iFd, static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
  }
  bool Tell(uint64_t* position) override {
    off_t p = lseek(m_iFd, 0, SEEK_CUR);
    if (p < 0) return false;
    *position = static_cast<uint64_t>(p);
    return true;
  }
  bool GetSize(uint64_t* size) override {
    struct stat st;
    if (fstat(m_iFd, &st) != 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
  }
  bool SetTimes(uint64_t creation, uint64_t access, uint64_t modification) override {
    (void)creation;
    struct timeval tv[2] = {ToTimeval(access), ToTimeval(modification)};
    return futimes(m_iFd, tv) == 0;
  }

 private:
  int m_iFd;
  bool m_bOwns;
};

}  // namespace

CZipStream* ZipPlatformOpenSource(const char* path, ZipFileFacts* facts) {
  int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return nullptr;
  }
  facts->ulAttributes = S_ISDIR(st.st_mode) ? kZipAttrDirectory : kZipAttrArchive;
  if (!(st.st_mode & S_IWUSR)) facts->ulAttributes |= kZipAttrReadOnly;
  facts->ullSize = static_cast<uint64_t>(st.st_size);
  facts->ftModification = ToFileTime(st.st_mtime, st.st_mtim.tv_nsec);
  facts->ftAccess = ToFileTime(st.st_atime, st.st_atim.tv_nsec);
  facts->ftCreation = ToFileTime(st.st_ctime, st.st_ctim.tv_nsec);
  return new CPosixFileStream(fd, true);
}

CZipStream* ZipPlatformCreateArchive(const char* path) {
  int fd = open(HostPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? nullptr : new CPosixFileStream(fd, true);
}

CZipStream* ZipPlatformOpenArchive(const char* path) {
  int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  return fd < 0 ? nullptr : new CPosixFileStream(fd, true);
}

CZipStream* ZipPlatformCreateTarget(const char* path, uint32_t attributes) {
  mode_t mode = (attributes & kZipAttrReadOnly) ? 0444 : 0644;
  int fd = open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  return fd < 0 ? nullptr : new CPosixFileStream(fd, true);
}

CZipStream* ZipPlatformCreateTempBeside(const char* target, uint32_t attributes, char* tempPath,
                                        size_t size) {
  std::string path = HostPath(target);
  size_t slash = path.rfind('/');
  std::string pattern = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                        ".zx-XXXXXX";
  if (pattern.size() >= size) return nullptr;
  memcpy(tempPath, pattern.c_str(), pattern.size() + 1);
  int fd = mkstemp(tempPath);
  if (fd < 0) return nullptr;
  fchmod(fd, (attributes & kZipAttrReadOnly) ? 0444 : 0644);
  return new CPosixFileStream(fd, true);
}

bool ZipPlatformReplaceFile(const char* from, const char* to) {
  return rename(HostPath(from).c_str(), HostPath(to).c_str()) == 0;
}

CZipStream* ZipPlatformAdoptHandle(void* handle) {
  intptr_t fd = reinterpret_cast<intptr_t>(handle);
  if (fd < 0 || fd > 0x7FFFFFFF) return nullptr;
  return new CPosixFileStream(static_cast<int>(fd), false);
}

bool ZipPlatformCreateFolder(const char* path) {
  std::string p = HostPath(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  mkdir(p.c_str(), 0755);
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ZipPlatformDeleteFile(const char* path) { return unlink(HostPath(path).c_str()) == 0; }

bool ZipPlatformCurrentFolder(char* buffer, size_t size) {
  if (size < 2 || !getcwd(buffer, size - 1)) return false;
  size_t n = strlen(buffer);
  if (n == 0 || buffer[n - 1] != '/') {
    buffer[n] = '/';
    buffer[n + 1] = 0;
  }
  return true;
}

void* ZipPlatformMapPagingFile(uint32_t size, void** mapping) {
  void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (view == MAP_FAILED) return nullptr;
  *mapping = reinterpret_cast<void*>(static_cast<uintptr_t>(size));
  return view;
}

void ZipPlatformUnmapPagingFile(void* view, void* mapping) {
  if (view) munmap(view, static_cast<size_t>(reinterpret_cast<uintptr_t>(mapping)));
}

uint64_t ZipPlatformNow() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return ToFileTime(tv.tv_sec, static_cast<long>(tv.tv_usec) * 1000);
}

bool ZipPlatformToLocal(uint64_t fileTime, ZipLocalTime* local) {
  time_t t = ToTimeval(fileTime).tv_sec;
  struct tm tm;
  if (!localtime_r(&t, &tm)) return false;
  *local = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return true;
}

bool ZipPlatformFromLocal(const ZipLocalTime& local, uint64_t* fileTime) {
  struct tm tm = {};
  tm.tm_year = local.iYear - 1900;
  tm.tm_mon = local.iMonth - 1;
  tm.tm_mday = local.iDay;
  tm.tm_hour = local.iHour;
  tm.tm_min = local.iMinute;
  tm.tm_sec = local.iSecond;
  tm.tm_isdst = -1;
  time_t t = mktime(&tm);
  if (t == static_cast<time_t>(-1) || t < 0) return false;
  *fileTime = uint64_t(t) * kFileTimePerSecond + kFileTimeUnixEpoch;
  return true;
}

unsigned ZipPlatformRandomSeed() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
}

#endif  // !_WIN32
