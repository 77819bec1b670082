#include "app/capture/capture_host.h"

CaptureHost gCaptureHost = {};
