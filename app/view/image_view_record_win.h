#pragma once
// The view's one record, shared by the view, its mouse handling, the
// navigator and the draw window (the drawing tools keep their backup, font
// and text here too).
#include <windows.h>

#include <cstdint>

#include "app/view/view_geometry.h"

class CImage;

constexpr UINT kMsgViewHScroll = 1025;  // as WM_HSCROLL
constexpr UINT kMsgViewVScroll = 1026;  // as WM_VSCROLL
constexpr UINT kMsgViewScrollBy = 1027; // dx, dy as two signed 16-bit words
constexpr UINT_PTR kFlingTimer = 4369;
constexpr int kTextChars = 4096;

// iDragMode values besides the edge masks 1-15 and kDragMove.
constexpr int kDragNone = -1;
constexpr int kDragNewSelection = 0;

struct ImageViewRecord {
  HWND hView = nullptr;
  // The client size, the origin, the scale and the painted and visible
  // rectangles (frame.rcDest, frame.rcSource).
  ViewFrame frame;
  POINT ptZoomImage = {};   // image point kept under the cursor by mode 2
  POINT ptZoomClient = {};  // where the cursor was then (client)
  HWND hDrawWindow = nullptr;
  HWND hTextDialog = nullptr;
  uint8_t bScrollBoth = 0;
  int32_t iDragMode = kDragNone;
  GuideLines guides;  // last drawn positions
  uint8_t bGuidesDrawn = 0;
  POINT ptAnchor = {};       // image grid point of the press
  POINT ptPressClient = {};  // client point of the press
  POINT ptMoveOffset = {};   // mode 16: anchor minus the selection's left-top
  int32_t iSpanX = 0;        // mode 16: right - left
  int32_t iSpanY = 0;
  RECT rcBand = {};  // the rubber band on screen (client, exclusive)
  uint8_t bBandShown = 0;
  POINT ptBandEnd = {};  // its moving corner (image grid point)
  uint8_t bPanning = 0;
  PanReference panReference;
  PanHistory panSamples;
  FlingState fling;
  uint8_t bFling = 0;
  HWND hNavigator = nullptr;
  NavigatorGeometry navigator;
  uint8_t bNavigatorSkipMove = 0;
  RECT rcNavigatorFrame = {};
  CImage* pDrawBackup = nullptr;
  HFONT hTextFont = nullptr;
  char szText[kTextChars] = {};
  POINT ptSavedScroll = {};
};
extern ImageViewRecord gImageView;

// The state the view shows: the current one of the history, or null.
CImage* ViewImage();
// Its selection (inclusive, top-down); the whole image when it has none.
RECT ViewSelection(const CImage& image);
// True when the main window (the view's top-level window) is in the
// foreground.
bool IsMainWindowForeground();
// Scrolls by (dx, dy) image pixels; true when the origin changed.
bool ScrollViewBy(int64_t dx, int64_t dy);
// Redraws the guides; edges in mask whose position changed are erased first
// (31: painting, nothing to erase).
void DrawSelectionGuides(HDC dc, int mask);
// The rubber band: draw at rect, move to rect, erase and forget, or draw the
// remembered one again (after a paint covered it).
void ShowRubberBand(const RECT& rect);
void EraseRubberBand();
void RedrawRubberBand(HDC dc);

// The view's mouse, key and timer messages; false when it did not handle
// the message.
bool HandleViewInput(HWND view, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
void StopFling();

// The corner box between the scroll bars and the navigator it opens.
LRESULT CALLBACK NavigatorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool HandleCornerBox(HWND view, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
void CloseNavigator();

// The draw window's procedure: the drawing tools' own messages come later;
// until then it only lies hidden over the view.
LRESULT CALLBACK DrawWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

extern const char kImageViewClass[];
extern const char kNavigatorClass[];
extern const char kDrawWindowClass[];
