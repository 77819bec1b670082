#pragma once
// Dragging the image out as a file. Null: the image cannot be dragged out
// yet.
struct DragOutSeam {
  // Drags a file-drop data object holding path (copy or move allowed);
  // returns when the drop ended.
  void (*pfnDragFile)(const char* path);
};
extern DragOutSeam gDragOutSeam;
