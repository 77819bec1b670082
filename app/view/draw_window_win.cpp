// The draw window lies over the view while a drawing tool is active. Until
// the drawing tools take its messages it stays hidden and leaves every
// message to the system.
#include <windows.h>

#include "app/view/image_view_record_win.h"

LRESULT CALLBACK DrawWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
