#pragma once
// The drawing tools' windows as the main window reaches them. Null entries:
// there are no drawing tools yet.
#include <windows.h>

struct DrawingToolsSeam {
  // Ends the draw window's hover state (a tool or the bar changed).
  void (*pfnEndHover)();
  // The text tool's Enter Text dialog while it is open, else null.
  HWND (*pfnGetTextDialog)();
};
extern DrawingToolsSeam gDrawingToolsSeam;
