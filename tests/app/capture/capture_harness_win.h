#pragma once
// What the capture tests share: pattern windows whose every pixel is a
// function of its screen position, the hotkey the main window would hold,
// xdotool and ImageMagick's import started through Wine, and the check of a
// captured state against the pattern and against the display.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/document/image.h"
#include "app/profiles/program_records.h"
#include "app/startup/operation_errors.h"

// Unique for every point of a 4096 x 4096 square around the origin.
uint32_t PatternAt(int x, int y);

// Framework, records, window classes, the hotkey (Print Screen, held as
// the main window would) and the pattern windows: a background over the
// virtual screen and a helper at (300, 200) from the primary screen's
// top-left, 520 x 330, with a child at (60, 50), 210 x 130.
void SetUpCaptureHarness();
void TearDownCaptureHarness();
// Puts the pattern windows where the current layout wants them.
void PlacePatternWindows();
extern HWND gBackground, gHelper, gChild, gHotkeyWindow;
extern std::vector<int> gHotkeyCalls;  // 1 register, 0 unregister, in order
extern int gToolSelected;              // -1 until a capture selects one
// What the hotkey window's WM_NESTED_CAPTURE runs, and its result.
constexpr UINT WM_NESTED_CAPTURE = WM_APP + 1;
extern ProfileRecord gNestedProfile;
extern OperationError gNestedResult;

void Pump(int ms);
// Whether another thread can have Print Screen now (it gives it back at
// once): 0, or the error.
DWORD OtherThreadTakesPrint();
// Starts a Unix script below tests/ with the done file and arguments, and
// waits for the file it leaves when done.
bool RunUnix(const std::string& script, const std::string& done, const std::string& arguments);
// xdotool's "mousemove" to a screen point (X counts from the virtual
// screen's top-left).
std::string MoveTo(int x, int y);
bool RunXdotool(const std::string& chain);
HWND FindOverlay();
RECT WindowRectInclusive(HWND window);

// Drives a running overlay from another thread: waits for it to show and
// paint, runs `before` (checks that need it open), then the xdotool chain.
// An overlay that the input did not end is cancelled, so that the test
// fails instead of hanging.
class COverlayDriver {
 public:
  explicit COverlayDriver(std::string chain, std::function<void()> before = nullptr);
  ~COverlayDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> seen{false};
  std::atomic<bool> sent{false};
  std::atomic<bool> stuck{false};

 private:
  std::thread thread_;
};

// CaptureScreen with the overlay driven by the chain; checks that the
// overlay went and busy mode ended.
OperationError CaptureDriven(const ProfileRecord& profile, const std::string& chain,
                             std::function<void()> before = nullptr);

// The display through ImageMagick, rows top-down, 0x00RRGGBB; empty when
// it did not arrive.
std::vector<uint32_t> ImportRect(const RECT& rect);
uint32_t ImagePixel(const CImage& image, int x, int y);

// The newest state must be rect's pattern and what import reads there,
// pixel for pixel, inside `checked` (screen rectangles, right and bottom
// inclusive; none: all of rect).
void ExpectCaptured(const RECT& rect, int statesBefore, const std::vector<RECT>& checked = {});
