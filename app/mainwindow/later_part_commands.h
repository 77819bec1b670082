#pragma once
// The commands whose work belongs to a part the program may not have yet:
// each stays disabled while its part's seam is empty.
#include <cstdint>

// Whether the part behind the command is there (true for other commands).
bool IsLaterPartPresent(uint16_t id);
// Enables each such command when its part is there (and, for commands on
// the image, when there is one).
void EnableLaterPartCommands(bool hasImage);
