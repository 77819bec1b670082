#pragma once
// The image history: the program's document. Every state the user has seen
// is a CImage in one array, oldest first; undo and redo move the current
// index, and a push drops the states above it and then the oldest ones while
// their memory exceeds the undo limit (gOptions.iUndoBufMB). The history owns
// its states. It belongs to the user interface thread: an operation's worker
// hands its image back and the user interface thread pushes it.
#include <cstdint>

#include "app/document/image.h"
#include "framework/app/grow_array.h"

extern CPointerArray gaImageHistory;  // CImage*, oldest first
extern int32_t giCurrentImage;        // 0 when the history is empty
extern uint8_t gbImageChanged;        // set by every push, cleared by a save or the like
extern uint8_t gbLoadedFromFile;      // the current image stems from an opened file

// The state at index, or null.
CImage* GetHistoryImage(int32_t index);
// True when index is inside the array and that state holds an image.
bool IsHistoryIndexValid(int32_t index);
// Takes ownership of image and makes it the current state, named name (null
// or empty: the newest remaining state's name, else "(Unnamed)"). Returns 0,
// or 1 when it is refused: an empty image, a call from another thread than
// the user interface's, or no room even after dropping older states; the
// caller then still owns the image and the history is as it was, except for
// the redo states and the older states that made way.
int AddToHistory(CImage* image, const char* name, uint8_t loadedFromFile);
// A copy of the current state with its name and selection, not modified;
// null without a valid current state or memory.
CImage* CloneCurrentImage();
// Pushes a clone of the current state (no name, same loaded-from-file flag)
// and refreshes the status bar: 0, 2 without a current image, 1 when the
// clone cannot be made or pushed.
int PushWorkingCopy();
// Drops the current state when it is not the first, making the one below it
// current (the drawing tools' unused working copy): 0, or 2 without a current
// image.
int UndoImage();
// Destroys the state at index and closes the gap; the current index keeps
// pointing at the same state (or the nearest one when that one went).
void DeleteHistoryEntry(int32_t index);
// Ends the drawing tool and deletes every state, newest first.
void ClearHistory();
// The sum of every state's image block size.
uint64_t GetHistoryMemorySize();
// The undo limit in bytes: gOptions.iUndoBufMB megabytes, negative as 0.
uint64_t GetHistoryLimit();
// The commands Undo and Redo: move the current index by one inside the
// array, deleting nothing; false at either end.
bool MoveHistoryBack();
bool MoveHistoryForward();
#ifdef _WIN32
// "<product> - <name>", or the product name (text 2100) alone for an empty
// name, as the main window's title (history_title_win.cpp).
void UpdateMainWindowTitle(const char* name);
#endif

// Appends a state to the array; the history's one way in. Tests replace it to
// make an append fail as if memory ran out.
extern int32_t (*gpfnHistoryAppend)(CPointerArray* array, void* element);
