#include <mutex>

#include "app/operations/operation_runner.h"
#include "imagelib/raster.h"

std::atomic<uint8_t> gbAbort{0};
std::atomic<uint32_t> gdwScanThreadId{0};

namespace {

// The worker sets and clears the source while the user interface thread
// reads it; the lock keeps a read from meeting an image being deleted.
std::mutex gSourceLock;
CRaster* gpProgressSource = nullptr;

}  // namespace

void SetProgressSource(CRaster* image) {
  std::lock_guard<std::mutex> hold(gSourceLock);
  gpProgressSource = image;
}

int32_t ReadProgressSource() {
  std::lock_guard<std::mutex> hold(gSourceLock);
  return gpProgressSource ? gpProgressSource->GetProgress() : -1;
}

void StopProgressSource() {
  std::lock_guard<std::mutex> hold(gSourceLock);
  if (gpProgressSource) gpProgressSource->SetEscape(1);
}
