// Response heads come from any server: every byte sequence must parse to a
// status, header values inside the head, or a refusal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "framework/net/http_head.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > size_t(kMaxHeadBytes)) return 0;
  const char* head = reinterpret_cast<const char*>(data);
  int32_t length = int32_t(size);
  int status = ParseStatusLine(head, length);
  if (status != -1 && (status < 0 || status > 999)) abort();
  for (const char* name : {"Location", "Content-Length", "Last-Modified", "Transfer-Encoding", "L"}) {
    const char* value = nullptr;
    int32_t valueLength = -1;
    int count = FindHeader(head, length, name, &value, &valueLength);
    if (count < 0) abort();
    if (count > 0 && (valueLength < 0 || value < head || value + valueLength > head + length))
      abort();
  }
  int64_t contentLength = -1;
  int framing = ParseContentLength(head, length, &contentLength);
  if (framing == 1 && contentLength < 0) abort();
  if (framing < -1 || framing > 1) abort();
  return 0;
}
