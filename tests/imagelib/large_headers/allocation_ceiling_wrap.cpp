// Linked with --wrap for malloc, calloc and realloc: every allocation of the
// test program, the image library's and libpng's included, passes here, and
// one above 64 MB ends the program, so the test fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
}

namespace {

constexpr uint64_t kCeiling = uint64_t(64) << 20;

void Check(uint64_t bytes) {
  if (bytes <= kCeiling) return;
  std::fprintf(stderr, "allocation of %llu bytes is above the 64 MB ceiling\n",
               static_cast<unsigned long long>(bytes));
  std::fflush(stderr);
  std::abort();
}

}  // namespace

extern "C" {

void* __wrap_malloc(size_t size) {
  Check(size);
  return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size) {
  Check(size != 0 && count > SIZE_MAX / size ? UINT64_MAX : uint64_t(count) * size);
  return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size) {
  Check(size);
  return __real_realloc(block, size);
}

}  // extern "C"
