#pragma once
// Every flag bit of framework windows and dock bars in one place. Window
// flags are the framework's own bits: GetStyles maps them to window styles
// one by one, they are not WS_EX values. The command flags the bars read
// live with the command table (framework/ui/command_table.h).
#include <cstdint>

#include "framework/ui/command_table.h"

// What command flags mean to a bar's items (the others: command_table.h).
constexpr uint32_t kItemStretch = kCommandStretch;              // shares the spare length
constexpr uint32_t kItemFullThickness = kCommandFullThickness;  // the bar's whole thickness
constexpr uint32_t kItemOwnLine = kCommandOwnRow;  // floating: a line of its own; docked: a sizable row
constexpr uint32_t kItemMayOverflow = kCommandAdded;  // set on added commands: may go to the overflow menu
constexpr uint32_t kItemHidden = kCommandHidden;
constexpr uint32_t kItemNoVertical = 0x2000;       // its bar may not dock left or right
constexpr uint32_t kItemStatus = kCommandMenuBar;  // on a static: the frame's status item

// Window flags; the low 16 bits travel in the placement record.
constexpr uint32_t kWindowTaskbarButton = 0x1;
constexpr uint32_t kWindowSizable = 0x2;
constexpr uint32_t kWindowKeepOnRescale = 0x4;   // kept when the resolution changes
constexpr uint32_t kWindowNoCaption = 0x8;
constexpr uint32_t kWindowSmallCaption = 0x10;
constexpr uint32_t kWindowBarPositionsLocked = 0x20;
constexpr uint32_t kWindowBarSizesLocked = 0x40;
constexpr uint32_t kWindowPositionLocked = 0x80;
constexpr uint32_t kWindowTopmost = 0x100;
constexpr uint32_t kWindowMaximized = 0x200;
constexpr uint32_t kWindowActiveTarget = 0x400;  // takes forwarded requests
constexpr uint32_t kWindowBorderless = 0x800;    // drives its own sizing frame
constexpr uint32_t kWindowOwnSizingFrame = kWindowBorderless;
constexpr uint32_t kWindowSizeLocked = 0x1000;
constexpr uint32_t kWindowAcceptsFiles = 0x2000;
constexpr uint32_t kWindowNoRescale = 0x10000000;  // neither rescaled nor brought forward

constexpr uint32_t kWindowCaptionBits = kWindowSmallCaption | kWindowNoCaption | kWindowBorderless;
constexpr uint32_t kWindowAllLocks =
    kWindowBarPositionsLocked | kWindowBarSizesLocked | kWindowPositionLocked | kWindowSizeLocked;
// What the user chooses and the placement record brings back; the caller's
// own bits (sizable, forwarded requests, dropped files, the high word) stay.
constexpr uint32_t kWindowUserBits = 0x1 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100 |
                                     0x200 | 0x800 | 0x1000;

// Dock bar flags.
constexpr uint16_t kBarAlignEnd = 0x2;       // ends where the next bar starts, or at the row end
constexpr uint16_t kBarStretches = 0x4;      // grows into the free length up to the next bar
constexpr uint16_t kBarSizable = 0x8;        // its row has a splitter
constexpr uint16_t kBarCloseBox = 0x10;
constexpr uint16_t kBarVisible = 0x20;
constexpr uint16_t kBarNoVertical = 0x40;    // may not dock left or right
constexpr uint16_t kBarNoHorizontal = 0x80;  // may not dock top or bottom
constexpr uint16_t kBarAlignPrevious = 0x200;  // starts where the previous bar ends
// The bits a bar's state record brings back; the others describe the bar.
constexpr uint16_t kBarUserBits = kBarAlignEnd | kBarVisible | kBarAlignPrevious;

constexpr uint8_t kBarFloating = 255;  // the side byte of a floating bar's bay code
enum : int { kSideTop = 0, kSideBottom = 1, kSideLeft = 2, kSideRight = 3 };
constexpr int kMaxBayRows = 16;
constexpr int kSplitterSize = 4;
