// The native build runs without a screen.
#if !defined(_WIN32)
#include "app/document/screen_dpi.h"

void GetPrimaryScreenPixels(int32_t* width, int32_t* height) {
  *width = 0;
  *height = 0;
}
#endif
