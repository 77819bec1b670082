#pragma once
// The input a script sends, as if the user typed and moved the mouse.
#include <cstdint>

#include "app/script/script_engine.h"

// Presses the keys in order and lets them go in reverse order, in one go so
// that no other input comes between.
void SendScriptKeys(const uint8_t* codes, int count);
// Moves the mouse to (x, y) in screen pixels (the primary monitor's top-left
// is 0, 0; other monitors lie around it), landing on that very pixel.
void MoveScriptMouse(int32_t x, int32_t y);
void SendScriptButton(ScriptButtonEvent event);
// The absolute coordinate (0-65535) that lands on pixel offset `offset` of a
// span `size` pixels wide: Windows maps it back as coordinate * size / 65536,
// rounded down, so rounding up here lands on the pixel itself.
int32_t ScaleToAbsolute(int64_t offset, int32_t size);  // offset clamped into the span
