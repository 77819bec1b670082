#pragma once
// The program's English text table (language 0), installed by the start-up.
#include <cstdint>

#include "framework/text/string_table.h"

constexpr uint16_t kProductNameText = 2100;  // "Brightwarden"

// Writable: the string table sorts it in place when it is installed.
extern TextRecord gProgramTexts[];
