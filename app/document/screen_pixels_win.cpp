#include <windows.h>

#include "app/document/screen_dpi.h"

void GetPrimaryScreenPixels(int32_t* width, int32_t* height) {
  *width = GetSystemMetrics(SM_CXSCREEN);
  *height = GetSystemMetrics(SM_CYSCREEN);
}
