#pragma once
// The clipboard text watcher. Null: the program does nothing with copied
// text yet.
struct ClipboardTextSeam {
  // After each clipboard change; false when the clipboard could not be opened.
  bool (*pfnOnClipboardUpdate)();
};
extern ClipboardTextSeam gClipboardTextSeam;
